// The clusters of block coordinate descent and its dynamic blocks: clusters partition the sensitive
// cells and follow the relations, dynamic blocks keep their size, grow along shared relations and
// favour the cells that move more than they must.
#include "backend_test_tables.h"
#include "bcd/clusters.h"
#include "instance/cell_rules.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

namespace
{

using vrn::test::Grid;
using vrn::test::SensitiveCells;

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

} // namespace
