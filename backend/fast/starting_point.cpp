#include "fast/starting_point.h"

#include "common/number_format.h"
#include "fast/fast_solve.h"
#include "fast/table_repair.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace vrn
{

namespace
{

// The share of the time left that the starting table may take; the integer search gets the rest.
double StartShare(const Instance& instance)
{
    int directions = 0;
    for (const Cell& cell : instance.cells)
        directions += NeedsProtection(cell);
    return directions > kWholeModelDirections ? 2.0 / 3 : 1.0 / 3;
}

// The table of the Fast solve, or the mended table it found on the way when it was cut short.
std::vector<double> TableOfOutcome(const Instance& instance, const FastRunSettings& run,
                                   const FastOutcome& outcome, const RunLog& log)
{
    const SolveResult& result = outcome.result;
    if (outcome.solved && !result.solution.empty() &&
        (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible))
        return outcome.model.AdjustedValues(instance, result.solution);
    if (!outcome.mendedTable.empty() && TablePasses(instance, run, outcome.mendedTable))
    {
        log.say("starting point: the model with the mended directions was not solved in time; the mended "
                "table is taken as it is");
        return outcome.mendedTable;
    }
    return {};
}

std::vector<double> SolveStartingTable(const Instance& instance, const FastRunSettings& run,
                                       StdModelKind kind, SolverAdapter& solver, SolverAdapter* integerSolver,
                                       RunControl& control, const RunLog& log)
{
    FastRunSettings fast = OneStageFast(run);
    fast.kind = kind;
    fast.solve.solverChoosesMethod = !run.lpMethodGiven;
    fast.solve.lpMethodByShape = fast.solve.solverChoosesMethod;
    const bool relaxation = run.startingPoint == 'c';
    log.say(std::string("starting point (") + (relaxation ? "c" : "s") +
            "): the Fast model with the heuristic's directions ...");
    const FastOutcome outcome =
        SolveFast(instance, fast, solver, control, "", log,
                  relaxation ? HeuristicRelaxation::StdModel : HeuristicRelaxation::Balance, integerSolver);
    std::vector<double> adjusted = TableOfOutcome(instance, run, outcome, log);
    if (adjusted.empty() || TablePasses(instance, run, adjusted))
        return adjusted;
    // Within the solver's tolerance on its scaled copy, not within the check's: solved again tightly.
    log.say(
        "starting point: the table found fails the solution check; solving again with its directions ...");
    FastRunSettings repair = run;
    repair.solve.solverChoosesMethod = fast.solve.solverChoosesMethod;
    repair.solve.lpMethodByShape = fast.solve.lpMethodByShape;
    return RepairTable(instance, repair, adjusted, solver, integerSolver, control, log);
}

} // namespace

double StartingTableSeconds(const Instance& instance, const RunControl& control)
{
    return control.HasTimeLimit() ? control.Remaining() * StartShare(instance) : -1;
}

std::vector<double> FindStartingTable(const Instance& instance, const FastRunSettings& run, StdModelKind kind,
                                      SolverAdapter& solver, SolverAdapter* integerSolver,
                                      RunControl& control, const RunLog& log)
{
    // With a time limit the start has its own share of it; the run's stops reach it as well.
    const double part = StartShare(instance);
    const double share = control.Remaining() * part;
    RunControl own(control.HasTimeLimit() ? share : -1);
    std::optional<StopRelay> relay;
    if (control.HasTimeLimit())
        relay.emplace(control, own);
    RunControl& startControl = control.HasTimeLimit() ? own : control;
    std::vector<double> adjusted =
        SolveStartingTable(instance, run, kind, solver, integerSolver, startControl, log);
    relay.reset();
    if (adjusted.empty())
    {
        // The share ran out (the run's own limit may have come as well), not a stop command or a signal.
        const bool userStop =
            control.Reason() == StopReason::Command || control.Reason() == StopReason::Signal;
        const bool shareUsed = control.HasTimeLimit() && own.StopRequested() && !userStop;
        log.say(shareUsed ? "starting point: none found within its share of the time (" +
                                LogNumber(std::round(share * 10) / 10) + " s, " +
                                (part > 0.5 ? "two thirds" : "a third") +
                                " of what was left); the integer search starts without one"
                          : "starting point: none found; the integer search starts without one");
        return {};
    }
    log.say("starting point: a protected table with total weighted change " +
            LogNumber(WeightedChange(instance, adjusted)));
    return adjusted;
}

std::vector<double> FindStartingPoint(const Instance& instance, const FastRunSettings& run,
                                      const StdModel& model, SolverAdapter& solver, RunControl& control,
                                      const RunLog& log)
{
    const std::vector<double> adjusted =
        FindStartingTable(instance, run, model.kind, solver, nullptr, control, log);
    return adjusted.empty() ? std::vector<double>{} : StdColumnsOf(instance, model, adjusted);
}

} // namespace vrn
