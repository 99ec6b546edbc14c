#include "tools/table_generator.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace vrn
{

Instance GenerateTable(const GeneratorSettings& s)
{
    const TableGrid grid(s.dimensions);
    const int64_t count = grid.Count();
    std::mt19937_64 random(s.seed);
    auto uniform = [&](uint64_t n) { return static_cast<int64_t>(random() % n); };

    std::vector<double> value(static_cast<size_t>(count), 0);
    const std::vector<char> inner = grid.InnerCells();
    for (int64_t cell = 0; cell < count; ++cell)
        if (inner[cell])
            value[cell] = static_cast<double>(1 + uniform(static_cast<uint64_t>(std::max(1, s.maxValue))));
    grid.FillTotals(value, [](double& total, double part) { total += part; });
    Instance table;
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
    grid.AddRelations(table);
    return table;
}

} // namespace vrn
