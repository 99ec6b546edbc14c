// Linear programs solved so that what comes back is a usable point or nothing: an interior point
// that fails (numerical instability, no convergence) or claims infeasibility is checked with the
// simplex method, and a point that the solver did not finish (a time limit or a stop in the middle of
// the interior point) is kept only when it satisfies the rows and bounds.
#pragma once

#include "solvers/solver_adapter.h"

namespace vrn
{

// The largest violation of a row or column bound by `solution`, each row's relative to the size of
// its terms (at least 1).
double LargestViolation(const MipModel& model, const std::vector<double>& solution);

// Solves a model with the adapter. For a linear program with the interior point: a failure, or a
// claim of infeasibility (but one by the presolve), is tried again with the simplex in the time left. For any
// linear program: an unfinished point that violates a row or bound by more than the feasibility tolerance is
// dropped (status NoSolution). `detail` says what was done.
SolveResult SolveLinearSafely(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                              RunControl& control);

} // namespace vrn
