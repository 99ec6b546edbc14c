// SYMPHONY's branch and cut.
#pragma once

#include "solvers/solver_adapter.h"

namespace vrn
{
std::unique_ptr<SolverAdapter> MakeSymphonySolver();
}
