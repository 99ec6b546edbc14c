// Exit statuses of mainVRN.exe, as --help and the README list them.
#pragma once

namespace vrn
{

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

} // namespace vrn
