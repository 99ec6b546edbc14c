// Tables like those statistical offices publish, built from simulated microdata: each inner cell
// holds a number of contributors (respondents) with heavy-tailed magnitudes, some cells are empty,
// and the sensitive cells are marked by the rules offices use: the threshold rule on counts, the
// p % rule or the (n, k) dominance rule on magnitudes. Totals are marked by the same rules on the
// contributors they add up.
#pragma once

#include "tools/table_generator.h"

#include <cstdint>
#include <vector>

namespace vrn
{

enum class TableKind : unsigned char
{
    Count,    // the number of contributors of each cell
    Magnitude // the sum of the contributors' values
};

enum class SensitivityRule : unsigned char
{
    Threshold, // counts: fewer than `threshold` contributors
    PPercent,  // magnitudes: the second largest contributor could estimate the largest within p %
    Dominance  // magnitudes: the n largest contributors hold more than k % of the cell
};

struct RealisticSettings
{
    std::vector<Dimension> dimensions;
    TableKind kind = TableKind::Magnitude;
    SensitivityRule rule = SensitivityRule::PPercent;
    double emptyPercent = 20;        // share of the inner cells without contributors (status z)
    double meanContributors = 6;     // typical number of contributors of a cell that is not empty
    double pPercent = 15;            // the p of the p % rule
    int dominanceN = 2;              // the n and k of the (n, k) rule
    double dominanceK = 85;          //
    int threshold = 3;               // counts below it are sensitive
    double largestContributor = 1e8; // magnitudes are clipped here (heavy tail)
    bool costIsValue = false;        // costs 1, or the cell's value (at least 1)
    uint64_t seed = 1;
};

// A cell's largest contributors, largest first (as many as the rules need), their sum and count.
struct Contributors
{
    std::vector<double> largest;
    double total = 0;
    int64_t count = 0;

    void Add(double value, size_t keep);
    void Merge(const Contributors& other, size_t keep);
};

// The protection a rule asks of a cell, 0 when the cell is safe. For a magnitude cell, what the
// published value must move so that the rule's attacker learns no more than the rule allows.
struct Protection
{
    double lower = 0, upper = 0;
};
Protection ProtectionByRule(const Contributors& cell, const RealisticSettings& settings);

// Cells are numbered as in GenerateTable: first dimension most significant, totals first.
Instance GenerateRealisticTable(const RealisticSettings& settings);

} // namespace vrn
