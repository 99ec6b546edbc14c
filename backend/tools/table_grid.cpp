#include "tools/table_grid.h"

#include <algorithm>

namespace vrn
{

Dimension Dimension::Flat(int items)
{
    Dimension d;
    d.parent.assign(static_cast<size_t>(items) + 1, 0);
    d.parent[0] = -1;
    d.children.assign(d.parent.size(), {});
    for (int i = 1; i <= items; ++i)
        d.children[0].push_back(i);
    return d;
}

Dimension Dimension::Grouped(int groups, int itemsPerGroup)
{
    Dimension d;
    d.parent.push_back(-1);
    for (int g = 0; g < groups; ++g)
        d.parent.push_back(0);
    for (int g = 0; g < groups; ++g)
        for (int i = 0; i < itemsPerGroup; ++i)
            d.parent.push_back(1 + g);
    d.children.assign(d.parent.size(), {});
    for (int n = 1; n < d.Size(); ++n)
        d.children[d.parent[n]].push_back(n);
    return d;
}

TableGrid::TableGrid(const std::vector<Dimension>& dimensions) : m_dimensions(dimensions)
{
    for (const auto& d : dimensions)
        m_sizes.push_back(d.Size());
    m_stride.assign(m_sizes.size(), 1);
    for (int k = static_cast<int>(m_sizes.size()) - 2; k >= 0; --k)
        m_stride[k] = m_stride[k + 1] * m_sizes[k + 1];
}

std::vector<char> TableGrid::InnerCells() const
{
    std::vector<char> inner(static_cast<size_t>(Count()), 1);
    for (int64_t cell = 0; cell < Count(); ++cell)
        for (size_t d = 0; d < m_dimensions.size(); ++d)
            inner[cell] = inner[cell] && m_dimensions[d].IsLeaf(Coordinate(cell, d));
    return inner;
}

void TableGrid::AddRelations(Instance& table) const
{
    std::vector<std::pair<int32_t, double>> terms;
    for (size_t d = 0; d < m_dimensions.size(); ++d)
        for (int64_t cell = 0; cell < Count(); ++cell)
        {
            const int node = Coordinate(cell, d);
            if (m_dimensions[d].IsLeaf(node))
                continue;
            terms.assign(1, {static_cast<int32_t>(cell), -1.0});
            for (int child : m_dimensions[d].children[node])
                terms.emplace_back(static_cast<int32_t>(cell + (child - node) * m_stride[d]), 1.0);
            table.AddRelation(0, terms);
        }
}

std::vector<int> TableGrid::TotalsDeepestFirst(const Dimension& d)
{
    std::vector<int> depth(static_cast<size_t>(d.Size()), 0);
    for (int n = 1; n < d.Size(); ++n)
        depth[n] = depth[d.parent[n]] + 1;
    std::vector<int> order;
    for (int n = 0; n < d.Size(); ++n)
        if (!d.IsLeaf(n))
            order.push_back(n);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return depth[a] > depth[b]; });
    return order;
}

} // namespace vrn
