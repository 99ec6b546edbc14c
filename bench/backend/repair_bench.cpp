// The repair of infeasible tables and the valid inequalities, measured with the real mainVRN.exe.
//   bench_backend_repair repair [SECONDS]  infeasible variants of generated 2-D tables (100 to 100,000 cells:
//                                          sensitive cells boxed in by tight bounds, rows of fixed
//                                          neighbours with a tightly bounded total), CBC with the heuristic's
//                                          starting point: time to a repaired, protected table, and the size
//                                          of the repair beside the smallest possible (the repair solved with
//                                          a 0 % gap) on all but the largest
//   bench_backend_repair vineq [SECONDS]   50x50, 100x100 and 22x22x22 tables (values 1 to 999): the
//                                          relaxation's bound without and with the inequalities, and the best
//                                          table, bound and gap after SECONDS (default 60), every integer
//                                          solver from the Fast heuristic's starting point (so that every run
//                                          has a table), without and with --vineq y
// Prints figures only.
#include "bench_run.h"
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::bench::LastMatch;
using vrn::bench::ReadText;
using vrn::bench::Run;

vrn::Instance Generate(std::vector<vrn::Dimension> dimensions, int maxValue)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = std::move(dimensions);
    settings.maxValue = maxValue;
    settings.seed = 1;
    return vrn::GenerateTable(settings);
}

fs::path Write(const fs::path& dir, const std::string& name, const vrn::Instance& table)
{
    const fs::path csp = dir / (name + ".csp");
    std::ofstream out(csp);
    vrn::WriteInstance(out, table);
    return csp;
}

// One sensitive cell in ten gets bounds half its levels wide, and for one in a hundred the rest of its
// row is fixed (z) and the row's total may move by half the cell's level only.
vrn::Instance MakeInfeasible(vrn::Instance table, int side)
{
    const int width = side + 1;
    int sensitive = 0;
    for (size_t i = 0; i < table.cells.size(); ++i)
    {
        vrn::Cell& cell = table.cells[i];
        if (cell.status != 'u')
            continue;
        const int number = sensitive++;
        if (number % 10 == 0)
        {
            cell.lb = cell.value - cell.lpl / 2;
            cell.ub = cell.value + cell.upl / 2;
        }
        else if (number % 100 == 1 && table.cells[i - i % width + 1].status != 'z')
        {
            const int row = static_cast<int>(i) / width;
            for (int col = 1; col < width; ++col)
                if (vrn::Cell& other = table.cells[row * width + col]; &other != &cell)
                    other.status = 'z';
            vrn::Cell& total = table.cells[row * width];
            total.lb = total.value - cell.lpl / 2;
            total.ub = total.value + cell.upl / 2;
        }
    }
    return table;
}

struct RepairFigures
{
    double wall = 0, repairSeconds = NAN, firstTable = NAN, bounds = NAN, protection = NAN, objective = NAN;
    int changes = -1;
    bool checked = false;
    std::string outcome;
};

RepairFigures RepairRun(const fs::path& dir, const fs::path& csp, const std::vector<std::string>& extra)
{
    std::vector<std::string> args = {VRN_BACKEND_EXE, csp.string(), dir.string(), "--solver", "b",
                                     "--repair",      "y",          "--repairfn", ""};
    args.insert(args.end(), extra.begin(), extra.end());
    const fs::path log = dir / "run.txt";
    RepairFigures f;
    f.wall = Run(args, log);
    const std::string text = ReadText(log);
    f.changes = static_cast<int>(LastMatch(text, R"(repair: ([0-9]+) changes?:)"));
    f.bounds = LastMatch(text, R"(bounds widened by ([-0-9.e+]+))");
    f.repairSeconds = LastMatch(text, R"(repairing the instance ([0-9.]+) s)");
    // The starting point is the first protected table: everything before the integer search.
    f.firstTable = LastMatch(text, R"(total ([0-9.]+) s)") -
                   LastMatch(text, R"(solving with CBC ([0-9.]+) s)") -
                   LastMatch(text, R"(writing the solution ([0-9.]+) s)");
    f.protection = LastMatch(text, R"(protection levels lowered by ([-0-9.e+]+) \(price)");
    f.objective = LastMatch(text, R"(objective \(total weighted change\): ([-0-9.e+]+))");
    f.checked = text.find("solution check: passed") != std::string::npos;
    const size_t at = text.rfind("outcome: ");
    f.outcome = at == std::string::npos ? "?" : text.substr(at + 9, text.find('\n', at) - at - 9);
    return f;
}

void RepairBench(const fs::path& dir, double seconds)
{
    std::printf(
        "repair: infeasible variants, CBC, --time %g, default gap 5 %%; exact = the repair with --mipgap 0\n",
        seconds);
    std::printf("%8s %7s %9s %8s %9s %9s %9s %11s %9s %9s  %s\n", "cells", "changes", "bounds", "levels",
                "repair s", "table s", "total s", "objective", "exact", "exact s", "outcome");
    for (const int side : {9, 31, 99, 315})
    {
        const vrn::Instance table =
            MakeInfeasible(Generate({vrn::Dimension::Flat(side), vrn::Dimension::Flat(side)}, 99), side);
        const fs::path csp = Write(dir, "r" + std::to_string(side), table);
        const RepairFigures run =
            RepairRun(dir, csp, {"--time", std::to_string(seconds), "--startingpoint", "s"});
        RepairFigures best;
        if (side <= 99)
            best = RepairRun(dir, csp,
                             {"--time", std::to_string(seconds), "--mipgap", "0", "--startingpoint", "s"});
        std::printf("%8zu %7d %9.6g %8.6g %9.2f %9.2f %9.2f %11.6g %9.6g %9.2f  %s%s\n", table.cells.size(),
                    run.changes, run.bounds, run.protection, run.repairSeconds, run.firstTable, run.wall,
                    run.objective, best.bounds + best.protection, best.repairSeconds, run.outcome.c_str(),
                    run.checked ? ", check passed" : "");
        std::fflush(stdout);
    }
}

void VineqBench(const fs::path& dir, double seconds)
{
    struct Table
    {
        std::string name;
        vrn::Instance instance;
    };
    const Table tables[] = {
        {"50x50", Generate({vrn::Dimension::Flat(50), vrn::Dimension::Flat(50)}, 999)},
        {"100x100", Generate({vrn::Dimension::Flat(100), vrn::Dimension::Flat(100)}, 999)},
        {"22x22x22",
         Generate({vrn::Dimension::Flat(22), vrn::Dimension::Flat(22), vrn::Dimension::Flat(22)}, 999)},
    };
    std::printf(
        "valid inequalities: %g s per run, gap 5 %%; bound/gap as the solver ends (SYMPHONY gives none)\n",
        seconds);
    std::printf("%-9s %-9s %-6s %11s %11s %10s %10s %8s %7s\n", "table", "solver", "vineq", "relax",
                "relax+vi", "best", "bound", "gap %", "wall s");
    for (const Table& table : tables)
    {
        const fs::path csp = Write(dir, "v" + table.name, table.instance);
        for (const char* solver : {"g", "b", "s"})
            for (const char* vineq : {"n", "y"})
            {
                std::vector<std::string> args = {VRN_BACKEND_EXE,
                                                 csp.string(),
                                                 dir.string(),
                                                 "--solver",
                                                 solver,
                                                 "--time",
                                                 std::to_string(seconds),
                                                 "--startingpoint",
                                                 "s",
                                                 "--vineq",
                                                 std::string(vineq) == "n" ? "c" : "y"};
                const fs::path log = dir / "run.txt";
                const double wall = Run(args, log);
                const std::string text = ReadText(log);
                const double before = LastMatch(text, R"(round 1, relaxation bound ([-0-9.e+]+))");
                const double after =
                    std::string(vineq) == "y"
                        ? LastMatch(text, R"(rounds; relaxation bound [-0-9.e+]+ -> ([-0-9.e+]+))")
                        : NAN;
                const double best = LastMatch(text, R"(objective \(total weighted change\): ([-0-9.e+]+))");
                const double bound = LastMatch(text, R"(\nbound: ([-0-9.e+]+))");
                const double gap = LastMatch(text, R"(\nbound: [-0-9.e+]+, gap ([-0-9.e+]+) %)");
                std::printf("%-9s %-9s %-6s %11.6g %11.6g %10.6g %10.6g %8.2f %7.1f\n", table.name.c_str(),
                            solver, vineq, before, after, best, bound, gap, wall);
                std::fflush(stdout);
            }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    const double seconds = argc > 2 ? std::atof(argv[2]) : 60;
    const fs::path dir = fs::temp_directory_path() / ("vrn_repair_bench_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    if (mode == "repair")
        RepairBench(dir, seconds);
    else if (mode == "vineq")
        VineqBench(dir, seconds);
    else
        std::fprintf(stderr, "usage: %s repair|vineq [SECONDS]\n", argv[0]);
    fs::remove_all(dir);
    return mode == "repair" || mode == "vineq" ? 0 : 2;
}
