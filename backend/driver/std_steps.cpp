#include "bcd/block_descent.h"
#include "cli/run_settings.h"
#include "common/number_format.h"
#include "driver/run_steps.h"
#include "driver/sibling_start.h"
#include "fast/starting_point.h"
#include "model/cell_room.h"
#include "model/checks.h"
#include "model/mip_model.h"
#include "solvers/solve_model.h"
#include "solvers/start_rule.h"
#include "standard/repair_run.h"
#include "standard/valid_inequalities.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace vrn
{

// Std: a protected table from the Fast heuristic first (the solver's start, and the table written when
// the solver finds nothing better), the model's largest changes from the data and that table, the
// integer search (or block coordinate descent from that table), and a table that fails the check
// repaired before it is written.
void BackendRun::StdSteps()
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
    BcdSettings descent = BcdSettingsFromOptions(m_opt);
    if (!BcdClustersGiven(m_opt) && !m_start.empty())
        ChooseDescent(descent);
    if (descent.clusters >= 2 && !m_start.empty())
        Phase("block coordinate descent with " + adapter->Name(),
              [&] { return Descend(*adapter, descent, result); });
    else
    {
        if (BcdWanted(m_opt))
            Say("BCD: no starting table to improve; the whole model is solved instead");
        Phase("solving with " + adapter->Name(), [&] { return Solve(*adapter, result); });
        if (DescendAfterAFalseInfeasible(result, descent))
            Phase("block coordinate descent with " + adapter->Name(),
                  [&] { return Descend(*adapter, descent, result); });
    }
    Phase("checking the table", [&] { return SecureTable(lp, adapter.get(), result); });
    Phase("writing the solution", [&] { return Finish(result); });
    ReportTimes();
}

// Without --startingpoint the Fast heuristic's table is found too; "--startingpoint n" opts out.
bool BackendRun::WantsStartingTable() const
{
    for (const auto& [name, value] : m_opt.given)
        if (name == kOptStartingpoint)
            return value != "n";
    return true;
}

// The solver of this executable for linear programs (the start and the repair): CLP beside CBC and
// SYMPHONY, GLPK in its own executable.
std::unique_ptr<SolverAdapter> BackendRun::LinearSolver() const
{
    for (const auto& entry : m_build.solvers)
        if (auto adapter = entry.make(); !adapter->SolvesIntegerPrograms())
            return adapter;
    return nullptr;
}

bool BackendRun::Repair(SolverAdapter& adapter)
{
    const RunLog log = Log();
    RepairRunResult repair = RepairForRun(m_instance, RepairRunSettingsFromOptions(m_instance, m_opt),
                                          adapter, *m_control, m_base, log);
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
bool BackendRun::BuildModel(bool report)
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
        (m_startTable.empty() ? ""
                              : " and from the starting table (no cell of a better table moves farther)"));
    return true;
}

// A solver that declared the model infeasible although the starting table satisfies it has proved nothing
// (SYMPHONY did so within 2 s of a 5,019-cell count table, where CBC and GLPK then found tables 12 %
// better than the start): the rest of the time goes to the descent from the start, in blocks of the
// size the solver handles, unless the options ruled the descent out.
bool BackendRun::DescendAfterAFalseInfeasible(const SolveResult& result, BcdSettings& descent)
{
    if (!m_falseInfeasible || m_start.empty() || m_control->StopRequested() || m_opt.firstFeasible ||
        BcdClustersGiven(m_opt))
        return false;
    UseAutomaticBlocks(AutomaticBlockCount(m_model.mip.IntegerCount(), m_opt.solver), descent);
    Say("block coordinate descent from the starting table for the rest of the time: " +
        std::to_string(descent.clusters) + " blocks of about " +
        std::to_string(AutomaticBlockCells(m_model.mip.IntegerCount(), m_opt.solver)) + " sensitive cells (" +
        result.detail + ")");
    return true;
}

bool BackendRun::FindStart(SolverAdapter& lp, SolverAdapter* integerSolver)
{
    const RunLog log = Log();
    BackendOptions startOptions = m_opt; // block coordinate descent starts from the heuristic's table
    if (startOptions.startingPoint != 'c')
        startOptions.startingPoint = 's';
    bool ownSearch = true;
    if (startOptions.startingPoint == 's' && !m_build.startSibling.empty() &&
        access(m_build.startSibling.c_str(), X_OK) == 0)
    {
        const double seconds = StartingTableSeconds(m_instance, *m_control), began = m_control->Elapsed();
        m_startTable = StartingTableFromSibling(m_build.startSibling, m_instance, startOptions, seconds,
                                                *m_control, log);
        // A sibling that gave up early leaves this program time to look for the table itself.
        ownSearch = m_startTable.empty() && !m_control->StopRequested() &&
                    (seconds <= 0 || m_control->Elapsed() - began < seconds / 2);
        if (!m_startTable.empty())
            log.say("starting point: a protected table with total weighted change " +
                    LogNumber(WeightedChange(m_instance, m_startTable)));
        else if (!ownSearch)
            log.say("starting point: none found; the integer search starts without one");
    }
    if (ownSearch)
        m_startTable = FindStartingTable(m_instance, FastRunSettingsFromOptions(m_instance, startOptions),
                                         m_model.kind, lp, integerSolver, *m_control, log);
    m_startHeld = !m_startTable.empty();
    return true;
}

bool BackendRun::AddValidInequalities(SolverAdapter& adapter)
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

bool BackendRun::SolverFits(const SolverAdapter& adapter)
{
    if (!m_model.mip.HasIntegers() || adapter.SolvesIntegerPrograms())
        return true;
    Warn("ERROR: " + adapter.Name() + " solves linear programs only, and this model has " +
         std::to_string(m_model.mip.IntegerCount()) +
         " integer columns; choose GLPK, CBC or SYMPHONY for the Std formulation");
    EndBeforeTheSolve(RunEnd::SolverUnfit, adapter.Name() + " solves linear programs only");
    return false;
}

bool BackendRun::WriteLp()
{
    std::string error;
    if (WriteLpFile(m_model.mip, m_base + ".lp", error))
        Say("LP file written: " + m_base + ".lp");
    else
        Warn("WARNING: " + error);
    return true;
}

bool BackendRun::Solve(SolverAdapter& adapter, SolveResult& result)
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
    m_falseInfeasible = result.status == SolveStatus::Infeasible && !params.start.empty();
    if (const std::string note = KeepStartingPoint(m_model.mip, m_start, result); !note.empty())
        Say(note);
    std::cout.flush();
    std::fflush(stdout);
    return true;
}

// The run's own descent: `clusters` blocks, regrouped each cycle unless the options name the cycle (a cycle
// over the same blocks again gains little).
void BackendRun::UseAutomaticBlocks(int clusters, BcdSettings& descent) const
{
    descent.clusters = clusters;
    descent.movingBudget = AutomaticMovingBudget(m_opt.solver);
    if (!m_opt.IsGiven(kOptBcdCycle))
        descent.cycle = BcdCycle::Changing;
}

// Without a cluster count in the options, the descent where the whole model has too many directions for
// its search (bcd/block_descent.h), and the log says so.
void BackendRun::ChooseDescent(BcdSettings& descent)
{
    const int directions = m_model.mip.IntegerCount();
    const int clusters = AutomaticClusters(directions, m_opt.solver);
    if (clusters < 2)
        return;
    UseAutomaticBlocks(clusters, descent);
    Say("block coordinate descent chosen: " + std::to_string(directions) +
        " directions to choose are more than the whole model's search handles in a run (" +
        std::to_string(WholeModelDirections(m_opt.solver)) + " with " + m_solver->Name() + "); " +
        std::to_string(descent.clusters) + " blocks of about " +
        std::to_string(AutomaticBlockCells(directions, m_opt.solver)) +
        " sensitive cells (--bcd-clusters sets another count, 1 none)");
}

// Block coordinate descent from the starting table (bcd/block_descent.h).
bool BackendRun::Descend(SolverAdapter& adapter, const BcdSettings& descent, SolveResult& result)
{
    BcdHooks hooks;
    hooks.say = [this](const std::string& line) { Say(line); };
    hooks.stopGraceSeconds = kStopGraceSeconds;
    hooks.onOverrun = [this, &adapter](const std::vector<double>& incumbent)
    { EndOverrunWithTable(adapter.Name(), incumbent); };
    ProgressPrinter progress(m_control, m_opt.progressSeconds > 0 ? m_opt.progressSeconds : 5);
    result = RunBlockDescent(m_instance, m_model, adapter, SolveParamsFromOptions(m_opt), m_control, descent,
                             m_start, hooks)
                 .result;
    return true;
}

// The solver's table, read back from the adjusted values: kept when it passes the check, else
// repaired, else the starting table; the best checked table wins.
bool BackendRun::SecureTable(SolverAdapter& lp, SolverAdapter* integerSolver, SolveResult& result)
{
    const std::optional<std::vector<double>> failing = RepairIfFailing(
        lp, integerSolver, result,
        "the solver's table fails the solution check; repairing it with the directions it shows ...");
    if (!failing)
        return true;
    const std::vector<double>& repaired = *failing;
    const double repairedChange = repaired.empty() ? kInfinity : WeightedChange(m_instance, repaired);
    const double startChange = m_startTable.empty() ? kInfinity : WeightedChange(m_instance, m_startTable);
    if (repairedChange <= startChange && !repaired.empty())
    {
        Say("repair: a checked table with total weighted change " + LogNumber(repairedChange));
        result.solution = StdColumnsOf(m_instance, m_model, repaired);
    }
    else if (!m_startTable.empty())
    {
        Say("repair: " + std::string(repaired.empty() ? "none found" : "not better than the starting table") +
            "; the starting table is written");
        result.solution = m_start;
    }
    else
        Say("repair: none found; the solver's table is written as it is");
    if (result.status == SolveStatus::Optimal && !repaired.empty())
        result.status = SolveStatus::Feasible; // the repaired table is not the solver's proven optimum
    return true;
}

} // namespace vrn
