// Names of the result files: the same rule the front-end uses to find them.
#pragma once

#include "contract/solver_codes.h"

#include <string>

namespace vrn
{

// "_cplex", "_xpress", "_glpk", "_cbc", "_clp", "_sym" for c x g b l s; empty for anything else.
std::string SolverSuffix(char solver);

// The solver's name as the log shows it ("CBC", "GLPK", ...).
std::string SolverName(char solver);

// FOLDER, a separator unless FOLDER is empty or ends in one, the instance name without directory
// (after the last separator) and extension (from the last "."), and the solver suffix.
std::string ResultBasePath(const std::string& folder, const std::string& instancePath, char solver,
                           char separator = '/');

} // namespace vrn
