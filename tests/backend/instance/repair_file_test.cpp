// The repair file: every bad line reported with its number, and the prices, fixed items and the
// protection levels' switch it gives.
#include "backend_test_tables.h"
#include "instance/repair_file.h"
#include "repair_tables.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using vrn::test::Parse;

using vrn::test::kBoundForbids;

TEST(RepairFile, EveryBadLineIsReportedWithItsNumber)
{
    const vrn::Instance table = Parse(kBoundForbids);
    struct Case
    {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"1 ub", "expected 'CELL WHAT PRICE'"},
        {"1 ub 1 2", "expected 'CELL WHAT PRICE'"},
        {"9 ub 1", "cell '9' does not exist (the table has cells 0 to 2)"},
        {"-1 ub 1", "cell '-1' does not exist"},
        {"99999999999999999999999 ub 1", "does not exist"},
        {"1 bound 1", "'bound' for cell 1; expected one of lb ub lpl upl"},
        {"1 ub -1", "price '-1' for cell 1 ub; expected a number >= 0 or fixed"},
        {"1 ub cheap", "price 'cheap'"},
        {"1 ub nan", "price 'nan'"},
        {"2 ub 1", "cell 2 has status z"},
    };
    for (const Case& c : cases)
    {
        const vrn::RepairFileResult read =
            vrn::ReadRepairText(std::string("# prices\n\n") + c.line + "\n", table);
        ASSERT_EQ(read.errors.size(), 1u) << c.line;
        EXPECT_EQ(read.errors[0].line, 3) << c.line;
        EXPECT_NE(read.errors[0].message.find(c.message), std::string::npos)
            << c.line << ": " << read.errors[0].message;
    }
    const vrn::RepairFileResult twice = vrn::ReadRepairText("1 ub 1\n1 lb 2\n1 ub 3 # again\n", table);
    ASSERT_EQ(twice.errors.size(), 1u);
    EXPECT_EQ(vrn::FormatErrorText("prices.txt", twice.errors[0]),
              "prices.txt:3: cell 1 ub was priced already on line 1");
}

TEST(RepairFile, PricesFixedCellsAndTheProtectionSwitch)
{
    const vrn::Instance table = Parse(kBoundForbids);
    const vrn::RepairFileResult read =
        vrn::ReadRepairText("1 lb fixed\n0 ub 2.5  # dearer\n1 upl fixed\n", table);
    ASSERT_TRUE(read.errors.empty());
    EXPECT_EQ(read.prices.Of(1, vrn::RepairWhat::Lb), vrn::kFixedPrice);
    EXPECT_EQ(read.prices.Of(0, vrn::RepairWhat::Ub), 2.5);
    EXPECT_EQ(read.prices.Of(1, vrn::RepairWhat::Lpl), 1);
    EXPECT_FALSE(read.prices.protectionPriced); // "fixed" forbids a change, it does not price one
    EXPECT_TRUE(vrn::ReadRepairText("1 lpl 0.5\n", table).prices.protectionPriced);
    EXPECT_TRUE(vrn::ReadRepairFile("", table).errors.empty());
    EXPECT_EQ(vrn::ReadRepairFile("/nonexistent/prices.txt", table).errors.at(0).line, 0);
}

} // namespace
