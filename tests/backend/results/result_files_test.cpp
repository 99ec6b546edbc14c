#include "common/file_safety.h"
#include "results/result_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

vrn::Instance OneCell(double value)
{
    vrn::Instance instance;
    vrn::Cell cell;
    cell.value = value;
    instance.cells.push_back(cell);
    return instance;
}

struct NoiseRow
{
    const char* name;
    double original;
    double adjusted;
    bool integerCells;
    double tolerance;
    double written;
};

TEST(WholeWhereOnlyNoise, TakesOffRoundingNoiseOnly)
{
    const NoiseRow rows[] = {
        {"IntegerCellNearWhole", 10.5, 12.0000004, true, 1e-6, 12},
        {"IntegerCellTooFar", 10.5, 12.01, true, 1e-6, 12.01},
        {"IntegerCellWiderTolerance", 10.5, 12.01, true, 0.05, 12},
        {"WholeOriginalNoise", 10, 12.0000000000001, false, 1e-6, 12},
        {"WholeOriginalRealFraction", 10, 12.5, false, 1e-6, 12.5},
        {"FractionalOriginalKept", 10.5, 12.0000000000001, false, 1e-6, 12.0000000000001},
        {"LargeValueRelativeNoise", 1e9, 2e9 + 1e-3, false, 1e-6, 2e9},
    };
    for (const NoiseRow& row : rows)
    {
        const auto out =
            vrn::WholeWhereOnlyNoise(OneCell(row.original), {row.adjusted}, row.integerCells, row.tolerance);
        ASSERT_EQ(out.size(), 1u) << row.name;
        EXPECT_EQ(out[0], row.written) << row.name;
    }
}

TEST(WholeValueTolerance, IntDevTolThenIntegralityThenDefault)
{
    EXPECT_EQ(vrn::WholeValueTolerance(0.01, 1e-5), 0.01);
    EXPECT_EQ(vrn::WholeValueTolerance(0, 1e-5), 1e-5);
    EXPECT_EQ(vrn::WholeValueTolerance(0, -1), 1e-6);
}

// Result files in a folder someone else also writes to: no partial file, no write through a link,
// and one run at a time on a base.
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
