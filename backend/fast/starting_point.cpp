#include "fast/starting_point.h"

#include "common/number_format.h"
#include "fast/fast_solve.h"
#include "fast/run_settings.h"
#include "fast/table_repair.h"
#include "model/checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

std::vector<double> FindStartingTable(const Instance& instance, const BackendOptions& options,
                                      StdModelKind kind, SolverAdapter& solver, SolverAdapter* integerSolver,
                                      RunControl& control, const FastLog& log)
{
    BackendOptions fast = OneStageFastOptions(options);
    fast.model = kind;
    fast.solverChoosesLpMethod = !LpMethodGiven(options);
    const bool relaxation = options.startingPoint == 'c';
    log.say(std::string("starting point (") + (relaxation ? "c" : "s") +
            "): the Fast model with the heuristic's directions ...");
    const FastOutcome outcome =
        SolveFast(instance, fast, solver, control, "", log,
                  relaxation ? HeuristicRelaxation::StdModel : HeuristicRelaxation::Balance, integerSolver);
    const SolveResult& result = outcome.result;
    if (!outcome.solved || result.solution.empty() ||
        (result.status != SolveStatus::Optimal && result.status != SolveStatus::Feasible))
    {
        log.say("starting point: none found; the integer search starts without one");
        return {};
    }
    std::vector<double> adjusted = outcome.model.AdjustedValues(instance, result.solution);
    if (!TablePasses(instance, options, adjusted))
    {
        // Within the solver's tolerance on its scaled copy, not within the check's: solved again tightly.
        log.say("starting point: the table found fails the solution check; solving again with its directions "
                "...");
        BackendOptions repair = options;
        repair.solverChoosesLpMethod = fast.solverChoosesLpMethod;
        adjusted = RepairTable(instance, repair, adjusted, solver, integerSolver, control, log);
        if (adjusted.empty())
        {
            log.say("starting point: none found; the integer search starts without one");
            return {};
        }
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
        // Proven "infeasible" with a feasible start means that no table beats the start.
        result.status =
            result.status == SolveStatus::Infeasible ? SolveStatus::Optimal : SolveStatus::Feasible;
        result.bound = result.status == SolveStatus::Optimal ? objective : result.bound;
    }
    result.solution = start;
    result.objective = objective;
    return note;
}

} // namespace vrn
