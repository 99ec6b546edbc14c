// Count tables of small units (vrn-gen survey: a third of the cells sensitive, many relations whose free
// cells are all sensitive beside empty cells) at about 5,000, 50,000 and 100,000 cells, through the real
// mainVRN.exe: Std with GLPK, CBC and SYMPHONY and Fast with CLP, each with the same time limit; beside
// them, in the same run, the plain baseline (the Std model's LP relaxation, each direction rounded from
// it, the linear program with those directions, all in this process with CLP), the LP bound, and the
// best table found with a longer limit (CBC, and HiGHS on the LP file when it is at hand).
#include "count_tables_bench.h"

#include "bench_run.h"
#include "cli/options.h"
#include "cli/run_settings.h"
#include "fast/fast_model.h"
#include "instance/cell_rules.h"
#include "model/cell_room.h"
#include "model/checks.h"
#include "solvers/clp_solver.h"
#include "solvers/solve_model.h"
#include "tools/survey_table.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace vrn::bench
{

namespace
{

struct Size
{
    const char* name;
    int groups, units;
};

struct RunFigures
{
    bool checked = false;
    int exitStatus = -1;
    double objective = NAN, startSeconds = NAN, seconds = 0;
};

RunFigures RunBackend(const fs::path& csp, const fs::path& dir, const std::vector<std::string>& options)
{
    std::vector<std::string> args = {VRN_BACKEND_EXE, csp.string(), dir.string()};
    args.insert(args.end(), options.begin(), options.end());
    const fs::path log = dir / "run.txt";
    RunFigures f;
    f.seconds = Run(args, log);
    const std::string text = ReadText(log);
    f.checked = text.find("solution check: passed") != std::string::npos;
    f.exitStatus = static_cast<int>(LastMatch(text, R"(exit status (\d+))"));
    f.objective = LastMatch(text, R"(objective \(total weighted change\): ([-0-9.e+]+))");
    f.startSeconds = LastMatch(text, R"(finding a starting point ([0-9.]+) s)");
    return f;
}

struct Baseline
{
    double bound = NAN;    // the Std model's LP relaxation, table units
    double lpSeconds = 0;  // the relaxation
    double byBinary = NAN; // the table of the directions rounded from the binaries (at 1/2), when checked
    double byChange = NAN; // the table of the directions the relaxation's own changes show, when checked
    double seconds = 0;    // both roundings and their linear programs
};

// The Std model (its cells' room from the data, as the run builds it) with every direction relaxed.
StdModel RelaxedStdModel(const Instance& table)
{
    BackendOptions options;
    StdModelSettings settings = StdModelSettingsFromOptions(table, options);
    CellRoom room = RoomOfCells(table, true);
    settings.roomUp = std::move(room.up);
    settings.roomDown = std::move(room.down);
    StdModel model = BuildStdModel(table, settings);
    std::fill(model.mip.isInteger.begin(), model.mip.isInteger.end(), 0);
    return model;
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The solvers' own lines of the solves in this process stay out of the figures.
class QuietStdout
{
public:
    QuietStdout()
    {
        std::fflush(stdout);
        m_saved = dup(1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(m_saved, 1);
        close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int m_saved = -1;
};

// The weighted change of the table that the directions give, NaN when the linear program has none.
double TableOfDirections(const Instance& table, const DirectionChoice& choice, SolverAdapter& clp)
{
    BackendOptions options;
    const FastModel fixed = BuildFastModel(table, FastSettingsFromOptions(table, options), choice);
    RunControl control(-1);
    SolveParams params;
    params.simplex = true; // the barrier may not end on directions the table cannot meet
    const SolveResult result = SolveModel(fixed.base.mip, clp, params, control);
    if (result.status != SolveStatus::Optimal)
        return NAN;
    const std::vector<double> adjusted = fixed.base.AdjustedValues(table, result.solution);
    return CheckSolution(table, adjusted, true, false, 1e-6).passed ? WeightedChange(table, adjusted) : NAN;
}

Baseline RoundTheRelaxation(const Instance& table)
{
    const QuietStdout quiet;
    Baseline b;
    auto clp = MakeClpSolver();
    RunControl control(-1);
    SolveParams params;
    params.lpMethodByShape = true;
    const auto began = std::chrono::steady_clock::now();
    const StdModel relaxed = RelaxedStdModel(table);
    const SolveResult lp = SolveModel(relaxed.mip, *clp, params, control);
    b.lpSeconds = Seconds(began);
    if (lp.status != SolveStatus::Optimal)
        return b;
    b.bound = lp.objective * relaxed.scale + relaxed.mip.objectiveOffset;
    const auto rounding = std::chrono::steady_clock::now();
    BackendOptions options;
    const double big = BigFromOptions(table, options);
    DirectionChoice byBinary = ForcedDirections(table, big);
    ChooseFromRelaxation(relaxed, lp.solution, byBinary);
    b.byBinary = TableOfDirections(table, byBinary, *clp);
    DirectionChoice byChange = ForcedDirections(table, big);
    ReadDirectionsFromTable(table, relaxed.AdjustedValues(table, lp.solution), big, false, byChange);
    b.byChange = TableOfDirections(table, byChange, *clp);
    b.seconds = Seconds(rounding);
    return b;
}

void PrintRow(const char* table, const char* what, const RunFigures& f, double reference)
{
    std::printf("%-6s %-22s %-7s %12.6g %7.3f %9.1f %8.1f %5d\n", table, what, f.checked ? "yes" : "NO",
                f.objective, f.checked ? f.objective / reference : NAN, f.startSeconds, f.seconds,
                f.exitStatus);
    std::fflush(stdout);
}

} // namespace

int RunCountTables(const std::string& seconds, const std::string& referenceSeconds)
{
    const Size sizes[] = {{"5k", 12, 226}, {"50k", 125, 2270}, {"100k", 240, 4500}};
    const std::string highs = HighsProgram();
    const fs::path dir = fs::temp_directory_path() / ("vrn_bench_counts_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (const Size& size : sizes)
    {
        SurveySettings settings;
        settings.groups = size.groups;
        settings.units = size.units;
        const Instance table = GenerateSurveyTable(settings);
        const fs::path csp = dir / (std::string("survey_") + size.name + ".csp");
        {
            std::ofstream out(csp);
            WriteInstance(out, table);
        }
        int sensitive = 0, empty = 0;
        for (const Cell& c : table.cells)
            sensitive += c.status == 'u', empty += c.status == 'z';
        std::printf(
            "\nsurvey %d %d 6 2: %zu cells, %d sensitive (%.0f %%), %d empty z (%.0f %%), %zu relations\n",
            size.groups, size.units, table.cells.size(), sensitive, 100.0 * sensitive / table.cells.size(),
            empty, 100.0 * empty / table.cells.size(), table.RelationCount());
        const Baseline baseline = RoundTheRelaxation(table);
        std::vector<std::pair<std::string, RunFigures>> runs;
        for (const char* solver : {"g", "b", "s"})
            runs.emplace_back(std::string("Std ") + solver + " " + seconds + " s",
                              RunBackend(csp, dir, {"--solver", solver, "--time", seconds}));
        runs.emplace_back(
            "Fast l (order 1) " + seconds + " s",
            RunBackend(csp, dir, {"--solver", "l", "--order", "1", "--fixdir", "s", "--time", seconds}));
        runs.emplace_back("Std b " + referenceSeconds + " s",
                          RunBackend(csp, dir, {"--solver", "b", "--time", referenceSeconds}));
        const double highsObjective =
            HighsObjective(highs, VRN_BACKEND_EXE, csp, dir, std::stod(referenceSeconds));
        double best = INFINITY;
        for (const auto& run : runs)
            if (run.second.checked)
                best = std::min(best, run.second.objective);
        for (const double other : {highsObjective, baseline.byBinary, baseline.byChange})
            if (std::isfinite(other))
                best = std::min(best, other);
        std::printf("LP bound %.6g (the relaxation in %.1f s); the best table of any run %.6g\n",
                    baseline.bound, baseline.lpSeconds, best);
        std::printf("%-6s %-22s %-7s %12s %7s %9s %8s %5s\n", "table", "run", "checked", "objective", "/best",
                    "start s", "time s", "exit");
        for (const auto& [what, figures] : runs)
            PrintRow(size.name, what.c_str(), figures, best);
        std::printf("%-6s %-22s %-7s %12.6g %7.3f\n", size.name, ("HiGHS " + referenceSeconds + " s").c_str(),
                    std::isfinite(highsObjective) ? "own" : "-", highsObjective, highsObjective / best);
        for (const auto& [what, objective] : {std::pair{"LP rounded (binaries)", baseline.byBinary},
                                              {"LP rounded (changes)", baseline.byChange}})
            std::printf("%-6s %-22s %-7s %12.6g %7.3f %9s %8.1f\n", size.name, what,
                        std::isfinite(objective) ? "yes" : "NO", objective, objective / best, "",
                        baseline.lpSeconds + baseline.seconds / 2);
    }
    fs::remove_all(dir);
    return 0;
}

} // namespace vrn::bench
