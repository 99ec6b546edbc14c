#include "solvers/solve_model.h"

#include "solvers/lp_fallback.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

bool ManyRowsForColumns(const MipModel& model)
{
    return 10 * static_cast<int64_t>(model.RowCount()) >= model.ColumnCount();
}

double SolverTimeLimit(const RunControl& control)
{
    return control.HasTimeLimit() ? std::max(0.01, control.Remaining()) : 1e8;
}

SolveResult SolveWithoutRows(const MipModel& model)
{
    SolveResult result;
    result.solution.resize(static_cast<size_t>(model.ColumnCount()));
    result.objective = 0;
    for (int c = 0; c < model.ColumnCount(); ++c)
    {
        result.solution[c] = model.isInteger[c] ? std::ceil(model.colLower[c] - 1e-9) : model.colLower[c];
        if (result.solution[c] > model.colUpper[c])
        {
            result.status = SolveStatus::Infeasible;
            result.solution.clear();
            return result;
        }
        result.objective += model.cost[c] * result.solution[c];
    }
    result.bound = result.objective;
    result.status = SolveStatus::Optimal;
    return result;
}

SolveResult StartOverBrokenSolution(const MipModel& model, const SolveParams& params, SolveResult result)
{
    const size_t columns = static_cast<size_t>(model.ColumnCount());
    if (!model.HasIntegers() || params.start.size() != columns || result.solution.size() != columns)
        return result;
    const double violation = LargestViolation(model, result.solution);
    if (violation <= 10 * std::max(params.feasibility, 1e-9))
        return result;
    result.detail += "; its solution breaks the model (a row or bound off by " + std::to_string(violation) +
                     " of its size), so the starting solution is returned";
    result.solution = params.start;
    result.objective = model.ObjectiveAt(params.start);
    result.status = SolveStatus::Feasible;
    return result;
}

namespace
{

bool AllIntegersWhole(const MipModel& model, const std::vector<double>& solution)
{
    for (int c = 0; c < model.ColumnCount(); ++c)
        if (model.isInteger[c] && solution[c] != std::round(solution[c]))
            return false;
    return true;
}

// The model as a linear program with every integer column fixed at its value in `solution`, rounded.
MipModel WithIntegersFixed(const MipModel& model, const std::vector<double>& solution)
{
    MipModel fixed = model;
    for (int c = 0; c < model.ColumnCount(); ++c)
        if (model.isInteger[c])
        {
            const double whole = std::clamp(std::round(solution[c]), model.colLower[c], model.colUpper[c]);
            fixed.colLower[c] = fixed.colUpper[c] = whole;
            fixed.isInteger[c] = 0;
        }
    return fixed;
}

} // namespace

SolveResult WithWholeIntegers(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                              RunControl& control, SolveResult result, double seconds)
{
    if (!model.HasIntegers() || !HasFullSolution(result, model) || AllIntegersWhole(model, result.solution))
        return result;
    // A stop from the user is obeyed at once; the time limit leaves the short solve its own seconds.
    if (const StopReason reason = control.Reason();
        reason == StopReason::Command || reason == StopReason::Signal)
        return result;
    SolveParams linear = params;
    linear.start.clear();
    linear.firstFeasible = false;
    linear.simplex = true;
    linear.solverChoosesMethod = false;
    linear.lpMethodByShape = false;
    RunControl own(seconds);
    const MipModel fixed = WithIntegersFixed(model, result.solution);
    const SolveResult whole = solver.Solve(fixed, linear, own);
    const double allowed = 1e-6 * std::max(1.0, std::fabs(result.objective));
    if (whole.status != SolveStatus::Optimal || !HasFullSolution(whole, fixed) ||
        !(whole.objective <= result.objective + allowed))
        return result;
    result.solution = whole.solution;
    for (int c = 0; c < model.ColumnCount(); ++c)
        if (model.isInteger[c])
            result.solution[c] = fixed.colLower[c]; // exactly whole, whatever the linear solve returned
    result.objective = model.ObjectiveAt(result.solution);
    result.detail += "; its integer columns rounded and the linear program with them fixed solved again";
    return result;
}

SolveResult SolveModel(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control)
{
    if (model.RowCount() == 0)
        return SolveWithoutRows(model);
    SolveResult result =
        StartOverBrokenSolution(model, params, SolveLinearSafely(model, solver, params, control));
    return WithWholeIntegers(model, solver, params, control, std::move(result));
}

} // namespace vrn
