// The Fast run the window starts with its options as they open (order 4-2-3-1, "% cells bounds" 2,
// the heuristic's directions; CLP), beside order 1 alone in the same run, measured with the real
// mainVRN.exe: wall time, peak memory, each stage's objective and time, and the load of the machine.
//   bench_backend_fast_default [SIDE | FILE.csp]...   generated SIDE x SIDE tables with all margins
//                                                    (default 100 300 1000) and any instance files given
// Prints figures only.
#include "bench_run.h"
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;
extern char** environ;

namespace
{

using vrn::bench::LastMatch;
using vrn::bench::ReadText;

struct Measured
{
    double seconds = -1;
    long peakKb = -1;
    int status = -1;
    std::string text;
};

double Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The child's own peak memory comes from wait4, which reports that child alone.
Measured RunMeasured(std::vector<std::string> args, const fs::path& log)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    Measured measured;
    const double start = Now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
    {
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        measured.seconds = Now() - start;
        measured.peakKb = usage.ru_maxrss;
        measured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    measured.text = ReadText(log);
    return measured;
}

std::string Load()
{
    std::string text = ReadText("/proc/loadavg");
    return text.substr(0, text.find(' ', text.find(' ', text.find(' ') + 1) + 1));
}

fs::path WriteTable(const fs::path& dir, int side)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(side), vrn::Dimension::Flat(side)};
    settings.maxValue = 99;
    settings.seed = 1;
    const fs::path csp = dir / ("d" + std::to_string(side) + ".csp");
    std::ofstream out(csp);
    vrn::WriteInstance(out, vrn::GenerateTable(settings));
    return csp;
}

void PrintRun(const char* label, const Measured& run)
{
    const double objective = LastMatch(run.text, R"(objective \(total weighted change\): ([-0-9.e+]+))");
    const bool passed = run.text.find("solution check: passed") != std::string::npos;
    std::printf("  %-22s %8.2f s  %7.0f MB  exit %d  objective %.10g  check %s\n", label, run.seconds,
                static_cast<double>(run.peakKb) / 1024, run.status, objective,
                passed ? "passed" : "NOT passed");
    // Each stage's end line: "objective K (name): VALUE (stage S of N, T s)".
    const std::regex stage(
        R"(objective ([1-4]) \(([a-z ]+)\): ([-0-9.e+]+)[^\n]*\(stage ([0-9]) of ([0-9]), ([0-9.]+) s\))");
    for (auto it = std::sregex_iterator(run.text.begin(), run.text.end(), stage);
         it != std::sregex_iterator(); ++it)
        std::printf("    stage %s of %s: objective %s (%s) %s, %s s\n", (*it)[4].str().c_str(),
                    (*it)[5].str().c_str(), (*it)[1].str().c_str(), (*it)[2].str().c_str(),
                    (*it)[3].str().c_str(), (*it)[6].str().c_str());
    std::smatch advice;
    if (std::regex_search(run.text, advice, std::regex(R"((\"% cells bounds\"[^\n]*))")))
        std::printf("    %s\n", advice[1].str().c_str());
}

void Compare(const fs::path& dir, const fs::path& csp, const std::string& name)
{
    const std::vector<std::string> common = {VRN_BACKEND_EXE, csp.string(), dir.string(), "--solver", "l"};
    std::vector<std::string> window = common;
    window.insert(window.end(), {"--order", "4-2-3-1", "--pct-bounds", "2", "--fixdir", "s", "--expobj",
                                 "0.5", "--epsf", "1.0e-4", "--epsrhs", "0"});
    std::vector<std::string> one = common;
    one.insert(one.end(), {"--order", "1", "--fixdir", "s", "--method", "s"});
    std::printf("%s (load before: %s)\n", name.c_str(), Load().c_str());
    const Measured defaults = RunMeasured(window, dir / "default.txt");
    PrintRun("window's defaults", defaults);
    const Measured single = RunMeasured(one, dir / "one.txt");
    PrintRun("order 1 alone", single);
    std::printf("  ratio default / order 1: %.2f (load after: %s)\n", defaults.seconds / single.seconds,
                Load().c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path dir = fs::temp_directory_path() / "vrn_fast_default_bench";
    fs::create_directories(dir);
    std::vector<std::string> items;
    for (int i = 1; i < argc; ++i)
        items.emplace_back(argv[i]);
    if (items.empty())
        items = {"100", "300", "1000"};
    std::printf(
        "The window's default Fast run (CLP, 4-2-3-1, %% cells bounds 2, heuristic directions) beside "
        "order 1 (primal simplex) on the same table\n");
    for (const std::string& item : items)
    {
        if (item.size() > 4 && item.substr(item.size() - 4) == ".csp")
            Compare(dir, item, item);
        else
        {
            const int side = std::stoi(item);
            const fs::path csp = WriteTable(dir, side);
            Compare(dir, csp,
                    std::to_string(side) + "x" + std::to_string(side) + " with margins (" +
                        std::to_string((side + 1) * (side + 1)) + " cells)");
        }
    }
    fs::remove_all(dir);
    return 0;
}
