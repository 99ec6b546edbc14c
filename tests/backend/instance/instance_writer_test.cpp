// The .csp writer: a table written and read back is the table it was, and written again the same text.
#include "backend_test_tables.h"
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

using vrn::test::ExpectSame;

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
