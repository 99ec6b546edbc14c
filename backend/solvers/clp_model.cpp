#include "solvers/clp_model.h"

#include "solvers/coin_matrix.h"

#include <ClpSimplex.hpp>
#include <OsiClpSolverInterface.hpp>

namespace vrn
{

namespace
{

// ClpSimplex and OsiClpSolverInterface take a problem through the same loadProblem.
template <class ClpLoader>
void LoadModel(ClpLoader& solver, const MipModel& model)
{
    const std::vector<double> colLower = CoinBounds(model.colLower), colUpper = CoinBounds(model.colUpper);
    const std::vector<double> rowLower = CoinBounds(model.rowLower), rowUpper = CoinBounds(model.rowUpper);
    solver.loadProblem(ToCoinMatrix(model), colLower.data(), colUpper.data(), model.cost.data(),
                       rowLower.data(), rowUpper.data());
}

} // namespace

void LoadIntoClp(ClpSimplex& clp, const MipModel& model)
{
    LoadModel(clp, model);
}

void LoadIntoClp(OsiClpSolverInterface& lp, const MipModel& model)
{
    LoadModel(lp, model);
}

void SetClpLimits(ClpSimplex& clp, const SolveParams& params, const RunControl& control)
{
    clp.setMaximumWallSeconds(SolverTimeLimit(control));
    clp.setPrimalTolerance(params.feasibility);
    if (params.lpTolerance > 0)
        clp.setDualTolerance(params.lpTolerance);
    clp.setRandomSeed(params.seed);
}

SolveResult ClpSolveResult(ClpSimplex& clp)
{
    SolveResult result;
    result.detail = "CLP status " + std::to_string(clp.status()) + ", secondary status " +
                    std::to_string(clp.secondaryStatus()) + ", " + std::to_string(clp.numberIterations()) +
                    " iterations";
    if (clp.isProvenPrimalInfeasible())
        result.status = SolveStatus::Infeasible;
    else if (clp.isProvenOptimal() || (clp.status() != 4 && clp.primalFeasible()))
    {
        // A stopped simplex keeps a usable point only when it is primal feasible.
        result.status = clp.isProvenOptimal() ? SolveStatus::Optimal : SolveStatus::Feasible;
        result.solution.assign(clp.primalColumnSolution(), clp.primalColumnSolution() + clp.numberColumns());
        result.objective = clp.objectiveValue();
        if (clp.isProvenOptimal())
            result.bound = result.objective;
    }
    else
        result.status = clp.status() == 4 ? SolveStatus::Failed : SolveStatus::NoSolution;
    return result;
}

} // namespace vrn
