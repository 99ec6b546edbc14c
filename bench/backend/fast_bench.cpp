// The Fast formulation and the Std starting point, measured with the real mainVRN.exe.
//   bench_backend_fast fast [SIDES...]   Fast, order 1, CLP, on generated 2-D tables (default 100 300 1000)
//                                        with 5 % sensitive cells: time to a checked table, beside the clp
//                                        program on the LP file we wrote (the same fixed-direction model)
//   bench_backend_fast start [SECONDS]   Std on the 100x100 table of bench_backend_solvers quality: the best
//                                        objective each integer solver reaches in SECONDS (default 60) with
//                                        --startingpoint s and c, beside the plain model's in the same run
// Prints figures only; needs the clp program (Debian: coinor-clp) for the first.
#include "bench_run.h"
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::bench::LastMatch;
using vrn::bench::ReadText;
using vrn::bench::Run;

fs::path WriteTable(const fs::path& dir, const std::string& name, int side, int maxValue)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(side), vrn::Dimension::Flat(side)};
    settings.maxValue = maxValue;
    settings.seed = 1;
    const fs::path csp = dir / (name + ".csp");
    std::ofstream out(csp);
    vrn::WriteInstance(out, vrn::GenerateTable(settings));
    return csp;
}

void FastRun(const fs::path& dir, int side, const std::vector<std::string>& method, const std::string& fixDir)
{
    const std::string name = "f" + std::to_string(side);
    const fs::path csp = dir / (name + ".csp");
    std::vector<std::string> args = {
        VRN_BACKEND_EXE, csp.string(), dir.string(), "--solver", "l", "--order", "1",
        "--fixdir",      fixDir,       "--write",    "y"};
    args.insert(args.end(), method.begin(), method.end());
    const fs::path log = dir / "run.txt";
    const double ours = Run(args, log);
    const std::string text = ReadText(log);
    const bool passed = text.find("solution check: passed") != std::string::npos;
    const double objective = LastMatch(text, R"(objective \(total weighted change\): ([-0-9.e+]+))");
    const double solve = LastMatch(text, R"(solving the Fast formulation with CLP ([0-9.]+) s)");
    std::string methodText;
    for (const auto& m : method)
        methodText += m + " ";
    std::printf("%4dx%-4d fixdir %s %-26s ours %7.2f s (solve phase %7.2f s), objective %.6g, check %s\n",
                side, side, fixDir.c_str(), methodText.empty() ? "(barrier, crossover)" : methodText.c_str(),
                ours, solve, objective, passed ? "passed" : "NOT passed");
    if (fixDir != "r")
        return;
    // The clp program on the same model (the LP file holds the directions we fixed).
    const fs::path lp = dir / (name + "_clp.lp");
    const bool simplex = std::find(method.begin(), method.end(), "s") != method.end();
    const std::vector<std::string> clp =
        simplex ? std::vector<std::string>{"clp", lp.string(), "-primals"}
                : std::vector<std::string>{"clp", lp.string(), "-crossover", "off", "-barrier"};
    const double theirs = Run(clp, dir / "clp.txt");
    const double theirObjective = LastMatch(ReadText(dir / "clp.txt"), R"(Optimal objective ([-0-9.e+]+))");
    std::printf("%9s clp %-29s      %7.2f s, objective %.6g (scaled), ratio ours/clp %.2f\n", "",
                simplex ? "-primals" : "-crossover off -barrier", theirs, theirObjective, ours / theirs);
}

void FastBench(const fs::path& dir, const std::vector<int>& sides)
{
    std::printf("Fast, order 1, CLP, 2-D tables with all margins, 5 %% sensitive, 10 %% protection\n");
    for (const int side : sides)
    {
        WriteTable(dir, "f" + std::to_string(side), side, 99);
        for (const std::string fixDir : {"r", "s"})
            for (const auto& method :
                 std::vector<std::vector<std::string>>{{"--method", "s"}, {"--crossover", "n"}})
                FastRun(dir, side, method, fixDir);
    }
}

void StartBench(const fs::path& dir, double seconds)
{
    const fs::path csp = WriteTable(dir, "q100", 100, 999);
    std::printf("Std, 100x100 table (10,201 cells), values 1 to 999, 5 %% sensitive, %.0f s each, gap 5 %%\n",
                seconds);
    for (const char* solver : {"g", "b", "s"})
        for (const char* start : {"n", "s", "c"})
        {
            std::vector<std::string> args = {
                VRN_BACKEND_EXE, csp.string(), dir.string(),           "--solver",
                solver,          "--time",     std::to_string(seconds)};
            if (std::string(start) != "n")
                args.insert(args.end(), {"--startingpoint", start});
            const fs::path log = dir / "run.txt";
            const double wall = Run(args, log);
            const std::string text = ReadText(log);
            const double best = LastMatch(text, R"(objective \(total weighted change\): ([-0-9.e+]+))");
            const double bound = LastMatch(text, R"(\nbound: ([-0-9.e+]+))");
            const double gap = LastMatch(text, R"(\nbound: [-0-9.e+]+, gap ([0-9.e+]+) %)");
            const double startValue = LastMatch(
                text, R"(starting point: a protected table with total weighted change ([-0-9.e+]+))");
            std::printf(
                "solver %s start %-5s best %9.0f  bound %9.0f  gap %6.2f %%  start %9.0f  wall %6.1f s\n",
                solver, std::string(start) == "n" ? "none" : start, best, bound, gap, startValue, wall);
        }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "fast";
    const fs::path dir = fs::temp_directory_path() / "vrn_fast_bench";
    fs::create_directories(dir);
    if (mode == "start")
        StartBench(dir, argc > 2 ? std::atof(argv[2]) : 60);
    else
    {
        std::vector<int> sides;
        for (int i = 2; i < argc; ++i)
            sides.push_back(std::atoi(argv[i]));
        FastBench(dir, sides.empty() ? std::vector<int>{100, 300, 1000} : sides);
    }
    fs::remove_all(dir);
    return 0;
}
