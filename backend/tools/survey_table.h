// Count tables of a survey or a register, built from simulated person records: the first variable
// is a two-level hierarchy (units, such as schools, within groups of uneven size, such as local
// authorities), the others are person characteristics with skewed shares that differ from unit
// to unit. Most units are small, so many inner cells are empty (status z: published as 0, never
// changed) and many hold 1 or 2 persons, often in relations whose other cells are all empty:
// the hard case of the frequency rule.
#pragma once

#include "instance/instance.h"
#include "tools/table_generator.h"

#include <cstdint>
#include <vector>

namespace vrn
{

struct SurveySettings
{
    int groups = 130;                  // top level of the hierarchy
    int units = 2400;                  // units within the groups, in all
    std::vector<int> categories{6, 2}; // the other variables' numbers of categories
    double meanUnitSize = 15;          // mean number of persons per unit (log-normal spread)
    int threshold = 3;                 // counts from 1 to threshold - 1 are sensitive
    uint64_t seed = 1;
};

// Cells are numbered as in GenerateTable: the hierarchy most significant (total, groups, units),
// totals first in every variable.
Instance GenerateSurveyTable(const SurveySettings& settings);

// The units shared out over the groups: every group holds at least one unit, sizes uneven.
Dimension UnevenGroups(int groups, int units, uint64_t seed);

} // namespace vrn
