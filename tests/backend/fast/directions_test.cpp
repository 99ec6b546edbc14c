// The directions of the sensitive cells, without solvers: forced by the bounds, drawn at random, read
// from a file with every kind of bad line, and balanced along the relations.
#include "fast/balance_directions.h"
#include "fast/directions.h"
#include "instance/instance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// Row total 0 = 1 + 2 + 3 (value 20 = 4 + 6 + 10); cells 1 and 3 sensitive. Cell 3's upper bound
// leaves it no room to move up by its level; cell 2 has status s, the total status s.
vrn::Instance Row()
{
    const std::string text = "0 4\n"
                             "0 20 1 s 0 100 0 0 0\n"
                             "1 4 1 u 0 100 1 2 0\n"
                             "2 6 1 s 0 100 0 0 0\n"
                             "3 10 1 u 0 11 3 3 0\n"
                             "1\n0 4 : 0 (-1) 1 (1) 2 (1) 3 (1)\n";
    auto read = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(read.errors.empty());
    return read.instance;
}

constexpr double kBig = 1000;

TEST(Directions, BoundsForceTheOnlyOpenWay)
{
    const vrn::DirectionChoice forced = vrn::ForcedDirections(Row(), kBig);
    EXPECT_EQ(forced.direction[1], vrn::Direction::Free);
    EXPECT_EQ(forced.direction[3], vrn::Direction::Down);
    EXPECT_EQ(forced.source[3], vrn::DirectionSource::Forced);
    EXPECT_EQ(forced.direction[0], vrn::Direction::Free);
    EXPECT_EQ(forced.source[2], vrn::DirectionSource::None);
}

TEST(Directions, RandomChoicesRepeatWithTheSeedAndKeepForcedOnes)
{
    std::string text = "0 200\n";
    for (int i = 0; i < 200; ++i)
        text += std::to_string(i) + " 50 1 u 0 100 5 5 0\n";
    text += "0\n";
    const vrn::Instance table = vrn::ReadInstanceText(text, false).instance;
    auto draw = [&](uint64_t seed)
    {
        vrn::DirectionChoice choice = vrn::ForcedDirections(table, kBig);
        vrn::ChooseAtRandom(table, seed, choice);
        return choice;
    };
    const vrn::DirectionChoice a = draw(7), b = draw(7), c = draw(8);
    EXPECT_EQ(a.direction, b.direction);
    EXPECT_NE(a.direction, c.direction);
    EXPECT_EQ(a.Count(vrn::Direction::Free), 0);
    // Both ways turn up in fair proportion.
    EXPECT_GT(a.Count(vrn::Direction::Up), 60);
    EXPECT_GT(a.Count(vrn::Direction::Down), 60);
    EXPECT_EQ(a.Count(vrn::DirectionSource::Random), 200);

    vrn::DirectionChoice row = vrn::ForcedDirections(Row(), kBig);
    vrn::ChooseAtRandom(Row(), 3, row);
    EXPECT_EQ(row.direction[3], vrn::Direction::Down);
    EXPECT_EQ(row.source[3], vrn::DirectionSource::Forced);
    EXPECT_NE(row.direction[1], vrn::Direction::Free);
    EXPECT_EQ(row.direction[2], vrn::Direction::Free);
}

TEST(Directions, FileGivesDirectionsAndLeavesOmittedCellsOpen)
{
    const auto read = vrn::ReadDirectionsText("# cell direction\n\n1 1   # up\n3 0\n", Row(), kBig);
    ASSERT_TRUE(read.errors.empty()) << read.errors[0].message;
    EXPECT_EQ(read.given, 2);
    EXPECT_EQ(read.choice.direction[1], vrn::Direction::Up);
    EXPECT_EQ(read.choice.source[1], vrn::DirectionSource::File);
    EXPECT_EQ(read.choice.direction[3], vrn::Direction::Down);

    const auto omitted = vrn::ReadDirectionsText("3 0\n", Row(), kBig);
    EXPECT_EQ(omitted.choice.direction[1], vrn::Direction::Free);
    EXPECT_EQ(omitted.choice.Summary(), "0 up, 1 down (1 from the file)");
}

TEST(Directions, EveryKindOfBadLineIsReportedWithItsLine)
{
    struct Case
    {
        const char* line;
        const char* expected; // part of the message
    };
    const Case cases[] = {
        {"1", "expected 'cell direction'"},
        {"1 1 1", "expected 'cell direction'"},
        {"one 1", "expected 'cell direction'"},
        {"1 up", "expected 'cell direction'"},
        {"-1 0", "expected 'cell direction'"},
        {"1.5 0", "expected 'cell direction'"},
        {"9 1", "cell 9 does not exist (the table has cells 0 to 3)"},
        {"1 2", "direction '2' for cell 1; expected 0 (down) or 1 (up)"},
        {"2 1", "cell 2 is not a sensitive cell to protect (status s)"},
        {"3 1", "cell 3 (value 10) cannot move up by 3 within its upper bound 11"},
        {"1 0\n1 1", "cell 1 was given a direction already on line 2"},
    };
    for (const Case& c : cases)
    {
        // A comment first, so the bad line is never on line 1.
        const std::string text = "# cell direction\n" + std::string(c.line) + "\n";
        const auto read = vrn::ReadDirectionsText(text, Row(), kBig);
        ASSERT_EQ(read.errors.size(), 1u) << c.line;
        EXPECT_NE(read.errors[0].message.find(c.expected), std::string::npos)
            << c.line << ": " << read.errors[0].message;
        const int expectedLine = std::string(c.line).find('\n') == std::string::npos ? 2 : 3;
        EXPECT_EQ(read.errors[0].line, expectedLine) << c.line;
    }
    const auto all = vrn::ReadDirectionsText("x\n1 1\n9 9\n2 0\n", Row(), kBig);
    ASSERT_EQ(all.errors.size(), 3u);
    EXPECT_EQ(all.errors[0].line, 1);
    EXPECT_EQ(all.errors[1].line, 3);
    EXPECT_EQ(all.errors[2].line, 4);
    EXPECT_EQ(vrn::FormatErrorText("dirs.txt", all.errors[1]).rfind("dirs.txt:3: cell 9", 0), 0u);
}

TEST(Directions, MissingFileIsAnErrorOfTheWholeFile)
{
    const auto read = vrn::ReadDirectionsFile("/nonexistent/dirs.txt", Row(), kBig);
    ASSERT_EQ(read.errors.size(), 1u);
    EXPECT_EQ(read.errors[0].line, 0);
    EXPECT_EQ(vrn::ReadDirectionsFile("", Row(), kBig).errors[0].message,
              "no directions file given (--fixdirfn)");
}

// A 2x2 table with its margins (cell = 3 * row + column, row and column 0 the totals), every inner
// cell sensitive with levels 1: moving them in a checkerboard leaves every margin as it is.
vrn::Instance Checkerboard()
{
    std::string text = "0 9\n";
    const double values[9] = {40, 20, 20, 20, 10, 10, 20, 10, 10};
    for (int i = 0; i < 9; ++i)
    {
        const bool inner = i / 3 > 0 && i % 3 > 0;
        text += std::to_string(i) + " " + std::to_string(values[i]) + " 1 " + (inner ? "u" : "s") +
                " 0 100 " + (inner ? "1 1" : "0 0") + " 0\n";
    }
    text += "6\n";
    for (int k = 0; k < 3; ++k)
    {
        text += "0 3 : " + std::to_string(3 * k) + " (-1) " + std::to_string(3 * k + 1) + " (1) " +
                std::to_string(3 * k + 2) + " (1)\n";
        text += "0 3 : " + std::to_string(k) + " (-1) " + std::to_string(3 + k) + " (1) " +
                std::to_string(6 + k) + " (1)\n";
    }
    auto read = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(read.errors.empty()) << read.errors[0].message;
    return read.instance;
}

TEST(Directions, BalancingMovesCellsOfARelationOppositeWays)
{
    const vrn::Instance table = Checkerboard();
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, kBig);
    vrn::ChooseByBalancing(table, choice);
    EXPECT_EQ(choice.Count(vrn::DirectionSource::Heuristic), 4);
    EXPECT_EQ(choice.direction[4], choice.direction[8]);
    EXPECT_EQ(choice.direction[5], choice.direction[7]);
    EXPECT_NE(choice.direction[4], choice.direction[5]);
    EXPECT_EQ(choice.direction[0], vrn::Direction::Free); // totals are not sensitive

    // A direction fixed beforehand (as a file gives it) steers the others.
    vrn::DirectionChoice steered = vrn::ForcedDirections(table, kBig);
    steered.direction[5] = vrn::Direction::Up;
    steered.source[5] = vrn::DirectionSource::File;
    vrn::ChooseByBalancing(table, steered);
    EXPECT_EQ(steered.direction[4], vrn::Direction::Down);
    EXPECT_EQ(steered.direction[7], vrn::Direction::Up);
    EXPECT_EQ(steered.direction[8], vrn::Direction::Down);
    EXPECT_EQ(steered.source[5], vrn::DirectionSource::File);

    // In the row, cell 3 can only go down by 3: cell 1 going up by 2 makes up for most of it, although
    // its own level down (1) is the smaller.
    const vrn::Instance row = Row();
    vrn::DirectionChoice one = vrn::ForcedDirections(row, kBig);
    vrn::ChooseByBalancing(row, one);
    EXPECT_EQ(one.direction[1], vrn::Direction::Up);
    EXPECT_EQ(one.direction[3], vrn::Direction::Down);
}

} // namespace
