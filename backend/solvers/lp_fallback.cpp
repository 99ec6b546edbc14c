#include "solvers/lp_fallback.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

double LargestViolation(const MipModel& model, const std::vector<double>& solution)
{
    double worst = 0;
    for (int c = 0; c < model.ColumnCount(); ++c)
    {
        const double size = std::max(1.0, std::fabs(solution[c]));
        worst = std::max(
            {worst, (model.colLower[c] - solution[c]) / size, (solution[c] - model.colUpper[c]) / size});
    }
    for (int r = 0; r < model.RowCount(); ++r)
    {
        double activity = 0, size = 1;
        for (int64_t k = model.rowStart[r]; k < model.rowStart[r + 1]; ++k)
        {
            const double term = model.entryValue[k] * solution[model.entryCol[k]];
            activity += term;
            size = std::max(size, std::fabs(term));
        }
        worst =
            std::max({worst, (model.rowLower[r] - activity) / size, (activity - model.rowUpper[r]) / size});
    }
    return worst;
}

namespace
{

bool TimeLeft(RunControl& control)
{
    return !control.StopRequested() && (!control.HasTimeLimit() || control.Remaining() > 0.01);
}

} // namespace

SolveResult SolveLinearSafely(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                              RunControl& control)
{
    SolveResult result = solver.Solve(model, params, control);
    if (model.HasIntegers())
        return result;
    const bool barrier = !params.simplex || params.solverChoosesMethod || params.lpMethodByShape;
    const bool failed = result.status == SolveStatus::Failed ||
                        (result.status == SolveStatus::Infeasible && !result.infeasibleByPresolve) ||
                        (result.status == SolveStatus::NoSolution && TimeLeft(control));
    if (barrier && failed && TimeLeft(control))
    {
        // The interior point gives up on ill-conditioned tables (GLPK: numerical instability) and can take
        // a failure for infeasibility; the simplex decides.
        SolveParams simplex = params;
        simplex.simplex = true;
        simplex.solverChoosesMethod = false;
        const std::string before = result.detail;
        result = solver.Solve(model, simplex, control);
        result.detail = "the interior point ended without a solution (" + before +
                        "); the simplex method: " + result.detail;
    }
    if (HasFullSolution(result, model) && result.status != SolveStatus::Optimal)
    {
        const double violation = LargestViolation(model, result.solution);
        if (violation > std::max(params.feasibility, 1e-9))
        {
            // An interior point stopped before it converged: relations off by far more than the tolerance.
            result.detail += "; the unfinished point is not a table (a relation or bound off by " +
                             std::to_string(violation) + " of its size)";
            result.solution.clear();
            result.status = SolveStatus::NoSolution;
        }
    }
    return result;
}

} // namespace vrn
