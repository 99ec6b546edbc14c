// CBC through its own driver (CbcMain1), whose search finds tables that its plain API does not.
#pragma once

#include "solvers/solver_adapter.h"

namespace vrn
{
std::unique_ptr<SolverAdapter> MakeCbcSolver();
}
