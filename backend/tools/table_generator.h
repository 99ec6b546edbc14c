// Generates tables with all their margins: any number of dimensions, each flat (a total and its
// items) or hierarchical (a total, groups, and the items of each group).
#pragma once

#include "instance/instance.h"

#include <cstdint>
#include <vector>

namespace vrn
{

// One dimension of a table: node 0 is the total; parent[i] is the node whose total node i is part of.
struct Dimension
{
    std::vector<int> parent;
    std::vector<std::vector<int>> children;

    static Dimension Flat(int items);
    static Dimension Grouped(int groups, int itemsPerGroup);
    int Size() const { return static_cast<int>(parent.size()); }
    bool IsLeaf(int node) const { return children[node].empty(); }
};

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
