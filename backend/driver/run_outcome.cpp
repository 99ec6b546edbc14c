#include "driver/run_outcome.h"

namespace vrn
{

namespace
{

std::string WithReason(const std::string& outcome, StopReason reason)
{
    return reason == StopReason::None ? outcome : outcome + " (" + StopReasonText(reason) + ")";
}

std::string SolveOutcomeText(const RunFacts& facts)
{
    switch (facts.status)
    {
    case SolveStatus::Optimal:
        return "optimal";
    case SolveStatus::Feasible:
        return WithReason("feasible", facts.stopReason);
    case SolveStatus::Infeasible:
        return "infeasible";
    case SolveStatus::NoSolution:
        return WithReason("no solution", facts.stopReason);
    default:
        return "solver failed";
    }
}

RunOutcome EndedBeforeTheSolve(RunEnd end)
{
    switch (end)
    {
    case RunEnd::CommandLine:
        return {kExitUsage, "command line error", false};
    case RunEnd::LogNotWritable:
        return {kExitResultFiles, "result files cannot be written", false};
    case RunEnd::Instance:
        return {kExitInstance, "instance errors", false};
    case RunEnd::InputInfeasible:
        return {kExitInfeasible, "infeasible", false};
    case RunEnd::SolverUnavailable:
        return {kExitSolverUnavailable, "solver not available", false};
    default:
        return {kExitUnsupported, "solver cannot solve this model", false};
    }
}

} // namespace

RunOutcome DecideOutcome(const RunFacts& facts)
{
    RunOutcome out;
    if (facts.end != RunEnd::Solved)
        out = EndedBeforeTheSolve(facts.end);
    else
    {
        out.outcome = SolveOutcomeText(facts);
        out.writesTable =
            facts.hasTable && (facts.status == SolveStatus::Optimal || facts.status == SolveStatus::Feasible);
        out.exitStatus = out.writesTable ? (facts.checkFailed ? kExitCheckFailed : kExitProtected)
                         : facts.status == SolveStatus::Infeasible ? kExitInfeasible
                                                                   : kExitNoSolution;
    }
    if (!facts.resultWritten)
        out.exitStatus = kExitResultFiles;
    return out;
}

} // namespace vrn
