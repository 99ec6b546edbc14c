// Block coordinate descent measured with the real mainVRN.exe, beside plain Std and Std with the
// starting point in the same run.
//   bench_backend_bcd runs [SECONDS] [SIDES...] [--solvers bgs] [--configs CODES] [--seeds 1,2,3]  2-D tables
//        (SIDE x SIDE inner cells and their totals, values 1 to 999, 5 % sensitive, protection 10 %; default
//        side 100, the quality table of bench_backend_solvers): the best objective each integer solver
//        reaches in SECONDS (default 60) with each configuration (by number, all when --configs is missing):
//        0 plain Std, 1 --startingpoint s, 2-4 BCD with 10, 20 and 100 clusters, 5 BCD with blocks of about
//        50 sensitive cells, 6 BCD 20 regrouped each cycle, 7 dynamic BCD, 8 one BCD cycle followed by a
//        final branch-and-cut (half the time), 9 BCD 10 then a branch-and-cut of a third of the time,
//        a BCD 20 regrouped from the rounded LP relaxation (--startingpoint c), b the same on one core
//        (taskset -c 0: one block at a time, where a with more cores solves blocks side by side);
//        beside them the best bound known (the LP relaxation's, each sensitive cell's least change, or one
//        of these runs') and every run's gap to it; HiGHS on the same LP file for SECONDS when it is at hand
//        (VRN_HIGHS, else ../shared/tools/highs/highs); with several table seeds, each configuration's mean
//        and worst seed beside HiGHS's
//   bench_backend_bcd clusters [SIDE]        one cycle of 20 blocks with CBC, clusters grown along the
//        relations beside random clusters (the baseline), from the same starting table, in process
//   bench_backend_bcd blocks [SECONDS] [SIDE] [CONFIGS...]  in process with CBC from the same heuristic's
//        table, SECONDS (default 60) each: blocks on the whole model, on their own models grown ring by ring
//        within a budget of moving cells, or leaning on the incumbent's changes (the default), for several
//        cluster counts; CONFIGS picks them by number
// Prints figures only.
#include "bcd/block_descent.h"
#include "bench_run.h"
#include "cli/run_settings.h"
#include "fast/fast_solve.h"
#include "fast/starting_point.h"
#include "instance/cell_rules.h"
#include "instance/instance.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "tools/table_generator.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::bench::LastMatch;
using vrn::bench::ReadText;
using vrn::bench::Run;

vrn::Instance Table(int side, uint64_t seed = 1)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(side), vrn::Dimension::Flat(side)};
    settings.maxValue = 999;
    settings.seed = seed;
    return vrn::GenerateTable(settings);
}

struct Config
{
    std::string name;
    std::vector<std::string> options;
    std::vector<std::string> prefix = {}; // runs the back-end through this command
};

// Every configuration of the runs mode; `blocks50` clusters make blocks of about 50 sensitive cells.
std::vector<Config> Configs(double seconds, size_t sensitive)
{
    const std::string blocks50 = std::to_string(std::max<size_t>(2, (sensitive + 25) / 50));
    return {{"plain Std", {}},
            {"start s", {"--startingpoint", "s"}},
            {"BCD 10", {"--bcd-clusters", "10"}},
            {"BCD 20", {"--bcd-clusters", "20"}},
            {"BCD 100", {"--bcd-clusters", "100"}},
            {"BCD " + blocks50 + " (50-cell)", {"--bcd-clusters", blocks50}},
            {"BCD 20 c", {"--bcd-clusters", "20", "--bcd-cycle", "c"}},
            {"dynamic 20", {"--bcd-clusters", "20", "--dynamic", "y"}},
            {"BCD 20 o + B&C",
             {"--bcd-clusters", "20", "--bcd-cycle", "o", "--bcd-endbc", std::to_string(seconds / 2)}},
            {"BCD 10 + B&C",
             {"--bcd-clusters", "10", "--bcd-nstop", "20", "--bcd-endbc", std::to_string(seconds / 3)}},
            {"BCD 20 c, start c", {"--bcd-clusters", "20", "--bcd-cycle", "c", "--startingpoint", "c"}},
            // The same on one core: one block at a time, the baseline of blocks side by side.
            {"BCD 20 c, start c, 1 core",
             {"--bcd-clusters", "20", "--bcd-cycle", "c", "--startingpoint", "c"},
             {"taskset", "-c", "0"}}};
}

// The bound of the Std model's LP relaxation (the binaries relaxed to [0, 1]), in table units.
double RelaxationBound(const vrn::Instance& table)
{
    vrn::StdModelSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    vrn::StdModel model = vrn::BuildStdModel(table, settings);
    std::fill(model.mip.isInteger.begin(), model.mip.isInteger.end(), 0);
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    vrn::SolveParams params;
    params.simplex = true;
    const vrn::SolveResult lp = clp->Solve(model.mip, params, control);
    return lp.status == vrn::SolveStatus::Optimal ? lp.objective * model.scale + model.mip.objectiveOffset
                                                  : NAN;
}

struct Row
{
    std::string solver, config;
    double best, bound, wall;
    bool checked;
};

struct Spread
{
    double mean = 0, worst = -INFINITY;
    int count = 0;
    void Add(double value)
    {
        mean += (value - mean) / ++count;
        worst = std::max(worst, value);
    }
};

// Each configuration over the seeds beside HiGHS on the same tables: the mean and the worst seed's
// table, and in how many seeds it is below HiGHS's.
void PrintSeedSummary(const std::vector<std::vector<Row>>& bySeed, const std::vector<double>& highs)
{
    Spread ofHighs;
    for (const double h : highs)
        if (std::isfinite(h))
            ofHighs.Add(h);
    std::printf("over %zu seeds: HiGHS mean %.0f, worst %.0f (%d seeds with a table)\n", bySeed.size(),
                ofHighs.mean, ofHighs.worst, ofHighs.count);
    for (size_t k = 0; !bySeed.empty() && k < bySeed.front().size(); ++k)
    {
        Spread spread, ratio;
        int below = 0;
        for (size_t s = 0; s < bySeed.size(); ++s)
        {
            const Row& row = bySeed[s][k];
            spread.Add(row.checked ? row.best : INFINITY);
            if (std::isfinite(highs[s]))
            {
                ratio.Add(row.checked ? row.best / highs[s] : INFINITY);
                below += row.checked && row.best < highs[s];
            }
        }
        std::printf(
            "  solver %s  %-26s mean %9.0f  worst %9.0f  / HiGHS: mean %.4f, worst %.4f; below it in %d "
            "of %d\n",
            bySeed.front()[k].solver.c_str(), bySeed.front()[k].config.c_str(), spread.mean, spread.worst,
            ratio.mean, ratio.worst, below, ratio.count);
    }
}

// One table of one seed: every configuration, HiGHS beside them when it is at hand (its objective
// into `highs`, NaN otherwise).
std::vector<Row> RunsOnTable(const fs::path& dir, double seconds, int side, uint64_t seed,
                             const std::string& solvers, const std::vector<int>& only, double& highs)
{
    {
        const fs::path csp = dir / ("t" + std::to_string(side) + ".csp");
        {
            std::ofstream out(csp);
            vrn::WriteInstance(out, Table(side, seed));
        }
        std::printf(
            "%dx%d table, seed %llu, values 1 to 999, 5 %% sensitive, protection 10 %%, %.0f s each, gap "
            "5 %%\n",
            side, side, static_cast<unsigned long long>(seed), seconds);
        std::vector<Row> rows;
        const vrn::Instance table = Table(side, seed);
        // The LP relaxation of a large table takes minutes; the least weighted change equals it here.
        const double relaxation = side <= 300 ? RelaxationBound(table) : NAN;
        const double least = vrn::LeastWeightedChange(table);
        std::fprintf(stderr, "\n");
        std::printf("  the LP relaxation's bound: %.0f; each sensitive cell's least change: %.0f\n",
                    relaxation, least);
        double bestBound = std::max(std::isfinite(relaxation) ? relaxation : -1, least);
        size_t sensitive = 0;
        for (const vrn::Cell& cell : table.cells)
            sensitive += vrn::NeedsProtection(cell) ? 1 : 0;
        const std::vector<Config> configs = Configs(seconds, sensitive);
        for (const char code : solvers)
            for (size_t k = 0; k < configs.size(); ++k)
            {
                const Config& config = configs[k];
                if (!only.empty() && std::find(only.begin(), only.end(), static_cast<int>(k)) == only.end())
                    continue;
                const std::string solver(1, code);
                std::vector<std::string> args = config.prefix;
                args.insert(args.end(), {VRN_BACKEND_EXE, csp.string(), dir.string(), "--solver", solver,
                                         "--time", std::to_string(seconds)});
                args.insert(args.end(), config.options.begin(), config.options.end());
                const fs::path log = dir / "run.txt";
                const double wall = Run(args, log);
                const std::string text = ReadText(log);
                Row row{solver,
                        config.name,
                        LastMatch(text, R"(objective \(total weighted change\): ([-0-9.e+]+))"),
                        LastMatch(text, R"(\nbound: ([-0-9.e+]+))"),
                        wall,
                        text.find("solution check: passed") != std::string::npos};
                if (std::isfinite(row.bound))
                    bestBound = std::max(bestBound, row.bound);
                const double start = LastMatch(text, R"(blocks, weighted change ([-0-9.e+]+) ->)");
                const double blocks = LastMatch(text, R"(cycles, ([0-9]+) blocks)");
                std::printf(
                    "  solver %s  %-26s best %9.0f  bound %9.0f  check %-6s  wall %6.1f s  (BCD start %.0f, "
                    "%.0f blocks)\n",
                    solver.c_str(), config.name.c_str(), row.best, row.bound, row.checked ? "passed" : "NO",
                    wall, start, blocks);
                std::fflush(stdout);
                rows.push_back(row);
            }
        highs = vrn::bench::HighsObjective(vrn::bench::HighsProgram(), VRN_BACKEND_EXE, csp, dir, seconds);
        if (std::isfinite(highs))
            std::printf("  HiGHS %.0f s on the same LP file: %.0f\n", seconds, highs);
        else
            std::printf("  HiGHS: not at hand (VRN_HIGHS) or no table\n");
        std::printf("best bound known (the LP relaxation's or a run's): %.0f; gap of each run to it:\n",
                    bestBound);
        for (const Row& row : rows)
            std::printf("  solver %s  %-26s %9.0f  gap %6.2f %%%s\n", row.solver.c_str(), row.config.c_str(),
                        row.best, 100 * (row.best - bestBound) / row.best,
                        std::isfinite(highs) ? ("  / HiGHS " + std::to_string(row.best / highs)).c_str()
                                             : "");
        std::fflush(stdout);
        return rows;
    }
}

void RunsBench(const fs::path& dir, double seconds, const std::vector<int>& sides, const std::string& solvers,
               const std::vector<int>& only, const std::vector<uint64_t>& seeds)
{
    for (const int side : sides)
    {
        std::vector<std::vector<Row>> bySeed;
        std::vector<double> highs;
        for (const uint64_t seed : seeds)
        {
            highs.push_back(NAN);
            bySeed.push_back(RunsOnTable(dir, seconds, side, seed, solvers, only, highs.back()));
        }
        if (seeds.size() > 1)
            PrintSeedSummary(bySeed, highs);
    }
}

// One descent cycle in process from the heuristic's table, clusters grown or drawn at random.
void ClustersBench(int side)
{
    const vrn::Instance table = Table(side);
    vrn::StdModelSettings modelSettings;
    modelSettings.scale = vrn::AutomaticScale(table);
    std::printf("%dx%d table: one cycle of 20 blocks with CBC from the heuristic's table, gap 5 %%\n", side,
                side);
    for (const bool random : {false, true})
        for (const uint64_t seed : {1, 2})
        {
            vrn::StdModel model = vrn::BuildStdModel(table, modelSettings);
            vrn::BackendOptions options;
            auto cbc = vrn::MakeCbcSolver();
            auto control = std::make_shared<vrn::RunControl>(-1);
            const vrn::RunLog quiet{[](const std::string&) {}, [](const std::string&) {}};
            const std::vector<double> start = vrn::FindStartingPoint(
                table, vrn::FastRunSettingsFromOptions(table, options), model, *cbc, *control, quiet);
            vrn::BcdSettings settings;
            settings.clusters = 20;
            settings.cycle = vrn::BcdCycle::One;
            settings.randomClusters = random;
            settings.seed = seed;
            vrn::SolveParams params;
            const auto begin = std::chrono::steady_clock::now();
            const vrn::BcdReport report =
                vrn::RunBlockDescent(table, model, *cbc, params, control, settings, start, {});
            const double wall =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
            std::fprintf(stderr, "\n");
            std::printf("  %-8s seed %llu: start %9.0f  after one cycle %9.0f  wall %6.1f s\n",
                        random ? "random" : "grown", static_cast<unsigned long long>(seed),
                        report.startObjective, report.objective, wall);
            std::fflush(stdout);
        }
}

// The heuristic's table in the whole model's columns, and how long it took.
std::vector<double> HeuristicStart(const vrn::Instance& table, const vrn::StdModel& model, double& seconds)
{
    const auto begin = std::chrono::steady_clock::now();
    vrn::BackendOptions options;
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::RunLog quiet{[](const std::string&) {}, [](const std::string&) {}};
    std::vector<double> start = vrn::FindStartingPoint(table, vrn::FastRunSettingsFromOptions(table, options),
                                                       model, *clp, control, quiet);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return start;
}

void BlocksBench(double seconds, int side, const std::vector<int>& only)
{
    const vrn::Instance table = Table(side);
    vrn::StdModelSettings modelSettings;
    modelSettings.scale = vrn::AutomaticScale(table);
    vrn::StdModel model = vrn::BuildStdModel(table, modelSettings);
    double startSeconds = 0;
    const std::vector<double> start = HeuristicStart(table, model, startSeconds);
    std::printf("%dx%d table: CBC from the heuristic's table (found in %.1f s), %.0f s each, gap 5 %%\n",
                side, side, startSeconds, seconds);
    struct BlockConfig
    {
        const char* name;
        bool subModels;
        int clusters, radius;
        bool leaning;
        double blockSeconds; // <= 0: adaptive
        size_t budget = 12000;
        vrn::BcdCycle cycle = vrn::BcdCycle::Same;
    };
    // radius -1: as many relations out as keep the block's model within the budget of moving cells
    const std::vector<BlockConfig> all = {
        {"whole model", false, 20, 0, false, 1e9},
        {"rings, no block limit", true, 20, -1, false, 1e9},
        {"rings", true, 20, -1, false, -1},
        {"rings", true, 100, -1, false, -1},
        {"leaning", true, 20, -1, true, -1},
        {"leaning", true, 50, -1, true, -1},
        {"leaning", true, 100, -1, true, -1},
        {"leaning", true, 250, -1, true, -1},
        {"leaning", true, 10, -1, true, -1},
        {"leaning", true, 5, -1, true, -1},
        {"leaning, regrouped", true, 10, -1, true, -1, 12000, vrn::BcdCycle::Changing},
        {"leaning, regrouped", true, 20, -1, true, -1, 12000, vrn::BcdCycle::Changing},
        {"leaning, budget 4000", true, 10, -1, true, -1, 4000},
        {"leaning", true, 1000, -1, true, -1},
        {"leaning", true, 2000, -1, true, -1}};
    for (size_t k = 0; k < all.size(); ++k)
    {
        const BlockConfig& config = all[k];
        if (!only.empty() && std::find(only.begin(), only.end(), static_cast<int>(k)) == only.end())
            continue;
        auto cbc = vrn::MakeCbcSolver();
        auto control = std::make_shared<vrn::RunControl>(seconds);
        vrn::BcdSettings settings;
        settings.clusters = config.clusters;
        settings.subModels = config.subModels;
        settings.radius = config.radius;
        settings.leaning = config.leaning;
        settings.blockSeconds = config.blockSeconds;
        settings.movingBudget = config.budget;
        settings.cycle = config.cycle;
        settings.noGainStop = 1000000; // only the time ends the run
        size_t moving = 0;
        vrn::BcdHooks hooks;
        hooks.onBlock = [&](const vrn::BcdStep& step) { moving += step.movingCells; };
        const auto begin = std::chrono::steady_clock::now();
        const std::clock_t cpuBegin = std::clock();
        const vrn::BcdReport report =
            vrn::RunBlockDescent(table, model, *cbc, vrn::SolveParams{}, control, settings, start, hooks);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        const double cpu = static_cast<double>(std::clock() - cpuBegin) / CLOCKS_PER_SEC;
        std::fprintf(stderr, "\n");
        std::printf(
            "  [%zu] %-22s %4d clusters: start %9.0f  best %9.0f  %5d blocks (%d cycles), %8.0f moving "
            "cells a block, wall %6.1f s, CPU %6.1f s\n",
            k, config.name, config.clusters, report.startObjective, report.objective, report.blocks,
            report.cycles, report.blocks > 0 ? static_cast<double>(moving) / report.blocks : 0.0, wall, cpu);
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "runs";
    // Its own folder, so that runs of this program side by side do not share files.
    const fs::path dir = fs::temp_directory_path() / ("vrn_bcd_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    if (mode == "blocks")
    {
        std::vector<int> only; // configurations by number; none: all
        for (int i = 4; i < argc; ++i)
            only.push_back(std::atoi(argv[i]));
        BlocksBench(argc > 2 ? std::atof(argv[2]) : 60, argc > 3 ? std::atoi(argv[3]) : 100, only);
    }
    else if (mode == "clusters")
        ClustersBench(argc > 2 ? std::atoi(argv[2]) : 100);
    else
    {
        std::vector<int> sides, only;
        std::vector<uint64_t> seeds;
        std::string solvers = "bgs";
        for (int i = 3; i < argc; ++i)
            if (std::string(argv[i]) == "--solvers" && i + 1 < argc)
                solvers = argv[++i];
            else if (std::string(argv[i]) == "--seeds" && i + 1 < argc)
            {
                std::stringstream list(argv[++i]);
                for (std::string seed; std::getline(list, seed, ',');)
                    seeds.push_back(std::strtoull(seed.c_str(), nullptr, 10));
            }
            else if (std::string(argv[i]) == "--configs" && i + 1 < argc)
            {
                for (const char* p = argv[++i]; *p != 0; ++p)
                    if (std::isdigit(static_cast<unsigned char>(*p)))
                        only.push_back(*p - '0');
                    else if (*p >= 'a' && *p <= 'z')
                        only.push_back(10 + (*p - 'a'));
            }
            else
                sides.push_back(std::atoi(argv[i]));
        RunsBench(dir, argc > 2 ? std::atof(argv[2]) : 60, sides.empty() ? std::vector<int>{100} : sides,
                  solvers, only, seeds.empty() ? std::vector<uint64_t>{1} : seeds);
    }
    fs::remove_all(dir);
    return 0;
}
