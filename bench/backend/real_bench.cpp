// Realistic tables (vrn-gen's microdata tables: counts and magnitudes, 2-D to 4-D, hierarchies, empty
// cells, 15 % to 35 % sensitive) through the real mainVRN.exe: every solver, Std and Fast, with a time
// limit. Per run: whether a checked protected table was written, its objective, the best bound known
// for the table (the highest bound any Std run reported), their ratio, the time and the exit status.
//   bench_backend_real [SECONDS] [FIRST LAST]   time limit per run (default 60); tables FIRST..LAST of
//                                              the suite (default all)
//   bench_backend_real survey [SECONDS] [REFERENCE_SECONDS]   count tables of small units
//                                              (count_tables_bench.h)
// Prints figures only.
#include "bench_run.h"
#include "count_tables_bench.h"
#include "instance/instance.h"
#include "tools/realistic_table.h"

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

using vrn::Dimension;
using vrn::bench::LastMatch;
using vrn::bench::ReadText;
using vrn::bench::Run;

struct SuiteTable
{
    const char* name;
    std::vector<Dimension> dims;
    vrn::TableKind kind;
    vrn::SensitivityRule rule;
    bool costIsValue;
    double meanContributors;
};

std::vector<SuiteTable> Suite()
{
    using K = vrn::TableKind;
    using R = vrn::SensitivityRule;
    return {
        {"count2d", {Dimension::Flat(20), Dimension::Flat(15)}, K::Count, R::Threshold, false, 6},
        {"mag2d_p", {Dimension::Flat(40), Dimension::Flat(30)}, K::Magnitude, R::PPercent, false, 6},
        {"mag_hier_nk",
         {Dimension::Grouped(10, 6), Dimension::Flat(20)},
         K::Magnitude,
         R::Dominance,
         true,
         6},
        {"count3d",
         {Dimension::Flat(12), Dimension::Flat(10), Dimension::Flat(8)},
         K::Count,
         R::Threshold,
         false,
         8},
        {"mag3d_p",
         {Dimension::Flat(15), Dimension::Flat(12), Dimension::Flat(10)},
         K::Magnitude,
         R::PPercent,
         true,
         6},
        {"count4d",
         {Dimension::Flat(6), Dimension::Flat(5), Dimension::Flat(4), Dimension::Flat(4)},
         K::Count,
         R::Threshold,
         false,
         10},
        {"mag4d_hier_p",
         {Dimension::Grouped(3, 3), Dimension::Flat(8), Dimension::Flat(6), Dimension::Flat(5)},
         K::Magnitude,
         R::PPercent,
         false,
         6},
        {"mag3d_big_p",
         {Dimension::Flat(45), Dimension::Flat(36), Dimension::Flat(30)},
         K::Magnitude,
         R::PPercent,
         false,
         9},
    };
}

struct Figures
{
    bool checked = false;
    int exitStatus = -1;
    double objective = NAN, bound = NAN, seconds = 0;
};

Figures RunOne(const fs::path& csp, const fs::path& dir, const std::vector<std::string>& options)
{
    std::vector<std::string> args = {VRN_BACKEND_EXE, csp.string(), dir.string()};
    args.insert(args.end(), options.begin(), options.end());
    const fs::path log = dir / "run.txt";
    Figures f;
    f.seconds = Run(args, log);
    const std::string text = ReadText(log);
    f.checked = text.find("solution check: passed") != std::string::npos;
    f.exitStatus = static_cast<int>(LastMatch(text, R"(exit status (\d+))"));
    f.objective = LastMatch(text, R"(objective \(total weighted change\): ([-0-9.e+]+))");
    f.bound = LastMatch(text, R"(\nbound: ([-0-9.e+]+))");
    return f;
}

struct Row
{
    std::string table, formulation, solver;
    Figures figures;
};

void PrintTable(const vrn::Instance& t, const char* name)
{
    int sensitive = 0, empty = 0;
    for (const vrn::Cell& c : t.cells)
        sensitive += c.status == 'u', empty += c.status == 'z';
    std::printf("%s: %zu cells, %d sensitive (%.0f %%), %d empty z, %zu relations, grand total %.4g\n", name,
                t.cells.size(), sensitive, 100.0 * sensitive / t.cells.size(), empty, t.RelationCount(),
                t.cells[0].value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "survey")
        return vrn::bench::RunCountTables(argc > 2 ? argv[2] : "60", argc > 3 ? argv[3] : "300");
    const std::string seconds = argc > 1 ? argv[1] : "60";
    const std::vector<SuiteTable> suite = Suite();
    const size_t first = argc > 3 ? std::strtoul(argv[2], nullptr, 10) : 1;
    const size_t last = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : suite.size();
    const fs::path dir = fs::temp_directory_path() / ("vrn_bench_real_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    int runs = 0, checked = 0;
    std::printf("%-13s %-4s %-9s %-7s %14s %14s %7s %8s %5s\n", "table", "form", "solver", "checked",
                "objective", "best bound", "ratio", "time s", "exit");
    for (size_t k = first; k <= last && k <= suite.size(); ++k)
    {
        const SuiteTable& s = suite[k - 1];
        vrn::RealisticSettings settings;
        settings.dimensions = s.dims;
        settings.kind = s.kind;
        settings.rule = s.rule;
        settings.costIsValue = s.costIsValue;
        settings.meanContributors = s.meanContributors;
        settings.seed = k;
        const vrn::Instance table = vrn::GenerateRealisticTable(settings);
        const fs::path csp = dir / (std::string(s.name) + ".csp");
        {
            std::ofstream out(csp);
            vrn::WriteInstance(out, table);
        }
        PrintTable(table, s.name);
        std::vector<Row> rows;
        for (const char* solver : {"g", "b", "s"})
            rows.push_back(
                {s.name, "Std", solver, RunOne(csp, dir, {"--solver", solver, "--time", seconds})});
        for (const char* solver : {"l", "g", "b", "s"})
            rows.push_back(
                {s.name, "Fast", solver,
                 RunOne(csp, dir, {"--solver", solver, "--order", "1", "--fixdir", "s", "--time", seconds})});
        double bestBound = NAN;
        for (const Row& r : rows)
            if (std::isfinite(r.figures.bound) && !(r.figures.bound <= bestBound))
                bestBound = r.figures.bound;
        for (const Row& r : rows)
        {
            const Figures& f = r.figures;
            ++runs;
            checked += f.checked;
            const double ratio = f.checked && bestBound > 0 ? f.objective / bestBound : NAN;
            std::printf("%-13s %-4s %-9s %-7s %14.6g %14.6g %7.3f %8.1f %5d\n", r.table.c_str(),
                        r.formulation.c_str(), r.solver.c_str(), f.checked ? "yes" : "NO", f.objective,
                        bestBound, ratio, f.seconds, f.exitStatus);
            std::fflush(stdout);
        }
    }
    std::printf("checked protected tables: %d of %d runs\n", checked, runs);
    fs::remove_all(dir);
    return 0;
}
