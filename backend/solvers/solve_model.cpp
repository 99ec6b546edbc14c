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

SolveResult SolveModel(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control)
{
    if (model.RowCount() == 0)
        return SolveWithoutRows(model);
    return StartOverBrokenSolution(model, params, SolveLinearSafely(model, solver, params, control));
}

} // namespace vrn
