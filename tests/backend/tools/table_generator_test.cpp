// The generator of tables with their margins: the cells and relations its dimensions give, each
// relation adding up.
#include "tools/table_generator.h"

#include <gtest/gtest.h>

namespace
{

TEST(TableGenerator, TablesAddUpAlongEveryRelation)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(3), vrn::Dimension::Grouped(2, 2), vrn::Dimension::Flat(2)};
    const vrn::Instance table = vrn::GenerateTable(settings);
    EXPECT_EQ(table.cells.size(), 4u * 7u * 3u);
    // Relations: 4*3 for dimension 0's total... one per (non-leaf node, other coordinates).
    EXPECT_EQ(table.RelationCount(), 1u * 7 * 3 + 3u * 4 * 3 + 1u * 4 * 7);
    for (size_t r = 0; r < table.RelationCount(); ++r)
    {
        double sum = 0;
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            sum += table.termCoef[t] * table.cells[table.termCell[t]].value;
        EXPECT_EQ(sum, 0) << "relation " << r;
    }
    EXPECT_GT(table.cells[0].value, 0);
}

} // namespace
