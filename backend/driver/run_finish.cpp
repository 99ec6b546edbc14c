#include "cli/run_settings.h"
#include "common/escape_text.h"
#include "common/file_safety.h"
#include "common/number_format.h"
#include "driver/run_guards.h"
#include "driver/run_steps.h"
#include "fast/table_repair.h"
#include "model/checks.h"
#include "results/result_files.h"
#include "results/result_path.h"
#include "standard/repair_run.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <unistd.h>

namespace vrn
{

void BackendRun::Warn(const std::string& line)
{
    std::fflush(stdout);
    WriteStreamLine(stderr, line);
    m_tee.WriteLogOnly(line + "\n");
}

// The driver's lines for the layers below: progress on standard output, warnings on standard error.
RunLog BackendRun::Log()
{
    return RunLog{[this](const std::string& line) { Say(line); },
                  [this](const std::string& line) { Warn(line); }};
}

// A solver result that carries a value for every column of the model.
bool BackendRun::HoldsTable(const SolveResult& result) const
{
    return HasFullSolution(result, m_model.mip);
}

// The table a solution publishes, with values written whole where they differ from a whole
// number only by the solver's noise.
std::vector<double> BackendRun::PublishedValues(const std::vector<double>& solution) const
{
    return WholeWhereNoise(m_model.AdjustedValues(m_instance, solution));
}

std::vector<double> BackendRun::WholeWhereNoise(std::vector<double> adjusted) const
{
    return WholeWhereOnlyNoise(m_instance, std::move(adjusted), m_opt.integerCells,
                               WholeValueTolerance(m_opt.intDevTol, m_opt.integrality));
}

// Nothing when the result holds no table or its table passes the check; else `announce` is said and
// the table comes back repaired with the directions it shows (empty when no repair was found).
std::optional<std::vector<double>> BackendRun::RepairIfFailing(SolverAdapter& lp,
                                                               SolverAdapter* integerSolver,
                                                               const SolveResult& result,
                                                               const std::string& announce)
{
    if (!HoldsTable(result))
        return std::nullopt;
    const std::vector<double> adjusted = PublishedValues(result.solution);
    if (TablePasses(m_instance, FastRunSettingsFromOptions(m_instance, m_opt), adjusted))
        return std::nullopt;
    Say(announce);
    const RunLog log = Log();
    return RepairTable(m_instance, FastRunSettingsFromOptions(m_instance, m_opt), adjusted, lp, integerSolver,
                       *m_control, log);
}

// True when the model's columns give a table that passes the solution check.
bool BackendRun::PassesTheCheck(const std::vector<double>& columns) const
{
    if (columns.size() != static_cast<size_t>(m_model.mip.ColumnCount()) || columns.empty())
        return false;
    const std::vector<double> adjusted = PublishedValues(columns);
    return CheckSolution(m_instance, adjusted, m_opt.additive, m_opt.integerCells, kSolutionCheckTolerance)
        .passed;
}

void BackendRun::EndEarly()
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
        WriteReport(false); // the main thread may still be adding to the phases' times
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
void BackendRun::EndBeforeTheSolve(RunEnd end, const std::string& reason)
{
    RunFacts facts;
    facts.end = end;
    const RunOutcome outcome = DecideOutcome(facts);
    EndWithoutTable(outcome.exitStatus, outcome.outcome, reason);
}

void BackendRun::EndWithoutTable(int status, const std::string& outcome, const std::string& reason)
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

bool BackendRun::WriteResult(const SolutionHeader& header, const std::vector<double>& adjusted)
{
    // A report page left by an earlier run on this base would not describe the new .sol.
    RemoveFileIfPresent(ReportPagePath(m_base));
    m_published.reset();
    std::string error;
    if (WriteSolutionFile(m_base + ".sol", header, m_instance, adjusted, error))
        return true;
    Warn("ERROR: " + error);
    return false;
}

// The solver did not return after a stop during the descent: the run ends with the best table so far.
void BackendRun::EndOverrunWithTable(const std::string& solver, const std::vector<double>& table,
                                     const std::string& which)
{
    EndOverrunWithValues(solver, PublishedValues(table), which);
}

void BackendRun::EndOverrunWithValues(const std::string& solver, const std::vector<double>& adjusted,
                                      const std::string& which)
{
    Warn("WARNING: " + solver + " did not stop within " + LogNumber(kStopGraceSeconds) +
         " s; the run ends with " + which);
    m_control->StopRequested(); // the time limit, when that was the reason, is named
    RunFacts facts;
    facts.status = SolveStatus::Feasible;
    facts.stopReason = m_control->Reason();
    facts.hasTable = true;
    PublishTable(facts, adjusted, NAN);
    ReportTimes();
    m_tee.Finish();
    ReportLogFailure();
    std::fflush(stderr);
    _exit(m_status);
}

// The solver did not return after a stop: the run ends here, with both files, and with the best
// table it holds that passes the check (the solver's latest, else the starting table), or without one.
void BackendRun::EndOverrun(const std::string& solver)
{
    if (m_opt.formulation() == Formulation::Fast)
    {
        // The Fast heuristic's stages each end with a protected table; the one of the last stage that
        // finished is kept when the solver overruns the stop in a later stage.
        const std::vector<double> staged = WholeWhereNoise(m_control->IncumbentTable());
        if (!staged.empty() &&
            CheckSolution(m_instance, staged, m_opt.additive, m_opt.integerCells, kSolutionCheckTolerance)
                .passed)
            EndOverrunWithValues(solver, staged, "the table of its last finished stage");
    }
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

RunFacts BackendRun::SolveFacts(const SolveResult& result) const
{
    m_control->StopRequested(); // a solver that ended at its own time limit: the reason is the time limit
    RunFacts facts;
    facts.status = result.status;
    facts.stopReason = m_control->Reason();
    facts.hasTable = result.solution.size() == static_cast<size_t>(m_model.mip.ColumnCount());
    return facts;
}

bool BackendRun::Finish(const SolveResult& result)
{
    RunFacts facts = SolveFacts(result);
    const RunOutcome decided = DecideOutcome(facts);
    const std::string& outcome = decided.outcome;
    if (!result.detail.empty())
        Say("solver: " + result.detail);
    if (!decided.writesTable)
    {
        const int status = decided.exitStatus;
        // A Fast run has said in its own terms why it ends without a table.
        if (status == kExitInfeasible && m_opt.formulation() != Formulation::Fast)
        {
            Warn("ERROR: the problem is infeasible: no table satisfies the relations, bounds and "
                 "protection");
            const RunLog log = Log();
            ExplainInfeasibleTable(m_instance, RepairRunSettingsFromOptions(m_instance, m_opt), m_solver,
                                   *m_control, log);
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
// units, NaN for none. The solution check decides the exit status.
void BackendRun::PublishTable(RunFacts facts, const std::vector<double>& adjusted, double bound)
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
    const CheckReport report =
        CheckSolution(m_instance, adjusted, m_opt.additive, m_opt.integerCells, kSolutionCheckTolerance);
    Say(std::string("solution check: ") + (report.passed ? "passed" : "FAILED"));
    for (const auto& line : report.lines)
        Say("  " + line);
    header.fields.emplace_back("check", report.passed ? "passed" : "failed");
    facts.checkFailed = !report.passed;
    if (!report.passed)
        Warn("WARNING: the adjusted table failed the solution check (see the log)");
    facts.resultWritten = WriteResult(header, adjusted);
    m_status = DecideOutcome(facts).exitStatus;
    if (facts.resultWritten)
        m_published = PublishedTable{adjusted, header, report};
}

void BackendRun::ReportTimes()
{
    Say(TimesLine(m_phaseTimes, m_control->Elapsed()));
    WriteReport(true);
    Say("exit status " + std::to_string(m_status));
}

ReportRun BackendRun::DescribeRun(bool withTimes) const
{
    const SolutionHeader& header = m_published->header;
    ReportRun run;
    run.name = m_base.substr(m_base.rfind('/') == std::string::npos ? 0 : m_base.rfind('/') + 1);
    run.instancePath = m_opt.instancePath;
    run.madeBy = std::string("Written by VRN back-end ") + VRN_VERSION + " (" + m_build.programName +
                 ") at the end of the run, beside " + run.name + ".log and " + run.name + ".sol.";
    run.facts = {{"command line", QuotedCommandLine(m_argc, m_argv)},
                 {"solver", header.solver},
                 {"formulation", m_opt.formulation() == Formulation::Fast ? "Fast" : "Std"},
                 {"outcome", header.outcome}};
    for (const auto& [key, value] : header.fields)
        if (key != "check")
            run.facts.emplace_back(key, value);
    run.checkPassed = m_published->check.passed;
    run.checkVerdict = m_published->check.passed ? "passed" : "FAILED";
    run.checkLines = m_published->check.lines;
    run.optionLines = OptionsInForce(m_opt);
    if (withTimes)
    {
        run.phaseTimes = m_phaseTimes;
        run.totalSeconds = m_control->Elapsed();
    }
    return run;
}

// The report page of the table the .sol holds, and its headline figures at the end of the log. A page
// that cannot be written leaves the run's files incomplete: exit status 1 unless a worse one holds.
void BackendRun::WriteReport(bool withTimes)
{
    if (!m_published)
        return;
    const auto start = std::chrono::steady_clock::now();
    const TableMeasures measures = MeasureTable(m_instance, m_published->adjusted);
    const std::string path = ReportPagePath(m_base);
    std::string error;
    const bool written = WriteReportPage(path, measures, DescribeRun(withTimes), error);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m_published.reset();
    for (const std::string& line : HeadlineLines(measures))
        Say(line);
    if (written)
    {
        Say("report page: " + EscapeControl(path) + " (built in " + FixedPoint(seconds, 3) + " s)");
        return;
    }
    Warn("ERROR: " + error);
    if (m_status == kExitProtected)
        m_status = kExitResultFiles;
}

} // namespace vrn
