// The back-end's layers under input meant to break them: option values out of range or in odd
// forms, damaged and odd instance files, tables the solution check must refuse, command lines on
// standard input, and result files in a folder someone else also writes to.
#include "cli/options.h"
#include "common/escape_text.h"
#include "common/file_safety.h"
#include "control/run_control.h"
#include "driver/run_guards.h"
#include "instance/cell_rules.h"
#include "instance/instance.h"
#include "model/checks.h"
#include "results/result_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

vrn::CommandLineResult Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "mainVRN.exe");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    return vrn::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

// A row 10 = 4 + 6 with cell 1 sensitive (levels 2 and 2), every number times `factor`.
vrn::Instance Row(double factor = 1)
{
    std::ostringstream text;
    text << "0\n3\n"
         << "0 " << 10 * factor << " 1 s 0 " << 100 * factor << " 0 0 0\n"
         << "1 " << 4 * factor << " 1 u 0 " << 100 * factor << " " << 2 * factor << " " << 2 * factor
         << " 0\n"
         << "2 " << 6 * factor << " 1 s 0 " << 100 * factor << " 0 0 0\n"
         << "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";
    const auto read = vrn::ReadInstanceText(text.str(), false);
    EXPECT_TRUE(read.errors.empty()) << read.errors[0].message;
    return read.instance;
}

std::vector<vrn::FormatError> Errors(const std::string& text, bool all = false)
{
    return vrn::ReadInstanceText(text, all).errors;
}

const char* kCells = "0\n3\n0 10 1 s 0 100 0 0 0\n1 4 1 u 0 100 2 2 0\n2 6 1 s 0 100 0 0 0\n";

struct OptionCase
{
    std::vector<std::string> args;
    const char* refusedOption; // nullptr: accepted
};

TEST(HostileOptions, NumbersOutOfRangeOrNotDecimalAreRefused)
{
    const std::vector<OptionCase> cases = {
        {{"--progress", "1e10"}, "--progress"},
        {{"--progress", "9.3e9"}, "--progress"},
        {{"--progress", "0.3"}, nullptr},
        {{"--time", "1e300"}, "--time"},
        {{"--time", "3600"}, nullptr},
        {{"--feasibility", "1"}, "--feasibility"},
        {{"--feasibility", "0.01"}, "--feasibility"},
        {{"--feasibility", "1e-7"}, nullptr},
        {{"--integrality", "0.5"}, "--integrality"},
        {{"--lptol", "0.1"}, "--lptol"},
        {{"--mipgap", "0x10"}, "--mipgap"},
        {{"--mipgap", "500"}, "--mipgap"},
        {{"--seed", "0x10"}, "--seed"},
        {{"--time", "inf"}, "--time"},
        {{"--time", "nan"}, "--time"},
        {{"--time", "1e"}, "--time"},
        {{"--time", ".5"}, nullptr},
        {{"--time", "5."}, nullptr},
        {{"--scale", "1e-300"}, "--scale"},
        {{"--scale", "1e-7"}, nullptr},
        {{"--big", "1e300"}, "--big"},
        {{"--varsel", "1e12"}, "--varsel"},
        {{"--epsf", "2"}, "--epsf"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> args = {"in.csp", "out"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = Parse(args);
        if (c.refusedOption == nullptr)
            EXPECT_EQ(r.error, "") << c.args[0] << " " << c.args[1];
        else
            EXPECT_NE(r.error.find(std::string("option ") + c.refusedOption), std::string::npos)
                << c.args[0] << " " << c.args[1] << ": " << r.error;
    }
}

TEST(HostileOptions, DoubleDashEndsTheOptionsAndRepeatsAreWarned)
{
    auto r = Parse({"--solver", "l", "--", "--odd.csp", "--out"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.instancePath, "--odd.csp");
    EXPECT_EQ(r.options.outputFolder, "--out");
    EXPECT_EQ(r.options.solver, 'l');
    EXPECT_FALSE(Parse({"--", "--help", "out"}).helpRequested);

    r = Parse({"in.csp", "out", "--time", "5", "--time", "7"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.timeLimit, 7);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("--time"), std::string::npos);
    EXPECT_TRUE(Parse({"in.csp", "out", "--time", "5"}).warnings.empty());
    EXPECT_EQ(Parse({"in.csp", "out", "--time", "5\n6"}).error.find('\n'), std::string::npos);
}

struct ReaderCase
{
    const char* name;
    std::string text;
    int line;            // of the first error; 0: the file reads
    const char* message; // part of the first error's message
};

TEST(HostileReader, OddFilesReadOrAreRefusedWithTheirLine)
{
    const std::string relation = "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";
    const std::vector<ReaderCase> cases = {
        {"byte-order mark", "\xEF\xBB\xBF" + std::string(kCells) + relation, 0, ""},
        {"cell named twice", std::string(kCells) + "1\n0 3 : 0 (-1) 1 (1) 1 (1)\n", 7, "names cell 1 twice"},
        {"negative sliding level", "0\n1\n0 1 1 s 0 9 0 0 -1\n0\n", 3, "negative sliding protection level"},
        {"huge coefficient", std::string(kCells) + "1\n0 3 : 0 (-1e300) 1 (1) 2 (1)\n", 7, "coefficient"},
        {"huge value", "0\n1\n0 1e300 1 s 0 1e301 0 0 0\n0\n", 3, "value"},
        {"short relation before the next",
         std::string(kCells) + "2\n0 3 : 0 (-1) 1 (1)\n0 3 : 0 (-1) 1 (1) 2 (1)\n", 7,
         "announces 3 terms but has 2"},
        {"cell count too small",
         "0\n2\n0 10 1 s 0 100 0 0 0\n1 4 1 u 0 100 2 2 0\n2 6 1 s 0 100 0 0 0\n" + relation, 5,
         "number of cells is smaller"},
        {"UTF-16", std::string("0\0\n\0", 4), 1, "\\x00"},
    };
    for (const auto& c : cases)
    {
        const auto errors = Errors(c.text);
        if (c.line == 0)
        {
            EXPECT_TRUE(errors.empty()) << c.name << ": " << errors[0].message;
            continue;
        }
        ASSERT_FALSE(errors.empty()) << c.name;
        EXPECT_EQ(errors[0].line, c.line) << c.name << ": " << errors[0].message;
        EXPECT_NE(errors[0].message.find(c.message), std::string::npos)
            << c.name << ": " << errors[0].message;
        EXPECT_EQ(errors[0].message.find('\0'), std::string::npos) << c.name;
    }
}

// Every damaged relation is reported once, whatever its damage, and the next keeps its number.
TEST(HostileReader, EveryDamagedRelationIsReportedUpToTheCap)
{
    const char* damaged[] = {"0 3 : 0 (-1) 1 (1) 2 (x)", "0 3 ; 0 (-1) 1 (1) 2 (1)",
                             "x 3 : 0 (-1) 1 (1) 2 (1)", "0 y : 0 (-1) 1 (1) 2 (1)",
                             "0 3 : 0 (-1) 1 (1) 2 1)",  "0 3 : 0 (-1) 1 (1) 9 (1)"};
    std::string text = std::string(kCells) + "2002\n";
    for (int r = 0; r < 2002; ++r)
        text += std::string(damaged[r % 6]) + "\n";
    const auto read = vrn::ReadInstanceText(text, true);
    EXPECT_EQ(read.errors.size() + read.suppressedErrors, 2002u);
    ASSERT_GE(read.errors.size(), 6u);
    for (int r = 0; r < 6; ++r)
    {
        EXPECT_EQ(read.errors[r].line, 7 + r) << read.errors[r].message;
        EXPECT_NE(read.errors[r].message.find("relation " + std::to_string(r + 1)), std::string::npos)
            << read.errors[r].message;
    }
}

TEST(HostileReader, ANonRegularFileIsRefusedWithoutWaiting)
{
    const fs::path fifo = fs::temp_directory_path() / ("vrn_hostile_fifo_" + std::to_string(getpid()));
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto read = vrn::ReadInstanceFile(fifo.string(), false); // blocked forever before
    fs::remove(fifo);
    ASSERT_EQ(read.errors.size(), 1u);
    EXPECT_NE(read.errors[0].message.find("not a regular file"), std::string::npos);
}

TEST(HostileReader, ControlBytesInNamesAndTokensAreEscaped)
{
    EXPECT_EQ(vrn::EscapeControl(std::string("a\nb\0c\x7f\\d", 8)), "a\\nb\\x00c\\x7f\\d");
    EXPECT_EQ(vrn::FormatErrorText("x\ny.csp", {3, "m"}), "x\\ny.csp:3: m");
}

// A carriage return, which could rewrite a terminal's line, keeps its name in messages and on the page.
TEST(HostileReader, CarriageReturnIsWrittenByName)
{
    EXPECT_EQ(vrn::EscapeControl("a\rb\x1b"), "a\\rb\\x1b");
    EXPECT_EQ(vrn::EscapeHtml("a\r<b"), "a\\r&lt;b");
}

TEST(HostileCheck, AnUnmovedOrBarelyMovedSensitiveCellFailsWhateverTheTolerance)
{
    for (double factor : {1.0, 1e-7, 1e6})
    {
        const vrn::Instance table = Row(factor);
        const auto check = [&](std::vector<double> x, double tolerance)
        {
            for (double& v : x)
                v *= factor;
            return vrn::CheckSolution(table, x, true, false, tolerance).passed;
        };
        EXPECT_TRUE(check({12, 6, 6}, 1e-6)) << factor;
        EXPECT_TRUE(check({8, 2, 6}, 1e-6)) << factor;
        EXPECT_FALSE(check({10, 4, 6}, 1e-6)) << factor;
        EXPECT_FALSE(check({10, 4, 6}, 1)) << factor; // a huge relation tolerance does not pass protection
        EXPECT_FALSE(check({11.999999, 5.999999, 6}, 1e-6)) << factor; // short by 1e-6 of the level's 2
        EXPECT_FALSE(check({10 + 5e-16 / factor, 4 + 5e-16 / factor, 6}, 1e-6)) << factor;
        // A relation among tiny numbers is held to their own precision, not to an absolute 1e-6.
        EXPECT_FALSE(check({12, 6, 6.5}, 1e-6)) << factor;
    }
}

TEST(HostileScale, TinyTablesAreBroughtUpAsLargeOnesDown)
{
    EXPECT_EQ(vrn::AutomaticScale(Row()), 1);
    EXPECT_EQ(vrn::AutomaticScale(Row(1e6)), 1e5); // largest 1e7 down to 100
    const double up = vrn::AutomaticScale(Row(1e-7));
    EXPECT_DOUBLE_EQ(up, 1e-8); // largest 1e-6 up to 100, the levels of 2e-7 to 20
    // Large totals over small sensitive cells: the levels stay ten times above the default tolerance,
    // and the default options are not refused (the scale once made them 1e-6).
    vrn::Instance wide = Row();
    wide.cells[0].value = 5e8;
    for (const auto& [level, scale] :
         {std::pair{1.0, 1e5}, {0.05, 1e3}, {2e-4, 10.0}, {2e-5, 1.0}, {1e6, 1e6}})
    {
        for (vrn::Cell& cell : wide.cells)
            if (vrn::NeedsProtection(cell))
                cell.lpl = cell.upl = level;
        EXPECT_EQ(vrn::AutomaticScale(wide), scale) << "level " << level;
        EXPECT_EQ(vrn::CheckOptionsAgainstTable(wide, vrn::BackendOptions{}, vrn::AutomaticScale(wide)), "")
            << "level " << level;
    }

    vrn::BackendOptions options;
    EXPECT_EQ(vrn::CheckOptionsAgainstTable(Row(1e-7), options, up), "");
    EXPECT_NE(vrn::CheckOptionsAgainstTable(Row(1e-7), options, 1), ""); // levels 2e-7 below 1e-6
    options.scale = 1e-30;
    EXPECT_NE(vrn::CheckOptionsAgainstTable(Row(), options, 1e-30).find("--scale"), std::string::npos);
}

TEST(HostileGap, TheGapReadsAsTheNumbersGiveIt)
{
    EXPECT_EQ(vrn::GapText(20, 20), "0 %");
    EXPECT_EQ(vrn::GapText(20, 19.99989573), "0.00052 %");
    EXPECT_EQ(vrn::GapText(100, 90), "10 %");
    EXPECT_EQ(vrn::GapText(100, 110), "-10 % (the bound is above the objective)");
    EXPECT_EQ(vrn::GapText(0, 0), "0 %");
    EXPECT_NE(vrn::GapText(0, 3e-6).find("not defined"), std::string::npos);
}

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

class HostileFiles : public ::testing::Test
{
protected:
    fs::path m_dir;
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("vrn_hostile_files_" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    static std::string Read(const fs::path& path)
    {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    size_t FileCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(m_dir), {})); }
};

TEST_F(HostileFiles, AFailedWriteLeavesNoPartialFileAndKeepsTheOldOne)
{
    const fs::path path = m_dir / "t.sol";
    std::ofstream(path) << "old";
    std::string error;
    EXPECT_FALSE(vrn::WriteFileAtomically(
        path, [](std::FILE* f) { return std::fputs("half", f) >= 0 && false; }, error));
    EXPECT_NE(error.find("no partial file"), std::string::npos);
    EXPECT_EQ(Read(path), "old");
    EXPECT_EQ(FileCount(), 1u);

    EXPECT_TRUE(vrn::WriteFileAtomically(
        path, [](std::FILE* f) { return std::fputs("new", f) >= 0; }, error));
    EXPECT_EQ(Read(path), "new");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(HostileFiles, ResultFilesNeverWriteThroughALink)
{
    const fs::path victim = m_dir / "someone_elses_file";
    std::ofstream(victim) << "precious";
    fs::create_symlink(victim, m_dir / "t.log");
    fs::create_symlink(victim, m_dir / "t.sol");
    std::string error;
    std::FILE* log = vrn::CreateFreshFile((m_dir / "t.log").string(), error);
    ASSERT_NE(log, nullptr) << error;
    std::fputs("log", log);
    std::fclose(log);
    vrn::SolutionHeader header{"t.csp", "CBC", "optimal", {}};
    ASSERT_TRUE(vrn::WriteSolutionFile((m_dir / "t.sol").string(), header, {}, {}, error)) << error;
    EXPECT_EQ(Read(victim), "precious");
    EXPECT_FALSE(fs::is_symlink(m_dir / "t.log"));
    EXPECT_FALSE(fs::is_symlink(m_dir / "t.sol"));
}

TEST_F(HostileFiles, ATableWithoutCellsStillSaysSoAndNamesAreEscaped)
{
    std::string error;
    vrn::SolutionHeader header{"a\nb.csp", "CBC", "optimal", {}};
    header.hasTable = true;
    ASSERT_TRUE(vrn::WriteSolutionFile((m_dir / "t.sol").string(), header, {}, {}, error));
    const std::string text = Read(m_dir / "t.sol");
    EXPECT_NE(text.find("# instance: a\\nb.csp\n"), std::string::npos);
    EXPECT_NE(text.find("# cells: 0\n"), std::string::npos);
}

TEST_F(HostileFiles, OneRunAtATimeHoldsABaseAndALockOutlivesNoRun)
{
    const std::string base = (m_dir / "t_cbc").string();
    std::string error;
    {
        vrn::ResultBaseLock first, second;
        ASSERT_TRUE(first.Acquire(base, error)) << error;
        EXPECT_FALSE(second.Acquire(base, error));
        EXPECT_NE(error.find("another run"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(base + ".lock"));
    // A lock file and half-written files left by a killed run (the kernel released its lock) do not
    // block the next run, and its temporary files go; another base's stay.
    std::ofstream(base + ".lock") << "";
    std::ofstream(base + ".sol.part123_0") << "half";
    std::ofstream(base + ".lp.part123_1") << "half";
    std::ofstream(base + ".html.part123_2") << "half";
    std::ofstream((m_dir / "t_glpk.sol.part9_0").string()) << "another base";
    vrn::ResultBaseLock next;
    EXPECT_TRUE(next.Acquire(base, error)) << error;
    EXPECT_FALSE(fs::exists(base + ".sol.part123_0"));
    EXPECT_FALSE(fs::exists(base + ".lp.part123_1"));
    EXPECT_FALSE(fs::exists(base + ".html.part123_2"));
    EXPECT_TRUE(fs::exists(m_dir / "t_glpk.sol.part9_0"));
}

} // namespace
