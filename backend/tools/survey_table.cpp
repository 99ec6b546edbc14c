#include "tools/survey_table.h"

#include "tools/table_grid.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace vrn
{

Dimension UnevenGroups(int groups, int units, uint64_t seed)
{
    std::mt19937_64 random(seed ^ 0x9e3779b97f4a7c15ULL);
    std::lognormal_distribution<double> weight(0.0, 0.9);
    std::vector<double> weights(static_cast<size_t>(groups));
    for (double& w : weights)
        w = weight(random);
    const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
    // One unit each, the rest shared by weight (largest remainders get the units left over).
    std::vector<int> sizes(static_cast<size_t>(groups), 1);
    const int rest = units - groups;
    std::vector<std::pair<double, int>> remainders;
    int given = 0;
    for (int g = 0; g < groups; ++g)
    {
        const double share = rest * weights[g] / sum;
        sizes[g] += static_cast<int>(std::floor(share));
        given += static_cast<int>(std::floor(share));
        remainders.emplace_back(share - std::floor(share), g);
    }
    std::sort(remainders.rbegin(), remainders.rend());
    for (int k = 0; k < rest - given; ++k)
        ++sizes[remainders[static_cast<size_t>(k)].second];
    Dimension d;
    d.parent.push_back(-1);
    for (int g = 0; g < groups; ++g)
        d.parent.push_back(0);
    for (int g = 0; g < groups; ++g)
        d.parent.insert(d.parent.end(), static_cast<size_t>(sizes[g]), 1 + g);
    d.children.assign(d.parent.size(), {});
    for (int n = 1; n < d.Size(); ++n)
        d.children[d.parent[n]].push_back(n);
    return d;
}

namespace
{

// A person's category in one variable: shares fall off with the category's rank, and each unit
// tilts them its own way (a school with few pupils of some age, a firm with few part-timers).
class CategoryDraw
{
public:
    CategoryDraw(int categories, std::mt19937_64& random) : m_cumulative(static_cast<size_t>(categories))
    {
        std::lognormal_distribution<double> tilt(0.0, 1.0);
        double sum = 0;
        for (int c = 0; c < categories; ++c)
            m_cumulative[c] = sum += tilt(random) / std::pow(c + 1.0, 0.8);
        for (double& x : m_cumulative)
            x /= sum;
    }
    int Draw(std::mt19937_64& random) const
    {
        const double u = std::uniform_real_distribution<double>(0.0, 1.0)(random);
        const auto it = std::lower_bound(m_cumulative.begin(), m_cumulative.end(), u);
        return static_cast<int>(std::min<std::ptrdiff_t>(it - m_cumulative.begin(), m_cumulative.size() - 1));
    }

private:
    std::vector<double> m_cumulative;
};

// The inner cell (unit, categories...) of the grid, cell numbers as TableGrid counts them.
int64_t InnerCell(int unitNode, const std::vector<int>& category, const std::vector<Dimension>& dims)
{
    int64_t cell = unitNode;
    for (size_t k = 1; k < dims.size(); ++k)
        cell = cell * dims[k].Size() + 1 + category[k - 1];
    return cell;
}

std::vector<int64_t> PersonCounts(const SurveySettings& s, const std::vector<Dimension>& dims, int64_t count)
{
    std::mt19937_64 random(s.seed);
    std::lognormal_distribution<double> size(std::log(s.meanUnitSize) - 0.5 * 0.8 * 0.8, 0.8);
    std::vector<int64_t> persons(static_cast<size_t>(count), 0);
    std::vector<int> category(s.categories.size());
    for (int node = 1; node < dims[0].Size(); ++node)
    {
        if (!dims[0].IsLeaf(node))
            continue;
        std::vector<CategoryDraw> draws;
        for (int n : s.categories)
            draws.emplace_back(n, random);
        const auto people = std::max<int64_t>(1, std::llround(size(random)));
        for (int64_t p = 0; p < people; ++p)
        {
            for (size_t k = 0; k < draws.size(); ++k)
                category[k] = draws[k].Draw(random);
            ++persons[InnerCell(node, category, dims)];
        }
    }
    return persons;
}

} // namespace

Instance GenerateSurveyTable(const SurveySettings& s)
{
    std::vector<Dimension> dims{UnevenGroups(s.groups, s.units, s.seed)};
    for (int n : s.categories)
        dims.push_back(Dimension::Flat(n));
    const TableGrid grid(dims);
    std::vector<int64_t> persons = PersonCounts(s, dims, grid.Count());
    grid.FillTotals(persons, [](int64_t& total, int64_t part) { total += part; });
    const double upper = 1.5 * std::max<double>(1, static_cast<double>(persons[0]));
    Instance table;
    table.cells.reserve(persons.size());
    for (int64_t n : persons)
    {
        Cell cell;
        cell.value = static_cast<double>(n);
        cell.cost = 1;
        cell.status = n == 0 ? 'z' : 's';
        if (n > 0)
            cell.ub = upper;
        if (n > 0 && n < s.threshold)
        {
            // Down to none, or up to the threshold: either way no one can tell it from a safe cell.
            cell.status = 'u';
            cell.lpl = static_cast<double>(n);
            cell.upl = static_cast<double>(s.threshold - n);
        }
        table.cells.push_back(cell);
    }
    grid.AddRelations(table);
    return table;
}

} // namespace vrn
