// Block coordinate descent: the clusters and dynamic blocks, and the descent itself with the
// COIN-OR solvers in process on small generated tables (GLPK through mainVRN.exe in
// bcd_process_test).
#include "bcd/block_descent.h"
#include "bcd/clusters.h"
#include "fast/fast_solve.h"
#include "fast/starting_point.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "model/sub_model.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/symphony_solver.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{

vrn::Instance Grid(int rows, int cols, double sensitivePercent, uint64_t seed = 5)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(rows), vrn::Dimension::Flat(cols)};
    settings.sensitivePercent = sensitivePercent;
    settings.maxValue = 999;
    settings.seed = seed;
    return vrn::GenerateTable(settings);
}

std::vector<int32_t> SensitiveCells(const vrn::Instance& table)
{
    std::vector<int32_t> cells;
    for (size_t i = 0; i < table.cells.size(); ++i)
        if (vrn::NeedsProtection(table.cells[i]))
            cells.push_back(static_cast<int32_t>(i));
    return cells;
}

vrn::StdModel BuildModel(const vrn::Instance& table, std::vector<vrn::Direction> directions = {})
{
    vrn::StdModelSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    settings.directions = std::move(directions);
    return vrn::BuildStdModel(table, settings);
}

// The Std model's columns of a protected table from a Fast solve: the heuristic's directions
// ('s') or random ones ('r', a poorer start).
std::vector<double> StartFrom(const vrn::Instance& table, const vrn::StdModel& model, char fixDir)
{
    vrn::BackendOptions options;
    options.fixDir = fixDir;
    options.order = {1};
    options.orderGiven = true;
    options.simplex = true;
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::FastLog quiet{[](const std::string&) {}, [](const std::string&) {}};
    const vrn::FastOutcome fast = vrn::SolveFast(table, options, *clp, control, "", quiet);
    EXPECT_TRUE(fast.solved && !fast.result.solution.empty());
    return vrn::StdColumnsOf(table, model, fast.model.AdjustedValues(table, fast.result.solution));
}

double TableObjective(const vrn::Instance& table, const vrn::StdModel& model,
                      const std::vector<double>& columns)
{
    return vrn::WeightedChange(table, model.AdjustedValues(table, columns));
}

struct Descent
{
    vrn::BcdReport report;
    std::vector<vrn::BcdStep> steps;
    std::string said;
};

Descent RunDescent(const vrn::Instance& table, vrn::StdModel& model, const std::vector<double>& start,
                   const vrn::BcdSettings& settings, double gapPercent = 0,
                   std::shared_ptr<vrn::RunControl> control = std::make_shared<vrn::RunControl>(-1),
                   std::unique_ptr<vrn::SolverAdapter> solver = vrn::MakeCbcSolver(),
                   std::function<void(const vrn::BcdStep&)> watch = {})
{
    Descent run;
    vrn::BcdHooks hooks;
    hooks.say = [&](const std::string& line) { run.said += line + "\n"; };
    hooks.onBlock = [&](const vrn::BcdStep& step)
    {
        run.steps.push_back(step);
        if (watch)
            watch(step);
    };
    vrn::SolveParams params;
    params.mipGapPercent = gapPercent;
    run.report = vrn::RunBlockDescent(table, model, *solver, params, control, settings, start, hooks);
    return run;
}

vrn::BcdSettings Settings(int clusters, vrn::BcdCycle cycle = vrn::BcdCycle::Same)
{
    vrn::BcdSettings settings;
    settings.clusters = clusters;
    settings.cycle = cycle;
    return settings;
}

TEST(BcdClusters, PartitionTheCellsInNearEqualSizes)
{
    const vrn::Instance table = Grid(20, 20, 10);
    const std::vector<int32_t> cells = SensitiveCells(table);
    ASSERT_GT(cells.size(), 30u);
    for (const bool random : {false, true})
        for (const int count : {1, 2, 3, 7, static_cast<int>(cells.size())})
            for (const uint64_t seed : {1, 2})
            {
                const auto clusters = random ? vrn::RandomClusters(cells, count, seed)
                                             : vrn::RelationClusters(table, cells, count, seed);
                ASSERT_EQ(clusters.size(), static_cast<size_t>(count));
                std::vector<int32_t> all;
                size_t smallest = cells.size(), largest = 0;
                for (const auto& cluster : clusters)
                {
                    all.insert(all.end(), cluster.begin(), cluster.end());
                    smallest = std::min(smallest, cluster.size());
                    largest = std::max(largest, cluster.size());
                }
                std::sort(all.begin(), all.end());
                EXPECT_EQ(all, cells) << "random " << random << ", " << count << " clusters";
                EXPECT_LE(largest - smallest, 1u) << "random " << random << ", " << count << " clusters";
            }
}

// Cells of the same cluster share rows and columns far more often than random groups do.
TEST(BcdClusters, RelationClustersKeepRowsAndColumnsTogether)
{
    const int cols = 30;
    const vrn::Instance table = Grid(30, cols, 10);
    const std::vector<int32_t> cells = SensitiveCells(table);
    auto linesUsed = [&](const std::vector<vrn::Cluster>& clusters)
    {
        size_t lines = 0;
        for (const auto& cluster : clusters)
        {
            std::set<int> rows, columns;
            for (int32_t cell : cluster)
            {
                rows.insert(cell / (cols + 1));
                columns.insert(cell % (cols + 1));
            }
            lines += rows.size() + columns.size();
        }
        return lines;
    };
    const size_t grown = linesUsed(vrn::RelationClusters(table, cells, 6, 1));
    const size_t random = linesUsed(vrn::RandomClusters(cells, 6, 1));
    EXPECT_LT(grown * 10, random * 8)
        << "relation clusters span " << grown << " rows and columns, random " << random;
}

TEST(BcdClusters, AnotherSeedRegroupsTheCells)
{
    const vrn::Instance table = Grid(20, 20, 10);
    const std::vector<int32_t> cells = SensitiveCells(table);
    EXPECT_EQ(vrn::RelationClusters(table, cells, 4, 1), vrn::RelationClusters(table, cells, 4, 1));
    EXPECT_NE(vrn::RelationClusters(table, cells, 4, 1), vrn::RelationClusters(table, cells, 4, 2));
}

// A table with at least 40 sensitive cells; the k-th of them scores k (the later, the better).
struct ScoredCells
{
    vrn::Instance table = Grid(12, 12, 40);
    std::vector<int32_t> cells = SensitiveCells(table);
    std::vector<double> scores;
    size_t available = cells.size();
    ScoredCells()
    {
        cells.resize(std::min<size_t>(cells.size(), 40));
        for (size_t k = 0; k < cells.size(); ++k)
            scores.push_back(static_cast<double>(k));
    }
    // The cells among the best-scored `percent` % of the 40.
    std::set<int32_t> Best(double percent) const
    {
        const size_t count = static_cast<size_t>(40 * percent / 100);
        return {cells.end() - static_cast<std::ptrdiff_t>(count), cells.end()};
    }
};

TEST(BcdDynamicBlock, HonoursItsSizeAndTakesOnlyCandidates)
{
    const ScoredCells scored;
    ASSERT_GE(scored.available, 40u);
    struct Case
    {
        size_t size;
        double candidates, discard;
        size_t expected;
    };
    for (const Case& c : std::vector<Case>{{10, 50, 50, 10},
                                           {10, 50, 0, 10},
                                           {10, 50, 100, 10},
                                           {30, 50, 50, 20},
                                           {5, 100, 90, 5},
                                           {8, 10, 50, 4}})
        for (const uint64_t seed : {1, 2, 3})
        {
            const vrn::Cluster block = vrn::DynamicBlock(scored.table, scored.cells, scored.scores, c.size,
                                                         c.candidates, c.discard, seed);
            EXPECT_EQ(block.size(), c.expected) << c.size << " " << c.candidates << " " << c.discard;
            const std::set<int32_t> distinct(block.begin(), block.end());
            EXPECT_EQ(distinct.size(), block.size());
            const std::set<int32_t> candidates = scored.Best(c.candidates);
            for (int32_t cell : block)
                EXPECT_EQ(candidates.count(cell), 1u) << "a cell outside the best-scored candidates";
        }
    // Without discarding, the block starts at the best-scored cell; with it, blocks vary with the seed.
    EXPECT_EQ(vrn::DynamicBlock(scored.table, scored.cells, scored.scores, 3, 50, 0, 1).front(),
              scored.cells.back());
    EXPECT_NE(vrn::DynamicBlock(scored.table, scored.cells, scored.scores, 10, 100, 50, 1),
              vrn::DynamicBlock(scored.table, scored.cells, scored.scores, 10, 100, 50, 2));
}

// A dynamic block grows along shared relations from its best-scored cell: each later cell shares a
// relation with an earlier one while a candidate that does is left, where the best-scored cells
// alone would be scattered over the table.
TEST(BcdDynamicBlock, GrowsAlongRelationsFromTheBestScoredCell)
{
    const ScoredCells scored;
    ASSERT_GE(scored.available, 40u);
    const auto relationsOf = vrn::RelationsOfCells(scored.table);
    auto sharesRelation = [&](int32_t a, int32_t b)
    {
        for (int32_t r : relationsOf[a])
            if (std::count(relationsOf[b].begin(), relationsOf[b].end(), r) > 0)
                return true;
        return false;
    };
    for (const uint64_t seed : {1, 2, 3})
    {
        const vrn::Cluster block =
            vrn::DynamicBlock(scored.table, scored.cells, scored.scores, 12, 100, 0, seed);
        ASSERT_EQ(block.size(), 12u);
        EXPECT_EQ(block.front(), scored.cells.back());
        std::set<int32_t> taken;
        for (size_t k = 0; k < block.size(); ++k)
        {
            auto linked = [&](int32_t cell) {
                return std::any_of(taken.begin(), taken.end(),
                                   [&](int32_t t) { return sharesRelation(cell, t); });
            };
            if (k > 0)
            {
                const bool anyLinkedLeft =
                    std::any_of(scored.cells.begin(), scored.cells.end(),
                                [&](int32_t c) { return taken.count(c) == 0 && linked(c); });
                EXPECT_EQ(linked(block[k]), anyLinkedLeft) << "cell " << k << " of the block";
            }
            taken.insert(block[k]);
        }
    }
}

// A cell pushed beyond its protection level, in relations whose other cells change a lot, scores
// higher than a cell that moved exactly its level in quiet relations.
TEST(BcdDynamicBlock, ScoresFavourCellsThatMoveMoreThanTheyMust)
{
    const vrn::Instance table = Grid(4, 4, 30);
    const std::vector<int32_t> cells = SensitiveCells(table);
    ASSERT_GE(cells.size(), 2u);
    std::vector<double> adjusted(table.cells.size());
    for (size_t i = 0; i < adjusted.size(); ++i)
        adjusted[i] = table.cells[i].value;
    const int32_t quiet = cells[0], pushed = cells[1];
    adjusted[quiet] += table.cells[quiet].upl;
    adjusted[pushed] += 5 * table.cells[pushed].upl;
    const auto scores = vrn::FlipScores(table, vrn::RelationsOfCells(table), cells, adjusted);
    EXPECT_GT(scores[1], scores[0]);
}

// Each sensitive cell adds its cost times its smaller protection level; cells that need no
// protection add nothing. On a small generated table the sum is the Std model's LP relaxation.
TEST(BcdBound, LeastWeightedChangeIsEachCellsSmallerLevel)
{
    struct Case
    {
        char status;
        double lpl, upl, cost, adds;
    };
    for (const Case& c : std::vector<Case>{{'u', 4, 9, 2, 8},
                                           {'u', 9, 4, 1, 4},
                                           {'u', 0, 5, 3, 0}, // staying put protects it downwards
                                           {'s', 4, 4, 1, 0},
                                           {'z', 4, 4, 1, 0}})
    {
        vrn::Instance instance;
        vrn::Cell cell;
        cell.value = 50;
        cell.ub = 100;
        cell.status = c.status;
        cell.lpl = c.lpl;
        cell.upl = c.upl;
        cell.cost = c.cost;
        instance.cells = {cell, cell};
        instance.cells[1].status = 's';
        EXPECT_DOUBLE_EQ(vrn::LeastWeightedChange(instance), c.adds)
            << c.status << " " << c.lpl << " " << c.upl;
    }
    const vrn::Instance table = Grid(8, 8, 15, 7);
    vrn::StdModel model = BuildModel(table);
    std::fill(model.mip.isInteger.begin(), model.mip.isInteger.end(), 0);
    vrn::RunControl control(-1);
    vrn::SolveParams simplex;
    simplex.simplex = true;
    const vrn::SolveResult lp = vrn::MakeClpSolver()->Solve(model.mip, simplex, control);
    ASSERT_EQ(lp.status, vrn::SolveStatus::Optimal);
    EXPECT_NEAR(vrn::LeastWeightedChange(table), lp.objective * model.scale + model.mip.objectiveOffset,
                1e-6);
}

// Without --bcd-time a block gets a share of the run's remaining time, never less than the floor;
// without a run's limit, none; --bcd-time wins.
TEST(BcdAutomatic, TheDescentRunsBeyondWhatTheWholeModelsSearchHandles)
{
    struct Case
    {
        int directions;
        char solver;
        int clusters;
    } cases[] = {{0, 'b', 0},
                 {500, 'g', 0},
                 {vrn::kWholeModelDirections, 's', 0},
                 {vrn::kWholeModelDirections + 1, 'g', 41},
                 {vrn::kWholeModelDirectionsCbc, 'b', 0},
                 {vrn::kWholeModelDirectionsCbc + 1, 'b', 4},
                 {1343, 'b', 5},
                 {1343, 'g', 0},
                 {14814, 'b', 50},
                 {14814, 'g', 297},
                 {14814, 's', 297}};
    for (const Case& c : cases)
        EXPECT_EQ(vrn::AutomaticClusters(c.directions, c.solver), c.clusters) << c.directions << c.solver;
    vrn::BackendOptions options;
    EXPECT_FALSE(vrn::BcdClustersGiven(options));
    options.given.emplace_back("--bcd-clusters", "1");
    EXPECT_TRUE(vrn::BcdClustersGiven(options));
}

TEST(BcdBlockTime, SharesTheRemainingTime)
{
    struct Case
    {
        double given;
        int blocks;
        bool runLimit;
        double remaining, expected;
    };
    for (const Case& c : std::vector<Case>{{-1, 20, true, 60, 6},
                                           {-1, 4, true, 60, 15},
                                           {-1, 1, true, 60, 60},
                                           {-1, 20, true, 10, 2},
                                           {-1, 20, false, 0, -1},
                                           {7, 20, true, 60, 7},
                                           {7, 20, false, 0, 7}})
    {
        vrn::BcdSettings settings;
        settings.blockSeconds = c.given;
        EXPECT_DOUBLE_EQ(vrn::BlockTimeLimit(settings, c.blocks, c.runLimit, c.remaining), c.expected)
            << c.given << " " << c.blocks << " " << c.remaining;
    }
}

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

// The best table with the directions of `best` but `flipped`'s; negative when there is none.
double BestFlip(const vrn::Instance& table, const std::vector<int32_t>& cells,
                const std::vector<double>& best, int32_t flipped)
{
    std::vector<vrn::Direction> directions(table.cells.size(), vrn::Direction::Free);
    for (int32_t cell : cells)
    {
        const bool up = best[cell] > table.cells[cell].value;
        directions[cell] = (up != (cell == flipped)) ? vrn::Direction::Up : vrn::Direction::Down;
    }
    const vrn::StdModel fixed = BuildModel(table, directions);
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::SolveResult flip = clp->Solve(fixed.mip, vrn::SolveParams{}, control);
    if (flip.status != vrn::SolveStatus::Optimal)
        return -1;
    return vrn::WeightedChange(table, fixed.AdjustedValues(table, flip.solution));
}

// With one cluster per cell the descent ends at a table that no single flip improves, or at the
// known optimum: on the whole model, and on blocks' own models whose neighbourhood (two relations
// out, on a 2-D table) lets every cell move, though built from the incumbent's fixed part.
TEST(BlockDescent, OneClusterPerCellEndsWhereNoSingleFlipImproves)
{
    const vrn::Instance table = Grid(6, 6, 25, 11);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const std::vector<int32_t> cells = SensitiveCells(table);
    ASSERT_GE(cells.size(), 5u);
    vrn::SolveParams exact;
    exact.mipGapPercent = 0;
    vrn::RunControl control(-1);
    const vrn::SolveResult optimum = vrn::MakeCbcSolver()->Solve(model.mip, exact, control);
    ASSERT_EQ(optimum.status, vrn::SolveStatus::Optimal);
    const double optimal = TableObjective(table, model, optimum.solution);
    for (const bool wholeModel : {true, false})
    {
        vrn::BcdSettings settings = Settings(static_cast<int>(cells.size()));
        settings.subModels = !wholeModel;
        settings.leaning = false;
        settings.radius = 2;
        const Descent run = RunDescent(table, model, start, settings);
        ASSERT_EQ(run.report.result.solution.size(), start.size());
        const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
        const double objective = vrn::WeightedChange(table, best);
        EXPECT_LE(objective, TableObjective(table, model, start) + 1e-9);
        EXPECT_GE(objective, optimal - 1e-6);
        EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed);
        EXPECT_NE(run.report.stopReason.find("without improvement"), std::string::npos)
            << run.report.stopReason;
        if (objective <= optimal + 1e-6)
            continue;
        int feasibleFlips = 0;
        for (int32_t flipped : cells)
        {
            const double flip = BestFlip(table, cells, best, flipped);
            if (flip < 0)
                continue;
            ++feasibleFlips;
            EXPECT_GE(flip, objective - 1e-6)
                << "flipping cell " << flipped << " improves the descent's table (whole model: " << wholeModel
                << ")";
        }
        EXPECT_GT(feasibleFlips, 0);
    }
}

TEST(BlockDescent, NeverReturnsAWorseTableAndEveryIncumbentPassesTheCheck)
{
    using Factory = std::function<std::unique_ptr<vrn::SolverAdapter>()>;
    for (const auto& [name, make] : std::vector<std::pair<std::string, Factory>>{
             {"CBC", vrn::MakeCbcSolver}, {"SYMPHONY", vrn::MakeSymphonySolver}})
        for (const auto& [fixDir, workers] :
             std::vector<std::pair<char, int>>{{'r', 1}, {'s', 1}, {'r', 2}, {'s', 2}})
        {
            SCOPED_TRACE(std::string(1, fixDir) + ", " + std::to_string(workers) + " side by side");
            const vrn::Instance table = Grid(12, 12, 10, 3);
            vrn::StdModel model = BuildModel(table);
            const std::vector<double> start = StartFrom(table, model, fixDir);
            const double startObjective = TableObjective(table, model, start);
            double previous = startObjective;
            // From random directions the blocks' own models reach one relation out (a part of the
            // table); from the heuristic's they hold the cells the table leans on (the default).
            vrn::BcdSettings settings = Settings(3);
            settings.leaning = fixDir != 'r';
            settings.radius = 1;
            settings.workers = workers;
            const Descent run =
                RunDescent(table, model, start, settings, 5, std::make_shared<vrn::RunControl>(-1), make(),
                           [&](const vrn::BcdStep& step)
                           {
                               EXPECT_LE(step.incumbent, previous + 1e-9) << name;
                               previous = step.incumbent;
                           });
            const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
            EXPECT_LE(vrn::WeightedChange(table, best), startObjective + 1e-9) << name << " " << fixDir;
            // A block "not added" lost to the block beside it (the pairs are blocks 1 and 2, then 3 alone).
            for (size_t k = 0; k < run.steps.size(); ++k)
                if (run.steps[k].notAdded)
                {
                    ASSERT_EQ(workers, 2) << run.said;
                    ASSERT_EQ(run.steps[k].block <= 2, true) << run.said;
                    const vrn::BcdStep& beside = run.steps[run.steps[k].block == 1 ? k + 1 : k - 1];
                    EXPECT_TRUE(beside.improved && beside.blockObjective <= run.steps[k].blockObjective)
                        << run.said;
                }

            EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed) << name;
            if (fixDir == 'r')
            {
                EXPECT_LT(run.report.objective, startObjective)
                    << name << ": random directions leave room to gain";
            }
            // The model's bounds are as they were.
            const vrn::StdModel fresh = BuildModel(table);
            EXPECT_EQ(model.mip.colLower, fresh.mip.colLower);
            EXPECT_EQ(model.mip.colUpper, fresh.mip.colUpper);
        }
}

// Started from a table that no block can improve, the stop rules alone end the descent.
class BcdStops : public ::testing::Test
{
protected:
    vrn::Instance table = Grid(8, 8, 15, 7);
    vrn::StdModel model = BuildModel(table);
    std::vector<double> optimum;

    void SetUp() override
    {
        auto cbc = vrn::MakeCbcSolver();
        vrn::RunControl control(-1);
        vrn::SolveParams params;
        params.mipGapPercent = 0;
        optimum = cbc->Solve(model.mip, params, control).solution;
        ASSERT_EQ(optimum.size(), static_cast<size_t>(model.mip.ColumnCount()));
    }
};

TEST_F(BcdStops, EachRuleEndsTheRunWhenItShould)
{
    struct Case
    {
        std::string name;
        std::function<void(vrn::BcdSettings&)> set;
        int blocks;
        std::string reason;
    };
    const double objective = TableObjective(table, model, optimum);
    const std::vector<Case> cases{
        {"nstop", [](vrn::BcdSettings& s) { s.noGainStop = 5; }, 5, "5 blocks in a row without improvement"},
        {"adaptive, same clusters", [](vrn::BcdSettings&) {}, 3, "3 blocks in a row"},
        {"adaptive, changing clusters", [](vrn::BcdSettings& s) { s.cycle = vrn::BcdCycle::Changing; }, 15,
         "15 blocks in a row"},
        {"adaptive, dynamic", [](vrn::BcdSettings& s) { s.dynamic = true; }, 15, "15 blocks in a row"},
        {"one cycle", [](vrn::BcdSettings& s) { s.cycle = vrn::BcdCycle::One; }, 3, "one cycle done"},
        {"objective target",
         [&](vrn::BcdSettings& s)
         {
             s.hasObjectiveTarget = true;
             s.objectiveTarget = objective;
         },
         0, "at or below the target"},
        {"target not reached",
         [&](vrn::BcdSettings& s)
         {
             s.hasObjectiveTarget = true;
             s.objectiveTarget = objective - 1;
             s.noGainStop = 4;
         },
         4, "4 blocks in a row"},
    };
    for (const int workers : {1, 2})
        for (const Case& c : cases)
        {
            SCOPED_TRACE(std::to_string(workers) + " side by side");
            vrn::BcdSettings settings = Settings(3);
            settings.workers = workers;
            c.set(settings);
            const Descent run = RunDescent(table, model, optimum, settings);
            EXPECT_EQ(run.report.blocks, c.blocks) << c.name << "\n" << run.said;
            EXPECT_NE(run.report.stopReason.find(c.reason), std::string::npos)
                << c.name << ": " << run.report.stopReason;
            EXPECT_NEAR(run.report.objective, objective, 1e-6) << c.name;
        }
}

TEST_F(BcdStops, AStopOrTheTimeLimitKeepsTheBestTable)
{
    auto stopped = std::make_shared<vrn::RunControl>(-1);
    const Descent byCommand = RunDescent(table, model, optimum, Settings(3), 0, stopped, vrn::MakeCbcSolver(),
                                         [&](const vrn::BcdStep& step)
                                         {
                                             if (step.block == 2)
                                                 stopped->RequestStop(vrn::StopReason::Command);
                                         });
    EXPECT_EQ(byCommand.report.blocks, 2);
    EXPECT_EQ(byCommand.report.stopReason, "stopped by the stop command");
    EXPECT_EQ(byCommand.report.result.solution.size(), optimum.size());

    auto shortRun = std::make_shared<vrn::RunControl>(1e-3);
    while (!shortRun->StopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const Descent timedOut = RunDescent(table, model, optimum, Settings(3), 0, shortRun);
    EXPECT_EQ(timedOut.report.blocks, 0);
    EXPECT_EQ(timedOut.report.stopReason, "time limit reached");
    EXPECT_NEAR(TableObjective(table, model, timedOut.report.result.solution),
                TableObjective(table, model, optimum), 1e-6);
}

TEST(BlockDescent, CycleModesRepeatOrRegroupTheClusters)
{
    const vrn::Instance table = Grid(10, 10, 12, 9);
    for (const auto cycle : {vrn::BcdCycle::Same, vrn::BcdCycle::Changing, vrn::BcdCycle::One})
    {
        vrn::StdModel model = BuildModel(table);
        const std::vector<double> start = StartFrom(table, model, 's');
        vrn::BcdSettings settings = Settings(3, cycle);
        settings.noGainStop = 100;
        auto control = std::make_shared<vrn::RunControl>(-1);
        const Descent run = RunDescent(table, model, start, settings, 0, control, vrn::MakeCbcSolver(),
                                       [&](const vrn::BcdStep& step)
                                       {
                                           if (step.cycle == 2 && step.block == 3)
                                               control->RequestStop(vrn::StopReason::Command);
                                       });
        if (cycle == vrn::BcdCycle::One)
        {
            EXPECT_EQ(run.report.cycles, 1);
            EXPECT_EQ(run.steps.size(), 3u);
            continue;
        }
        ASSERT_EQ(run.steps.size(), 6u);
        bool same = true;
        for (int b = 0; b < 3; ++b)
            same = same && run.steps[b].cells == run.steps[3 + b].cells;
        EXPECT_EQ(same, cycle == vrn::BcdCycle::Same);
    }
}

// A cycle starts with the cluster whose cells' flips promise the most (the highest sum of their
// scores in the starting table); unsorted, with the first cluster grown.
TEST(BlockDescent, ClustersComeInOrderOfTheirPromise)
{
    const vrn::Instance table = Grid(10, 10, 12, 9);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const std::vector<int32_t> cells = SensitiveCells(table);
    const std::vector<double> adjusted = model.AdjustedValues(table, start);
    const std::vector<double> scores = vrn::FlipScores(table, vrn::RelationsOfCells(table), cells, adjusted);
    const auto promise = [&](const vrn::Cluster& cluster)
    {
        double sum = 0;
        for (int32_t cell : cluster)
            sum += scores[std::find(cells.begin(), cells.end(), cell) - cells.begin()];
        return sum;
    };
    // A grouping whose grown order does not start with the best cluster.
    uint64_t seed = 1;
    std::vector<vrn::Cluster> clusters;
    double best = -1e300;
    for (; seed <= 20; ++seed)
    {
        clusters = vrn::RelationClusters(table, cells, 4, seed);
        best = -1e300;
        for (const vrn::Cluster& cluster : clusters)
            best = std::max(best, promise(cluster));
        if (promise(clusters.front()) < best)
            break;
    }
    ASSERT_LE(seed, 20u);
    for (const bool sort : {true, false})
    {
        vrn::BcdSettings settings = Settings(4, vrn::BcdCycle::One);
        settings.sortClusters = sort;
        settings.seed = seed;
        const Descent run = RunDescent(table, model, start, settings, 5);
        ASSERT_EQ(run.steps.size(), 4u);
        if (sort)
        {
            EXPECT_DOUBLE_EQ(promise(run.steps.front().cells), best);
        }
        else
        {
            EXPECT_EQ(run.steps.front().cells, clusters.front());
        }
    }
}

TEST(BlockDescent, DynamicBlocksHaveTheirSizeAndImproveARandomStart)
{
    const vrn::Instance table = Grid(12, 12, 10, 3);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const size_t sensitive = SensitiveCells(table).size();
    vrn::BcdSettings settings = Settings(4);
    settings.dynamic = true;
    settings.candidatePercent = 60;
    const Descent run = RunDescent(table, model, start, settings, 0);
    ASSERT_FALSE(run.steps.empty());
    const size_t size = (sensitive + 3) / 4;
    for (const auto& step : run.steps)
        EXPECT_EQ(step.cells.size(), size);
    EXPECT_LT(run.report.objective, TableObjective(table, model, start));
}

// Two tables in one instance, sharing no cell and no relation.
vrn::Instance TwoApart(const vrn::Instance& one, const vrn::Instance& other)
{
    vrn::Instance both = one;
    const auto offset = static_cast<int32_t>(one.cells.size());
    both.cells.insert(both.cells.end(), other.cells.begin(), other.cells.end());
    for (size_t r = 0; r < other.RelationCount(); ++r)
    {
        std::vector<std::pair<int32_t, double>> terms;
        for (int64_t t = other.termStart[r]; t < other.termStart[r + 1]; ++t)
            terms.emplace_back(other.termCell[t] + offset, other.termCoef[t]);
        both.AddRelation(other.rhs[r], terms);
    }
    return both;
}

// Blocks that change different cells add their gains: on two separate tables, one block each, a
// cycle with the blocks side by side ends where one after the other does, and takes both blocks.
TEST(BlockDescent, BlocksSideBySideAddTheirGainsWhereTheyChangeDifferentCells)
{
    const vrn::Instance table = TwoApart(Grid(8, 8, 30, 7), Grid(8, 8, 30, 7));
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const double startObjective = TableObjective(table, model, start);
    std::vector<double> ends;
    for (const int workers : {1, 2})
    {
        vrn::BcdSettings settings = Settings(2, vrn::BcdCycle::One);
        settings.workers = workers;
        const Descent run = RunDescent(table, model, start, settings, 0);
        ASSERT_EQ(run.steps.size(), 2u) << run.said;
        EXPECT_TRUE(run.steps[0].improved && run.steps[1].improved) << workers << "\n" << run.said;
        if (workers == 2)
        {
            // Both blocks started from the same table: the end gains what each gained.
            const double gains =
                2 * startObjective - run.steps[0].blockObjective - run.steps[1].blockObjective;
            EXPECT_NEAR(run.report.objective, startObjective - gains, 1e-6) << run.said;
        }
        const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
        EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed);
        ends.push_back(run.report.objective);
    }
    EXPECT_NEAR(ends[0], ends[1], 1e-6);
}

// Dynamic blocks solved side by side are chosen from the same table: the second must not repeat the
// first's cells, or the two children would solve the same block.
TEST(BlockDescent, DynamicBlocksSideBySideShareNoCell)
{
    const vrn::Instance table = Grid(16, 16, 12, 4);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    vrn::BcdSettings settings = Settings(6, vrn::BcdCycle::One);
    settings.dynamic = true;
    settings.workers = 2;
    const Descent run = RunDescent(table, model, start, settings, 0);
    ASSERT_EQ(run.steps.size(), 6u) << run.said;
    for (size_t k = 0; k + 1 < run.steps.size(); k += 2)
    {
        const std::set<int32_t> first(run.steps[k].cells.begin(), run.steps[k].cells.end());
        for (int32_t cell : run.steps[k + 1].cells)
            EXPECT_EQ(first.count(cell), 0u)
                << "blocks " << k + 1 << " and " << k + 2 << " share cell " << cell;
    }
    EXPECT_LT(run.report.objective, TableObjective(table, model, start));
    const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
    EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed);
}

TEST(BlockDescent, FinalBranchAndCutProvesTheSmallTable)
{
    const vrn::Instance table = Grid(8, 8, 15, 7);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    vrn::BcdSettings settings = Settings(3, vrn::BcdCycle::One);
    settings.finalSeconds = 60;
    const Descent run = RunDescent(table, model, start, settings, 0);
    EXPECT_TRUE(run.report.finalSearch);
    EXPECT_EQ(run.report.result.status, vrn::SolveStatus::Optimal) << run.said;

    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    vrn::SolveParams exact;
    exact.mipGapPercent = 0;
    const vrn::StdModel fresh = BuildModel(table);
    const auto optimum = cbc->Solve(fresh.mip, exact, control);
    EXPECT_NEAR(run.report.objective, TableObjective(table, fresh, optimum.solution), 1e-6);
}

} // namespace
