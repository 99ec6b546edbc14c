// The back-end's process contract, with the real mainVRN.exe as a child started from an argument
// vector: closed standard streams, a full disk, planted links, two runs on one result base, the stop
// signals with every solver, input that never ends, a reader that stops reading, and the numbers
// that must refuse a run rather than certify a table that is not protected.
#include "backend_process.h"
#include "instance/instance.h"
#include "model/checks.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::ChildSetup;
using vrn::test::ReadTextFile;
using Child = vrn::test::BackendChild;

class BackendContract : public vrn::test::BackendProcessTest
{
protected:
    static int Run(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr,
                   ChildSetup setup = {})
    {
        Child child(std::move(args), setup);
        child.CloseInput();
        const int status = child.Wait();
        if (out)
            *out = child.Out();
        if (err)
            *err = child.Err();
        return status;
    }

    // The .sol is whole and its table passes the back-end's own check.
    static void ExpectProtected(const vrn::Instance& table, const fs::path& sol)
    {
        const vrn::test::SolutionFile s = vrn::test::ReadSolutionFile(sol);
        ASSERT_TRUE(s.whole) << s.header;
        ASSERT_EQ(s.adjusted.size(), table.cells.size()) << s.header;
        EXPECT_EQ(s.announced, table.cells.size());
        const auto report = vrn::CheckSolution(table, s.adjusted, true, false, vrn::kSolutionCheckTolerance);
        EXPECT_TRUE(report.passed) << report.lines[2];
    }
};

// Every number times 1e-7: the table is brought up for the solver and comes back protected.
std::string Times(const std::string& text, double factor)
{
    vrn::Instance table = vrn::ReadInstanceText(text, false).instance;
    for (vrn::Cell& cell : table.cells)
        for (double* v : {&cell.value, &cell.lb, &cell.ub, &cell.lpl, &cell.upl})
            *v *= factor;
    std::ostringstream out;
    vrn::WriteInstance(out, table);
    return out.str();
}

TEST_F(BackendContract, TinyTablesAreProtectedWithEverySolver)
{
    const std::string text = Times(Example(), 1e-7);
    const fs::path instance = Write("tiny.csp", text);
    const vrn::Instance table = Parse(text);
    for (const auto& [solver, suffix] :
         {std::pair<const char*, const char*>{"b", "_cbc"}, {"s", "_sym"}, {"g", "_glpk"}})
    {
        std::string out;
        EXPECT_EQ(Run({instance, m_dir, "--solver", solver}, &out), 0) << out;
        EXPECT_NE(out.find("solution check: passed"), std::string::npos) << solver;
        ExpectProtected(table, m_dir / ("tiny" + std::string(suffix) + ".sol"));
    }
}

struct RefusalCase
{
    const char* name;
    std::vector<std::string> options;
    const char* example;
    double factor;
    int status;
    const char* message; // on standard error
};

// Options that would let a solver certify an unprotected table, or never end, refuse the run.
TEST_F(BackendContract, NumbersThatMakeNoSenseForTheRunAreRefused)
{
    const std::vector<RefusalCase> cases = {
        {"feasibility 1", {"--feasibility", "1"}, "grid30x30.csp", 1, 2, "--feasibility"},
        {"progress 1e10", {"--progress", "1e10"}, "table3x3.csp", 1, 2, "--progress"},
        {"scale 1e-300", {"--scale", "1e-300"}, "table3x3.csp", 1, 2, "--scale"},
        {"scale far too small", {"--scale", "1e-20"}, "table3x3.csp", 1, 2, "--scale"},
        {"tolerance above the scaled levels", {"--scale", "1"}, "table3x3.csp", 1e-7, 2, "--feasibility"},
        {"hexadecimal", {"--time", "0x10"}, "table3x3.csp", 1, 2, "--time"},
    };
    for (const auto& c : cases)
    {
        const fs::path instance = Write("t.csp", Times(Example(c.example), c.factor));
        std::vector<std::string> args = {instance, m_dir, "--solver", "b"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string out, err;
        EXPECT_EQ(Run(args, &out, &err), c.status) << c.name << out << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << c.name << ": " << err;
        EXPECT_EQ(out.find("protection: ok"), std::string::npos) << c.name;
    }
}

TEST_F(BackendContract, AClosedStandardOutputDoesNotFeedTheLogIntoItself)
{
    const fs::path instance = Write("t.csp", Example());
    ChildSetup setup;
    setup.closeStdout = true;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b"}, nullptr, nullptr, setup), 0);
    const auto size = fs::file_size(m_dir / "t_cbc.log");
    EXPECT_LT(size, 20000u); // 6.7 MB before
    EXPECT_NE(ReadTextFile(m_dir / "t_cbc.log").find("exit status 0"), std::string::npos);
}

TEST_F(BackendContract, AFullDiskLeavesNoPartialSolutionAndSaysSo)
{
    const fs::path instance = Write("grid.csp", Example("grid30x30.csp"));
    // The log (about 6 KB) is cut at 4 KB; at 9 KB the log is whole and the .sol of 961 cells (about
    // 14 KB) is not.
    for (long limit : {4000L, 9000L})
    {
        ChildSetup setup;
        setup.fileSizeLimit = limit;
        std::string out, err;
        EXPECT_EQ(Run({instance, m_dir, "--solver", "b"}, &out, &err, setup), 1) << limit << err;
        EXPECT_NE(err.find("ERROR"), std::string::npos) << limit;
        if (fs::exists(m_dir / "grid_cbc.sol"))
        {
            const vrn::test::SolutionFile s = vrn::test::ReadSolutionFile(m_dir / "grid_cbc.sol");
            EXPECT_TRUE(s.whole && s.adjusted.size() == 961) << limit;
        }
        for (const auto& entry : fs::directory_iterator(m_dir))
            EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos) << entry.path();
        fs::remove(m_dir / "grid_cbc.sol");
    }
}

TEST_F(BackendContract, PlantedLinksInTheOutputFolderAreNotFollowed)
{
    const fs::path instance = Write("t.csp", Example());
    const fs::path out = m_dir / "shared";
    fs::create_directories(out);
    for (const char* ext : {".log", ".sol", ".lp", ".html"})
    {
        Write(std::string("victim") + ext, "precious");
        fs::create_symlink(m_dir / (std::string("victim") + ext), out / (std::string("t_cbc") + ext));
    }
    EXPECT_EQ(Run({instance, out, "--solver", "b", "--write", "y"}), 0);
    for (const char* ext : {".log", ".sol", ".lp", ".html"})
    {
        EXPECT_EQ(ReadTextFile(m_dir / (std::string("victim") + ext)), "precious") << ext;
        EXPECT_FALSE(fs::is_symlink(out / (std::string("t_cbc") + ext))) << ext;
    }
}

// The repaired instance is a result file like the others: a link planted in its place is replaced,
// never written through (it was, and the file it pointed to lost its contents).
TEST_F(BackendContract, APlantedLinkAtTheRepairedInstanceIsNotFollowed)
{
    const fs::path out = m_dir / "shared";
    fs::create_directories(out);
    Write("victim.csp", "precious");
    fs::create_symlink(m_dir / "victim.csp", out / "published5x5_cbc_repaired.csp");
    EXPECT_EQ(Run({vrn::test::ExamplePath("published5x5.csp"), out, "--solver", "b", "--repair", "y"}), 0);
    EXPECT_EQ(ReadTextFile(m_dir / "victim.csp"), "precious");
    EXPECT_FALSE(fs::is_symlink(out / "published5x5_cbc_repaired.csp"));
    EXPECT_NE(ReadTextFile(out / "published5x5_cbc_repaired.csp").find("0\n"), std::string::npos);
}

TEST_F(BackendContract, ASecondRunOnTheSameBaseIsRefusedAndAKilledRunBlocksNothing)
{
    vrn::Instance table;
    const fs::path first = BigTable(table);
    fs::create_directories(m_dir / "B");
    const fs::path second = WriteTable("B/t60.csp", table);
    const fs::path out = m_dir / "out";
    fs::create_directories(out);

    Child running({first, out, "--solver", "b", "--mipgap", "0", "--time", "30"});
    ASSERT_TRUE(running.WaitForOutput("solving with", 30)) << running.Out();
    std::string err;
    EXPECT_EQ(Run({second, out, "--solver", "b"}, nullptr, &err), 1);
    EXPECT_NE(err.find("another run"), std::string::npos) << err;
    EXPECT_NE(ReadTextFile(out / "t60_cbc.log").find("solving with"), std::string::npos);

    running.Signal(SIGKILL); // what the front-end's Stop does
    running.Wait();
    const fs::path small = Write("t60.csp", Example()); // same base, a quick table
    fs::remove(out / "t60_cbc.sol");
    EXPECT_EQ(Run({small, out, "--solver", "b"}, nullptr, &err), 0) << err;
    EXPECT_TRUE(fs::exists(out / "t60_cbc.sol"));
    EXPECT_FALSE(fs::exists(out / "t60_cbc.lock"));
}

// SIGINT and SIGHUP act like SIGTERM with every solver: no solver's own handler prompts.
TEST_F(BackendContract, SigintAndSighupKeepTheBestTableWithEverySolver)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table);
    const std::vector<std::pair<const char*, const char*>> solvers = {
        {"b", "_cbc"}, {"s", "_sym"}, {"g", "_glpk"}};
    for (int sig : {SIGINT, SIGHUP})
        for (const auto& [solver, suffix] : solvers)
        {
            Child child({instance, m_dir, "--solver", solver, "--mipgap", "0", "--progress", "0.3"});
            const char* incumbent = solver[0] == 's'
                                        ? R"(\n\s*\d+\s+\d+\s+\d+\s+[-0-9.e+]+\s+[0-9][0-9.e+]*\s+[0-9.]+)"
                                        : "best table found";
            ASSERT_TRUE(child.WaitForOutput(incumbent, 90)) << child.Out();
            child.Signal(sig);
            child.Send("y\n"); // what a prompting handler would read
            ASSERT_EQ(child.Wait(), 0) << solver << sig << child.Out() << child.Err();
            const std::string name = sig == SIGINT ? "SIGINT" : "SIGHUP";
            EXPECT_NE(child.Out().find("outcome: feasible (stopped by " + name + ")"), std::string::npos)
                << solver << child.Out();
            EXPECT_EQ(child.Err().find("Do you want"), std::string::npos) << child.Err();
            ExpectProtected(table, m_dir / ("t60" + std::string(suffix) + ".sol"));
        }
}

TEST_F(BackendContract, AFifoAsTheInstanceIsRefusedAtOnce)
{
    const fs::path fifo = m_dir / "t.csp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string err;
    EXPECT_EQ(Run({fifo, m_dir, "--solver", "b"}, nullptr, &err), 3);
    EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
}

// Standard input that never ends a line, and a flood of answers nobody reads: the run still obeys
// its time limit, holds memory, and its log keeps everything.
TEST_F(BackendContract, EndlessInputAndAnUnreadOutputDoNotHoldUpTheRun)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table);
    ChildSetup setup;
    setup.readStdout = false;
    Child child({instance, m_dir, "--solver", "b", "--mipgap", "0", "--time", "4"}, setup);
    std::string commands;
    for (int i = 0; i < 3000; ++i)
        commands += "help\n";
    std::thread feeder(
        [&]
        {
            child.Send(commands);
            child.Send(std::string(4 << 20, 'x')); // one line of 4 MB
            child.Send("\n");
        });
    const int status = child.Wait();
    child.CloseInput();
    feeder.join();
    EXPECT_EQ(status, 0);
    EXPECT_LT(child.Seconds(), 15);
    const std::string log = ReadTextFile(m_dir / "t60_cbc.log");
    EXPECT_NE(log.find("exit status 0"), std::string::npos);
    EXPECT_NE(log.find("longer than 1024 bytes"), std::string::npos);
    EXPECT_EQ(log.find(std::string(2000, 'x')), std::string::npos);
    ExpectProtected(table, m_dir / "t60_cbc.sol");
}

// A stop or the time limit acts within seconds before the solver starts too.
TEST_F(BackendContract, TheTimeLimitHoldsWhileABigTableIsRead)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table, 600);
    Child child({instance, m_dir, "--solver", "b", "--time", "1"});
    const int status = child.Wait();
    EXPECT_TRUE(status == 0 || status == 5) << status;
    EXPECT_LT(child.Seconds(), 6) << child.Out();
    const vrn::test::SolutionFile s = vrn::test::ReadSolutionFile(m_dir / "t600_cbc.sol");
    EXPECT_TRUE(s.whole);
    EXPECT_NE(s.header.find("# outcome:"), std::string::npos);
}

TEST_F(BackendContract, NamesWithControlBytesStayOnTheirLine)
{
    const fs::path instance = Write("a\nb 0 0 0 s.csp", Example());
    std::string out;
    EXPECT_EQ(Run({instance, m_dir, "--solver", "b"}, &out), 0) << out;
    const vrn::test::SolutionFile s = vrn::test::ReadSolutionFile(m_dir / "a\nb 0 0 0 s_cbc.sol");
    EXPECT_TRUE(s.whole) << s.header;
    EXPECT_EQ(s.adjusted.size(), 16u);
    EXPECT_NE(s.header.find("a\\nb 0 0 0 s.csp"), std::string::npos);

    const fs::path utf16 = Write("u.csp", std::string("0\0\n\0"
                                                      "1\0",
                                                      6));
    std::string err;
    EXPECT_EQ(Run({utf16, m_dir, "--solver", "b"}, nullptr, &err), 3);
    EXPECT_NE(err.find("'0\\x00'"), std::string::npos) << err;
}

TEST_F(BackendContract, EveryReaderFindingIsTheSameForEverySolver)
{
    const fs::path twice =
        Write("twice.csp", "0\n3\n0 10 1 s 0 100 0 0 0\n1 4 1 u 0 100 2 2 0\n2 6 1 s 0 100 0 0 0\n"
                           "1\n0 3 : 0 (-1) 1 (1) 1 (1)\n");
    for (const char* solver : {"b", "l", "s", "g"})
    {
        std::string err;
        EXPECT_EQ(Run({twice, m_dir, "--solver", solver}, nullptr, &err), 3) << solver;
        EXPECT_NE(err.find("twice.csp:7: relation 1 names cell 1 twice"), std::string::npos) << err;
    }
    const fs::path empty = Write("--empty.csp", "0\n0\n0\n");
    std::string out;
    EXPECT_EQ(Run({"--solver", "b", "--", empty, m_dir}, &out), 0) << out;
    EXPECT_NE(ReadTextFile(m_dir / "--empty_cbc.sol").find("# cells: 0\n"), std::string::npos);
}

// Standard error that nobody reads (its pipe holds 4 KB and the option warnings alone fill it) does not
// hold the run up: the time limit still ends it, and the log keeps every warning.
TEST_F(BackendContract, AnUnreadStandardErrorDoesNotHoldUpTheRun)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table);
    std::vector<std::string> args = {instance, m_dir, "--solver", "b", "--mipgap", "0"};
    const int repeats = 200;
    for (int i = 0; i < repeats; ++i)
        args.insert(args.end(), {"--time", "4"});
    ChildSetup setup;
    setup.readStderr = false;
    setup.stderrPipeBytes = 4096;
    Child child(args, setup);
    child.CloseInput();
    const int status = child.WaitAtMost(60);
    EXPECT_EQ(status, 0) << child.Out();
    EXPECT_LT(child.Seconds(), 15);
    std::printf("[ measured ] run with --time 4 and standard error unread: %.1f s\n", child.Seconds());
    const std::string log = ReadTextFile(m_dir / "t60_cbc.log");
    size_t warnings = 0;
    for (size_t at = log.find("is given more than once"); at != std::string::npos;
         at = log.find("is given more than once", at + 1))
        ++warnings;
    EXPECT_EQ(warnings, static_cast<size_t>(repeats - 1));
    EXPECT_NE(log.find("exit status 0"), std::string::npos);
    ExpectProtected(table, m_dir / "t60_cbc.sol");
}

// A stop while the solver holds a table (here the starting table, from the first moment of the
// search): whether the solver obeys or not, the run ends within seconds and writes a table that passes
// the check. The figure is printed; the bound asserted is wide for a loaded machine (a solver ignoring
// the stop used to keep the run for 20 s more).
TEST_F(BackendContract, AStopWhileTheSolverHoldsATableEndsTheRunWithinSecondsWithItsTable)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table, 300);
    const std::vector<std::pair<const char*, const char*>> solvers = {
        {"b", "_cbc"}, {"g", "_glpk"}, {"s", "_sym"}};
    for (const auto& [solver, suffix] : solvers)
    {
        // The whole model's search (the default run would improve its 4,374 directions block by block).
        Child child({instance, m_dir, "--solver", solver, "--mipgap", "0", "--startingpoint", "s",
                     "--bcd-clusters", "1"});
        ASSERT_TRUE(child.WaitForOutput("solving with", 240)) << solver << child.Out();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const auto stop = std::chrono::steady_clock::now();
        child.Send("stop\n");
        const int status = child.WaitAtMost(60);
        const double latency = std::chrono::duration<double>(std::chrono::steady_clock::now() - stop).count();
        std::printf("[ measured ] %s: stop to exit %.1f s\n", solver, latency);
        EXPECT_EQ(status, 0) << solver << child.Out() << child.Err();
        EXPECT_LT(latency, 10) << solver << child.Out();
        EXPECT_NE(child.Out().find("outcome: feasible (stopped by the stop command)"), std::string::npos)
            << solver << child.Out();
        ExpectProtected(table, m_dir / ("t300" + std::string(suffix) + ".sol"));
    }
}

// The time limit, reached while the solver holds a table, ends the run as promptly.
TEST_F(BackendContract, TheTimeLimitWhileTheSolverHoldsATableEndsTheRunWithinSeconds)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table, 300);
    Child child({instance, m_dir, "--solver", "b", "--mipgap", "0", "--startingpoint", "s", "--time", "30"});
    child.CloseInput();
    const int status = child.WaitAtMost(120);
    std::printf("[ measured ] --time 30: the run took %.1f s\n", child.Seconds());
    EXPECT_TRUE(status == 0 || status == 5) << status << child.Out();
    EXPECT_LT(child.Seconds(), 40) << child.Out();
    if (status == 0)
        ExpectProtected(table, m_dir / "t300_cbc.sol");
}

// A stop once the starting table is held ends the run with that table even where the step it lands in
// does not look at a stop: GLPK's linear program for the valid inequalities (about 10 s on this table)
// has no callback, and the run's guard ends it. It ended without a table (exit status 5) before.
TEST_F(BackendContract, AStopAfterTheStartingTableEndsTheRunWithItInAnyStep)
{
    vrn::Instance table;
    const fs::path instance = BigTable(table, 200);
    Child child({instance, m_dir, "--solver", "g", "--vineq", "c"});
    // The start comes from GLPK's interior point; its first simplex is the relaxation's.
    ASSERT_TRUE(child.WaitForOutput("starting point: a protected table[\\s\\S]*GLPK Simplex Optimizer", 120))
        << child.Out();
    child.Send("stop\n");
    const int status = child.WaitAtMost(60);
    EXPECT_EQ(status, 0) << child.Out() << child.Err();
    EXPECT_NE(child.Err().find("the starting table is written"), std::string::npos) << child.Err();
    ExpectProtected(table, m_dir / "t200_glpk.sol");
}

} // namespace
