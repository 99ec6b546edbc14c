// The checks of a table before and after the solve: cells that no table can protect, relations
// that cannot hold, and every kind of fault of a solution.
#include "backend_test_tables.h"
#include "instance/instance.h"
#include "model/checks.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace
{

using vrn::test::Row;

TEST(Checks, InputCheckFindsCellsThatCannotBeProtectedAndUnrepairableRelations)
{
    EXPECT_TRUE(vrn::CheckInput(Row(), true, 1000, 1e-6).passed);
    // Bounds [0, 4.5]: value 4 can go neither down by 5 nor up by 2.
    EXPECT_FALSE(vrn::CheckInput(Row('u', 5, 2, 4.5), true, 1000, 1e-6).passed);
    vrn::Instance allZ = Row('z');
    allZ.cells[0].status = allZ.cells[2].status = 'z';
    allZ.rhs[0] = 1;
    EXPECT_FALSE(vrn::CheckInput(allZ, true, 1000, 1e-6).passed);
    EXPECT_TRUE(vrn::CheckInput(allZ, false, 1000, 1e-6).passed);
}

struct SolutionCase
{
    const char* name;
    std::vector<double> adjusted;
    bool additive;
    bool integer;
    bool passes;
};

TEST(Checks, SolutionCheckCatchesEachKindOfFault)
{
    vrn::Instance table = Row();
    table.cells[2].status = 'z';
    const std::vector<SolutionCase> cases = {
        {"protected up", {12, 6, 6}, true, false, true},
        {"protected down", {9, 3, 6}, true, false, true},
        {"not protected", {11, 5, 6}, true, false, false},
        {"relation broken", {12, 6.5, 6}, true, false, false},
        {"below bound", {5, -1, 6}, true, false, false},
        {"z cell moved", {12, 5, 7}, true, false, false},
        {"fractional", {12.5, 6.5, 6}, true, true, false},
        {"fractional allowed", {12.5, 6.5, 6}, true, false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vrn::CheckSolution(table, c.adjusted, c.additive, c.integer, 1e-6).passed, c.passes)
            << c.name;

    table.rhs[0] = 1; // original off by 1: non-additive keeps that residual
    EXPECT_TRUE(vrn::CheckSolution(table, {12, 6, 6}, false, false, 1e-6).passed);
    EXPECT_FALSE(vrn::CheckSolution(table, {12, 6, 6}, true, false, 1e-6).passed);
    EXPECT_EQ(vrn::WeightedChange(table, {12, 6, 6}), 4);
}

TEST(Checks, WeightedChangeCorrectedAtTheMovedCellsIsTheWholeSum)
{
    vrn::Instance table = Row();
    table.cells[0].cost = 2.5;
    const std::vector<double> before = {12, 6, 6};
    struct Case
    {
        const char* name;
        std::vector<double> after;
        std::vector<int32_t> moved;
    };
    for (const Case& c : std::vector<Case>{{"nothing moved", {12, 6, 6}, {}},
                                           {"back to the original", {10, 4, 6}, {0, 1}},
                                           {"across the original", {7, 1, 6}, {0, 1}},
                                           {"a listed cell that kept its value", {12, 6, 6}, {2}},
                                           {"all of them", {13, 8, 5}, {0, 1, 2}}})
        EXPECT_DOUBLE_EQ(
            vrn::WeightedChangeAfter(table, before, vrn::WeightedChange(table, before), c.after, c.moved),
            vrn::WeightedChange(table, c.after))
            << c.name;
}

// The check against tables meant to slip through: a sensitive cell that did not move, or moved a
// hair short of its level, fails at any scale of the numbers and any tolerance. Their row scales
// every number, so they have a namespace of their own.
namespace hostile
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

TEST(HostileCheck, AnUnmovedOrBarelyMovedSensitiveCellFailsWhateverTheTolerance)
{
    for (double factor : {1.0, 1e-7, 1e6})
    {
        const vrn::Instance table = Row(factor);
        const auto check = [&](std::vector<double> x, double tolerance)
        {
            for (double& v : x)
                v *= factor;
            return vrn::CheckSolution(table, x, true, false, tolerance).passed;
        };
        EXPECT_TRUE(check({12, 6, 6}, 1e-6)) << factor;
        EXPECT_TRUE(check({8, 2, 6}, 1e-6)) << factor;
        EXPECT_FALSE(check({10, 4, 6}, 1e-6)) << factor;
        EXPECT_FALSE(check({10, 4, 6}, 1)) << factor; // a huge relation tolerance does not pass protection
        EXPECT_FALSE(check({11.999999, 5.999999, 6}, 1e-6)) << factor; // short by 1e-6 of the level's 2
        EXPECT_FALSE(check({10 + 5e-16 / factor, 4 + 5e-16 / factor, 6}, 1e-6)) << factor;
        // A relation among tiny numbers is held to their own precision, not to an absolute 1e-6.
        EXPECT_FALSE(check({12, 6, 6.5}, 1e-6)) << factor;
    }
}

} // namespace hostile

} // namespace
