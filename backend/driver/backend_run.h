// The whole run of mainVRN.exe: command line, log, instance, checks, model, solve, result files.
#pragma once

#include "common/exit_status.h"
#include "solvers/solver_adapter.h"

namespace vrn
{

int RunBackend(int argc, char** argv, const BuildInfo& build);

} // namespace vrn
