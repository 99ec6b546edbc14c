// Generates tables with all their margins: any number of dimensions, each flat (a total and its
// items) or hierarchical (a total, groups, and the items of each group).
#pragma once

#include "instance/instance.h"
#include "tools/table_grid.h"

#include <cstdint>
#include <vector>

namespace vrn
{

struct GeneratorSettings
{
    std::vector<Dimension> dimensions;
    double sensitivePercent = 5;   // share of the inner cells that are sensitive
    double protectionPercent = 10; // protection level as a percentage of the cell's value
    int maxValue = 99;             // inner values are drawn from 1 .. maxValue
    uint64_t seed = 1;
};

// Cells are numbered with the first dimension most significant, node 0 (the total) first in each:
// for two dimensions of R and C items, cell = row * (C + 1) + column.
Instance GenerateTable(const GeneratorSettings& settings);

} // namespace vrn
