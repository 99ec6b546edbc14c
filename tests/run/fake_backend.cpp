// A stand-in for mainVRN.exe in the run tests. The instance file's name (without folder and
// extension) names what it does; the output folder receives whatever it records. It writes with
// unbuffered system calls so that the tests control exactly which bytes arrive when.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <signal.h>
#include <string>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

namespace
{

void Out(const std::string& bytes)
{
    ssize_t ignored = write(1, bytes.data(), bytes.size());
    (void)ignored;
}

void Err(const std::string& bytes)
{
    ssize_t ignored = write(2, bytes.data(), bytes.size());
    (void)ignored;
}

void Pause(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::string Stem(std::string path)
{
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos)
        path.erase(0, slash + 1);
    const std::size_t dot = path.rfind('.');
    if (dot != std::string::npos)
        path.erase(dot);
    return path;
}

std::string OptionValue(int argc, char** argv, const std::string& name, const std::string& fallback)
{
    for (int i = 3; i + 1 < argc; ++i)
    {
        if (argv[i] == name)
            return argv[i + 1];
    }
    return fallback;
}

// Every argument (element 0 included) on its own line of <folder>/args.txt, NUL-terminated so
// that blanks and empty arguments stay visible.
int RecordArguments(int argc, char** argv, const std::string& folder)
{
    std::ofstream file(folder + "/args.txt", std::ios::binary);
    for (int i = 0; i < argc; ++i)
        file << argv[i] << '\0';
    return 0;
}

int WriteLineEnds()
{
    Out("alpha\r\n");
    Out("beta\n");
    Out("gamma\r\n");
    Out("\n");
    Out("\r\n");
    Out("delta\r\n");
    return 0;
}

int WriteHalfLine()
{
    Out("first half ");
    Pause(400);
    Out("second half\r\n");
    return 0;
}

int WriteSplitCharacter()
{
    Out("caf\xC3");
    Pause(400);
    Out("\xA9 \xE2\x82");
    Pause(200);
    Out("\xAC\r\n");
    return 0;
}

int WriteInvalidBytes()
{
    Out("bad\xFF\xFEtail\r\n");
    Out("cut\xC3\nnext\r\n");
    Out("end\xE2\x82");
    return 0;
}

int WriteBothStreams()
{
    Err("from stderr\r\n");
    Out("from stdout\r\n");
    return 0;
}

// Echoes each line it receives, bracketed, until "quit" or the end of its input.
int EchoInput()
{
    Out("ready\r\n");
    std::string line;
    while (std::getline(std::cin, line))
    {
        Out("got[" + line + "]\r\n");
        if (line == "quit")
            break;
    }
    return 0;
}

// Does not read its input for a while, then reports the length of the first two lines it got.
int CountLateInput()
{
    Out("waiting\r\n");
    Pause(800);
    std::string first, second;
    std::getline(std::cin, first);
    std::getline(std::cin, second);
    Out("received " + std::to_string(first.size()) + " and " + std::to_string(second.size()) + " bytes\r\n");
    return 0;
}

// Starts a child of its own, records both process ids, and runs until killed.
int RunUntilKilled(const std::string& folder)
{
    const pid_t child = fork();
    if (child == 0)
    {
        for (;;)
            pause();
    }
    std::ofstream(folder + "/pids.txt") << getpid() << ' ' << child << '\n';
    Out("running\r\n");
    for (;;)
        pause();
}

// Waits until the window may have gone, writes far more than a pipe holds, then records that
// it got to its end.
int WriteAfterClose(const std::string& folder)
{
    Out("started\r\n");
    Pause(500);
    const std::string block(64 * 1024, 'y');
    for (int i = 0; i < 16; ++i)
        Out(block);
    std::ofstream(folder + "/done.txt") << "done\n";
    return 0;
}

// A run to look at: progress lines in several scripts, a warning on standard error, then it
// answers typed lines until "quit".
int Showcase()
{
    Out("mainVRN.exe (stand-in): table with 30 cells, 6 sensitive, 11 relations\r\n");
    Out("Datei gelesen: Gr\xC3\xB6\xC3\x9F"
        "e und Einkommen\r\n");
    Out("\xCE\xA0\xCE\xAF\xCE\xBD\xCE\xB1\xCE\xBA\xCE\xB1\xCF\x82 \xE8\xA1\xA8 \xE2\x82\xAC 1.234,50\r\n");
    Err("warning: cell 17 has a zero weight\r\n");
    for (int i = 1; i <= 5; ++i)
        Out("  elapsed " + std::to_string(i) + ".0 s   incumbent " + std::to_string(1000 - 37 * i) +
            "   bound 880   gap " + std::to_string(12 - 2 * i) + "%\r\n");
    return EchoInput();
}

int WriteResultFiles(int argc, char** argv, const std::string& instance, const std::string& folder)
{
    static const std::map<std::string, std::string> suffixes = {
        {"c", "_cplex"}, {"x", "_xpress"}, {"g", "_glpk"}, {"b", "_cbc"}, {"l", "_clp"}, {"s", "_sym"}};
    const std::string base =
        folder + "/" + Stem(instance) + suffixes.at(OptionValue(argc, argv, "--solver", "x"));
    std::ofstream(base + ".log") << "log of the run\n";
    std::ofstream(base + ".sol") << "# solution\n1 10 12 2 s\n";
    Out("results written\r\n");
    return 0;
}

// `--seed` lines of 80 characters, each ended by CR LF, as fast as the pipe takes them.
int Flood(int argc, char** argv)
{
    const long lines = std::atol(OptionValue(argc, argv, "--seed", "200000").c_str());
    std::string block;
    const std::string line = std::string(80, 'x') + "\r\n";
    for (long i = 0; i < lines; ++i)
    {
        block += line;
        if (block.size() >= 60000 || i + 1 == lines)
        {
            Out(block);
            block.clear();
        }
    }
    return 0;
}

// `--seed` numbered lines ("line 1" ...) on standard output, as fast as the pipe takes them,
// after one line on standard error: far more than a pipe holds, so the writer waits for reads.
int NumberedFlood(int argc, char** argv)
{
    Err("from stderr\r\n");
    const long lines = std::atol(OptionValue(argc, argv, "--seed", "20000").c_str());
    std::string block;
    for (long i = 1; i <= lines; ++i)
    {
        block += "line " + std::to_string(i) + "\r\n";
        if (block.size() >= 60000 || i == lines)
        {
            Out(block);
            block.clear();
        }
    }
    return 0;
}

// One line of 300,000 characters, longer than several reads, written in one go, then a short one.
int WriteLongLine()
{
    Out(std::string(300000, 'L') + "\r\n");
    Out("after\r\n");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    signal(SIGPIPE, SIG_IGN);
    if (argc < 3)
        return 2;
    const std::string instance = argv[1];
    const std::string folder = argv[2];
    const std::string scenario = Stem(instance);
    if (scenario == "record")
        return RecordArguments(argc, argv, folder);
    if (scenario == "lineends")
        return WriteLineEnds();
    if (scenario == "halfline")
        return WriteHalfLine();
    if (scenario == "split")
        return WriteSplitCharacter();
    if (scenario == "invalid")
        return WriteInvalidBytes();
    if (scenario == "bothstreams")
        return WriteBothStreams();
    if (scenario == "echo")
        return EchoInput();
    if (scenario == "lateinput")
        return CountLateInput();
    if (scenario == "forever")
        return RunUntilKilled(folder);
    if (scenario == "results")
        return WriteResultFiles(argc, argv, instance, folder);
    if (scenario == "flood")
        return Flood(argc, argv);
    if (scenario == "writeafterclose")
        return WriteAfterClose(folder);
    if (scenario == "showcase")
        return Showcase();
    if (scenario == "numberedflood")
        return NumberedFlood(argc, argv);
    if (scenario == "longline")
        return WriteLongLine();
    if (scenario == "atonce")
        return 0;
    Err("unknown scenario " + scenario + "\r\n");
    return 3;
}
