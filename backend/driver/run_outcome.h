// How a run ends: the outcome the log and the .sol file name, and the exit status, from where the
// run stopped and what the solve gave. The exit statuses are those --help and the README list.
#pragma once

#include "common/exit_status.h"
#include "control/run_control.h"
#include "solvers/solver_adapter.h"

#include <string>

namespace vrn
{

// The step at which a run ended; Solved when it got as far as a solve.
enum class RunEnd
{
    CommandLine,
    LogNotWritable,
    Instance,
    InputInfeasible,
    SolverUnavailable,
    SolverUnfit,
    Solved
};

struct RunFacts
{
    RunEnd end = RunEnd::Solved;
    SolveStatus status = SolveStatus::NoSolution;
    bool hasTable = false; // the solve gave a value for every column
    StopReason stopReason = StopReason::None;
    bool checkFailed = false;  // the solution check ran and failed
    bool resultWritten = true; // the .sol file was written
};

struct RunOutcome
{
    int exitStatus = kExitProtected;
    std::string outcome; // "optimal", "feasible (time limit reached)", "infeasible", ...
    bool writesTable = false;
};

RunOutcome DecideOutcome(const RunFacts& facts);

} // namespace vrn
