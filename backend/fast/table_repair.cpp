#include "fast/table_repair.h"

#include "fast/run_settings.h"
#include "model/checks.h"

#include <algorithm>

namespace vrn
{

bool TablePasses(const Instance& instance, const BackendOptions& options, const std::vector<double>& adjusted)
{
    return adjusted.size() == instance.cells.size() &&
           CheckSolution(instance, adjusted, options.additive, options.integerCells, options.feasibility)
               .passed;
}

std::vector<double> RepairTable(const Instance& instance, const BackendOptions& options,
                                const std::vector<double>& adjusted, SolverAdapter& solver,
                                SolverAdapter* integerSolver, RunControl& control, const FastLog& log)
{
    const double big = BigFromOptions(instance, options);
    DirectionChoice choice = ForcedDirections(instance, big);
    ReadDirectionsFromTable(instance, adjusted, big, false, choice);
    BackendOptions repair = OneStageFastOptions(options);
    repair.simplex = true;
    // Tighter than the check, so that what the solver calls feasible passes it.
    repair.feasibility = std::max(1e-10, options.feasibility / 100);
    log.say("repair: the linear program with the directions read from the table (" + choice.Summary() +
            ") ...");
    const FastOutcome fast =
        SolveFastWithDirections(instance, repair, solver, control, "", log, std::move(choice), integerSolver);
    const SolveResult& result = fast.result;
    if (!fast.solved || result.solution.size() != static_cast<size_t>(fast.model.mip.ColumnCount()) ||
        (result.status != SolveStatus::Optimal && result.status != SolveStatus::Feasible))
        return {};
    std::vector<double> repaired = fast.model.AdjustedValues(instance, result.solution);
    if (!TablePasses(instance, options, repaired))
        return {};
    return repaired;
}

} // namespace vrn
