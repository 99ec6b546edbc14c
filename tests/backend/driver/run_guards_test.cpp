// The run's guards against numbers the options and the table make together: the automatic scale
// brings tiny tables up as it brings large ones down and no default option is refused for it, and the
// gap reads as its numbers give it.
#include "cli/options.h"
#include "driver/run_guards.h"
#include "instance/cell_rules.h"
#include "instance/instance.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

namespace
{

// A row 10 = 4 + 6 with cell 1 sensitive (levels 2 and 2), every number times `factor`.
vrn::Instance Row(double factor = 1)
{
    std::ostringstream text;
    text << "0\n3\n"
         << "0 " << 10 * factor << " 1 s 0 " << 100 * factor << " 0 0 0\n"
         << "1 " << 4 * factor << " 1 u 0 " << 100 * factor << " " << 2 * factor << " " << 2 * factor
         << " 0\n"
         << "2 " << 6 * factor << " 1 s 0 " << 100 * factor << " 0 0 0\n"
         << "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";
    const auto read = vrn::ReadInstanceText(text.str(), false);
    EXPECT_TRUE(read.errors.empty()) << read.errors[0].message;
    return read.instance;
}

TEST(HostileScale, TinyTablesAreBroughtUpAsLargeOnesDown)
{
    EXPECT_EQ(vrn::AutomaticScale(Row()), 1);
    EXPECT_EQ(vrn::AutomaticScale(Row(1e6)), 1e5); // largest 1e7 down to 100
    const double up = vrn::AutomaticScale(Row(1e-7));
    EXPECT_DOUBLE_EQ(up, 1e-8); // largest 1e-6 up to 100, the levels of 2e-7 to 20
    // Large totals over small sensitive cells: the levels stay ten times above the default tolerance,
    // and the default options are not refused (the scale once made them 1e-6).
    vrn::Instance wide = Row();
    wide.cells[0].value = 5e8;
    for (const auto& [level, scale] :
         {std::pair{1.0, 1e5}, {0.05, 1e3}, {2e-4, 10.0}, {2e-5, 1.0}, {1e6, 1e6}})
    {
        for (vrn::Cell& cell : wide.cells)
            if (vrn::NeedsProtection(cell))
                cell.lpl = cell.upl = level;
        EXPECT_EQ(vrn::AutomaticScale(wide), scale) << "level " << level;
        EXPECT_EQ(vrn::CheckOptionsAgainstTable(wide, vrn::BackendOptions{}, vrn::AutomaticScale(wide)), "")
            << "level " << level;
    }

    vrn::BackendOptions options;
    EXPECT_EQ(vrn::CheckOptionsAgainstTable(Row(1e-7), options, up), "");
    EXPECT_NE(vrn::CheckOptionsAgainstTable(Row(1e-7), options, 1), ""); // levels 2e-7 below 1e-6
    options.scale = 1e-30;
    EXPECT_NE(vrn::CheckOptionsAgainstTable(Row(), options, 1e-30).find("--scale"), std::string::npos);
}

TEST(HostileGap, TheGapReadsAsTheNumbersGiveIt)
{
    EXPECT_EQ(vrn::GapText(20, 20), "0 %");
    EXPECT_EQ(vrn::GapText(20, 19.99989573), "0.00052 %");
    EXPECT_EQ(vrn::GapText(100, 90), "10 %");
    EXPECT_EQ(vrn::GapText(100, 110), "-10 % (the bound is above the objective)");
    EXPECT_EQ(vrn::GapText(0, 0), "0 %");
    EXPECT_NE(vrn::GapText(0, 3e-6).find("not defined"), std::string::npos);
}

} // namespace
