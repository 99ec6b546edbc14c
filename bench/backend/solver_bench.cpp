// Our run beside the solver's own command-line program on the LP file we wrote, same limits.
//   bench_backend_solvers overhead   generated tables, every solver (GLPK, CBC, SYMPHONY; CLP on an LP)
//   bench_backend_solvers quality    100x100, 5 % sensitive, 10 % protection, 60 s each
// Prints wall times and objectives; needs glpsol, cbc and clp (Debian: glpk-utils, coinor-cbc, coinor-clp).
#include "bench_run.h"
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <chrono>
#include <cmath>
#include <cstdio>
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

struct Case
{
    std::string name;
    vrn::Instance table;
};

vrn::Instance Table(int side, uint64_t seed, bool downOnly, int maxValue = 99)
{
    vrn::GeneratorSettings settings;
    settings.maxValue = maxValue;
    settings.dimensions = {vrn::Dimension::Flat(side), vrn::Dimension::Flat(side)};
    settings.seed = seed;
    vrn::Instance table = vrn::GenerateTable(settings);
    if (downOnly) // sensitive cells that can only move down: with --prepsens y the model is a linear program
        for (auto& cell : table.cells)
            if (cell.status == 'u')
                cell.ub = cell.value + cell.upl / 2;
    return table;
}

void Compare(const fs::path& dir, const std::string& name, const vrn::Instance& table, char solver,
             double seconds, double gapPercent)
{
    const fs::path csp = dir / (name + ".csp");
    {
        std::ofstream out(csp);
        vrn::WriteInstance(out, table);
    }
    const std::string suffix = solver == 'g'   ? "_glpk"
                               : solver == 'b' ? "_cbc"
                               : solver == 'l' ? "_clp"
                                               : "_sym";
    const fs::path base = dir / (name + suffix);
    std::vector<std::string> ours = {VRN_BACKEND_EXE,
                                     csp.string(),
                                     dir.string(),
                                     "--solver",
                                     std::string(1, solver),
                                     "--time",
                                     std::to_string(seconds),
                                     "--mipgap",
                                     std::to_string(gapPercent),
                                     "--write",
                                     "y"};
    if (solver == 'l')
        ours.insert(ours.end(), {"--prepsens", "y"});
    const double ourTime = Run(ours, dir / "ours.txt");
    const double ourObjective =
        LastMatch(ReadText(base.string() + ".log"), R"(objective \(total weighted change\): ([-0-9.e+]+))");
    const double scale = LastMatch(ReadText(base.string() + ".log"), R"(scale ([0-9.e+]+))");
    const std::string lp = base.string() + ".lp";
    const std::string limit = std::to_string(static_cast<int>(std::ceil(seconds)));
    double theirTime = -1, theirObjective = NAN;
    std::string program;
    if (solver == 'g')
    {
        program = "glpsol";
        // The settings our GLPK run uses: presolve and all cuts.
        theirTime = Run({"glpsol", "--lp", lp, "--tmlim", limit, "--mipgap", std::to_string(gapPercent / 100),
                         "--presol", "--cuts", "-o", (dir / "glpsol.out").string()},
                        dir / "theirs.txt");
        theirObjective = LastMatch(ReadText(dir / "glpsol.out"), R"(Objective:\s+obj = ([-0-9.e+]+))");
    }
    else if (solver == 'b')
    {
        program = "cbc";
        // The same seeds as our run: CBC's search time varies several-fold with them.
        theirTime = Run({"cbc", lp, "-timeMode", "elapsed", "-sec", limit, "-ratioGap",
                         std::to_string(gapPercent / 100), "-primalTolerance", "1e-06", "-randomSeed", "1",
                         "-randomCbcSeed", "1", "-solve", "-quit"},
                        dir / "theirs.txt");
        theirObjective = LastMatch(ReadText(dir / "theirs.txt"), R"(Objective value:\s+([-0-9.e+]+))");
    }
    else if (solver == 'l')
    {
        program = "clp";
        theirTime = Run({"clp", lp, "-sec", limit, "-barrier"}, dir / "theirs.txt");
        theirObjective = LastMatch(ReadText(dir / "theirs.txt"), R"(Optimal objective\s+([-0-9.e+]+))");
    }
    std::printf("%-12s %-9s ours %7.2f s objective %-12.6g", name.c_str(), suffix.c_str() + 1, ourTime,
                ourObjective);
    if (!program.empty())
        std::printf(" | %-6s %7.2f s objective %-12.6g | time ratio %.2f", program.c_str(), theirTime,
                    theirObjective * scale, ourTime / theirTime);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "overhead";
    const fs::path dir = fs::temp_directory_path() / "vrn_solver_bench";
    fs::create_directories(dir);
    if (mode == "quality")
    {
        const double seconds = argc > 2 ? std::atof(argv[2]) : 60;
        // Values 1 to 999, the size of the figures measured with the plain solvers.
        const vrn::Instance table = Table(100, 1, false, 999);
        std::printf("100x100 table (10,201 cells), 5 %% sensitive, 10 %% protection, %.0f s, gap 5 %%\n",
                    seconds);
        for (char solver : {'g', 'b', 's'})
            Compare(dir, "q100", table, solver, seconds, 5);
    }
    else
    {
        std::printf(
            "overhead: our whole run against the plain program on our LP file (goal: ratio <= 1.1)\n");
        for (int side : {30, 50})
            for (char solver : {'g', 'b', 's'})
                Compare(dir, "t" + std::to_string(side), Table(side, 1, false), solver, 30, 5);
        for (int side : {100, 300})
            Compare(dir, "lp" + std::to_string(side), Table(side, 1, true), 'l', 60, 5);
    }
    fs::remove_all(dir);
    return 0;
}
