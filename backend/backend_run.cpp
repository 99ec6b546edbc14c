#include "backend_run.h"

#include "checks.h"
#include "fast_solve.h"
#include "instance.h"
#include "options.h"
#include "output_tee.h"
#include "result_files.h"
#include "result_path.h"
#include "starting_point.h"
#include "std_model.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <unistd.h>

namespace vrn
{

double SolverTimeLimit(const RunControl& control)
{
    return control.HasTimeLimit() ? std::max(0.01, control.Remaining()) : 1e8;
}

namespace
{

constexpr const char* kVersion = "0.1.0";
// How long a solver may take to obey a stop or the time limit before the run ends without it.
constexpr double kStopGraceSeconds = 20;

std::string Num(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

std::string QuotedCommandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i)
    {
        std::string arg = argv[i];
        const bool plain = !arg.empty() && arg.find_first_of(" \t'\"\\$") == std::string::npos;
        if (!plain)
        {
            std::string quoted = "'";
            for (char c : arg)
                quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            arg = quoted + "'";
        }
        line += (i ? " " : "") + arg;
    }
    return line;
}

// One run, step by step; each step returns false when the run ends there, with m_status set.
class BackendRun
{
public:
    BackendRun(int argc, char** argv, const BuildInfo& build) : m_argc(argc), m_argv(argv), m_build(build) {}

    int Run()
    {
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        std::signal(SIGPIPE, SIG_IGN);
        InstallStopSignalHandler();
        if (!ParseOptions() || !HandOffIfElsewhere() || !OpenLog())
            return m_status;
        Steps();
        m_tee.Finish();
        return m_status;
    }

private:
    int m_argc;
    char** m_argv;
    const BuildInfo& m_build;
    BackendOptions m_opt;
    std::string m_base;
    OutputTee m_tee;
    std::shared_ptr<RunControl> m_control;
    Instance m_instance;
    StdModel m_model;
    int m_status = kExitProtected;
    std::vector<std::pair<std::string, double>> m_phaseTimes;
    std::vector<double> m_start; // --startingpoint: the table the integer search starts from

    void Say(const std::string& line) { std::printf("%s\n", line.c_str()); }

    void Warn(const std::string& line)
    {
        std::fflush(stdout);
        WriteStreamLine(stderr, line);
        m_tee.WriteLogOnly(line + "\n");
    }

    template <class F>
    bool Phase(const std::string& name, F&& work)
    {
        m_control->SetPhase(name);
        const double start = m_control->Elapsed();
        const bool go = work();
        m_phaseTimes.emplace_back(name, m_control->Elapsed() - start);
        return go;
    }

    bool ParseOptions()
    {
        const CommandLineResult parsed = ParseCommandLine(m_argc, m_argv);
        if (parsed.helpRequested)
        {
            const std::string help = HelpText();
            char last = 0;
            std::fputs(WithStreamLineEnds(help.data(), help.size(), last).c_str(), stdout);
            m_status = kExitProtected;
            return false;
        }
        if (!parsed.error.empty())
        {
            WriteStreamLine(stderr, "mainVRN.exe: " + parsed.error);
            m_status = kExitUsage;
            return false;
        }
        m_opt = parsed.options;
        m_control = std::make_shared<RunControl>(m_opt.timeLimit);
        return true;
    }

    const SolverEntry* Entry() const
    {
        for (const auto& entry : m_build.solvers)
            if (entry.code == m_opt.solver)
                return &entry;
        return nullptr;
    }

    bool HandOffIfElsewhere()
    {
        if (Entry() != nullptr || m_opt.solver == 'c' || m_opt.solver == 'x' || !m_build.handOff)
            return true;
        const std::string why = m_build.handOff(m_opt.solver, m_argc, m_argv);
        WriteStreamLine(stderr, "mainVRN.exe: " + SolverName(m_opt.solver) + " is not available: " + why);
        m_status = kExitSolverUnavailable;
        return false;
    }

    bool OpenLog()
    {
        m_base = ResultBasePath(m_opt.outputFolder, m_opt.instancePath, m_opt.solver);
        std::string error;
        if (!m_tee.Start(m_base + ".log", error))
        {
            WriteStreamLine(stderr, "mainVRN.exe: " + error);
            m_status = kExitResultFiles;
            return false;
        }
        Say(std::string("VRN back-end ") + kVersion + " (" + m_build.programName + ")");
        Say("command line: " + QuotedCommandLine(m_argc, m_argv));
        Say("result files: " + m_base + ".log, " + m_base + ".sol");
        StartCommandWatcher(m_control);
        return true;
    }

    void Steps()
    {
        if (!SolverAvailable())
            return;
        if (!Phase("reading the instance", [this] { return ReadInstance(); }))
            return;
        ReportOptions();
        if (m_opt.check && !Phase("checking the input", [this] { return CheckTheInput(); }))
            return;
        if (m_opt.formulation() == Formulation::Fast)
            return FastSteps();
        if (!Phase("building the model", [this] { return BuildModel(); }))
            return;
        auto adapter = Entry()->make();
        if (!SolverFits(*adapter) ||
            (m_opt.writeLp && !Phase("writing the LP file", [this] { return WriteLp(); })))
            return;
        if (m_opt.startingPoint == 'c' || m_opt.startingPoint == 's')
            Phase("finding a starting point", [&] { return FindStart(*adapter); });
        SolveResult result;
        Phase("solving with " + adapter->Name(), [&] { return Solve(*adapter, result); });
        Phase("writing the solution", [&] { return Finish(result); });
        ReportTimes();
    }

    void EndWithoutTable(int status, const std::string& outcome, const std::string& reason)
    {
        m_status = status;
        SolutionHeader header{m_opt.instancePath, SolverName(m_opt.solver), outcome, {{"reason", reason}}};
        std::string error;
        if (!WriteSolutionFile(m_base + ".sol", header, m_instance, {}, error))
        {
            Warn("ERROR: " + error);
            m_status = kExitResultFiles;
        }
        Say("outcome: " + outcome + " (" + reason + ")");
    }

    bool SolverAvailable()
    {
        if (Entry() != nullptr)
            return true;
        const std::string name = SolverName(m_opt.solver);
        Warn("ERROR: " + name + " is not available in this build (a commercial solver); available solvers: " +
             m_build.availableSolvers);
        EndWithoutTable(kExitSolverUnavailable, "solver not available",
                        name + " is not available in this build");
        return false;
    }

    // Fast: directions, model and the lexicographic loop in fast_solve.cpp; the result files as in Std.
    void FastSteps()
    {
        auto adapter = Entry()->make();
        const FastLog log{[this](const std::string& line) { Say(line); },
                          [this](const std::string& line) { Warn(line); }};
        FastOutcome fast;
        Phase("solving the Fast formulation with " + adapter->Name(),
              [&]
              {
                  ProgressPrinter progress(m_control, m_opt.progressSeconds > 0 ? m_opt.progressSeconds : 5);
                  fast = SolveFast(m_instance, m_opt, *adapter, *m_control, m_base + ".lp", log);
                  return true;
              });
        if (!fast.solved)
            EndWithoutTable(fast.exitStatus, fast.outcome, fast.reason);
        else
        {
            m_model = std::move(fast.model);
            Phase("writing the solution", [&] { return Finish(fast.result); });
        }
        ReportTimes();
    }

    bool ReadInstance()
    {
        Say("reading " + m_opt.instancePath +
            (m_opt.reportAllFormatErrors ? " (reporting every error)" : ""));
        ReadResult read = ReadInstanceFile(m_opt.instancePath, m_opt.reportAllFormatErrors);
        if (!read.errors.empty())
        {
            for (const auto& error : read.errors)
                Warn(FormatErrorText(m_opt.instancePath, error));
            const size_t count = read.errors.size() + read.suppressedErrors;
            if (read.suppressedErrors)
                Warn("... and " + std::to_string(read.suppressedErrors) + " more errors");
            EndWithoutTable(kExitInstance, "instance errors",
                            m_opt.reportAllFormatErrors
                                ? std::to_string(count) + " errors in the instance file"
                                : "the instance file has an error (the first is reported)");
            return false;
        }
        m_instance = std::move(read.instance);
        ReportStatistics();
        return true;
    }

    void ReportStatistics()
    {
        std::map<char, int> byStatus;
        int protectedCells = 0;
        for (const Cell& cell : m_instance.cells)
        {
            ++byStatus[cell.status];
            protectedCells += NeedsProtection(cell);
        }
        std::string statuses;
        for (const auto& [status, count] : byStatus)
            statuses += std::string(statuses.empty() ? "" : ", ") + status + " " + std::to_string(count);
        Say("instance: " + std::to_string(m_instance.cells.size()) + " cells (" + statuses + "), " +
            std::to_string(protectedCells) + " sensitive cells to protect, " +
            std::to_string(m_instance.RelationCount()) + " relations, " +
            std::to_string(m_instance.TermCount()) + " non-zeros");
    }

    void ReportOptions()
    {
        Say("options in force:");
        const bool fast = m_opt.formulation() == Formulation::Fast;
        Say("  solver " + SolverName(m_opt.solver) + (fast ? ", Fast formulation, " : ", Std formulation, ") +
            (m_opt.additive ? "additive (relations as written)" : "not additive (original residuals kept)") +
            (m_opt.integerCells ? ", integer cells" : ""));
        Say("  time limit " + (m_opt.timeLimit > 0 ? Num(m_opt.timeLimit) + " s" : std::string("none")) +
            ", gap " + Num(m_opt.mipGapPercent) + " %, feasibility tolerance " + Num(m_opt.feasibility) +
            (m_opt.integrality >= 0 ? ", integrality tolerance " + Num(m_opt.integrality) : "") +
            (m_opt.lpTolerance > 0 ? ", LP tolerance " + Num(m_opt.lpTolerance) : "") + ", seed " +
            std::to_string(m_opt.seed) + (m_opt.firstFeasible ? ", stop at the first table" : "") +
            (m_opt.prepSens ? ", prepsens" : "") + (m_opt.check ? "" : ", no checks"));
        if (fast)
            Say("  " + FastOptionsText(m_opt));
        for (const std::string& note : NotApplyingOptions(m_opt))
            Say("  " + note);
    }

    double Big() const { return m_opt.big > 0 ? m_opt.big : AutomaticBig(m_instance); }

    bool CheckTheInput()
    {
        const CheckReport report = CheckInput(m_instance, m_opt.additive, Big(), m_opt.feasibility);
        Say("input check:");
        for (const auto& line : report.lines)
            Say("  " + line);
        if (!report.passed)
        {
            Warn("ERROR: the instance cannot be protected as it stands (see the input check)");
            EndWithoutTable(kExitInfeasible, "infeasible",
                            "the input check found a table that cannot be protected");
        }
        return report.passed;
    }

    bool BuildModel()
    {
        StdModelSettings settings;
        settings.additive = m_opt.additive;
        settings.scale = m_opt.scale > 0 ? m_opt.scale : AutomaticScale(m_instance);
        settings.big = m_opt.big;
        settings.kind = m_opt.model;
        settings.integerCells = m_opt.integerCells;
        settings.prepSens = m_opt.prepSens;
        m_model = BuildStdModel(m_instance, settings);
        m_control->SetObjectiveScale(m_model.scale);
        const MipModel& mip = m_model.mip;
        Say(std::string("model: Std, ") + (m_model.kind == StdModelKind::Classical ? "Classical" : "New") +
            (m_opt.model == StdModelKind::Automatic ? " (chosen automatically: its relaxation is the tighter)"
                                                    : "") +
            ", scale " + Num(m_model.scale) + (m_opt.scale > 0 ? "" : " (automatic)") + ", largest change " +
            Num(m_model.big) + (m_opt.big > 0 ? "" : " (automatic)"));
        Say("  " + std::to_string(mip.ColumnCount()) + " columns (" + std::to_string(mip.IntegerCount()) +
            " integer), " + std::to_string(mip.RowCount()) + " rows, " + std::to_string(mip.EntryCount()) +
            " non-zeros; " + std::to_string(m_model.sensitiveCount) +
            " sensitive cells, directions fixed in "
            "advance: " +
            std::to_string(m_model.fixedUp) + " up, " + std::to_string(m_model.fixedDown) + " down");
        for (const auto& note : m_model.notes)
            Say("  " + note);
        return true;
    }

    bool FindStart(SolverAdapter& adapter)
    {
        if (!m_model.mip.HasIntegers())
        {
            Say("starting point: the model has no integer columns; the solver needs none");
            return true;
        }
        const FastLog log{[this](const std::string& line) { Say(line); },
                          [this](const std::string& line) { Warn(line); }};
        m_start = FindStartingPoint(m_instance, m_opt, m_model, adapter, *m_control, log);
        return true;
    }

    bool SolverFits(const SolverAdapter& adapter)
    {
        if (!m_model.mip.HasIntegers() || adapter.SolvesIntegerPrograms())
            return true;
        Warn("ERROR: " + adapter.Name() + " solves linear programs only, and this model has " +
             std::to_string(m_model.mip.IntegerCount()) +
             " integer columns; choose GLPK, CBC or SYMPHONY for the Std formulation");
        EndWithoutTable(kExitUnsupported, "solver cannot solve this model",
                        adapter.Name() + " solves linear programs only");
        return false;
    }

    bool WriteLp()
    {
        std::string error;
        if (WriteLpFile(m_model.mip, m_base + ".lp", error))
            Say("LP file written: " + m_base + ".lp");
        else
            Warn("WARNING: " + error);
        return true;
    }

    bool Solve(SolverAdapter& adapter, SolveResult& result)
    {
        SolveParams params = SolveParamsFromOptions(m_opt);
        params.start = m_start;
        if (m_model.mip.RowCount() == 0)
        {
            // Solvers fail on a model without rows or columns. Without rows every column is on its own, and
            // with costs of 0 or more its lower bound is optimal.
            Say("nothing links the cells (no relations, nothing to protect): each cell takes its closest "
                "allowed value without a solver");
            const MipModel& mip = m_model.mip;
            result.solution.resize(static_cast<size_t>(mip.ColumnCount()));
            result.objective = 0;
            for (int c = 0; c < mip.ColumnCount(); ++c)
            {
                result.solution[c] = mip.isInteger[c] ? std::ceil(mip.colLower[c] - 1e-9) : mip.colLower[c];
                result.objective += mip.cost[c] * result.solution[c];
            }
            result.bound = result.objective;
            result.status = SolveStatus::Optimal;
            return true;
        }
        Say("solving with " + adapter.Name() + " ...");
        std::fflush(stdout);
        {
            ProgressPrinter progress(m_control, m_opt.progressSeconds > 0 ? m_opt.progressSeconds : 5);
            StopWatchdog watchdog(m_control, kStopGraceSeconds, [&] { EndOverrun(adapter.Name()); });
            result = adapter.Solve(m_model.mip, params, *m_control);
        }
        if (const std::string note = KeepStartingPoint(m_model.mip, params.start, result); !note.empty())
            Say(note);
        std::cout.flush();
        std::fflush(stdout);
        return true;
    }

    // The solver did not return after a stop: the run ends here, with both files, and without a table.
    [[noreturn]] void EndOverrun(const std::string& solver)
    {
        const std::string why = StopReasonText(m_control->Reason());
        Warn("ERROR: " + solver + " did not stop within " +
             std::to_string(static_cast<int>(kStopGraceSeconds)) + " s (" + why +
             "); the run ends without a table");
        EndWithoutTable(kExitNoSolution, "no solution (" + why + ")",
                        solver + " did not stop in time and had no table to give");
        Say("exit status " + std::to_string(m_status));
        m_tee.Finish();
        std::fflush(stderr);
        _exit(m_status);
    }

    // Values that differ from a whole number only by the solver's rounding noise are written whole.
    std::vector<double> CleanValues(std::vector<double> x) const
    {
        const double tolerance = m_opt.intDevTol > 0     ? m_opt.intDevTol
                                 : m_opt.integrality > 0 ? m_opt.integrality
                                                         : 1e-6;
        for (size_t i = 0; i < x.size(); ++i)
        {
            const double whole = std::round(x[i]);
            const bool originalWhole = m_instance.cells[i].value == std::round(m_instance.cells[i].value);
            if (m_opt.integerCells
                    ? std::fabs(x[i] - whole) <= tolerance
                    : originalWhole && std::fabs(x[i] - whole) <= 1e-9 * std::max(1.0, std::fabs(x[i])))
                x[i] = whole;
        }
        return x;
    }

    std::string OutcomeText(const SolveResult& result) const
    {
        m_control->StopRequested(); // a solver that ended at its own time limit: the reason is the time limit
        const StopReason reason = m_control->Reason();
        switch (result.status)
        {
        case SolveStatus::Optimal:
            return "optimal";
        case SolveStatus::Feasible:
            return "feasible" +
                   (reason != StopReason::None ? " (" + StopReasonText(reason) + ")" : std::string());
        case SolveStatus::Infeasible:
            return "infeasible";
        case SolveStatus::NoSolution:
            return "no solution" +
                   (reason != StopReason::None ? " (" + StopReasonText(reason) + ")" : std::string());
        default:
            return "solver failed";
        }
    }

    bool Finish(const SolveResult& result)
    {
        const std::string outcome = OutcomeText(result);
        if (!result.detail.empty())
            Say("solver: " + result.detail);
        const bool hasTable =
            (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible) &&
            result.solution.size() == static_cast<size_t>(m_model.mip.ColumnCount());
        if (!hasTable)
        {
            const int status = result.status == SolveStatus::Infeasible ? kExitInfeasible : kExitNoSolution;
            if (status == kExitInfeasible)
                Warn("ERROR: the problem is infeasible: no table satisfies the relations, bounds and "
                     "protection");
            EndWithoutTable(status, outcome, result.detail.empty() ? outcome : result.detail);
            return true;
        }
        const std::vector<double> adjusted = CleanValues(m_model.AdjustedValues(m_instance, result.solution));
        const double objective = WeightedChange(m_instance, adjusted);
        SolutionHeader header{m_opt.instancePath, SolverName(m_opt.solver), outcome, {}};
        header.fields.emplace_back("objective", Num(objective));
        Say("outcome: " + outcome);
        Say("objective (total weighted change): " + Num(objective));
        if (std::isfinite(result.bound))
        {
            const double bound = result.bound * m_model.scale + m_model.mip.objectiveOffset;
            const double gap =
                objective != 0 ? 100 * std::max(0.0, objective - bound) / std::fabs(objective) : 0;
            header.fields.emplace_back("bound", Num(bound));
            header.fields.emplace_back("gap", Num(std::round(gap * 100) / 100) + " %");
            Say("bound: " + Num(bound) + ", gap " + Num(std::round(gap * 100) / 100) + " %");
        }
        m_status = kExitProtected;
        if (m_opt.check)
        {
            const CheckReport report =
                CheckSolution(m_instance, adjusted, m_opt.additive, m_opt.integerCells, m_opt.feasibility);
            Say(std::string("solution check: ") + (report.passed ? "passed" : "FAILED"));
            for (const auto& line : report.lines)
                Say("  " + line);
            header.fields.emplace_back("check", report.passed ? "passed" : "failed");
            if (!report.passed)
            {
                Warn("WARNING: the adjusted table failed the solution check (see the log)");
                m_status = kExitCheckFailed;
            }
        }
        std::string error;
        if (!WriteSolutionFile(m_base + ".sol", header, m_instance, adjusted, error))
        {
            Warn("ERROR: " + error);
            m_status = kExitResultFiles;
        }
        return true;
    }

    void ReportTimes()
    {
        std::string line = "times:";
        for (const auto& [name, seconds] : m_phaseTimes)
        {
            char text[32];
            std::snprintf(text, sizeof text, " %.3f s", seconds);
            line += " " + name + text + ";";
        }
        char total[48];
        std::snprintf(total, sizeof total, " total %.3f s", m_control->Elapsed());
        Say(line + total);
        Say("exit status " + std::to_string(m_status));
    }
};

} // namespace

int RunBackend(int argc, char** argv, const BuildInfo& build)
{
    return BackendRun(argc, argv, build).Run();
}

} // namespace vrn
