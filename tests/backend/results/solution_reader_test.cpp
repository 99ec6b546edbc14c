// The .sol file read back: what the writer wrote, and every kind of damage named with its line.
#include "results/result_files.h"
#include "results/solution_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

vrn::Instance RowTable()
{
    vrn::Instance table;
    for (const double value : {10.0, 4.0, 6.0})
    {
        vrn::Cell cell;
        cell.value = value;
        table.cells.push_back(cell);
    }
    table.cells[1].status = 'u';
    table.AddRelation(0, {{0, -1}, {1, 1}, {2, 1}});
    return table;
}

const std::string kHeader =
    "# VRN solution\n# instance: row.csp\n# solver: CBC\n# outcome: optimal\n"
    "# objective: 4\n# check: passed\n# cells: 3\n# index original adjusted change status\n";

TEST(SolutionReader, ReadsBackWhatTheWriterWrote)
{
    const fs::path path =
        fs::temp_directory_path() / ("vrn_solution_reader_" + std::to_string(getpid()) + ".sol");
    const vrn::Instance table = RowTable();
    vrn::SolutionHeader header{"row.csp", "CBC", "feasible (time limit reached)", {{"objective", "4.2"}}};
    header.hasTable = true;
    std::string error;
    // 0.1 + 0.2 and 6 + 1e-13 read back exactly: the writer writes the shortest exact form.
    const std::vector<double> adjusted = {12.1, 0.1 + 0.2, 6 + 1e-13};
    ASSERT_TRUE(vrn::WriteSolutionFile(path.string(), header, table, adjusted, error)) << error;
    const vrn::SolutionFileContents read = vrn::ReadSolutionFile(path.string());
    fs::remove(path);
    ASSERT_TRUE(read.errors.empty()) << read.errors[0].message;
    EXPECT_TRUE(read.HasTable());
    EXPECT_EQ(read.adjusted, adjusted);
    EXPECT_EQ(read.original, (std::vector<double>{10, 4, 6}));
    EXPECT_EQ(read.status, (std::vector<char>{'s', 'u', 's'}));
    EXPECT_EQ(read.HeaderValue("outcome"), "feasible (time limit reached)");
    EXPECT_EQ(read.HeaderValue("objective"), "4.2");
    EXPECT_EQ(read.announcedCells, 3u);
    EXPECT_TRUE(vrn::MismatchWithInstance(read, table, "row.csp").empty());
}

TEST(SolutionReader, ASolWithoutATableSaysWhy)
{
    const vrn::SolutionFileContents read =
        vrn::ReadSolutionText("# VRN solution\n# outcome: infeasible\n# reason: the input check failed\n");
    EXPECT_TRUE(read.errors.empty());
    EXPECT_FALSE(read.HasTable());
    EXPECT_EQ(read.HeaderValue("reason"), "the input check failed");
    EXPECT_TRUE(vrn::ReadSolutionText("# cells: 0\n").HasTable()); // a table without cells
}

// Each damage: the line it is reported on and words of the message.
TEST(SolutionReader, DamagedFilesAreRefusedWithTheLine)
{
    struct Row
    {
        const char* name;
        std::string cells;
        int line;
        const char* message;
    };
    const Row rows[] = {
        {"FourFields", "0 10 12 2 s\n1 4 2\n", 10, "a cell line has 3 fields; expected 5"},
        {"OutOfOrder", "0 10 12 2 s\n2 4 2 -2 u\n", 10, "the line of cell 1 starts with '2'"},
        {"NotANumber", "0 10 12 2 s\n1 4 two -2 u\n", 10,
         "the adjusted value of cell 1, 'two', is not a number"},
        {"Infinity", "0 inf 12 2 s\n", 9, "the original value of cell 0, 'inf', is not a number"},
        {"Hexadecimal", "0 10 0x1 2 s\n", 9, "the adjusted value of cell 0, '0x1', is not a number"},
        {"ChangeDisagrees", "0 10 12 3 s\n", 9, "the change of cell 0, 3, is not its adjusted value 12 less"},
        {"BadStatus", "0 10 12 2 q\n", 9, "the status of cell 0, 'q', is not one of u s m x z w"},
        {"TooFewLines", "0 10 12 2 s\n1 4 2 -2 u\n", 10,
         "the header announces 3 cells, but the file holds 2"},
        {"TooManyLines", "0 10 12 2 s\n1 4 2 -2 u\n2 6 6 0 s\n3 1 1 0 s\n", 12,
         "announces 3 cells, but the file holds 4"},
        {"CutInTheMiddle", "0 10 12 2 s\n1 4 2 -2 u\n2 6 6", 11, "a cell line has 3 fields"},
    };
    for (const Row& row : rows)
    {
        const vrn::SolutionFileContents read = vrn::ReadSolutionText(kHeader + row.cells);
        ASSERT_EQ(read.errors.size(), 1u) << row.name;
        EXPECT_EQ(read.errors[0].line, row.line) << row.name;
        EXPECT_NE(read.errors[0].message.find(row.message), std::string::npos)
            << row.name << ": " << read.errors[0].message;
    }
    const vrn::SolutionFileContents cells = vrn::ReadSolutionText("# cells: many\n");
    ASSERT_EQ(cells.errors.size(), 1u);
    EXPECT_NE(cells.errors[0].message.find("'many' is not a whole number"), std::string::npos);
}

TEST(SolutionReader, ATableOfAnotherInstanceIsNamedSo)
{
    const vrn::Instance table = RowTable();
    struct Row
    {
        const char* name;
        std::string cells;
        int line;
        const char* message;
    };
    const Row rows[] = {
        {"OtherCount", "0 10 12 2 s\n1 4 2 -2 u\n", 0,
         "the table has 2 cells and the instance row.csp has 3"},
        {"OtherValue", "0 10 12 2 s\n1 5 2 -3 u\n2 6 6 0 s\n", 10,
         "cell 1 has the original value 5 here and 4 in row.csp"},
        {"OtherStatus", "0 10 12 2 s\n1 4 2 -2 s\n2 6 6 0 s\n", 10,
         "cell 1 has status s here and u in row.csp"},
    };
    for (const Row& row : rows)
    {
        std::string text = kHeader + row.cells;
        if (row.line == 0)
            text.replace(text.find("# cells: 3\n"), 11, "");
        const vrn::SolutionFileContents read = vrn::ReadSolutionText(text);
        ASSERT_TRUE(read.errors.empty()) << row.name << ": " << read.errors[0].message;
        const std::vector<vrn::FormatError> mismatch = vrn::MismatchWithInstance(read, table, "row.csp");
        ASSERT_EQ(mismatch.size(), 1u) << row.name;
        EXPECT_EQ(mismatch[0].line, row.line) << row.name;
        EXPECT_NE(mismatch[0].message.find(row.message), std::string::npos)
            << row.name << ": " << mismatch[0].message;
        EXPECT_NE(mismatch[0].message.find("it is not a table of this instance"), std::string::npos)
            << row.name;
    }
}

TEST(SolutionReader, OnlyARegularFileIsRead)
{
    const vrn::SolutionFileContents missing = vrn::ReadSolutionFile("/nonexistent/t.sol");
    ASSERT_EQ(missing.errors.size(), 1u);
    EXPECT_EQ(missing.errors[0].line, 0);
    EXPECT_NE(missing.errors[0].message.find("cannot open the solution file"), std::string::npos);
    const vrn::SolutionFileContents folder = vrn::ReadSolutionFile(fs::temp_directory_path().string());
    ASSERT_EQ(folder.errors.size(), 1u);
    EXPECT_NE(folder.errors[0].message.find("not a regular file"), std::string::npos);
}

} // namespace
