#include "backend_test_tables.h"
#include "common/escape_text.h"
#include "instance/instance.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::test::ExpectSame;

const std::string kTable = "0\n"
                           "3\n"
                           "0 10 1 s 0 100 0 0 0\n"
                           "1 4 1 u 0 100 1 2 0\n"
                           "2 6 1 s 0 100 0 0 0\n"
                           "1\n"
                           "0 3 : 0 (-1) 1 (1) 2 (1)\n";

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(InstanceReader, ReadsTheCanonicalForm)
{
    const auto r = vrn::ReadInstanceText(kTable, false);
    ASSERT_TRUE(r.errors.empty()) << r.errors[0].message;
    ASSERT_EQ(r.instance.cells.size(), 3u);
    EXPECT_EQ(r.instance.cells[1].status, 'u');
    EXPECT_EQ(r.instance.cells[1].upl, 2);
    ASSERT_EQ(r.instance.RelationCount(), 1u);
    EXPECT_EQ(r.instance.termCell, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(r.instance.termCoef, (std::vector<double>{-1, 1, 1}));
}

TEST(InstanceReader, EveryVariantOfTheFormatReadsTheSame)
{
    const auto expected = vrn::ReadInstanceText(kTable, false).instance;
    const std::vector<std::string> variants = {
        Replace(kTable, "0 (-1) 1 (1) 2 (1)", "0(-1) 1(1) 2(1)"),
        Replace(kTable, "0 (-1) 1 (1) 2 (1)", "0 ( -1 ) 1 ( 1 ) 2 ( 1 )"),
        Replace(kTable, "0 3 :", "0.0 3:"),
        Replace(Replace(kTable, "0 10 1 s 0 100", "0 1e+01 1 s 0 1.0E2"), "1 4 1 u", "1 +4 1 u"),
        "0 3 0 10 1 s 0 100 0 0 0 1 4 1 u 0 100 1 2 0 2 6 1 s 0 100 0 0 0 1 0 3 : 0 (-1) 1 (1) 2 (1)",
        "0\r\n3\r\n0\t10\t1\ts\t0\t100\t0\t0\t0\r\n1 4 1 u 0 100 1 2 0\r\n2 6 1 s 0 100 0 0 0\r\n1\r\n0 3 : "
        "0 (-1)\r\n"
        "  1 (1) 2 (1)\r\n",
        "0\n3\n0 10 1 s\n0 100 0 0 0 1 4 1 u 0 100\n1 2 0 2 6 1 s 0 100 0 0 0\n1\n0 3 : 0 (-1) 1 (1) 2 (1)\n",
    };
    for (const auto& text : variants)
    {
        const auto r = vrn::ReadInstanceText(text, true);
        ASSERT_TRUE(r.errors.empty()) << text << "\n" << r.errors[0].line << ": " << r.errors[0].message;
        ExpectSame(r.instance, expected);
    }
}

struct ErrorCase
{
    std::string text;
    int line;
    const char* message; // a part of the message
};

TEST(InstanceReader, ReportsEachErrorWithItsLine)
{
    const std::vector<ErrorCase> cases = {
        {Replace(kTable, "0\n3\n", "1\n3\n"), 1, "expected the header 0, found '1'"},
        {"", 1, "the file is empty"},
        {Replace(kTable, "0\n3\n", "0\nthree\n"), 2,
         "expected the number of cells (a whole number, 0 or more)"},
        {Replace(kTable, "0\n3\n", "0\n-3\n"), 2, "number of cells"},
        {"0\n3\n0 10 1 s 0 100 0 0 0\n1 4 1 u 0 100 1 2 0\n", 4, "the file ends after 2 of the 3 cells"},
        {Replace(kTable, "2 6 1 s", "1 6 1 s"), 5, "cell 1 appears again or out of order; expected cell 2"},
        {Replace(kTable, "2 6 1 s", "3 6 1 s"), 5, "cell 2 is missing"},
        {Replace(kTable, "2 6 1 s", "2 6 1 q"), 5, "cell 2 has status 'q'; expected one of u s m x z w"},
        {Replace(kTable, "2 6 1 s 0 100", "2 6 1 s 0 5"), 5,
         "cell 2 has the value 6, outside its bounds [0, 5]"},
        {Replace(kTable, "2 6 1 s 0 100", "2 6 1 s 7 5"), 5, "lower bound 7 above its upper bound 5"},
        {Replace(kTable, "1 4 1 u 0 100 1 2", "1 4 1 u 0 100 -1 2"), 4, "negative lower protection level -1"},
        {Replace(kTable, "1 4 1 u 0 100 1 2", "1 4 1 u 0 100 1 -2"), 4, "negative upper protection level -2"},
        {Replace(kTable, "1 4 1 u", "1 4 -1 u"), 4, "negative cost -1"},
        {Replace(kTable, "1 4 1 u", "1 four 1 u"), 4,
         "cell 1: expected a number for its value, found 'four'"},
        {Replace(kTable, "2 6 1 s 0 100 0 0 0", "2 6 1 s 0 100 0 0"), 5, "its line has 8 fields; expected 9"},
        {Replace(kTable, "1\n0 3 :", "x\n0 3 :"), 6, "expected the number of relations"},
        {Replace(kTable, "0 3 : 0 (-1) 1 (1) 2 (1)", "0 4 : 0 (-1) 1 (1) 2 (1)"), 7,
         "relation 1 announces 4 terms but has 3"},
        {Replace(kTable, "0 3 : 0 (-1) 1 (1) 2 (1)", "0 2 : 0 (-1) 1 (1) 2 (1)"), 7,
         "relation 1 announces 2 terms but has 3"},
        {Replace(kTable, "2 (1)", "7 (1)"), 7, "relation 1 names cell 7, but the table has cells 0 to 2"},
        {Replace(kTable, "0 3 :", "0 3"), 7, "relation 1: expected ':' after its number of terms, found '0'"},
        {Replace(kTable, "1 (1) 2", "1 1) 2"), 7, "relation 1: expected '(' after cell 1, found '1'"},
        {Replace(kTable, "1 (1) 2", "1 (1 2"), 7, "expected ')' after the coefficient of cell 1, found '2'"},
        {Replace(kTable, "1 (1) 2", "1 (x) 2"), 7,
         "expected the coefficient of cell 1 (a number), found 'x'"},
        {Replace(kTable, "1\n0 3 :", "2\n0 3 :"), 7, "the file ends after 1 of the 2 relations"},
        {kTable + "\nleft over\n", 9, "text after the last relation: 'left'"},
    };
    for (const auto& c : cases)
    {
        const auto r = vrn::ReadInstanceText(c.text, false);
        ASSERT_EQ(r.errors.size(), 1u) << c.message;
        EXPECT_EQ(r.errors[0].line, c.line) << c.message << " / " << r.errors[0].message;
        EXPECT_NE(r.errors[0].message.find(c.message), std::string::npos) << r.errors[0].message;
    }
}

TEST(InstanceReader, FirstOnlyStopsAtTheFirstErrorAndAllReportsEvery)
{
    std::string text = Replace(kTable, "1 4 1 u", "1 4 1 q");
    text = Replace(text, "2 6 1 s 0 100", "2 6 1 s 0 5");
    text = Replace(text, "2 (1)", "9 (1)");
    text += "junk\n";
    const auto first = vrn::ReadInstanceText(text, false);
    ASSERT_EQ(first.errors.size(), 1u);
    EXPECT_EQ(first.errors[0].line, 4);

    const auto all = vrn::ReadInstanceText(text, true);
    ASSERT_EQ(all.errors.size(), 4u);
    EXPECT_EQ(all.errors[0].line, 4);
    EXPECT_EQ(all.errors[1].line, 5);
    EXPECT_EQ(all.errors[2].line, 7);
    EXPECT_EQ(all.errors[3].line, 8);
    EXPECT_EQ(vrn::FormatErrorText("t.csp", all.errors[0]),
              "t.csp:4: cell 1 has status 'q'; expected one of u s m x z w");
}

TEST(InstanceReader, AllModeGoesOnAfterADamagedRelationAndADamagedCellLine)
{
    const std::string text = "0\n3\n0 10 1 s 0 100 0 0 0\n1 4 1 u 0 100\n2 6 1 s 0 100 0 0 0\n2\n"
                             "0 3 0 (-1) 1 (1) 2 (1)\n0 3 : 0 (-1) 1 (1) 5 (1)\n";
    const auto all = vrn::ReadInstanceText(text, true);
    ASSERT_EQ(all.errors.size(), 3u);
    EXPECT_EQ(all.errors[0].line, 4);
    EXPECT_EQ(all.errors[1].line, 7);
    EXPECT_EQ(all.errors[2].line, 8);
    EXPECT_NE(all.errors[2].message.find("names cell 5"), std::string::npos);
}

TEST(InstanceReader, ErrorsPastTheCapAreCounted)
{
    std::string text = "0\n2000\n";
    for (int i = 0; i < 2000; ++i)
        text += std::to_string(i) + " 1 1 q 0 2 0 0 0\n";
    text += "0\n";
    const auto all = vrn::ReadInstanceText(text, true);
    EXPECT_EQ(all.errors.size() + all.suppressedErrors, 2000u);
    EXPECT_GT(all.suppressedErrors, 0u);
}

TEST(InstanceReader, AHugeCountInATinyFileIsAnErrorNotAnAllocation)
{
    const auto cells = vrn::ReadInstanceText("0\n1900000000\n0 1 1 s 0 2 0 0 0\n", true);
    ASSERT_EQ(cells.errors.size(), 1u);
    EXPECT_NE(cells.errors[0].message.find("ends after 1 of the 1900000000 cells"), std::string::npos);
    const auto relations = vrn::ReadInstanceText("0\n0\n1900000000\n", true);
    ASSERT_EQ(relations.errors.size(), 1u);
    EXPECT_NE(relations.errors[0].message.find("0 of the 1900000000 relations"), std::string::npos);
}

TEST(InstanceReader, MissingFileIsOneError)
{
    const auto r = vrn::ReadInstanceFile("/nonexistent/dir/x.csp", true);
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_EQ(vrn::FormatErrorText("/nonexistent/dir/x.csp", r.errors[0]),
              "/nonexistent/dir/x.csp: cannot open the instance file: No such file or directory");
    const auto folder = vrn::ReadInstanceFile("/tmp", true);
    ASSERT_EQ(folder.errors.size(), 1u);
    EXPECT_NE(folder.errors[0].message.find("not a regular file"), std::string::npos);
    const auto empty = vrn::ReadInstanceFile("", true);
    ASSERT_EQ(empty.errors.size(), 1u);
    EXPECT_EQ(vrn::FormatErrorText("", empty.errors[0]), "mainVRN.exe: no instance file was given");
}

// Damaged and odd instance files: each read or refused with its line, every damaged relation
// reported, a file that is not regular refused at once, control bytes escaped.
std::vector<vrn::FormatError> Errors(const std::string& text, bool all = false)
{
    return vrn::ReadInstanceText(text, all).errors;
}

const char* kCells = "0\n3\n0 10 1 s 0 100 0 0 0\n1 4 1 u 0 100 2 2 0\n2 6 1 s 0 100 0 0 0\n";

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

} // namespace
