// The solver's part of the result files' names and of the log, by its --solver code. The base path of
// the result files is the contract's ResultBasePath (contract/solver_codes.h), with SolverSuffix.
#pragma once

#include "contract/solver_codes.h"

#include <string>

namespace vrn
{

// "_cplex", "_xpress", "_glpk", "_cbc", "_clp", "_sym" for c x g b l s; empty for anything else.
std::string SolverSuffix(char solver);

// The solver's name as the log shows it ("CBC", "GLPK", ...).
std::string SolverName(char solver);

} // namespace vrn
