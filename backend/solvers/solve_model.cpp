#include "solvers/solve_model.h"

#include "solvers/lp_fallback.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

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

SolveResult SolveModel(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control)
{
    return model.RowCount() == 0 ? SolveWithoutRows(model)
                                 : SolveLinearSafely(model, solver, params, control);
}

} // namespace vrn
