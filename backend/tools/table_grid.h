// The cells of a table with all its margins and the walks both table generators make over them:
// which cells are inner, each total from its parts, and the relations that say so.
#pragma once

#include "instance/instance.h"

#include <cstdint>
#include <utility>
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

// Cells are numbered with the first dimension most significant, node 0 (the total) first in each.
class TableGrid
{
public:
    explicit TableGrid(const std::vector<Dimension>& dimensions);

    int64_t Count() const { return m_stride[0] * m_sizes[0]; }
    int Coordinate(int64_t cell, size_t d) const
    {
        return static_cast<int>((cell / m_stride[d]) % m_sizes[d]);
    }
    // 1 for a cell that is an item in every dimension (no relation adds anything up into it).
    std::vector<char> InnerCells() const;

    // Each total from its parts, one dimension after the other and the deepest totals first, so that
    // the later dimensions add up the earlier sums: a total starts as T() and add(total, part) takes
    // in each part, in the order of the dimension's children.
    template <class T, class Add>
    void FillTotals(std::vector<T>& values, Add add) const
    {
        for (size_t d = 0; d < m_dimensions.size(); ++d)
            for (int node : TotalsDeepestFirst(m_dimensions[d]))
                for (int64_t cell = 0; cell < Count(); ++cell)
                {
                    if (Coordinate(cell, d) != node)
                        continue;
                    T total{};
                    for (int child : m_dimensions[d].children[node])
                        add(total, values[cell + (child - node) * m_stride[d]]);
                    values[cell] = std::move(total);
                }
    }

    // One relation per total and dimension: the total equals the sum of its parts.
    void AddRelations(Instance& table) const;

private:
    const std::vector<Dimension>& m_dimensions;
    std::vector<int> m_sizes;
    std::vector<int64_t> m_stride;

    // The nodes that are totals, deepest first.
    static std::vector<int> TotalsDeepestFirst(const Dimension& d);
};

} // namespace vrn
