// The Fast model without solvers: the bounds its directions give, the percent bounds, the objectives
// weighing the cells, and the elastic model.
#include "fast/directions.h"
#include "fast/fast_model.h"
#include "instance/instance.h"

#include <gtest/gtest.h>

#include <cmath>
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

vrn::DirectionChoice UpDown()
{
    vrn::DirectionChoice choice = vrn::ForcedDirections(Row(), kBig);
    choice.direction[1] = vrn::Direction::Up;
    return choice;
}

TEST(FastModel, DirectionsBecomeBoundsAndNoIntegersRemain)
{
    vrn::FastSettings settings;
    settings.big = kBig;
    const vrn::FastModel fast = vrn::BuildFastModel(Row(), settings, UpDown());
    const vrn::MipModel& mip = fast.base.mip;
    EXPECT_FALSE(mip.HasIntegers());
    EXPECT_EQ(mip.colLower[fast.base.colPlus[1]], 2); // up by at least upl
    EXPECT_EQ(mip.colUpper[fast.base.colMinus[1]], 0);
    EXPECT_EQ(mip.colLower[fast.base.colMinus[3]], 3); // down by at least lpl
    EXPECT_EQ(mip.colUpper[fast.base.colPlus[3]], 0);
    EXPECT_EQ(mip.RowCount(), 1);
    EXPECT_EQ(fast.maxColumn, -1);

    // Cells left open get a direction their bounds allow rather than a binary.
    const vrn::FastModel open = vrn::BuildFastModel(Row(), settings, vrn::ForcedDirections(Row(), kBig));
    EXPECT_FALSE(open.base.mip.HasIntegers());
}

TEST(FastModel, PercentBoundsLimitOnlyNonSensitiveCells)
{
    vrn::FastSettings settings;
    settings.big = kBig;
    settings.pctBounds = 10;
    const vrn::FastModel fast = vrn::BuildFastModel(Row(), settings, UpDown());
    const vrn::MipModel& mip = fast.base.mip;
    EXPECT_DOUBLE_EQ(mip.colUpper[fast.base.colPlus[0]], 2); // 10 % of 20
    EXPECT_DOUBLE_EQ(mip.colUpper[fast.base.colMinus[2]], 0.6);
    EXPECT_DOUBLE_EQ(mip.colUpper[fast.base.colPlus[1]], 96); // sensitive: its file bound only
    settings.integerCells = true;
    const vrn::FastModel whole = vrn::BuildFastModel(Row(), settings, UpDown());
    EXPECT_EQ(whole.base.mip.colUpper[whole.base.colMinus[2]], 0); // 0.6 has no whole step
}

TEST(FastModel, ObjectivesWeighCellsAsDefined)
{
    vrn::FastSettings settings;
    settings.big = kBig;
    settings.expObj = 0.5;
    settings.withMaxObjective = true;
    vrn::Instance table = Row();
    table.cells[2].cost = 3;
    vrn::FastModel fast = vrn::BuildFastModel(table, settings, UpDown());
    const auto& b = fast.base;
    ASSERT_GE(fast.maxColumn, 0);
    EXPECT_EQ(fast.base.mip.RowCount(), 1 + 4); // one bounding row per cell

    const auto one = fast.ObjectiveCosts(1), two = fast.ObjectiveCosts(2), three = fast.ObjectiveCosts(3),
               four = fast.ObjectiveCosts(4);
    EXPECT_EQ(one[b.colPlus[2]], 3);
    EXPECT_DOUBLE_EQ(two[b.colMinus[1]], 0.5); // 1 / sqrt(4)
    EXPECT_DOUBLE_EQ(two[b.colPlus[0]], 1 / std::sqrt(20.0));
    EXPECT_DOUBLE_EQ(three[b.colPlus[0]], 1 / std::sqrt(20.0)); // the total
    EXPECT_EQ(three[b.colPlus[1]], 0);
    EXPECT_EQ(four[fast.maxColumn], 1);
    EXPECT_EQ(one[fast.maxColumn], 0);

    // x1 up 2, x2 down 2 (the total unchanged), x3 down 3 and x0 down 3.
    std::vector<double> x(static_cast<size_t>(fast.base.mip.ColumnCount()), 0);
    x[b.colPlus[1]] = 2;
    x[b.colMinus[2]] = 2;
    x[b.colMinus[3]] = 3;
    x[b.colMinus[0]] = 3;
    EXPECT_DOUBLE_EQ(fast.ObjectiveValue(1, x), 2 + 6 + 3 + 3);
    EXPECT_DOUBLE_EQ(fast.ObjectiveValue(3, x), 3 / std::sqrt(20.0));
    EXPECT_DOUBLE_EQ(fast.ObjectiveValue(4, x), 1.0); // cell 1: 2 / sqrt(4)

    fast.AddObjectiveBound(2, 7);
    EXPECT_EQ(fast.base.mip.RowCount(), 1 + 4 + 1);
    EXPECT_EQ(fast.base.mip.rowUpper.back(), 7);
    fast.AddObjectiveBound(4, 0.25);
    EXPECT_EQ(fast.base.mip.colUpper[fast.maxColumn], 0.25);
}

TEST(FastModel, ElasticModelFindsTheDirectionsThatFallShort)
{
    vrn::FastSettings settings;
    settings.big = kBig;
    const vrn::ElasticModel elastic = vrn::BuildElasticModel(Row(), settings, UpDown());
    ASSERT_GE(elastic.shortColumn[1], 0);
    ASSERT_GE(elastic.shortColumn[3], 0);
    EXPECT_EQ(elastic.shortColumn[2], -1);
    EXPECT_EQ(elastic.level[1], 2);
    EXPECT_EQ(elastic.base.mip.colLower[elastic.base.colPlus[1]], 0); // the level moved into a row
    std::vector<double> x(static_cast<size_t>(elastic.base.mip.ColumnCount()), 0);
    x[elastic.shortColumn[3]] = 1.5;
    x[elastic.shortColumn[1]] = 1e-9;
    EXPECT_EQ(vrn::ShortCells(elastic, x), std::vector<int>{3});
}

} // namespace
