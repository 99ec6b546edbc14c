// The measures of the report page on small tables whose figures are worked out by hand.
#include "instance/instance.h"
#include "results/table_measures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::CellGroup;
using vrn::Instance;
using vrn::TableMeasures;

// The 3x3 example (cell 11 sensitive, levels 5 and 5) and its optimal table of objective 20: cell 11
// up by 5, with its row total (cell 8), its column total (cell 3) and the grand total (cell 0).
Instance ThreeByThree()
{
    vrn::ReadResult read = vrn::ReadInstanceFile(VRN_EXAMPLES_DIR "/table3x3.csp", false);
    EXPECT_TRUE(read.errors.empty());
    return read.instance;
}

std::vector<double> ThreeByThreeProtected(const Instance& table)
{
    std::vector<double> adjusted;
    for (const vrn::Cell& cell : table.cells)
        adjusted.push_back(cell.value);
    for (const size_t moved : {0, 3, 8, 11})
        adjusted[moved] += 5;
    return adjusted;
}

vrn::Cell MakeCell(double value, char status, double cost = 1, double lpl = 0, double upl = 0)
{
    vrn::Cell cell;
    cell.value = value;
    cell.status = status;
    cell.cost = cost;
    cell.ub = 1000;
    cell.lpl = lpl;
    cell.upl = upl;
    return cell;
}

// A row with zeros and fixed cells: total 60 (cell 0) = 0 + 10 (z) + 50 (u, levels 5) + 0 (z), and a
// total of value 0 (cell 1) of cell 5. Published: 55 = 2 + 10 + 43 + 0, and cell 5 from 0 to 2.
struct ZerosAndFixed
{
    Instance table;
    std::vector<double> adjusted = {55, 2, 10, 43, 0, 2};

    ZerosAndFixed()
    {
        table.cells = {MakeCell(60, 's'),          MakeCell(0, 's', 2), MakeCell(10, 'z'),
                       MakeCell(50, 'u', 1, 5, 5), MakeCell(0, 'z'),    MakeCell(0, 's')};
        table.AddRelation(0, {{0, -1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}});
        table.AddRelation(0, {{1, -1}, {5, 1}});
    }
};

TEST(TableMeasures, ThreeByThreeWithOneSensitiveCell)
{
    const Instance table = ThreeByThree();
    const TableMeasures m = vrn::MeasureTable(table, ThreeByThreeProtected(table));
    EXPECT_EQ(m.cells, 16u);
    EXPECT_EQ(m.changed, 4u);
    EXPECT_DOUBLE_EQ(m.tolerance, 1e-9 * 314);
    EXPECT_EQ(m.weightedChange, 20);
    EXPECT_EQ(m.totalChange, 20);
    EXPECT_EQ(m.largest.cell, 0u); // four changes of 5: the first cell
    EXPECT_EQ(m.largest.Change(), 5);
    ASSERT_TRUE(m.hasRelative);
    EXPECT_EQ(m.largestRelative.cell, 11u);
    EXPECT_DOUBLE_EQ(m.largestRelative.RelativePercent(), 12.5);
    // The 15 cells not sensitive, all of a value other than 0: 5/309, 5/110 and 5/116 changed.
    EXPECT_EQ(m.nonSensitiveWithValue, 15u);
    EXPECT_NEAR(m.nonSensitiveMeanPercent, 100.0 * (5.0 / 309 + 5.0 / 110 + 5.0 / 116) / 15, 1e-12);

    struct GroupRow
    {
        CellGroup group;
        size_t cells, changed;
        double total;
    };
    const GroupRow groups[] = {{CellGroup::Sensitive, 1, 1, 5},
                               {CellGroup::Changeable, 15, 3, 15},
                               {CellGroup::Fixed, 0, 0, 0},
                               {CellGroup::Total, 7, 3, 15}, // cells 0 to 4, 8 and 12
                               {CellGroup::Inner, 9, 1, 5}};
    for (const GroupRow& row : groups)
    {
        const vrn::GroupMeasures& g = m.Group(row.group);
        EXPECT_EQ(g.cells, row.cells) << static_cast<int>(row.group);
        EXPECT_EQ(g.changed, row.changed) << static_cast<int>(row.group);
        EXPECT_EQ(g.totalChange, row.total) << static_cast<int>(row.group);
        EXPECT_EQ(g.weightedChange, row.total) << static_cast<int>(row.group); // unit costs
    }
    EXPECT_DOUBLE_EQ(m.Group(CellGroup::Sensitive).meanPercent, 12.5);

    // Not changed 12; 1.62 % (cell 0) up to 2 %; 4.55 % and 4.31 % (cells 3, 8) up to 5 %; the sensitive
    // cell's 12.5 % up to 20 %.
    const std::array<size_t, vrn::kBinCount> others = {12, 1, 2, 0, 0, 0, 0, 0, 0};
    const std::array<size_t, vrn::kBinCount> sensitive = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(m.bins.others, others);
    EXPECT_EQ(m.bins.sensitive, sensitive);
    EXPECT_EQ(m.bins.zeroValueChanged + m.bins.zeroValueUnchanged, 0u);

    EXPECT_EQ(m.absolute.values, std::vector<double>(8, 5));
    // Nearest rank of 1.62, 4.31, 4.55, 12.5: ranks 1, 1, 1, 2, 3, 4, 4, 4.
    const double r0 = 500.0 / 309, r8 = 500.0 / 116, r3 = 500.0 / 110;
    EXPECT_EQ(m.relative.values, (std::vector<double>{r0, r0, r0, r8, r3, 12.5, 12.5, 12.5}));

    EXPECT_EQ(m.totals, 7u);
    std::vector<size_t> largest;
    for (const vrn::CellChange& c : m.largestTotals)
        largest.push_back(c.cell);
    EXPECT_EQ(largest, (std::vector<size_t>{0, 12, 8, 3, 2, 1, 4})); // 309, 121, 116, 110, 101, 98, 72
    std::vector<size_t> moved;
    for (const vrn::CellChange& c : m.movedTotals)
        moved.push_back(c.cell);
    EXPECT_EQ(moved, (std::vector<size_t>{3, 8, 0}));
    EXPECT_EQ(m.movedTotalCount, 3u);

    EXPECT_EQ(m.sensitive.cells, 1u);
    EXPECT_EQ(m.sensitive.up, 1u);
    EXPECT_EQ(m.sensitive.down, 0u);
    EXPECT_EQ(m.sensitive.AtLevel(), 1u); // up by exactly its level of 5
    EXPECT_EQ(m.sensitive.beyond.values, std::vector<double>(8, 0));
}

TEST(TableMeasures, ZerosAndFixedCellsAreCountedApart)
{
    const ZerosAndFixed t;
    const TableMeasures m = vrn::MeasureTable(t.table, t.adjusted);
    EXPECT_EQ(m.changed, 4u);
    EXPECT_EQ(m.weightedChange, 5 + 2 * 2 + 7 + 2); // cell 1 costs 2
    EXPECT_EQ(m.totalChange, 16);
    EXPECT_EQ(m.largest.cell, 3u);
    EXPECT_EQ(m.largest.Change(), -7);
    // Cells 1 and 5 (value 0) have no relative change: the largest is cell 3's 14 %, not theirs.
    EXPECT_EQ(m.largestRelative.cell, 3u);
    EXPECT_DOUBLE_EQ(m.largestRelative.RelativePercent(), 14);
    EXPECT_EQ(m.nonSensitiveWithValue, 2u); // cells 0 (8.33 %) and 2 (0 %)
    EXPECT_DOUBLE_EQ(m.nonSensitiveMeanPercent, 100.0 * 5 / 60 / 2);

    const vrn::GroupMeasures& fixed = m.Group(CellGroup::Fixed);
    EXPECT_EQ(fixed.cells, 2u);
    EXPECT_EQ(fixed.changed, 0u);
    EXPECT_EQ(fixed.totalChange, 0);
    EXPECT_EQ(fixed.withValue, 1u);
    EXPECT_EQ(fixed.meanPercent, 0);
    EXPECT_EQ(m.Group(CellGroup::Changeable).cells, 3u);
    EXPECT_EQ(m.Group(CellGroup::Changeable).weightedChange, 11);
    EXPECT_EQ(m.Group(CellGroup::Total).cells, 2u);
    EXPECT_EQ(m.Group(CellGroup::Inner).cells, 4u);

    EXPECT_EQ(m.bins.zeroValueChanged, 2u);
    EXPECT_EQ(m.bins.zeroValueUnchanged, 1u);
    const std::array<size_t, vrn::kBinCount> others = {1, 0, 0, 1, 0, 0, 0, 0, 0};    // cell 2; cell 0 8.33 %
    const std::array<size_t, vrn::kBinCount> sensitive = {0, 0, 0, 0, 1, 0, 0, 0, 0}; // 14 %
    EXPECT_EQ(m.bins.others, others);
    EXPECT_EQ(m.bins.sensitive, sensitive);
    EXPECT_EQ(m.absolute.count, 4u);
    EXPECT_EQ(m.absolute.values.front(), 2);
    EXPECT_EQ(m.absolute.values.back(), 7);
    EXPECT_EQ(m.relative.count, 2u); // the changed cells of a value other than 0

    EXPECT_EQ(m.totals, 2u);
    ASSERT_EQ(m.largestTotals.size(), 2u);
    EXPECT_EQ(m.largestTotals[0].cell, 0u); // the grand total: the largest value
    EXPECT_EQ(m.zeroValueTotalsChanged, 1u);
    ASSERT_EQ(m.movedTotals.size(), 1u);
    EXPECT_EQ(m.movedTotals[0].cell, 0u);

    EXPECT_EQ(m.sensitive.down, 1u);
    EXPECT_EQ(m.sensitive.AtLevel(), 0u);
    EXPECT_EQ(m.sensitive.beyond.values.front(), 2); // 7 down against a level of 5
    EXPECT_EQ(m.sensitive.beyondBins[2], 1u);        // 2 is 40 % of the level: up to 50 %
}

// Every cell of value 50 on its own: each change falls into its bin exactly at the bounds (1 of 50 is
// 2 %), which quotients in floating point would miss.
TEST(TableMeasures, RelativeChangesFallIntoTheirBinsAtTheBounds)
{
    struct Row
    {
        double change;
        size_t bin;
    };
    const Row rows[] = {{0, 0},  {1, 1},  {-1, 1}, {1.5, 2}, {2.5, 2},  {5, 3},  {5.5, 4},
                        {10, 4}, {15, 5}, {20, 6}, {25, 7},  {25.5, 8}, {40, 8}, {3e-8, 0}};
    Instance table;
    std::vector<double> adjusted;
    for (const Row& row : rows)
    {
        table.cells.push_back(MakeCell(50, 's'));
        adjusted.push_back(50 + row.change);
    }
    const TableMeasures m = vrn::MeasureTable(table, adjusted);
    std::array<size_t, vrn::kBinCount> expected{};
    for (const Row& row : rows)
        ++expected[row.bin];
    EXPECT_EQ(m.bins.others, expected);
    EXPECT_EQ(m.changed, std::size(rows) - 2); // 0, and 3e-8 below the tolerance of 9e-8
}

// Each sensitive cell by where it was published against its levels (value 100, tolerance 1e-7).
TEST(TableMeasures, SensitiveCellsByHowTheyMoved)
{
    struct Row
    {
        const char* name;
        double lpl, upl, adjusted;
        const char* kind; // up, down, unmoved
        int bin;          // beyond bin, -1 short of the level or not moved
    };
    const Row rows[] = {
        {"UpAtTheLevel", 5, 5, 105, "up", 0},        {"DownAtTheLevel", 5, 5, 95, "down", 0},
        {"UpByTenPercentMore", 5, 10, 111, "up", 1}, {"DownHalfAgain", 10, 5, 85, "down", 2},
        {"UpTwiceTheLevel", 5, 5, 110, "up", 3},     {"DownFarPast", 2, 2, 90, "down", 4},
        {"ShortOfTheLevel", 5, 5, 103, "up", -1},    {"NotMovedWithNoLowerLevel", 0, 5, 100, "unmoved", -1},
    };
    for (const Row& row : rows)
    {
        Instance table;
        table.cells = {MakeCell(100, 'u', 1, row.lpl, row.upl)};
        const vrn::SensitiveMeasures s = vrn::MeasureTable(table, {row.adjusted}).sensitive;
        const std::string kind = s.up ? "up" : s.down ? "down" : s.unmoved ? "unmoved" : "none";
        EXPECT_EQ(kind, row.kind) << row.name;
        EXPECT_EQ(s.shortOfLevel, row.bin < 0 && kind != "unmoved" ? 1u : 0u) << row.name;
        for (int bin = 0; bin < static_cast<int>(vrn::kBeyondBinCount); ++bin)
            EXPECT_EQ(s.beyondBins[static_cast<size_t>(bin)], bin == row.bin ? 1u : 0u)
                << row.name << " " << bin;
    }
}

TEST(TableMeasures, NearestRankQuantilesAreValuesOfTheData)
{
    std::vector<double> numbers;
    for (int i = 100; i >= 1; --i)
        numbers.push_back(i);
    EXPECT_EQ(vrn::NearestRankQuantiles(numbers).values,
              (std::vector<double>{1, 10, 25, 50, 75, 90, 99, 100}));
    std::vector<double> one = {7};
    EXPECT_EQ(vrn::NearestRankQuantiles(one).values, std::vector<double>(8, 7));
    std::vector<double> none;
    EXPECT_EQ(vrn::NearestRankQuantiles(none).count, 0u);
    EXPECT_TRUE(vrn::NearestRankQuantiles(none).values.empty());
}

// A table without cells, and one where nothing moved, have measures that say so rather than fail.
TEST(TableMeasures, EmptyAndUnchangedTables)
{
    const TableMeasures empty = vrn::MeasureTable(Instance{}, {});
    EXPECT_EQ(empty.cells, 0u);
    EXPECT_FALSE(empty.hasRelative);
    EXPECT_TRUE(std::isnan(empty.nonSensitiveMeanPercent));

    const Instance table = ThreeByThree();
    std::vector<double> same;
    for (const vrn::Cell& cell : table.cells)
        same.push_back(cell.value);
    const TableMeasures m = vrn::MeasureTable(table, same);
    EXPECT_EQ(m.changed, 0u);
    EXPECT_EQ(m.weightedChange, 0);
    EXPECT_EQ(m.movedTotalCount, 0u);
    EXPECT_EQ(m.absolute.count, 0u);
    EXPECT_EQ(m.sensitive.unmoved, 1u);
}

} // namespace
