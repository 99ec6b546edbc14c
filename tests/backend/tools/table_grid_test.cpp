// The table grid both generators share: the totals over the inner cells and one relation per total
// and dimension.
#include "tools/table_grid.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace
{

// The grid both generators share: every total is the sum of the inner cells under it, and each
// total has one relation per dimension in which it is a total, with itself as the only -1 term.
TEST(TableGrid, TotalsAndRelationsCoverEveryMargin)
{
    using vrn::Dimension;
    const std::vector<std::vector<Dimension>> tables = {
        {Dimension::Flat(4)},
        {Dimension::Flat(3), Dimension::Flat(5)},
        {Dimension::Grouped(2, 3), Dimension::Flat(4)},
        {Dimension::Flat(2), Dimension::Grouped(3, 2), Dimension::Flat(3)},
    };
    for (size_t t = 0; t < tables.size(); ++t)
    {
        const auto& dims = tables[t];
        const vrn::TableGrid grid(dims);
        const std::vector<char> inner = grid.InnerCells();
        ASSERT_EQ(inner.size(), static_cast<size_t>(grid.Count())) << t;

        // Inner cells count 1 each: a total counts the inner cells it adds up.
        std::vector<int64_t> counts(inner.begin(), inner.end());
        grid.FillTotals(counts, [](int64_t& total, int64_t part) { total += part; });
        int64_t innerCount = 0, totalsExpected = 0;
        for (int64_t cell = 0; cell < grid.Count(); ++cell)
        {
            innerCount += inner[cell];
            int64_t under = 1;
            for (size_t d = 0; d < dims.size(); ++d)
            {
                const int node = grid.Coordinate(cell, d);
                // The items of the dimension under this node.
                int64_t items = 0;
                for (int n = 0; n < dims[d].Size(); ++n)
                {
                    bool below = dims[d].IsLeaf(n);
                    int up = n;
                    while (below && up != node && up > 0)
                        up = dims[d].parent[up];
                    items += below && up == node;
                }
                under *= items;
                totalsExpected += !dims[d].IsLeaf(node);
            }
            EXPECT_EQ(counts[cell], under) << t << " cell " << cell;
        }
        EXPECT_EQ(counts[0], innerCount) << t;

        vrn::Instance table;
        table.cells.resize(static_cast<size_t>(grid.Count()));
        grid.AddRelations(table);
        ASSERT_EQ(static_cast<int64_t>(table.RelationCount()), totalsExpected) << t;
        std::set<int32_t> totals;
        for (size_t r = 0; r < table.RelationCount(); ++r)
        {
            int minusOnes = 0;
            for (int64_t k = table.termStart[r]; k < table.termStart[r + 1]; ++k)
                if (table.termCoef[k] == -1)
                {
                    ++minusOnes;
                    totals.insert(table.termCell[k]);
                    EXPECT_FALSE(inner[table.termCell[k]]) << t;
                }
            EXPECT_EQ(minusOnes, 1) << t << " relation " << r;
        }
        EXPECT_EQ(static_cast<int64_t>(totals.size()), grid.Count() - innerCount) << t;
    }
}

} // namespace
