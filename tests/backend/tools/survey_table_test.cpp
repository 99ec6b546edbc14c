// The survey generator: person counts over units within groups. The table adds up, its empty cells
// are z, its small counts are the sensitive cells with the frequency rule's levels, the hierarchy's
// groups are uneven but hold every unit, and the hard pattern (relations whose free cells are all
// sensitive) is there in numbers.
#include "instance/cell_rules.h"
#include "tools/survey_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <set>

namespace
{

vrn::SurveySettings Small(uint64_t seed = 1)
{
    vrn::SurveySettings s; // 6 and 2 categories, 15 persons a unit
    s.groups = 8;
    s.units = 150;
    s.seed = seed;
    return s;
}

// Relations whose cells that may change are all sensitive: their directions must balance exactly.
int AllSensitiveRelations(const vrn::Instance& table)
{
    int n = 0;
    for (size_t r = 0; r < table.RelationCount(); ++r)
    {
        int movable = 0, sensitive = 0;
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
        {
            const vrn::Cell& c = table.cells[table.termCell[t]];
            movable += c.status != 'z';
            sensitive += c.status == 'u';
        }
        n += movable >= 2 && movable == sensitive;
    }
    return n;
}

TEST(UnevenGroups, EveryGroupHoldsAUnitAndEveryUnitHasAGroup)
{
    for (const auto& [groups, units] : {std::pair{1, 1}, {5, 5}, {13, 240}, {130, 2400}})
    {
        const vrn::Dimension d = vrn::UnevenGroups(groups, units, 7);
        ASSERT_EQ(d.Size(), 1 + groups + units);
        ASSERT_EQ(d.children[0].size(), static_cast<size_t>(groups));
        std::set<size_t> sizes;
        size_t held = 0;
        for (int g : d.children[0])
        {
            EXPECT_GE(d.children[g].size(), 1u);
            for (int u : d.children[g])
                EXPECT_TRUE(d.IsLeaf(u));
            held += d.children[g].size();
            sizes.insert(d.children[g].size());
        }
        EXPECT_EQ(held, static_cast<size_t>(units));
        if (units >= 4 * groups)
        {
            EXPECT_GT(sizes.size(), 2u) << "groups of uneven size";
        }
    }
}

TEST(SurveyTable, AddsUpWithEmptyCellsFixedAndSmallCountsProtected)
{
    const vrn::SurveySettings s = Small();
    const vrn::Instance table = vrn::GenerateSurveyTable(s);
    ASSERT_EQ(table.cells.size(), static_cast<size_t>((1 + s.groups + s.units) * 7 * 3));
    for (size_t r = 0; r < table.RelationCount(); ++r)
    {
        double sum = 0;
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            sum += table.termCoef[t] * table.cells[table.termCell[t]].value;
        ASSERT_EQ(sum, table.rhs[r]) << "relation " << r;
    }
    const double grandTotal = table.cells[0].value;
    for (const vrn::Cell& c : table.cells)
    {
        ASSERT_EQ(c.value, std::round(c.value));
        EXPECT_EQ(c.cost, 1);
        if (c.value == 0)
        {
            EXPECT_EQ(c.status, 'z');
            continue;
        }
        EXPECT_EQ(c.lb, 0);
        EXPECT_EQ(c.ub, 1.5 * grandTotal);
        if (c.value < s.threshold)
        {
            EXPECT_EQ(c.status, 'u');
            EXPECT_EQ(c.lpl, c.value) << "down to none";
            EXPECT_EQ(c.upl, s.threshold - c.value) << "or up to the threshold";
        }
        else
            EXPECT_EQ(c.status, 's');
    }
}

TEST(SurveyTable, HasTheSharesAndThePatternOfRealCountTables)
{
    // The default person count gives what the frequency rule marks on registers of small units: about a
    // third of the cells sensitive, about as many empty, many relations of sensitive cells only.
    vrn::SurveySettings s = Small();
    s.groups = 40;
    s.units = 800;
    const vrn::Instance table = vrn::GenerateSurveyTable(s);
    int sensitive = 0, empty = 0;
    for (const vrn::Cell& c : table.cells)
        sensitive += c.status == 'u', empty += c.status == 'z';
    const double n = static_cast<double>(table.cells.size());
    EXPECT_GT(sensitive / n, 0.25);
    EXPECT_LT(sensitive / n, 0.35);
    EXPECT_GT(empty / n, 0.3);
    EXPECT_LT(empty / n, 0.5);
    EXPECT_GT(AllSensitiveRelations(table), static_cast<int>(table.RelationCount() / 10));
}

TEST(SurveyTable, SameSeedSameTableAnotherSeedAnother)
{
    const vrn::Instance a = vrn::GenerateSurveyTable(Small(3));
    const vrn::Instance b = vrn::GenerateSurveyTable(Small(3));
    const vrn::Instance c = vrn::GenerateSurveyTable(Small(4));
    ASSERT_EQ(a.cells.size(), b.cells.size());
    bool differs = false;
    for (size_t i = 0; i < a.cells.size(); ++i)
    {
        EXPECT_EQ(a.cells[i].value, b.cells[i].value);
        differs = differs || a.cells[i].value != c.cells[i].value;
    }
    EXPECT_TRUE(differs);
}

} // namespace
