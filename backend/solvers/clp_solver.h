// CLP: linear programs only (the Std model with every direction fixed, or without sensitive cells).
#pragma once

#include "solvers/solver_adapter.h"

namespace vrn
{
std::unique_ptr<SolverAdapter> MakeClpSolver();
}
