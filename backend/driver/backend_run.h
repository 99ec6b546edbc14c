// The whole run of mainVRN.exe: command line, log, instance, checks, model, solve, result files.
#pragma once

#include "common/exit_status.h"
#include "solvers/solver_adapter.h"

#include <string>

namespace vrn
{

int RunBackend(int argc, char** argv, const BuildInfo& build);

// The folder of the running executable ("." when it cannot be found).
std::string ExecutableDirectory();

} // namespace vrn
