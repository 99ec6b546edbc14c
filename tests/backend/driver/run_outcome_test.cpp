#include "driver/run_outcome.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using vrn::RunEnd;
using vrn::SolveStatus;
using vrn::StopReason;

struct OutcomeRow
{
    const char* name;
    vrn::RunFacts facts;
    int exitStatus;
    std::string outcome;
    bool writesTable;
};

void PrintTo(const OutcomeRow& row, std::ostream* os)
{
    *os << row.name;
}

vrn::RunFacts EndedAt(RunEnd end)
{
    vrn::RunFacts facts;
    facts.end = end;
    return facts;
}

vrn::RunFacts Solved(SolveStatus status, bool hasTable, StopReason reason = StopReason::None)
{
    vrn::RunFacts facts;
    facts.status = status;
    facts.hasTable = hasTable;
    facts.stopReason = reason;
    return facts;
}

vrn::RunFacts CheckFailed()
{
    vrn::RunFacts facts = Solved(SolveStatus::Optimal, true);
    facts.checkFailed = true;
    return facts;
}

vrn::RunFacts NotWritten(vrn::RunFacts facts)
{
    facts.resultWritten = false;
    return facts;
}

// One or more rows for each line of the exit-status table in the back-end's README.
const OutcomeRow kRows[] = {
    {"ProtectedOptimal", Solved(SolveStatus::Optimal, true), 0, "optimal", true},
    {"ProtectedAtTheTimeLimit", Solved(SolveStatus::Feasible, true, StopReason::TimeLimit), 0,
     "feasible (time limit reached)", true},
    {"ProtectedAfterStop", Solved(SolveStatus::Feasible, true, StopReason::Command), 0,
     "feasible (stopped by the stop command)", true},
    {"ResultFilesNotWritten", NotWritten(Solved(SolveStatus::Optimal, true)), 1, "optimal", true},
    {"LogNotWritable", EndedAt(RunEnd::LogNotWritable), 1, "result files cannot be written", false},
    {"NoTableAndNoSolFile", NotWritten(Solved(SolveStatus::Infeasible, false)), 1, "infeasible", false},
    {"CommandLine", EndedAt(RunEnd::CommandLine), 2, "command line error", false},
    {"Instance", EndedAt(RunEnd::Instance), 3, "instance errors", false},
    {"InputCheckInfeasible", EndedAt(RunEnd::InputInfeasible), 4, "infeasible", false},
    {"SolverProvedInfeasible", Solved(SolveStatus::Infeasible, false), 4, "infeasible", false},
    {"NoSolutionBeforeTheLimit", Solved(SolveStatus::NoSolution, false, StopReason::TimeLimit), 5,
     "no solution (time limit reached)", false},
    {"NoSolutionAfterSigterm", Solved(SolveStatus::NoSolution, false, StopReason::Signal), 5,
     "no solution (stopped by SIGTERM)", false},
    {"SolverFailed", Solved(SolveStatus::Failed, false), 5, "solver failed", false},
    {"FeasibleWithoutAWholeSolution", Solved(SolveStatus::Feasible, false), 5, "feasible", false},
    {"SolverUnavailable", EndedAt(RunEnd::SolverUnavailable), 6, "solver not available", false},
    {"SolverUnfit", EndedAt(RunEnd::SolverUnfit), 7, "solver cannot solve this model", false},
    {"CheckFailed", CheckFailed(), 8, "optimal", true},
    {"CheckFailedAndNotWritten", NotWritten(CheckFailed()), 1, "optimal", true},
};

class RunOutcomeRows : public ::testing::TestWithParam<OutcomeRow>
{
};

TEST_P(RunOutcomeRows, ExitStatusAndOutcome)
{
    const OutcomeRow& row = GetParam();
    const vrn::RunOutcome outcome = vrn::DecideOutcome(row.facts);
    EXPECT_EQ(outcome.exitStatus, row.exitStatus);
    EXPECT_EQ(outcome.outcome, row.outcome);
    EXPECT_EQ(outcome.writesTable, row.writesTable);
}

INSTANTIATE_TEST_SUITE_P(ExitStatusTable, RunOutcomeRows, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
