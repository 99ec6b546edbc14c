// The benchmark's back-end: writes `--seed` lines (default 200,000) of 80 characters, each ended
// by CR LF, as fast as the pipe takes them, then exits.
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    long lines = 200000;
    for (int i = 3; i + 1 < argc; ++i)
    {
        if (std::string(argv[i]) == "--seed")
            lines = std::atol(argv[i + 1]);
    }
    const std::string line = std::string(80, 'x') + "\r\n";
    std::string block;
    for (long i = 0; i < lines; ++i)
    {
        block += line;
        if (block.size() >= 60000 || i + 1 == lines)
        {
            const char* data = block.data();
            std::size_t left = block.size();
            while (left > 0)
            {
                const ssize_t n = write(1, data, left);
                if (n <= 0)
                    return 1;
                data += n;
                left -= static_cast<std::size_t>(n);
            }
            block.clear();
        }
    }
    return 0;
}
