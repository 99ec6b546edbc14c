// The generator of tables from simulated microdata: the tables add up, empty cells are z, and the
// sensitivity rules mark and protect the cells as the offices' rules say.
#include "tools/realistic_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

vrn::Contributors Of(std::initializer_list<double> values)
{
    vrn::Contributors c;
    for (double v : values)
        c.Add(v, 2);
    return c;
}

double LargestResidual(const vrn::Instance& table)
{
    double worst = 0;
    for (size_t r = 0; r < table.RelationCount(); ++r)
    {
        double sum = 0;
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            sum += table.termCoef[t] * table.cells[table.termCell[t]].value;
        worst = std::max(worst, std::fabs(sum - table.rhs[r]));
    }
    return worst;
}

TEST(Contributors, KeepTheLargestInOrderAndCountEveryOne)
{
    vrn::Contributors a = Of({5, 50, 20});
    EXPECT_EQ(a.largest, (std::vector<double>{50, 20}));
    EXPECT_EQ(a.total, 75);
    a.Merge(Of({30, 60, 1}), 2);
    EXPECT_EQ(a.largest, (std::vector<double>{60, 50}));
    EXPECT_EQ(a.total, 166);
    EXPECT_EQ(a.count, 6);
}

TEST(SensitivityRules, MarkAndProtectAsTheRulesSay)
{
    vrn::RealisticSettings pRule;
    pRule.rule = vrn::SensitivityRule::PPercent; // p = 15
    vrn::RealisticSettings nk = pRule;
    nk.rule = vrn::SensitivityRule::Dominance; // n = 2, k = 85
    vrn::RealisticSettings counts = pRule;
    counts.kind = vrn::TableKind::Count; // threshold 3
    struct Case
    {
        const char* what;
        const vrn::RealisticSettings& settings;
        vrn::Contributors cell;
        double lower, upper;
    } cases[] = {
        // The rest (40) hides less than 15 % of the largest (150): 150 - 40 = 110.
        {"p %, dominated", pRule, Of({1000, 100, 30, 10}), 110, 110},
        {"p %, one contributor", pRule, Of({200}), 30, 30},
        {"p %, safe", pRule, Of({100, 50, 40, 30}), 0, 0},
        // The two largest hold 95 of 100: 95 / 0.85 - 100 = 11.76, whole: 12.
        {"(2, 85), dominated", nk, Of({90, 5, 3, 2}), 12, 12},
        {"(2, 85), safe", nk, Of({40, 30, 20, 10}), 0, 0},
        {"threshold, one", counts, Of({7}), 1, 2},
        {"threshold, two", counts, Of({7, 8}), 2, 1},
        {"threshold, three", counts, Of({7, 8, 9}), 0, 0},
        {"empty", pRule, Of({}), 0, 0},
    };
    for (const Case& c : cases)
    {
        const vrn::Protection p = vrn::ProtectionByRule(c.cell, c.settings);
        EXPECT_EQ(p.lower, c.lower) << c.what;
        EXPECT_EQ(p.upper, c.upper) << c.what;
    }
}

TEST(RealisticTable, EveryKindAddsUpWithEmptyCellsFixedAndRulesApplied)
{
    using vrn::Dimension;
    struct Case
    {
        const char* what;
        std::vector<Dimension> dims;
        vrn::TableKind kind;
        vrn::SensitivityRule rule;
        bool costIsValue;
    } cases[] = {
        {"2-D counts",
         {Dimension::Flat(12), Dimension::Flat(9)},
         vrn::TableKind::Count,
         vrn::SensitivityRule::Threshold,
         false},
        {"hierarchical magnitudes, p %",
         {Dimension::Grouped(3, 4), Dimension::Flat(6)},
         vrn::TableKind::Magnitude,
         vrn::SensitivityRule::PPercent,
         true},
        {"3-D magnitudes, (n, k)",
         {Dimension::Flat(5), Dimension::Flat(4), Dimension::Flat(3)},
         vrn::TableKind::Magnitude,
         vrn::SensitivityRule::Dominance,
         false},
        {"4-D counts",
         {Dimension::Flat(3), Dimension::Grouped(2, 2), Dimension::Flat(3), Dimension::Flat(2)},
         vrn::TableKind::Count,
         vrn::SensitivityRule::Threshold,
         true},
    };
    for (const Case& c : cases)
    {
        vrn::RealisticSettings s;
        s.dimensions = c.dims;
        s.kind = c.kind;
        s.rule = c.rule;
        s.costIsValue = c.costIsValue;
        s.emptyPercent = 30;
        s.seed = 7;
        const vrn::Instance table = vrn::GenerateRealisticTable(s);
        size_t expected = 1;
        for (const auto& d : c.dims)
            expected *= static_cast<size_t>(d.Size());
        ASSERT_EQ(table.cells.size(), expected) << c.what;
        EXPECT_EQ(LargestResidual(table), 0) << c.what;
        int empty = 0, sensitive = 0;
        for (const vrn::Cell& cell : table.cells)
        {
            empty += cell.status == 'z';
            sensitive += cell.status == 'u';
            EXPECT_EQ(cell.status == 'z', cell.value == 0) << c.what;
            EXPECT_EQ(cell.value, std::round(cell.value)) << c.what;
            if (cell.status == 'u')
            {
                EXPECT_GT(std::max(cell.lpl, cell.upl), 0) << c.what;
            }
            if (cell.status == 'u' && c.kind == vrn::TableKind::Count)
            {
                EXPECT_LT(cell.value, 3) << c.what;
            }
            if (cell.status != 'z')
            {
                EXPECT_EQ(cell.cost, c.costIsValue ? std::max(1.0, cell.value) : 1.0) << c.what;
            }
        }
        EXPECT_GT(empty, 0) << c.what;
        EXPECT_GT(sensitive, 0) << c.what;
        EXPECT_LT(sensitive, static_cast<int>(table.cells.size())) << c.what;
    }
}

TEST(RealisticTable, SameSeedSameTable)
{
    vrn::RealisticSettings s;
    s.dimensions = {vrn::Dimension::Flat(6), vrn::Dimension::Flat(5)};
    const vrn::Instance a = vrn::GenerateRealisticTable(s), b = vrn::GenerateRealisticTable(s);
    s.seed = 2;
    const vrn::Instance c = vrn::GenerateRealisticTable(s);
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
