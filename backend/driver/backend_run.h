// The whole run of mainVRN.exe: command line, log, instance, checks, model, solve, result files.
#pragma once

#include "solver_adapter.h"

namespace vrn
{

// Exit statuses, as --help and the README list them.
enum ExitStatus
{
    kExitProtected = 0,
    kExitResultFiles = 1,
    kExitUsage = 2,
    kExitInstance = 3,
    kExitInfeasible = 4,
    kExitNoSolution = 5,
    kExitSolverUnavailable = 6,
    kExitUnsupported = 7,
    kExitCheckFailed = 8
};

int RunBackend(int argc, char** argv, const BuildInfo& build);

} // namespace vrn
