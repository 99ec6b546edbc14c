// GLPK: linked only into the sibling executable mainVRN-glpk (GPL), never beside the COIN-OR solvers.
#pragma once

#include "solver_adapter.h"

namespace vrn
{
std::unique_ptr<SolverAdapter> MakeGlpkSolver();
}
