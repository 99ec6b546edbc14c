#include "fast/table_repair.h"

#include "model/checks.h"

#include <algorithm>

namespace vrn
{

bool TablePasses(const Instance& instance, const FastRunSettings& run, const std::vector<double>& adjusted)
{
    return adjusted.size() == instance.cells.size() &&
           CheckSolution(instance, adjusted, run.model.additive, run.model.integerCells, run.tolerance)
               .passed;
}

std::vector<double> RepairTable(const Instance& instance, const FastRunSettings& run,
                                const std::vector<double>& adjusted, SolverAdapter& solver,
                                SolverAdapter* integerSolver, RunControl& control, const RunLog& log)
{
    const double big = run.model.big;
    DirectionChoice choice = ForcedDirections(instance, big);
    ReadDirectionsFromTable(instance, adjusted, big, false, choice);
    FastRunSettings repair = OneStageFast(run);
    repair.solve.simplex = true;
    // Tighter than the check, so that what the solver calls feasible passes it.
    repair.solve.feasibility = std::max(1e-10, run.tolerance / 100);
    repair.tolerance = repair.solve.feasibility;
    log.say("repair: the linear program with the directions read from the table (" + choice.Summary() +
            ") ...");
    const FastOutcome fast =
        SolveFastWithDirections(instance, repair, solver, control, "", log, std::move(choice), integerSolver);
    const SolveResult& result = fast.result;
    if (!fast.solved || result.solution.size() != static_cast<size_t>(fast.model.mip.ColumnCount()) ||
        (result.status != SolveStatus::Optimal && result.status != SolveStatus::Feasible))
        return {};
    std::vector<double> repaired = fast.model.AdjustedValues(instance, result.solution);
    if (!TablePasses(instance, run, repaired))
        return {};
    return repaired;
}

} // namespace vrn
