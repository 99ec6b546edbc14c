#include "tools/realistic_table.h"

#include "tools/table_grid.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace vrn
{

void Contributors::Add(double value, size_t keep)
{
    total += value;
    ++count;
    largest.insert(std::upper_bound(largest.begin(), largest.end(), value, std::greater<double>()), value);
    if (largest.size() > keep)
        largest.resize(keep);
}

void Contributors::Merge(const Contributors& other, size_t keep)
{
    total += other.total;
    count += other.count;
    std::vector<double> merged(largest.size() + other.largest.size());
    std::merge(largest.begin(), largest.end(), other.largest.begin(), other.largest.end(), merged.begin(),
               std::greater<double>());
    merged.resize(std::min(merged.size(), keep));
    largest = std::move(merged);
}

namespace
{

double Largest(const Contributors& cell, size_t k)
{
    return k < cell.largest.size() ? cell.largest[k] : 0;
}

double RequiredMagnitudeProtection(const Contributors& cell, const RealisticSettings& s)
{
    if (s.rule == SensitivityRule::Dominance)
    {
        double top = 0;
        for (int k = 0; k < s.dominanceN; ++k)
            top += Largest(cell, static_cast<size_t>(k));
        // Safe once the published value is so far off that the n largest seem to hold at most k %.
        return top * 100 / s.dominanceK - cell.total;
    }
    // The second largest contributor knows the total less itself and the largest: the rest must hide
    // the largest by at least p % of it.
    const double x1 = Largest(cell, 0), x2 = Largest(cell, 1);
    return s.pPercent / 100 * x1 - (cell.total - x1 - x2);
}

} // namespace

Protection ProtectionByRule(const Contributors& cell, const RealisticSettings& s)
{
    Protection p;
    if (cell.count == 0)
        return p;
    if (s.kind == TableKind::Count || s.rule == SensitivityRule::Threshold)
    {
        if (cell.count >= s.threshold)
            return p;
        // Down to none, or up to the threshold: either way no one can tell it from a safe cell.
        p.lower = static_cast<double>(cell.count);
        p.upper = static_cast<double>(s.threshold - cell.count);
        return p;
    }
    const double required = RequiredMagnitudeProtection(cell, s);
    if (required > 0)
        p.lower = p.upper = std::ceil(required);
    return p;
}

namespace
{

// The microdata of one inner cell: how many contributors (cells differ in size by a log-normal
// factor) and their values (Pareto, a heavy tail: a few large contributors dominate many cells).
class Microdata
{
public:
    explicit Microdata(const RealisticSettings& s) : m_s(s), m_random(s.seed) {}

    Contributors Cell(size_t keep)
    {
        Contributors cell;
        if (m_uniform(m_random) * 100 < m_s.emptyPercent)
            return cell;
        const double size =
            std::max(0.0, m_s.meanContributors - 1) * std::exp(0.8 * m_normal(m_random) - 0.32);
        const auto count = 1 + static_cast<int64_t>(std::floor(-size * std::log(1 - m_uniform(m_random))));
        for (int64_t k = 0; k < std::min<int64_t>(count, 100000); ++k)
            cell.Add(ContributorValue(), keep);
        return cell;
    }

private:
    const RealisticSettings& m_s;
    std::mt19937_64 m_random;
    std::uniform_real_distribution<double> m_uniform{0.0, 1.0};
    std::normal_distribution<double> m_normal{0.0, 1.0};

    double ContributorValue()
    {
        constexpr double kScale = 10, kTail = 1.1; // Pareto: P(X > x) = (10 / x)^1.1
        const double x = kScale / std::pow(1 - m_uniform(m_random), 1 / kTail);
        return std::round(std::min(x, m_s.largestContributor));
    }
};

Cell MakeCell(const Contributors& c, const RealisticSettings& s, double upper)
{
    Cell cell;
    cell.value = s.kind == TableKind::Count ? static_cast<double>(c.count) : c.total;
    cell.cost = s.costIsValue ? std::max(1.0, cell.value) : 1;
    if (c.count == 0)
    {
        cell.status = 'z'; // empty: published as such, never changed
        return cell;
    }
    cell.status = 's';
    cell.lb = 0;
    cell.ub = upper;
    const Protection p = ProtectionByRule(c, s);
    if (p.lower > 0 || p.upper > 0)
    {
        cell.status = 'u';
        cell.lpl = p.lower;
        cell.upl = p.upper;
    }
    return cell;
}

} // namespace

Instance GenerateRealisticTable(const RealisticSettings& s)
{
    const TableGrid grid(s.dimensions);
    const int64_t count = grid.Count();
    const size_t keep = static_cast<size_t>(std::max(2, s.dominanceN));
    Microdata microdata(s);
    std::vector<Contributors> cells(static_cast<size_t>(count));
    const std::vector<char> inner = grid.InnerCells();
    for (int64_t cell = 0; cell < count; ++cell)
        if (inner[cell])
            cells[cell] = microdata.Cell(keep);
    grid.FillTotals(cells,
                    [keep](Contributors& total, const Contributors& part) { total.Merge(part, keep); });
    Instance table;
    const double grandTotal =
        s.kind == TableKind::Count ? static_cast<double>(cells[0].count) : cells[0].total;
    const double upper = 1.5 * std::max(grandTotal, 1.0);
    table.cells.reserve(static_cast<size_t>(count));
    for (int64_t cell = 0; cell < count; ++cell)
        table.cells.push_back(MakeCell(cells[cell], s, upper));
    grid.AddRelations(table);
    return table;
}

} // namespace vrn
