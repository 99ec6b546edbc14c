// The .csp writer: a table written and read back is the table it was, and written again the same text.
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

void ExpectSame(const vrn::Instance& a, const vrn::Instance& b)
{
    ASSERT_EQ(a.cells.size(), b.cells.size());
    for (size_t i = 0; i < a.cells.size(); ++i)
    {
        const auto &x = a.cells[i], &y = b.cells[i];
        EXPECT_EQ(x.value, y.value);
        EXPECT_EQ(x.cost, y.cost);
        EXPECT_EQ(x.status, y.status);
        EXPECT_EQ(x.lb, y.lb);
        EXPECT_EQ(x.ub, y.ub);
        EXPECT_EQ(x.lpl, y.lpl);
        EXPECT_EQ(x.upl, y.upl);
        EXPECT_EQ(x.spl, y.spl);
    }
    EXPECT_EQ(a.rhs, b.rhs);
    EXPECT_EQ(a.termStart, b.termStart);
    EXPECT_EQ(a.termCell, b.termCell);
    EXPECT_EQ(a.termCoef, b.termCoef);
}

TEST(InstanceWriter, WriteThenReadGivesTheSameTable)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Grouped(2, 3), vrn::Dimension::Flat(4)};
    settings.sensitivePercent = 30;
    settings.protectionPercent = 7;
    vrn::Instance table = vrn::GenerateTable(settings);
    table.cells[3].value = 0.1;
    table.cells[3].lb = -1e-300;
    table.cells[4].spl = 1.0 / 3;
    table.cells[5].status = 'z';
    table.rhs[0] = -2.5e-7;
    std::ostringstream out;
    vrn::WriteInstance(out, table);
    const auto back = vrn::ReadInstanceText(out.str(), false);
    ASSERT_TRUE(back.errors.empty()) << back.errors[0].message;
    ExpectSame(back.instance, table);

    std::ostringstream again;
    vrn::WriteInstance(again, back.instance);
    EXPECT_EQ(again.str(), out.str());
}

} // namespace
