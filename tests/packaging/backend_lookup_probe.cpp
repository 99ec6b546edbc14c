// Where the front-end installed as PROGRAM finds the back-end: its folder is the real path's
// folder (what /proc/self/exe names for the running front-end, symbolic links resolved), and
// PATH is left out so that only the program's own folder counts. Prints the back-end's path,
// or nothing and exit status 1 when the front-end would not find it there.
#include "argument_vector.h"
#include "backend_locator.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: backend_lookup_probe INSTALLED_FRONT_END\n");
        return 2;
    }
    char real[PATH_MAX];
    if (realpath(argv[1], real) == nullptr)
    {
        std::perror(argv[1]);
        return 2;
    }
    const std::string program(real);
    const std::string folder = program.substr(0, program.rfind('/'));
    const std::string found =
        vrn::FindExecutable(vrn::kBackendProgramName, vrn::BackendSearchFolders(folder, ""));
    if (found.empty())
        return 1;
    std::printf("%s\n", found.c_str());
    return 0;
}
