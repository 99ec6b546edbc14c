// A block's own model: it holds the incumbent, its optimum put back is a protected table no worse
// than the incumbent that changes only the moving cells, and the moving cells grow ring by ring,
// along the smallest relations first, or over the cells the incumbent leans on.
#include "backend_test_tables.h"
#include "bcd/clusters.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "model/sub_model.h"
#include "solvers/cbc_solver.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace
{

using vrn::test::Grid;
using vrn::test::SensitiveCells;

// Whether `columns` meet every row and column bound of `mip`.
bool MeetsModel(const vrn::MipModel& mip, const std::vector<double>& columns)
{
    const double tol = 1e-6;
    for (int c = 0; c < mip.ColumnCount(); ++c)
        if (columns[c] < mip.colLower[c] - tol || columns[c] > mip.colUpper[c] + tol)
            return false;
    for (int r = 0; r < mip.RowCount(); ++r)
    {
        double activity = 0;
        for (int64_t e = mip.rowStart[r]; e < mip.rowStart[r + 1]; ++e)
            activity += mip.entryValue[e] * columns[mip.entryCol[e]];
        if (activity < mip.rowLower[r] - tol * (1 + std::fabs(mip.rowLower[r])) ||
            activity > mip.rowUpper[r] + tol * (1 + std::fabs(mip.rowUpper[r])))
            return false;
    }
    return true;
}

// A block's own model holds the incumbent as a solution; its optimum, put back into the table, passes
// the whole table's check, changes only the moving cells, and never changes more than the incumbent.
// With the additive rule off the relations keep the original residuals, so the table is given some.
TEST(BlockSubModel, ItsSolutionsPutBackAreProtectedTablesNoWorseThanTheIncumbent)
{
    struct Case
    {
        int radius; // -2: the cells the incumbent leans on (LeaningCells), budget 40
        bool additive;
        int clusters;
    };
    for (const Case c : {Case{0, true, 3}, Case{1, true, 3}, Case{1, true, 8}, Case{1, false, 3},
                         Case{2, false, 8}, Case{-2, true, 8}, Case{-2, false, 3}})
    {
        SCOPED_TRACE("radius " + std::to_string(c.radius) + (c.additive ? ", additive" : ", residuals kept") +
                     ", " + std::to_string(c.clusters) + " clusters");
        vrn::Instance table = Grid(10, 10, 12, 9);
        if (!c.additive)
            for (size_t r = 0; r < table.RelationCount(); r += 3)
                table.rhs[r] += 7;
        vrn::StdModelSettings modelSettings;
        modelSettings.scale = vrn::AutomaticScale(table);
        modelSettings.additive = c.additive;
        const vrn::StdModel whole = vrn::BuildStdModel(table, modelSettings);
        vrn::SolveParams loose;
        loose.mipGapPercent = 50;
        loose.firstFeasible = true;
        vrn::RunControl control(-1);
        const vrn::SolveResult first = vrn::MakeCbcSolver()->Solve(whole.mip, loose, control);
        ASSERT_EQ(first.solution.size(), static_cast<size_t>(whole.mip.ColumnCount()));
        const std::vector<double> incumbent = whole.AdjustedValues(table, first.solution);
        ASSERT_TRUE(vrn::CheckSolution(table, incumbent, c.additive, false, 1e-6).passed);
        const auto relationsOfCell = vrn::RelationsOfCells(table);
        const auto clusters = vrn::RelationClusters(table, SensitiveCells(table), c.clusters, 1);
        vrn::SubModelSettings subSettings;
        subSettings.radius = c.radius;
        subSettings.leaning = c.radius == -2;
        subSettings.movingBudget = subSettings.leaning ? 40 : subSettings.movingBudget;
        for (const vrn::Cluster& block : clusters)
        {
            const vrn::BlockSubModel sub =
                vrn::BuildBlockSubModel(table, whole, relationsOfCell, block, incumbent, subSettings);
            EXPECT_GE(sub.cellOf.size(), block.size());
            EXPECT_TRUE(MeetsModel(sub.model.mip, sub.start));
            const std::vector<double> same = vrn::PutBack(sub, sub.start, incumbent);
            for (size_t i = 0; i < same.size(); ++i)
                ASSERT_NEAR(same[i], incumbent[i], 1e-6 * (1 + std::fabs(incumbent[i])));

            vrn::SolveParams exact;
            exact.mipGapPercent = 0;
            exact.start = sub.start;
            const vrn::SolveResult best = vrn::MakeCbcSolver()->Solve(sub.model.mip, exact, control);
            ASSERT_EQ(best.solution.size(), sub.start.size());
            const std::vector<double> table2 = vrn::PutBack(sub, best.solution, incumbent);
            const vrn::CheckReport check = vrn::CheckSolution(table, table2, c.additive, false, 1e-6);
            EXPECT_TRUE(check.passed) << (check.lines.empty() ? "" : check.lines.front());
            EXPECT_LE(vrn::WeightedChange(table, table2), vrn::WeightedChange(table, incumbent) + 1e-6);
            std::vector<char> moving(table.cells.size(), 0);
            for (int32_t cell : sub.cellOf)
                moving[cell] = 1;
            for (size_t i = 0; i < table2.size(); ++i)
            {
                if (!moving[i])
                {
                    ASSERT_EQ(table2[i], incumbent[i]) << "cell " << i << " is outside the block's model";
                }
            }
        }
    }
}

TEST(BlockSubModel, MovingCellsGrowOneRelationAtATime)
{
    // A 3x3 table with totals: cell 0 is the first inner cell; row 0 and column 0 hold it.
    const vrn::Instance table = Grid(3, 3, 0);
    const auto relationsOfCell = vrn::RelationsOfCells(table);
    const auto sorted = [](std::vector<int32_t> cells)
    {
        std::sort(cells.begin(), cells.end());
        return cells;
    };
    EXPECT_EQ(sorted(vrn::MovingCells(table, relationsOfCell, {0}, 0)), std::vector<int32_t>{0});
    std::set<int32_t> expected;
    for (int32_t r : relationsOfCell[0])
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            expected.insert(table.termCell[t]);
    const std::vector<int32_t> one = sorted(vrn::MovingCells(table, relationsOfCell, {0}, 1));
    EXPECT_EQ(one, std::vector<int32_t>(expected.begin(), expected.end()));
    EXPECT_LT(one.size(), table.cells.size());
    EXPECT_EQ(vrn::MovingCells(table, relationsOfCell, {0}, 2).size(), table.cells.size());
    // Within a budget: every ring that fits, and always the first.
    EXPECT_EQ(vrn::MovingCells(table, relationsOfCell, {0}, -1, table.cells.size()).size(),
              table.cells.size());
    EXPECT_EQ(sorted(vrn::MovingCells(table, relationsOfCell, {0}, -1, table.cells.size() - 1)), one);
    EXPECT_EQ(sorted(vrn::MovingCells(table, relationsOfCell, {0}, -1, 0)), one);
}

// Small relations first: a cell in a 3-cell relation and a 10-cell one takes the 3 cells, and the big
// relation's cells only when the budget holds them all; z cells never move.
TEST(BlockSubModel, CompactMovingCellsTakeTheSmallRelationsFirstWithinTheBudget)
{
    vrn::Instance table;
    table.cells.resize(13);
    for (vrn::Cell& c : table.cells)
        c = {5, 1, 's', 0, 100, 0, 0, 0};
    table.cells[12].status = 'z';
    table.AddRelation(0, {{0, -1}, {1, 1}, {2, 1}});
    std::vector<std::pair<int32_t, double>> big{{0, -1}};
    for (int32_t i = 3; i < 13; ++i)
        big.emplace_back(i, 1);
    table.AddRelation(0, big);
    const auto relationsOfCell = vrn::RelationsOfCells(table);
    const auto sorted = [](std::vector<int32_t> cells)
    {
        std::sort(cells.begin(), cells.end());
        return cells;
    };
    struct Case
    {
        size_t budget;
        std::vector<int32_t> moving;
    } cases[] = {
        {1, {0}},
        {3, {0, 1, 2}},
        {11, {0, 1, 2}}, // the big relation adds 9 movable cells: 12 in all
        {12, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sorted(vrn::CompactMovingCells(table, relationsOfCell, {0}, c.budget)), c.moving)
            << c.budget;
}

// A block leans on its own relations' cells and on the cells the incumbent changed beside them; a
// cell the incumbent left alone two relations out stays, and so does every cell of status z.
TEST(BlockSubModel, LeaningCellsTakeTheBlocksRelationsAndTheChangedCellsBeyond)
{
    vrn::Instance table = Grid(6, 6, 0);
    const auto relationsOfCell = vrn::RelationsOfCells(table);
    const auto sorted = [](std::vector<int32_t> cells)
    {
        std::sort(cells.begin(), cells.end());
        return cells;
    };
    // Cell 0's relations (a row and a column) and the cells two relations out.
    std::set<int32_t> ring;
    for (int32_t r : relationsOfCell[0])
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            ring.insert(table.termCell[t]);
    std::vector<int32_t> inRing, beyond;
    for (int32_t cell = 1; cell < static_cast<int32_t>(table.cells.size()); ++cell)
        (ring.count(cell) ? inRing : beyond).push_back(cell);
    ASSERT_TRUE(inRing.size() >= 2 && beyond.size() >= 2);
    const int32_t changedInRing = inRing[0], frozen = inRing[1];
    const int32_t changedBeyond = beyond[0], quietBeyond = beyond[1];
    table.cells[frozen].status = 'z';
    std::vector<double> adjusted(table.cells.size());
    for (size_t i = 0; i < adjusted.size(); ++i)
        adjusted[i] = table.cells[i].value;
    adjusted[changedInRing] += 3;
    adjusted[changedBeyond] -= 2;

    std::vector<int32_t> wide(ring.begin(), ring.end());
    wide.erase(std::find(wide.begin(), wide.end(), frozen));
    wide.push_back(changedBeyond);
    struct Case
    {
        size_t budget;
        std::vector<int32_t> expected;
    };
    for (const Case& c : {Case{100, sorted(wide)},                            // the whole ring fits
                          Case{4, sorted({0, changedInRing, changedBeyond})}, // only its changed cells
                          Case{2, sorted({0, changedInRing})}})               // the budget ends the growth
    {
        const auto moving = vrn::LeaningCells(table, relationsOfCell, {0}, adjusted, c.budget);
        EXPECT_EQ(sorted(moving), c.expected) << "budget " << c.budget;
        EXPECT_EQ(std::count(moving.begin(), moving.end(), quietBeyond), 0);
    }
}

} // namespace
