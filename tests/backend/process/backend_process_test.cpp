// Runs the real mainVRN.exe as a child process, as the front-end does: arguments, pipes, stop
// command, SIGTERM, exit status and result files.
#include "backend_process.h"
#include "instance/instance.h"
#include "model/checks.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::test::ReadSolutionFile;
using vrn::test::ReadTextFile;

class BackendProcess : public vrn::test::BackendProcessTest
{
protected:
    // Runs to the end with standard input closed at once (end of input is not a stop).
    int Run(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr)
    {
        const vrn::ChildResult result = vrn::test::RunBackend(std::move(args));
        if (out)
            *out = result.out;
        if (err)
            *err = result.err;
        return result.status;
    }

    // The solution passes the same checks the back-end makes, and has the expected objective.
    void ExpectProtected(const vrn::Instance& table, const fs::path& sol, double objective,
                         bool additive = true, bool integer = false)
    {
        const vrn::test::SolutionFile s = ReadSolutionFile(sol);
        ASSERT_EQ(s.adjusted.size(), table.cells.size()) << s.header;
        EXPECT_TRUE(s.whole) << s.header;
        const auto report = vrn::CheckSolution(table, s.adjusted, additive, integer, 1e-6);
        EXPECT_TRUE(report.passed) << report.lines[0];
        if (objective >= 0)
        {
            EXPECT_NEAR(vrn::WeightedChange(table, s.adjusted), objective, 1e-6);
        }
    }
};

TEST_F(BackendProcess, ThreeByThreeGivesTwentyWithEverySolver)
{
    const fs::path instance = Write("table3x3.csp", Example());
    const vrn::Instance table = Parse(Example());
    for (const char* solver : {"b", "s", "g"})
    {
        std::string out;
        ASSERT_EQ(Run({instance, m_dir, "--solver", solver}, &out), 0) << out;
        const std::string suffix = solver[0] == 'b' ? "_cbc" : solver[0] == 's' ? "_sym" : "_glpk";
        ExpectProtected(table, m_dir / ("table3x3" + suffix + ".sol"), 20);
        const std::string log = ReadTextFile(m_dir / ("table3x3" + suffix + ".log"));
        EXPECT_NE(log.find("objective (total weighted change): 20"), std::string::npos);
        EXPECT_NE(log.find("solution check: passed"), std::string::npos);
        EXPECT_NE(log.find("16 cells"), std::string::npos);
    }
}

TEST_F(BackendProcess, ModelVariantsReachTheSameOptimum)
{
    const fs::path instance = Write("v.csp", Example());
    const vrn::Instance table = Parse(Example());
    const std::vector<std::vector<std::string>> variants = {
        {"--solver", "b", "--model", "n"},
        {"--solver", "g", "--model", "n", "--scale", "1000"},
        {"--solver", "s", "--scale", "10"},
        {"--solver", "b", "--big", "6"},
        {"--solver", "g", "--model", "c", "--seed", "9"},
        {"--solver", "s", "--model", "n", "--intdev", "y"},
    };
    for (const auto& variant : variants)
    {
        std::vector<std::string> args = {instance, m_dir};
        args.insert(args.end(), variant.begin(), variant.end());
        ASSERT_EQ(Run(args), 0) << variant[1] << " " << variant[3];
        const std::string suffix = variant[1] == "b" ? "_cbc" : variant[1] == "s" ? "_sym" : "_glpk";
        ExpectProtected(table, m_dir / ("v" + suffix + ".sol"), 20);
    }
}

TEST_F(BackendProcess, ClpSolvesTheModelOnceEveryDirectionIsFixed)
{
    // Upper bound 42 on the sensitive cell 11 (value 40, protection 5): it can only move down.
    std::string text = Example();
    text.replace(text.find("11 40 1 u 0 463.5"), 17, "11 40 1 u 0 42");
    const fs::path instance = Write("down.csp", text);
    std::string err;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "l"}, nullptr, &err), 7);
    EXPECT_NE(err.find("linear programs only"), std::string::npos);
    ASSERT_EQ(Run({instance, m_dir, "--solver", "l", "--prepsens", "y"}), 0);
    ExpectProtected(Parse(text), m_dir / "down_clp.sol", 20);
    ASSERT_EQ(Run({instance, m_dir, "--solver", "l", "--prepsens", "y", "--method", "s"}), 0);
    ExpectProtected(Parse(text), m_dir / "down_clp.sol", 20);
}

TEST_F(BackendProcess, InfeasibleInstanceIsReportedAsSuch)
{
    std::string text = Example();
    text.replace(text.find("11 40 1 u 0 463.5"), 17, "11 40 1 u 38 42");
    const fs::path instance = Write("stuck.csp", text);
    std::string out;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b"}, &out), 4);
    EXPECT_NE(out.find("can move neither down by 5 nor up by 5"), std::string::npos);
    // Without the input check the solvers find it out themselves.
    for (const char* solver : {"b", "g", "s"})
    {
        EXPECT_EQ(Run({instance, m_dir, "--solver", solver, "--check", "n"}, &out), 4) << solver << out;
    }
    const std::string sol = ReadTextFile(m_dir / "stuck_cbc.sol");
    EXPECT_NE(sol.find("# outcome: infeasible"), std::string::npos);
}

TEST_F(BackendProcess, NonAdditiveTableKeepsItsResiduals)
{
    std::string text = Example();
    text.replace(text.find("0 4 : 0 (-1) 1 (1)"), 18, "1 4 : 0 (-1) 1 (1)"); // the first row is off by 1
    const fs::path instance = Write("off.csp", text);
    ASSERT_EQ(Run({instance, m_dir, "--solver", "b", "--additive", "n"}), 0);
    ExpectProtected(Parse(text), m_dir / "off_cbc.sol", 20, false);
    // In a table with all margins the relations depend on each other: a residual in one of them
    // cannot be repaired, so the additive problem is infeasible.
    std::string out;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "g"}, &out), 4) << out;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "s", "--additive", "n"}), 0);
    ExpectProtected(Parse(text), m_dir / "off_sym.sol", 20, false);
}

TEST_F(BackendProcess, ZCellsStayAndIntegerCellsAreWhole)
{
    std::string text = Example();
    text.replace(text.find("10 38 1 s"), 9, "10 38 1 z");
    text.replace(text.find("7 28 1 s"), 8, "7 28 1 z");
    text.replace(text.find("11 40 1 u 0 463.5 5 5"), 21, "11 40 1 u 0 463.5 2.5 2.5");
    const fs::path instance = Write("zint.csp", text);
    const vrn::Instance table = Parse(text);
    for (const char* solver : {"b", "g", "s"})
    {
        ASSERT_EQ(Run({instance, m_dir, "--solver", solver, "--intdev", "y"}), 0) << solver;
        const std::string suffix = solver[0] == 'b' ? "_cbc" : solver[0] == 's' ? "_sym" : "_glpk";
        ExpectProtected(table, m_dir / ("zint" + suffix + ".sol"), 12, true, true);
        const vrn::test::SolutionFile s = ReadSolutionFile(m_dir / ("zint" + suffix + ".sol"));
        ASSERT_EQ(s.adjusted.size(), 16u);
        EXPECT_EQ(s.adjusted[10], 38);
        EXPECT_EQ(s.adjusted[7], 28);
    }
}

TEST_F(BackendProcess, FormatErrorsAreReportedWithTheirLineAndStatus3)
{
    std::string text = Example();
    text.replace(text.find("12 121 1 s"), 10, "12 121 1 q");
    text.replace(text.find("0 4 : 4 (-1)"), 12, "0 4 : 44 (-1)");
    const fs::path instance = Write("bad.csp", text);
    std::string err;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b"}, nullptr, &err), 3);
    EXPECT_NE(err.find(instance.string() + ":15: cell 12 has status 'q'; expected one of u s m x z w"),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find(":21:"), std::string::npos);
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b", "--format", "a"}, nullptr, &err), 3);
    EXPECT_NE(err.find(":15: cell 12"), std::string::npos);
    EXPECT_NE(err.find(":21: relation 2 names cell 44"), std::string::npos) << err;
    EXPECT_NE(ReadTextFile(m_dir / "bad_cbc.log").find(":21: relation 2 names cell 44"), std::string::npos);
}

TEST_F(BackendProcess, OptionErrorsExitWithStatus2)
{
    const fs::path instance = Write("t.csp", Example());
    std::string err;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b", "--nonsense", "1"}, nullptr, &err), 2);
    EXPECT_NE(err.find("--nonsense"), std::string::npos);
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b", "--time"}, nullptr, &err), 2);
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b", "--mipgap", "five"}, nullptr, &err), 2);
    EXPECT_NE(err.find("--mipgap"), std::string::npos);
    std::string out;
    EXPECT_EQ(Run({"--help"}, &out), 0);
    EXPECT_NE(out.find("Usage: mainVRN.exe"), std::string::npos);
}

// --version: one line naming the program, the package and the build's version (in CR LF, like
// every line on the standard streams), the rights notice, exit status 0, and no result files.
TEST_F(BackendProcess, VersionPrintsTheBuildsVersionAndWritesNothing)
{
    std::string out, err;
    EXPECT_EQ(Run({"--version"}, &out, &err), 0);
    EXPECT_EQ(out.substr(0, out.find('\n') + 1), "mainVRN.exe (VRN) " VRN_VERSION "\r\n");
    EXPECT_NE(out.find("Copyright"), std::string::npos);
    EXPECT_EQ(err, "");
    const fs::path instance = Write("v.csp", Example());
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b", "--version"}, &out), 0);
    EXPECT_FALSE(fs::exists(m_dir / "v_cbc.log"));
}

// vrn-gen: --help and --version on standard output with status 0, wherever they stand; a wrong
// command line gets the short usage on standard error and status 2.
TEST_F(BackendProcess, GeneratorAnswersHelpVersionAndUsageErrors)
{
    struct Case
    {
        std::vector<std::string> args;
        int status;
        const char* outStart;
        const char* errPart;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: vrn-gen 2d ROWS COLS", ""},
        {{"2d", "3", "3", "--help"}, 0, "Usage: vrn-gen", ""},
        {{"--version"}, 0, "vrn-gen (VRN) " VRN_VERSION "\n", ""},
        {{}, 2, "", "vrn-gen --help explains them"},
        {{"4d", "3"}, 2, "", "usage: vrn-gen"},
        {{"2d", "3", "3", "--bogus", "1"}, 2, "", "usage: vrn-gen"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> args = {"vrn-gen"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const vrn::ChildResult child = vrn::RunChild(vrn::test::GeneratorProgram(), args);
        EXPECT_EQ(child.status, c.status) << args.size();
        EXPECT_EQ(child.out.rfind(c.outStart, 0), 0u) << child.out;
        EXPECT_NE(child.err.find(c.errPart), std::string::npos) << child.err;
    }
}

TEST_F(BackendProcess, CplexAndXpressAreRefusedPlainly)
{
    const fs::path instance = Write("t.csp", Example());
    for (const auto& [code, name] : {std::pair<const char*, const char*>{"c", "cplex"}, {"x", "xpress"}})
    {
        std::string err;
        EXPECT_EQ(Run({instance, m_dir, "--solver", code}, nullptr, &err), 6);
        EXPECT_NE(err.find("not available in this build"), std::string::npos) << err;
        EXPECT_NE(err.find("b CBC"), std::string::npos);
        EXPECT_NE(
            ReadTextFile(m_dir / (std::string("t_") + name + ".log")).find("not available in this build"),
            std::string::npos);
    }
}

TEST_F(BackendProcess, ResultFilesFollowTheFrontEndsNames)
{
    const fs::path instance = Write("my.table.2015.csp", Example());
    ASSERT_EQ(Run({instance, m_dir.string() + "/", "--solver", "b", "--write", "y"}), 0);
    EXPECT_TRUE(fs::exists(m_dir / "my.table.2015_cbc.log"));
    EXPECT_TRUE(fs::exists(m_dir / "my.table.2015_cbc.sol"));
    EXPECT_TRUE(fs::exists(m_dir / "my.table.2015_cbc.lp"));
    ASSERT_EQ(Run({instance, m_dir, "--solver", "g"}), 0);
    EXPECT_TRUE(fs::exists(m_dir / "my.table.2015_glpk.sol"));
    EXPECT_NE(ReadTextFile(m_dir / "my.table.2015_cbc.lp").find("Subject To"), std::string::npos);
}

// The front-end shows a line of its own only for a CR LF line end (a line feed alone continues
// the same line there); the .log file keeps plain line feeds.
TEST_F(BackendProcess, StandardStreamLinesEndInCrLfAndLogLinesInLf)
{
    const auto everyLineFeedAfterCr = [](const std::string& text)
    {
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1))
            if (at == 0 || text[at - 1] != '\r')
                return false;
        return true;
    };
    const fs::path instance = Write("ends.csp", Example());
    for (const char* solver : {"b", "g"}) // GLPK's runs go through the sibling program
    {
        std::string out;
        ASSERT_EQ(Run({instance, m_dir, "--solver", solver}, &out), 0) << out;
        EXPECT_GT(std::count(out.begin(), out.end(), '\n'), 10) << solver;
        EXPECT_TRUE(everyLineFeedAfterCr(out)) << solver << "\n" << out;
        const std::string log =
            ReadTextFile(m_dir / (std::string("ends_") + (solver[0] == 'b' ? "cbc" : "glpk") + ".log"));
        EXPECT_NE(log.find("exit status 0\n"), std::string::npos) << solver;
        EXPECT_EQ(log.find('\r'), std::string::npos) << solver;
    }
    std::string out, err;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "x"}, nullptr, &err), 6);
    EXPECT_NE(err.find("not available in this build"), std::string::npos) << err;
    EXPECT_TRUE(everyLineFeedAfterCr(err)) << err;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b", "--nonsense", "1"}, nullptr, &err), 2);
    EXPECT_TRUE(everyLineFeedAfterCr(err)) << err;
    EXPECT_EQ(Run({"--help"}, &out), 0);
    EXPECT_TRUE(everyLineFeedAfterCr(out)) << out;
}

TEST_F(BackendProcess, AFrontEndThatHasGoneStillGetsBothFiles)
{
    const fs::path instance = Write("gone.csp", Example());
    vrn::ChildSetup gone;
    gone.outputGone = true;
    vrn::test::BackendChild child({instance, m_dir, "--solver", "b"}, gone);
    child.CloseInput();
    EXPECT_EQ(child.Wait(), 0);
    ExpectProtected(Parse(Example()), m_dir / "gone_cbc.sol", 20);
    EXPECT_NE(ReadTextFile(m_dir / "gone_cbc.log").find("exit status 0"), std::string::npos);
}

// A 60x60 table with a zero gap keeps every solver busy well past these stops.
using BackendStop = BackendProcess;

TEST_F(BackendStop, TimeLimitWritesTheBestTableFound)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table);
    std::string out;
    // GLPK finds its first table here in about 4 s on an idle machine; the limit leaves room for a
    // machine that runs other tests beside it (at 6 s it found none under load).
    ASSERT_EQ(Run({instance, m_dir, "--solver", "g", "--mipgap", "0", "--time", "12"}, &out), 0) << out;
    EXPECT_NE(out.find("outcome: feasible (time limit reached)"), std::string::npos);
    ExpectProtected(table, m_dir / "t60_glpk.sol", -1);
}

TEST_F(BackendStop, FirstFeasibleStopsAtTheFirstTable)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table);
    for (const auto& [solver, suffix] :
         {std::pair<const char*, const char*>{"b", "_cbc"}, {"s", "_sym"}, {"g", "_glpk"}})
    {
        std::string out;
        ASSERT_EQ(Run({instance, m_dir, "--solver", solver, "--mipgap", "0", "--first", "y"}, &out), 0)
            << out;
        EXPECT_NE(out.find("outcome: feasible (stopped at the first protected table"), std::string::npos)
            << out;
        ExpectProtected(table, m_dir / ("t60" + std::string(suffix) + ".sol"), -1);
    }
}

TEST_F(BackendStop, StopCommandKeepsTheIncumbent)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table);
    vrn::test::BackendChild child({instance, m_dir, "--solver", "g", "--mipgap", "0", "--progress", "0.3"});
    ASSERT_TRUE(child.WaitForOutput("best table found", 90));
    child.Send("status\nbogus\nhelp\nstop\n");
    ASSERT_EQ(child.Wait(), 0) << child.Out() << child.Err();
    const std::string out = child.Out();
    EXPECT_NE(out.find("unknown command 'bogus'; the commands are stop, status and help"), std::string::npos);
    EXPECT_NE(out.find("[vrn] commands: stop"), std::string::npos);
    EXPECT_NE(out.find("outcome: feasible (stopped by the stop command)"), std::string::npos);
    ExpectProtected(table, m_dir / "t60_glpk.sol", -1);
}

TEST_F(BackendStop, SigtermKeepsTheIncumbent)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table);
    for (const auto& [solver, suffix] :
         {std::pair<const char*, const char*>{"b", "_cbc"}, {"s", "_sym"}, {"g", "_glpk"}})
    {
        vrn::test::BackendChild child(
            {instance, m_dir, "--solver", solver, "--mipgap", "0", "--progress", "0.3"});
        // SYMPHONY tells its incumbent only in its own progress table (time, done, queued, LB, UB, gap).
        const char* incumbent = solver[0] == 's'
                                    ? R"(\n\s*\d+\s+\d+\s+\d+\s+[-0-9.e+]+\s+[0-9][0-9.e+]*\s+[0-9.]+)"
                                    : "best table found";
        ASSERT_TRUE(child.WaitForOutput(incumbent, 90)) << child.Out();
        child.Signal(SIGTERM);
        ASSERT_EQ(child.Wait(), 0) << solver << child.Out() << child.Err();
        EXPECT_NE(child.Out().find("outcome: feasible (stopped by SIGTERM)"), std::string::npos) << solver;
        ExpectProtected(table, m_dir / ("t60" + std::string(suffix) + ".sol"), -1);
    }
}

} // namespace
