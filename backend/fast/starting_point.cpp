#include "fast/starting_point.h"

#include "common/number_format.h"
#include "fast/fast_solve.h"
#include "fast/run_settings.h"
#include "fast/table_repair.h"
#include "instance/cell_rules.h"
#include "model/checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace vrn
{

namespace
{

// The LP method named on the command line (--method or --crossover) is kept; otherwise the solver picks
// its own for the starting table, which has to leave the integer search most of the time limit.
bool LpMethodGiven(const BackendOptions& options)
{
    for (const auto& given : options.given)
        if (given.first == "--method" || given.first == "--crossover")
            return true;
    return false;
}

} // namespace

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
std::vector<double> TableOfOutcome(const Instance& instance, const BackendOptions& options,
                                   const FastOutcome& outcome, const FastLog& log)
{
    const SolveResult& result = outcome.result;
    if (outcome.solved && !result.solution.empty() &&
        (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible))
        return outcome.model.AdjustedValues(instance, result.solution);
    if (!outcome.mendedTable.empty() && TablePasses(instance, options, outcome.mendedTable))
    {
        log.say("starting point: the model with the mended directions was not solved in time; the mended "
                "table is taken as it is");
        return outcome.mendedTable;
    }
    return {};
}

std::vector<double> SolveStartingTable(const Instance& instance, const BackendOptions& options,
                                       StdModelKind kind, SolverAdapter& solver, SolverAdapter* integerSolver,
                                       RunControl& control, const FastLog& log)
{
    BackendOptions fast = OneStageFastOptions(options);
    fast.model = kind;
    fast.solverChoosesLpMethod = !LpMethodGiven(options);
    fast.lpMethodByShape = fast.solverChoosesLpMethod;
    const bool relaxation = options.startingPoint == 'c';
    log.say(std::string("starting point (") + (relaxation ? "c" : "s") +
            "): the Fast model with the heuristic's directions ...");
    const FastOutcome outcome =
        SolveFast(instance, fast, solver, control, "", log,
                  relaxation ? HeuristicRelaxation::StdModel : HeuristicRelaxation::Balance, integerSolver);
    std::vector<double> adjusted = TableOfOutcome(instance, options, outcome, log);
    if (adjusted.empty() || TablePasses(instance, options, adjusted))
        return adjusted;
    // Within the solver's tolerance on its scaled copy, not within the check's: solved again tightly.
    log.say(
        "starting point: the table found fails the solution check; solving again with its directions ...");
    BackendOptions repair = options;
    repair.solverChoosesLpMethod = fast.solverChoosesLpMethod;
    repair.lpMethodByShape = fast.lpMethodByShape;
    return RepairTable(instance, repair, adjusted, solver, integerSolver, control, log);
}

} // namespace

double StartingTableSeconds(const Instance& instance, const RunControl& control)
{
    return control.HasTimeLimit() ? control.Remaining() * StartShare(instance) : -1;
}

std::vector<double> FindStartingTable(const Instance& instance, const BackendOptions& options,
                                      StdModelKind kind, SolverAdapter& solver, SolverAdapter* integerSolver,
                                      RunControl& control, const FastLog& log)
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
        SolveStartingTable(instance, options, kind, solver, integerSolver, startControl, log);
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

std::vector<double> FindStartingPoint(const Instance& instance, const BackendOptions& options,
                                      const StdModel& model, SolverAdapter& solver, RunControl& control,
                                      const FastLog& log)
{
    const std::vector<double> adjusted =
        FindStartingTable(instance, options, model.kind, solver, nullptr, control, log);
    return adjusted.empty() ? std::vector<double>{} : StdColumnsOf(instance, model, adjusted);
}

std::string KeepStartingPoint(const MipModel& model, const std::vector<double>& start, SolveResult& result)
{
    if (start.size() != static_cast<size_t>(model.ColumnCount()))
        return {};
    const double objective = model.ObjectiveAt(start);
    const bool hasTable = (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible) &&
                          result.solution.size() == start.size();
    if (hasTable && result.objective <= objective + 1e-9 * std::max(1.0, std::fabs(objective)))
        return {};
    std::string note =
        "the solver returned no table better than the starting point: the starting point is kept";
    if (!hasTable)
    {
        // "Infeasible" for a model that the starting table satisfies proves nothing: SYMPHONY said so of
        // a count table's model where CBC and GLPK then found tables 12 % better. No bound is claimed.
        if (result.status == SolveStatus::Infeasible)
        {
            note += " (the solver declared the model infeasible, which the starting table is not: no bound "
                    "is claimed)";
            result.bound = -kInfinity;
        }
        result.status = SolveStatus::Feasible;
    }
    result.solution = start;
    result.objective = objective;
    return note;
}

} // namespace vrn
