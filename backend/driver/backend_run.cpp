#include "driver/backend_run.h"

#include "bcd/block_descent.h"
#include "cli/options.h"
#include "common/escape_text.h"
#include "common/file_safety.h"
#include "common/number_format.h"
#include "driver/run_guards.h"
#include "driver/run_outcome.h"
#include "driver/run_report.h"
#include "fast/fast_solve.h"
#include "fast/run_settings.h"
#include "fast/starting_point.h"
#include "fast/table_repair.h"
#include "instance/cell_rules.h"
#include "instance/instance.h"
#include "model/cell_room.h"
#include "model/checks.h"
#include "model/std_model.h"
#include "results/output_tee.h"
#include "results/result_files.h"
#include "results/result_path.h"
#include "solvers/solve_model.h"
#include "standard/repair_run.h"
#include "standard/valid_inequalities.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <unistd.h>

namespace vrn
{

namespace
{

// How long a solver may take to obey a stop or the time limit before the run ends without it. The
// run then checks and writes the best table it holds, which takes about a second on a large table,
// so that a stop ends the run within about 3 s whatever the solver does.
constexpr double kStopGraceSeconds = 1.5;
// How long a stop may wait before a solver starts (reading, checking, building the model).
constexpr double kEarlyStopSeconds = 1;
// Checking and writing a table after the solver, per cell: 1,000,000 cells took 2.5 s on 2 busy cores.
constexpr double kFinishSecondsPerCell = 3e-6;

int ExitStatusAt(RunEnd end)
{
    RunFacts facts;
    facts.end = end;
    return DecideOutcome(facts).exitStatus;
}

// One run, step by step; each step returns false when the run ends there, with m_status set.
class BackendRun
{
public:
    BackendRun(int argc, char** argv, const BuildInfo& build) : m_argc(argc), m_argv(argv), m_build(build) {}

    int Run()
    {
        EnsureStandardDescriptors();
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        std::signal(SIGPIPE, SIG_IGN);
        InstallStopSignalHandler();
        if (!ParseOptions() || !HandOffIfElsewhere() || !LockBase() || !OpenLog())
            return m_status;
        Steps();
        m_earlyGuard.reset();
        m_tee.Finish();
        ReportLogFailure();
        return m_status;
    }

private:
    int m_argc;
    char** m_argv;
    const BuildInfo& m_build;
    BackendOptions m_opt;
    std::string m_base;
    ResultBaseLock m_lock; // declared before the log: released after it is closed
    OutputTee m_tee;
    std::vector<std::string> m_optionWarnings;
    std::unique_ptr<StopWatchdog> m_earlyGuard; // until the solver starts
    std::shared_ptr<RunControl> m_control;
    Instance m_instance;
    StdModel m_model;
    int m_status = kExitProtected;
    std::vector<std::pair<std::string, double>> m_phaseTimes;
    std::vector<double> m_start;          // the table the integer search starts from, as the model's columns
    std::vector<double> m_startTable;     // the same table's adjusted values
    std::atomic<bool> m_startHeld{false}; // m_startTable is final (the early guard may write it)
    SolverAdapter* m_solver = nullptr;
    std::vector<std::pair<std::string, std::string>> m_repairHeader; // --repair: what the .sol header says

    void Say(const std::string& line) { std::printf("%s\n", line.c_str()); }

    void Warn(const std::string& line)
    {
        std::fflush(stdout);
        WriteStreamLine(stderr, line);
        m_tee.WriteLogOnly(line + "\n");
    }

    // The driver's lines for the layers below: progress on standard output, warnings on standard error.
    FastLog RunLog()
    {
        return FastLog{[this](const std::string& line) { Say(line); },
                       [this](const std::string& line) { Warn(line); }};
    }

    // A solver result that carries a value for every column of the model.
    bool HoldsTable(const SolveResult& result) const
    {
        return (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible) &&
               result.solution.size() == static_cast<size_t>(m_model.mip.ColumnCount());
    }

    // The table a solution publishes, with values written whole where they differ from a whole
    // number only by the solver's noise.
    std::vector<double> PublishedValues(const std::vector<double>& solution) const
    {
        return WholeWhereOnlyNoise(m_instance, m_model.AdjustedValues(m_instance, solution),
                                   m_opt.integerCells,
                                   WholeValueTolerance(m_opt.intDevTol, m_opt.integrality));
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
        if (parsed.helpRequested || parsed.versionRequested)
        {
            // The program's own name is the first word of its description.
            const std::string text =
                parsed.helpRequested
                    ? HelpText()
                    : VersionText(m_build.programName.substr(0, m_build.programName.find(' ')));
            char last = 0;
            std::fputs(WithStreamLineEnds(text.data(), text.size(), last).c_str(), stdout);
            m_status = kExitProtected;
            return false;
        }
        if (!parsed.error.empty())
        {
            WriteStreamLine(stderr, "mainVRN.exe: " + parsed.error);
            m_status = ExitStatusAt(RunEnd::CommandLine);
            return false;
        }
        m_opt = parsed.options;
        m_optionWarnings = parsed.warnings;
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
        m_status = ExitStatusAt(RunEnd::SolverUnavailable);
        return false;
    }

    // One run at a time writes the files of a base; a second one ends before it touches them.
    bool LockBase()
    {
        m_base = ResultBasePath(m_opt.outputFolder, m_opt.instancePath, m_opt.solver);
        std::string error;
        if (m_lock.Acquire(m_base, error))
            return true;
        WriteStreamLine(stderr, "mainVRN.exe: ERROR: " + error);
        m_status = ExitStatusAt(RunEnd::LogNotWritable);
        return false;
    }

    // A log that could not be written whole makes the run's files incomplete: said on standard error.
    void ReportLogFailure()
    {
        std::string why;
        if (!m_tee.LogWriteFailed(why))
            return;
        WriteStreamLine(stderr, "mainVRN.exe: ERROR: the log file " + EscapeControl(m_base) +
                                    ".log could not be written whole: " + why);
        if (m_status == kExitProtected)
            m_status = ExitStatusAt(RunEnd::LogNotWritable);
    }

    bool OpenLog()
    {
        std::string error;
        if (!m_tee.Start(m_base + ".log", error))
        {
            WriteStreamLine(stderr, "mainVRN.exe: " + error);
            m_status = ExitStatusAt(RunEnd::LogNotWritable);
            return false;
        }
        Say(std::string("VRN back-end ") + VRN_VERSION + " (" + m_build.programName + ")");
        Say("command line: " + QuotedCommandLine(m_argc, m_argv));
        Say("result files: " + EscapeControl(m_base) + ".log, " + EscapeControl(m_base) + ".sol");
        for (const std::string& warning : m_optionWarnings)
            Warn("WARNING: " + warning);
        StartCommandWatcher(m_control);
        return true;
    }

    void Steps()
    {
        GuardBeforeTheSolve();
        if (!SolverAvailable())
            return;
        if (!Phase("reading the instance", [this] { return ReadInstance(); }))
            return;
        ReportOptions();
        if (m_opt.check && !Phase("checking the input", [this] { return CheckTheInput(); }))
            return;
        if (m_opt.formulation() == Formulation::Fast)
        {
            m_earlyGuard.reset();
            return FastSteps();
        }
        StdSteps();
    }

    // Std: a protected table from the Fast heuristic first (the solver's start, and the table written when
    // the solver finds nothing better), the model's largest changes from the data and that table, the
    // integer search (or block coordinate descent from that table), and a table that fails the check
    // repaired before it is written.
    void StdSteps()
    {
        auto adapter = Entry()->make();
        m_solver = adapter.get();
        if (m_opt.repair && !Phase("repairing the instance", [&] { return Repair(*adapter); }))
            return ReportTimes();
        BuildModel(false); // whether it has integer columns, and the starting table's model kind
        if (!SolverFits(*adapter))
            return;
        auto linear = LinearSolver();
        SolverAdapter& lp = linear ? *linear : *adapter;
        if ((WantsStartingTable() || BcdWanted(m_opt)) && m_model.mip.HasIntegers())
            Phase("finding a starting point", [&] { return FindStart(lp, adapter.get()); });
        if (!Phase("building the model", [this] { return BuildModel(true); }))
            return;
        if (m_opt.validInequalities == 'y' || m_opt.validInequalities == 'c')
            Phase("valid inequalities", [&] { return AddValidInequalities(*adapter); });
        if (m_opt.writeLp && !Phase("writing the LP file", [this] { return WriteLp(); }))
            return;
        // With --first the solver looks for a table of its own (SYMPHONY, handed a start, never reports a
        // first one and searched on past 10 minutes); the start stays the fallback.
        if (!m_startTable.empty())
            m_start = StdColumnsOf(m_instance, m_model, m_startTable);
        m_earlyGuard.reset();
        SolveResult result;
        if (BcdWanted(m_opt) && !m_start.empty())
            Phase("block coordinate descent with " + adapter->Name(),
                  [&] { return Descend(*adapter, result); });
        else
        {
            if (BcdWanted(m_opt))
                Say("BCD: no starting table to improve; the whole model is solved instead");
            Phase("solving with " + adapter->Name(), [&] { return Solve(*adapter, result); });
        }
        Phase("checking the table", [&] { return SecureTable(lp, adapter.get(), result); });
        Phase("writing the solution", [&] { return Finish(result); });
        ReportTimes();
    }

    // Without --startingpoint the Fast heuristic's table is found too; "--startingpoint n" opts out.
    bool WantsStartingTable() const
    {
        for (const auto& [name, value] : m_opt.given)
            if (name == "--startingpoint")
                return value != "n";
        return true;
    }

    // The solver of this executable for linear programs (the start and the repair): CLP beside CBC and
    // SYMPHONY, GLPK in its own executable.
    std::unique_ptr<SolverAdapter> LinearSolver() const
    {
        for (const auto& entry : m_build.solvers)
            if (auto adapter = entry.make(); !adapter->SolvesIntegerPrograms())
                return adapter;
        return nullptr;
    }

    // The solver's table, read back from the adjusted values: kept when it passes the check, else
    // repaired, else the starting table; the best checked table wins.
    bool SecureTable(SolverAdapter& lp, SolverAdapter* integerSolver, SolveResult& result)
    {
        if (!HoldsTable(result))
            return true;
        const std::vector<double> adjusted = PublishedValues(result.solution);
        if (TablePasses(m_instance, m_opt, adjusted))
            return true;
        Say("the solver's table fails the solution check; repairing it with the directions it shows ...");
        const FastLog log = RunLog();
        const std::vector<double> repaired =
            RepairTable(m_instance, m_opt, adjusted, lp, integerSolver, *m_control, log);
        const double repairedChange = repaired.empty() ? kInfinity : WeightedChange(m_instance, repaired);
        const double startChange =
            m_startTable.empty() ? kInfinity : WeightedChange(m_instance, m_startTable);
        if (repairedChange <= startChange && !repaired.empty())
        {
            Say("repair: a checked table with total weighted change " + LogNumber(repairedChange));
            result.solution = StdColumnsOf(m_instance, m_model, repaired);
        }
        else if (!m_startTable.empty())
        {
            Say("repair: " +
                std::string(repaired.empty() ? "none found" : "not better than the starting table") +
                "; the starting table is written");
            result.solution = m_start;
        }
        else
            Say("repair: none found; the solver's table is written as it is");
        if (result.status == SolveStatus::Optimal && !repaired.empty())
            result.status = SolveStatus::Feasible; // the repaired table is not the solver's proven optimum
        return true;
    }

    // Until a solver starts there is no table to keep: reading, checking and building a big table can
    // take many seconds, and a stop or the time limit must not wait for them. The guard ends the run
    // within about a second of the request.
    void GuardBeforeTheSolve()
    {
        m_earlyGuard = std::make_unique<StopWatchdog>(m_control, kEarlyStopSeconds, [this] { EndEarly(); });
    }

    [[noreturn]] void EndEarly()
    {
        const std::string why = StopReasonText(m_control->Reason());
        const std::string phase = m_control->Phase();
        if (m_startHeld)
        {
            // The starting table is checked and final: the run ends with it, whatever the main thread is
            // still building (its model is not touched here).
            Warn("WARNING: the run ends while " + phase + " (" + why + "); the starting table is written");
            RunFacts facts;
            facts.status = SolveStatus::Feasible;
            facts.stopReason = m_control->Reason();
            facts.hasTable = true;
            PublishTable(facts, m_startTable, NAN);
            Say("exit status " + std::to_string(m_status));
            m_tee.Finish();
            ReportLogFailure();
            std::fflush(stderr);
            _exit(m_status);
        }
        Warn("the run ends while " + phase + " (" + why + "): no table was found yet");
        EndWithoutTable(kExitNoSolution, "no solution (" + why + ")",
                        "the run was stopped while " + phase + ", before a solver started");
        Say("exit status " + std::to_string(m_status));
        m_tee.Finish();
        ReportLogFailure();
        std::fflush(stderr);
        _exit(m_status);
    }

    // The run ends at `end`, before a solve: the .sol file carries the outcome and the reason only.
    void EndBeforeTheSolve(RunEnd end, const std::string& reason)
    {
        RunFacts facts;
        facts.end = end;
        const RunOutcome outcome = DecideOutcome(facts);
        EndWithoutTable(outcome.exitStatus, outcome.outcome, reason);
    }

    void EndWithoutTable(int status, const std::string& outcome, const std::string& reason)
    {
        m_status = status;
        SolutionHeader header{m_opt.instancePath, SolverName(m_opt.solver), outcome, {{"reason", reason}}};
        header.fields.insert(header.fields.end(), m_repairHeader.begin(), m_repairHeader.end());
        if (!WriteResult(header, {}))
        {
            RunFacts facts;
            facts.resultWritten = false;
            m_status = DecideOutcome(facts).exitStatus;
        }
        Say("outcome: " + outcome + " (" + reason + ")");
    }

    bool WriteResult(const SolutionHeader& header, const std::vector<double>& adjusted)
    {
        std::string error;
        if (WriteSolutionFile(m_base + ".sol", header, m_instance, adjusted, error))
            return true;
        Warn("ERROR: " + error);
        return false;
    }

    bool SolverAvailable()
    {
        if (Entry() != nullptr)
            return true;
        const std::string name = SolverName(m_opt.solver);
        Warn("ERROR: " + name + " is not available in this build (a commercial solver); available solvers: " +
             m_build.availableSolvers);
        EndBeforeTheSolve(RunEnd::SolverUnavailable, name + " is not available in this build");
        return false;
    }

    // Fast: directions, model and the lexicographic loop in fast_solve.cpp; the result files as in Std.
    void FastSteps()
    {
        auto adapter = Entry()->make();
        auto integerSolver = IntegerSolver(*adapter);
        const FastLog log = RunLog();
        FastOutcome fast;
        Phase("solving the Fast formulation with " + adapter->Name(),
              [&]
              {
                  ProgressPrinter progress(m_control, m_opt.progressSeconds > 0 ? m_opt.progressSeconds : 5);
                  // Before its first stage ends the Fast solve holds no table: a stop then ends the run
                  // at once (a barrier solve does not look at the clock).
                  StopWatchdog watchdog(m_control, kStopGraceSeconds, [&] { EndOverrun(adapter->Name()); });
                  watchdog.SetGraceWithoutTable(kEarlyStopSeconds + 1);
                  fast = SolveFast(m_instance, m_opt, *adapter, *m_control, m_base + ".lp", log,
                                   HeuristicRelaxation::Balance, integerSolver.get());
                  return true;
              });
        if (!fast.solved)
            EndWithoutTable(fast.exitStatus, fast.outcome, fast.reason);
        else
        {
            m_model = std::move(fast.model);
            Phase("checking the table",
                  [&] { return SecureFastTable(*adapter, integerSolver.get(), fast.result); });
            Phase("writing the solution", [&] { return Finish(fast.result); });
        }
        ReportTimes();
    }

    // A Fast table that fails the check (the solver's tolerance acts on its scaled copy of the model) is
    // solved again with its directions at a tight tolerance before it is written.
    bool SecureFastTable(SolverAdapter& solver, SolverAdapter* integerSolver, SolveResult& result)
    {
        if (!HoldsTable(result))
            return true;
        const std::vector<double> adjusted = PublishedValues(result.solution);
        if (TablePasses(m_instance, m_opt, adjusted))
            return true;
        Say("the table fails the solution check; solving again with its directions at a tight tolerance ...");
        const FastLog log = RunLog();
        const std::vector<double> repaired =
            RepairTable(m_instance, m_opt, adjusted, solver, integerSolver, *m_control, log);
        if (repaired.empty())
        {
            Say("repair: none found; the table is written as it is");
            return true;
        }
        Say("repair: a checked table with total weighted change " +
            LogNumber(WeightedChange(m_instance, repaired)));
        result.solution = StdColumnsOf(m_instance, m_model, repaired);
        return true;
    }

    // An integer solver of this executable for the searches of the Fast heuristic: the run's own when it
    // solves integer programs, else the first that does (CBC beside CLP).
    std::unique_ptr<SolverAdapter> IntegerSolver(const SolverAdapter& own) const
    {
        if (own.SolvesIntegerPrograms())
            return nullptr;
        for (const auto& entry : m_build.solvers)
            if (auto adapter = entry.make(); adapter->SolvesIntegerPrograms())
                return adapter;
        return nullptr;
    }

    bool ReadInstance()
    {
        Say("reading " + EscapeControl(m_opt.instancePath) +
            (m_opt.reportAllFormatErrors ? " (reporting every error)" : ""));
        ReadResult read = ReadInstanceFile(m_opt.instancePath, m_opt.reportAllFormatErrors);
        if (!read.errors.empty())
        {
            for (const auto& error : read.errors)
                Warn(FormatErrorText(m_opt.instancePath, error));
            const size_t count = read.errors.size() + read.suppressedErrors;
            if (read.suppressedErrors)
                Warn("... and " + std::to_string(read.suppressedErrors) + " more errors");
            EndBeforeTheSolve(RunEnd::Instance,
                              m_opt.reportAllFormatErrors
                                  ? std::to_string(count) + " errors in the instance file"
                                  : "the instance file has an error (the first is reported)");
            return false;
        }
        m_instance = std::move(read.instance);
        m_control->ReserveForTheEnd(kFinishSecondsPerCell * static_cast<double>(m_instance.cells.size()));
        ReportStatistics();
        return OptionsFitTheTable();
    }

    // Tolerances and a scale that make no sense for this table end the run as a command line error.
    bool OptionsFitTheTable()
    {
        const double scale = m_opt.scale > 0 ? m_opt.scale : AutomaticScale(m_instance);
        const std::string refusal = CheckOptionsAgainstTable(m_instance, m_opt, scale);
        if (refusal.empty())
            return true;
        Warn("ERROR: " + refusal);
        EndBeforeTheSolve(RunEnd::CommandLine, refusal);
        return false;
    }

    void ReportStatistics() { Say(InstanceSummary(m_instance)); }

    void ReportOptions()
    {
        Say("options in force:");
        for (const std::string& line : OptionsInForce(m_opt))
            Say("  " + line);
    }

    bool CheckTheInput()
    {
        CheckReport report =
            CheckInput(m_instance, m_opt.additive, BigFromOptions(m_instance, m_opt), m_opt.feasibility);
        const ConflictReport conflicts = FindInputConflicts(m_instance, m_opt);
        if (conflicts.Proven())
        {
            report.passed = false;
            report.lines.push_back(
                "conflicts that single relations and bounds prove: " + std::to_string(conflicts.cells) +
                " sensitive cells, " + std::to_string(conflicts.relations) + " relations");
            for (const auto& line : conflicts.lines)
                report.lines.push_back("  " + line);
        }
        Say("input check:");
        for (const auto& line : report.lines)
            Say("  " + line);
        const bool std = m_opt.formulation() == Formulation::Std;
        if (!report.passed && std && m_opt.repair)
            Say("the instance cannot be protected as it stands: the repair looks for the least change");
        else if (!report.passed)
        {
            Warn("ERROR: the instance cannot be protected as it stands (see the input check)");
            if (std)
                Warn(RepairAdviceText());
            EndBeforeTheSolve(RunEnd::InputInfeasible,
                              "the input check found a table that cannot be protected");
        }
        return report.passed || (std && m_opt.repair);
    }

    bool Repair(SolverAdapter& adapter)
    {
        const FastLog log = RunLog();
        RepairRunResult repair = RepairForRun(m_instance, m_opt, adapter, *m_control, m_base, log);
        m_repairHeader = repair.header;
        if (!repair.goOn)
        {
            EndWithoutTable(repair.exitStatus, repair.outcome, repair.reason);
            return false;
        }
        if (repair.repaired)
            m_instance = std::move(repair.instance);
        return true;
    }

    // With `report`, the final model: each cell's largest change from the data (and from the starting
    // table's total change), and the model's lines in the log.
    bool BuildModel(bool report)
    {
        StdModelSettings settings = StdModelSettingsFromOptions(m_instance, m_opt);
        if (report)
        {
            CellRoom room = RoomOfCells(m_instance, m_opt.additive);
            if (!m_startTable.empty())
                LimitByBudget(m_instance, WeightedChange(m_instance, m_startTable), room);
            settings.roomUp = std::move(room.up);
            settings.roomDown = std::move(room.down);
        }
        m_model = BuildStdModel(m_instance, settings);
        m_control->SetObjectiveScale(m_model.scale);
        if (!report)
            return true;
        for (const std::string& line : StdModelSummary(m_model, m_opt))
            Say(line);
        Say(std::string("  each cell's largest change from its bounds and relations") +
            (m_startTable.empty()
                 ? ""
                 : " and from the starting table (no cell of a better table moves farther)"));
        return true;
    }

    bool FindStart(SolverAdapter& lp, SolverAdapter* integerSolver)
    {
        const FastLog log = RunLog();
        BackendOptions startOptions = m_opt; // block coordinate descent starts from the heuristic's table
        if (startOptions.startingPoint != 'c')
            startOptions.startingPoint = 's';
        m_startTable =
            FindStartingTable(m_instance, startOptions, m_model.kind, lp, integerSolver, *m_control, log);
        m_startHeld = !m_startTable.empty();
        return true;
    }

    bool AddValidInequalities(SolverAdapter& adapter)
    {
        if (!m_model.mip.HasIntegers())
        {
            Say("valid inequalities: the model has no direction to choose; nothing to add");
            return true;
        }
        const bool add = m_opt.validInequalities == 'y';
        const ValidInequalityReport report = ApplyValidInequalities(
            m_instance, m_model, m_opt.additive, add, adapter, SolveParamsFromOptions(m_opt), *m_control,
            [this](const std::string& line) { Say(line); });
        if (!report.relaxationSolved)
            Say("valid inequalities: the relaxation was not solved; none added");
        else if (add)
            Say("valid inequalities: " + std::to_string(report.added) + " added in " +
                std::to_string(report.rounds) + " rounds; relaxation bound " + LogNumber(report.boundBefore) +
                " -> " + LogNumber(report.boundAfter));
        else
            Say("valid inequalities (check only): the relaxation's optimum violates " +
                std::to_string(report.atStart.count) + " of " + std::to_string(report.candidates) +
                "; none added");
        return true;
    }

    // Block coordinate descent from the starting table (bcd/block_descent.h).
    bool Descend(SolverAdapter& adapter, SolveResult& result)
    {
        BcdHooks hooks;
        hooks.say = [this](const std::string& line) { Say(line); };
        hooks.stopGraceSeconds = kStopGraceSeconds;
        hooks.onOverrun = [this, &adapter](const std::vector<double>& incumbent)
        { EndOverrunWithTable(adapter.Name(), incumbent); };
        ProgressPrinter progress(m_control, m_opt.progressSeconds > 0 ? m_opt.progressSeconds : 5);
        result = RunBlockDescent(m_instance, m_model, adapter, SolveParamsFromOptions(m_opt), m_control,
                                 BcdSettingsFromOptions(m_opt), m_start, hooks)
                     .result;
        return true;
    }

    // The solver did not return after a stop during the descent: the run ends with the best table so far.
    [[noreturn]] void EndOverrunWithTable(const std::string& solver, const std::vector<double>& table,
                                          const std::string& which = "the best table found so far")
    {
        Warn("WARNING: " + solver + " did not stop within " + LogNumber(kStopGraceSeconds) +
             " s; the run ends with " + which);
        SolveResult result;
        result.status = SolveStatus::Feasible;
        result.solution = table;
        Finish(result);
        ReportTimes();
        m_tee.Finish();
        ReportLogFailure();
        std::fflush(stderr);
        _exit(m_status);
    }

    // True when the model's columns give a table that passes the solution check.
    bool PassesTheCheck(const std::vector<double>& columns) const
    {
        if (columns.size() != static_cast<size_t>(m_model.mip.ColumnCount()) || columns.empty())
            return false;
        const std::vector<double> adjusted = PublishedValues(columns);
        return CheckSolution(m_instance, adjusted, m_opt.additive, m_opt.integerCells,
                             kSolutionCheckTolerance)
            .passed;
    }

    bool SolverFits(const SolverAdapter& adapter)
    {
        if (!m_model.mip.HasIntegers() || adapter.SolvesIntegerPrograms())
            return true;
        Warn("ERROR: " + adapter.Name() + " solves linear programs only, and this model has " +
             std::to_string(m_model.mip.IntegerCount()) +
             " integer columns; choose GLPK, CBC or SYMPHONY for the Std formulation");
        EndBeforeTheSolve(RunEnd::SolverUnfit, adapter.Name() + " solves linear programs only");
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
        if (!m_opt.firstFeasible)
            params.start = m_start;
        if (m_model.mip.RowCount() == 0)
        {
            // Solvers fail on a model without rows or columns. Without rows every column is on its own, and
            // with costs of 0 or more its lower bound is optimal.
            Say("nothing links the cells (no relations, nothing to protect): each cell takes its closest "
                "allowed value without a solver");
            result = SolveWithoutRows(m_model.mip);
            return true;
        }
        Say("solving with " + adapter.Name() + " ...");
        std::fflush(stdout);
        {
            ProgressPrinter progress(m_control, m_opt.progressSeconds > 0 ? m_opt.progressSeconds : 5);
            StopWatchdog watchdog(m_control, kStopGraceSeconds, [&] { EndOverrun(adapter.Name()); });
            if (m_model.mip.HasIntegers() && params.start.empty())
                watchdog.SetGraceWithoutTable(kEarlyStopSeconds + 1);
            result = adapter.Solve(m_model.mip, params, *m_control);
        }
        if (const std::string note = KeepStartingPoint(m_model.mip, m_start, result); !note.empty())
            Say(note);
        std::cout.flush();
        std::fflush(stdout);
        return true;
    }

    // The solver did not return after a stop: the run ends here, with both files, and with the best
    // table it holds that passes the check (the solver's latest, else the starting table), or without one.
    [[noreturn]] void EndOverrun(const std::string& solver)
    {
        const std::vector<double> latest = m_control->IncumbentColumns();
        if (PassesTheCheck(latest))
            EndOverrunWithTable(solver, latest, "the latest table it found");
        if (latest.size() == static_cast<size_t>(m_model.mip.ColumnCount()) && !latest.empty())
            Say("the latest table " + solver + " found fails the solution check and is not written");
        if (PassesTheCheck(m_start))
            EndOverrunWithTable(solver, m_start, "the starting table");
        const std::string why = StopReasonText(m_control->Reason());
        Warn("ERROR: " + solver + " did not stop in time (" + why + "); the run ends without a table");
        EndWithoutTable(kExitNoSolution, "no solution (" + why + ")",
                        solver + " did not stop in time and had no table to give");
        Say("exit status " + std::to_string(m_status));
        m_tee.Finish();
        ReportLogFailure();
        std::fflush(stderr);
        _exit(m_status);
    }

    RunFacts SolveFacts(const SolveResult& result) const
    {
        m_control->StopRequested(); // a solver that ended at its own time limit: the reason is the time limit
        RunFacts facts;
        facts.status = result.status;
        facts.stopReason = m_control->Reason();
        facts.hasTable = result.solution.size() == static_cast<size_t>(m_model.mip.ColumnCount());
        return facts;
    }

    bool Finish(const SolveResult& result)
    {
        RunFacts facts = SolveFacts(result);
        const RunOutcome decided = DecideOutcome(facts);
        const std::string& outcome = decided.outcome;
        if (!result.detail.empty())
            Say("solver: " + result.detail);
        if (!decided.writesTable)
        {
            const int status = decided.exitStatus;
            if (status == kExitInfeasible)
            {
                Warn("ERROR: the problem is infeasible: no table satisfies the relations, bounds and "
                     "protection");
                const FastLog log = RunLog();
                ExplainInfeasibleTable(m_instance, m_opt, m_solver, *m_control, log);
            }
            EndWithoutTable(status, outcome, result.detail.empty() ? outcome : result.detail);
            return true;
        }
        const double bound =
            std::isfinite(result.bound) ? result.bound * m_model.scale + m_model.mip.objectiveOffset : NAN;
        PublishTable(facts, PublishedValues(result.solution), bound);
        return true;
    }

    // Checks and writes a table (adjusted values) with the outcome `facts` decide; `bound` in the table's
    // units, NaN for none.
    void PublishTable(RunFacts facts, const std::vector<double>& adjusted, double bound)
    {
        const std::string outcome = DecideOutcome(facts).outcome;
        const double objective = WeightedChange(m_instance, adjusted);
        SolutionHeader header{m_opt.instancePath, SolverName(m_opt.solver), outcome, m_repairHeader};
        header.hasTable = true;
        header.fields.emplace_back("objective", LogNumber(objective));
        Say("outcome: " + outcome);
        Say("objective (total weighted change): " + LogNumber(objective));
        if (std::isfinite(bound))
        {
            const std::string gap = GapText(objective, bound);
            header.fields.emplace_back("bound", LogNumber(bound));
            header.fields.emplace_back("gap", gap);
            Say("bound: " + LogNumber(bound) + ", gap " + gap);
        }
        // The solution is checked whatever --check says, with the check's own tolerances: a table that
        // fails is never reported as protected.
        {
            const CheckReport report = CheckSolution(m_instance, adjusted, m_opt.additive, m_opt.integerCells,
                                                     kSolutionCheckTolerance);
            Say(std::string("solution check: ") + (report.passed ? "passed" : "FAILED"));
            for (const auto& line : report.lines)
                Say("  " + line);
            header.fields.emplace_back("check", report.passed ? "passed" : "failed");
            facts.checkFailed = !report.passed;
            if (!report.passed)
                Warn("WARNING: the adjusted table failed the solution check (see the log)");
        }
        facts.resultWritten = WriteResult(header, adjusted);
        m_status = DecideOutcome(facts).exitStatus;
    }

    void ReportTimes()
    {
        Say(TimesLine(m_phaseTimes, m_control->Elapsed()));
        Say("exit status " + std::to_string(m_status));
    }
};

} // namespace

int RunBackend(int argc, char** argv, const BuildInfo& build)
{
    return BackendRun(argc, argv, build).Run();
}

} // namespace vrn
