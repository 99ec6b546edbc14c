#include "control/run_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace
{

TEST(RunControl, CommandsFromStandardInput)
{
    vrn::RunControl control(-1);
    EXPECT_EQ(vrn::ObeyCommand("", control), "");
    EXPECT_NE(vrn::ObeyCommand("help", control).find("stop"), std::string::npos);
    EXPECT_EQ(vrn::ObeyCommand("stopp", control),
              "[vrn] unknown command 'stopp'; the commands are stop, status and help");
    EXPECT_NE(vrn::ObeyCommand(" status\r", control).find("no protected table yet"), std::string::npos);
    EXPECT_FALSE(control.StopRequested());
    EXPECT_NE(vrn::ObeyCommand("stop\r", control).find("best table found so far will be written"),
              std::string::npos);
    EXPECT_TRUE(control.StopRequested());
    EXPECT_EQ(control.Reason(), vrn::StopReason::Command);
}

TEST(RunControl, TheFirstReasonToStopIsKept)
{
    vrn::RunControl control(-1);
    control.RequestStop(vrn::StopReason::FirstFeasible);
    control.RequestStop(vrn::StopReason::Command);
    EXPECT_EQ(control.Reason(), vrn::StopReason::FirstFeasible);
}

TEST(RunControl, TheReserveForTheEndStopsTheSolversBeforeTheLimit)
{
    struct Case
    {
        double limit, reserve, solverSeconds; // the seconds a solver is given at once
    };
    // A reserve is capped at a tenth of the limit, and none without a limit.
    for (const Case c : {Case{100, 3, 97}, Case{100, 30, 90}, Case{100, -1, 100}, Case{-1, 3, 1e9}})
    {
        vrn::RunControl control(c.limit);
        control.ReserveForTheEnd(c.reserve);
        EXPECT_NEAR(control.Remaining(), c.solverSeconds, 0.5) << c.limit << " " << c.reserve;
    }
    vrn::RunControl control(1.0);
    control.ReserveForTheEnd(0.1);
    std::this_thread::sleep_for(std::chrono::milliseconds(950));
    EXPECT_TRUE(control.StopRequested()); // 0.95 s: past the limit less its reserve
    EXPECT_EQ(control.Reason(), vrn::StopReason::TimeLimit);
}

TEST(RunControl, TimeLimitBecomesAStop)
{
    vrn::RunControl control(0.05);
    EXPECT_TRUE(control.HasTimeLimit());
    EXPECT_FALSE(control.StopRequested());
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_TRUE(control.StopRequested());
    EXPECT_EQ(control.Reason(), vrn::StopReason::TimeLimit);
    EXPECT_EQ(control.Remaining(), 0);
}

TEST(RunControl, StatusShowsIncumbentBoundAndGapInOriginalUnits)
{
    vrn::RunControl control(-1);
    control.SetObjectiveScale(100);
    control.SetPhase("solving with CBC");
    control.SetIncumbent(2.5);
    control.SetBound(2);
    const std::string line = control.StatusLine();
    EXPECT_NE(line.find("solving with CBC"), std::string::npos);
    EXPECT_NE(line.find("objective 250"), std::string::npos) << line;
    EXPECT_NE(line.find("bound 200"), std::string::npos) << line;
    EXPECT_NE(line.find("gap 20 %"), std::string::npos) << line;

    vrn::RunControl hidden(-1);
    hidden.SetIncumbentHidden(true);
    EXPECT_NE(hidden.StatusLine().find("solver's own progress lines"), std::string::npos);
}

} // namespace

namespace
{

TEST(StopWatchdog, EndsTheRunOnlyWhenTheSolverOverrunsAStop)
{
    auto control = std::make_shared<vrn::RunControl>(-1);
    std::atomic<int> overruns{0};
    {
        vrn::StopWatchdog watchdog(control, 0.2, [&] { ++overruns; });
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
    }
    EXPECT_EQ(overruns, 0); // no stop: the solver may take as long as it likes
    {
        vrn::StopWatchdog watchdog(control, 0.2, [&] { ++overruns; });
        control->RequestStop(vrn::StopReason::Command);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(overruns, 0); // the solver returned within the grace time
    {
        vrn::StopWatchdog watchdog(control, 0.2, [&] { ++overruns; });
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
    }
    EXPECT_EQ(overruns, 1);
}

TEST(StopWatchdog, AWithdrawnStopEndsItsGrace)
{
    // Searches that each stop at their first table and withdraw the stop: brief stops far apart are no
    // overrun, however long the run.
    auto control = std::make_shared<vrn::RunControl>(-1);
    std::atomic<int> overruns{0};
    {
        vrn::StopWatchdog watchdog(control, 0.4, [&] { ++overruns; });
        for (int search = 0; search < 3; ++search)
        {
            control->RequestStop(vrn::StopReason::FirstFeasible);
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            control->WithdrawStop(vrn::StopReason::FirstFeasible);
            std::this_thread::sleep_for(std::chrono::milliseconds(350));
        }
    }
    EXPECT_EQ(overruns, 0);
}

TEST(StopWatchdog, TheTimeLimitCountsAsAStop)
{
    auto control = std::make_shared<vrn::RunControl>(0.1);
    std::atomic<int> overruns{0};
    {
        vrn::StopWatchdog watchdog(control, 0.1, [&] { ++overruns; });
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    EXPECT_EQ(overruns, 1);
    EXPECT_EQ(control->Reason(), vrn::StopReason::TimeLimit);
}

// Command lines on standard input meant to break the reader: a flood without a line end is cut
// off, and the echo of an unknown command is escaped and short.
TEST(HostileCommands, LongLinesAreCutOffAndEchoesEscaped)
{
    vrn::CommandLineSplitter splitter;
    EXPECT_TRUE(splitter.Feed("sto", 3).empty());
    auto lines = splitter.Feed("p\nstatus\n", 9);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "stop");
    const std::string flood(10 << 20, 'a');
    EXPECT_TRUE(splitter.Feed(flood.data(), flood.size()).empty());
    lines = splitter.Feed("\nhelp\n", 6);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], vrn::CommandLineSplitter::kTooLong);
    EXPECT_EQ(lines[1], "help");

    vrn::RunControl control(-1);
    const std::string answer = vrn::ObeyCommand(std::string("x\x1b[2J") + std::string(200, 'y'), control);
    EXPECT_EQ(answer.find('\x1b'), std::string::npos);
    EXPECT_LT(answer.size(), 200u);
}

} // namespace
