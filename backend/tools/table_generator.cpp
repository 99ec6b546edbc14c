#include "tools/table_generator.h"

#include <algorithm>
#include <cmath>
#include <random>

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

namespace
{

struct Grid
{
    std::vector<int> sizes;
    std::vector<int64_t> stride;

    explicit Grid(const std::vector<Dimension>& dims)
    {
        for (const auto& d : dims)
            sizes.push_back(d.Size());
        stride.assign(sizes.size(), 1);
        for (int k = static_cast<int>(sizes.size()) - 2; k >= 0; --k)
            stride[k] = stride[k + 1] * sizes[k + 1];
    }
    int64_t Count() const { return stride[0] * sizes[0]; }
    int Coordinate(int64_t cell, size_t d) const { return static_cast<int>((cell / stride[d]) % sizes[d]); }
};

// Depth of each node, to aggregate the deepest totals first.
std::vector<int> NodesDeepestFirst(const Dimension& d)
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

} // namespace

Instance GenerateTable(const GeneratorSettings& s)
{
    const Grid grid(s.dimensions);
    const int64_t count = grid.Count();
    std::mt19937_64 random(s.seed);
    auto uniform = [&](uint64_t n) { return static_cast<int64_t>(random() % n); };

    std::vector<double> value(static_cast<size_t>(count), 0);
    std::vector<char> inner(static_cast<size_t>(count), 1);
    for (int64_t cell = 0; cell < count; ++cell)
    {
        for (size_t d = 0; d < s.dimensions.size(); ++d)
            inner[cell] = inner[cell] && s.dimensions[d].IsLeaf(grid.Coordinate(cell, d));
        if (inner[cell])
            value[cell] = static_cast<double>(1 + uniform(static_cast<uint64_t>(std::max(1, s.maxValue))));
    }
    Instance table;
    // Totals, one dimension after the other: linearity makes the later dimensions add up the earlier sums.
    for (size_t d = 0; d < s.dimensions.size(); ++d)
        for (int node : NodesDeepestFirst(s.dimensions[d]))
            for (int64_t cell = 0; cell < count; ++cell)
            {
                if (grid.Coordinate(cell, d) != node)
                    continue;
                double sum = 0;
                for (int child : s.dimensions[d].children[node])
                    sum += value[cell + (child - node) * grid.stride[d]];
                value[cell] = sum;
            }
    const double upper = 1.5 * value[0];
    table.cells.resize(static_cast<size_t>(count));
    for (int64_t cell = 0; cell < count; ++cell)
    {
        Cell& c = table.cells[cell];
        c.value = value[cell];
        c.cost = 1;
        c.status = 's';
        c.lb = 0;
        c.ub = upper;
        if (inner[cell] && uniform(1000000) < static_cast<int64_t>(s.sensitivePercent * 10000))
        {
            c.status = 'u';
            c.lpl = c.upl = std::max(1.0, std::round(c.value * s.protectionPercent / 100));
        }
    }
    std::vector<std::pair<int32_t, double>> terms;
    for (size_t d = 0; d < s.dimensions.size(); ++d)
        for (int64_t cell = 0; cell < count; ++cell)
        {
            const int node = grid.Coordinate(cell, d);
            if (s.dimensions[d].IsLeaf(node))
                continue;
            terms.assign(1, {static_cast<int32_t>(cell), -1.0});
            for (int child : s.dimensions[d].children[node])
                terms.emplace_back(static_cast<int32_t>(cell + (child - node) * grid.stride[d]), 1.0);
            table.AddRelation(0, terms);
        }
    return table;
}

} // namespace vrn
