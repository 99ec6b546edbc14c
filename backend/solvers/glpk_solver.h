// GLPK: linked only into the sibling executable mainVRN-glpk (GPL), never beside the COIN-OR solvers.
#pragma once

#include "solvers/solver_adapter.h"

namespace vrn
{
std::unique_ptr<SolverAdapter> MakeGlpkSolver();
}
