#include "results/table_measures.h"

#include "common/number_format.h"
#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

namespace
{

double TableTolerance(const Instance& instance, const std::vector<double>& adjusted)
{
    double largest = 0;
    for (size_t i = 0; i < adjusted.size(); ++i)
        largest = std::max({largest, std::fabs(instance.cells[i].value), std::fabs(adjusted[i])});
    return 1e-9 * largest;
}

// 1 for every cell with a negative coefficient in some relation.
std::vector<char> TotalCells(const Instance& instance)
{
    std::vector<char> total(instance.cells.size(), 0);
    for (size_t t = 0; t < instance.TermCount(); ++t)
        if (instance.termCoef[t] < 0)
            total[static_cast<size_t>(instance.termCell[t])] = 1;
    return total;
}

// The bin of a cell of a value other than 0. Compared as products, not quotients, so that a count
// table's cells fall into their bins exactly (1 of 50 is 2 %, in the bin "up to 2 %").
size_t ChangeBin(double change, double original, double tolerance)
{
    if (change <= tolerance)
        return 0;
    for (size_t k = 0; k < kBinUpperPercents.size(); ++k)
        if (change * 100 <= kBinUpperPercents[k] * std::fabs(original))
            return k + 1;
    return kBinCount - 1;
}

size_t BeyondBin(double past, double level, double tolerance)
{
    if (past <= tolerance)
        return 0;
    for (size_t k = 0; k < kBeyondUpperShares.size(); ++k)
        if (past <= kBeyondUpperShares[k] * level)
            return k + 1;
    return kBeyondBinCount - 1;
}

void AddToGroup(GroupMeasures& group, double& percentSum, const Cell& cell, double change, bool changed)
{
    ++group.cells;
    group.changed += changed;
    group.totalChange += change;
    group.weightedChange += cell.cost * change;
    group.largestChange = std::max(group.largestChange, change);
    if (cell.value != 0)
    {
        ++group.withValue;
        percentSum += 100 * change / std::fabs(cell.value);
    }
}

// `change` signed; the distance past the level goes to `beyond`.
void AddSensitive(SensitiveMeasures& sensitive, std::vector<double>& beyond, const Cell& cell, double change,
                  double tolerance)
{
    ++sensitive.cells;
    if (std::fabs(change) <= tolerance)
    {
        ++sensitive.unmoved;
        return;
    }
    const bool up = change > 0;
    ++(up ? sensitive.up : sensitive.down);
    const double level = up ? cell.upl : cell.lpl;
    const double past = std::fabs(change) - level;
    beyond.push_back(past);
    if (past < -tolerance)
        ++sensitive.shortOfLevel;
    else
        ++sensitive.beyondBins[BeyondBin(past, level, tolerance)];
}

bool LargerValue(const CellChange& a, const CellChange& b)
{
    const double x = std::fabs(a.original), y = std::fabs(b.original);
    return x != y ? x > y : a.cell < b.cell;
}

bool LargerRelativeChange(const CellChange& a, const CellChange& b)
{
    const double x = a.RelativePercent(), y = b.RelativePercent();
    return x != y ? x > y : a.cell < b.cell;
}

// The first `count` of `list` in the order `before`, the rest dropped.
template <class Before>
void KeepFirst(std::vector<CellChange>& list, size_t count, Before before)
{
    count = std::min(count, list.size());
    std::partial_sort(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(count), list.end(), before);
    list.resize(count);
}

void MeasureTotals(TableMeasures& m, const std::vector<CellChange>& totals)
{
    m.totals = totals.size();
    m.largestTotals = totals;
    KeepFirst(m.largestTotals, kLargestTotalsShown, LargerValue);
    for (const CellChange& total : totals)
    {
        const double change = std::fabs(total.Change());
        if (change <= m.tolerance)
            continue;
        if (total.original == 0)
            ++m.zeroValueTotalsChanged;
        else if (change * 100 > kMovedTotalPercent * std::fabs(total.original))
            m.movedTotals.push_back(total);
    }
    m.movedTotalCount = m.movedTotals.size();
    KeepFirst(m.movedTotals, kMovedTotalsShown, LargerRelativeChange);
}

void MeasureLargest(TableMeasures& m, const CellChange& c)
{
    if (c.cell == 0 || std::fabs(c.Change()) > std::fabs(m.largest.Change()))
        m.largest = c;
    if (c.original != 0 && (!m.hasRelative || c.RelativePercent() > m.largestRelative.RelativePercent()))
    {
        m.largestRelative = c;
        m.hasRelative = true;
    }
}

double MeanOrNaN(double sum, size_t count)
{
    return count > 0 ? sum / static_cast<double>(count) : NAN;
}

} // namespace

Quantiles NearestRankQuantiles(std::vector<double>& numbers)
{
    Quantiles q;
    q.count = numbers.size();
    if (numbers.empty())
        return q;
    // Levels rise, so each selection needs only the part above the previous one.
    auto from = numbers.begin();
    for (const double level : kQuantileLevels)
    {
        const double rank = std::ceil(level * static_cast<double>(numbers.size()) - 1e-9);
        const size_t at = static_cast<size_t>(std::max(rank, 1.0)) - 1;
        const auto nth = numbers.begin() + static_cast<std::ptrdiff_t>(at);
        std::nth_element(from, nth, numbers.end());
        q.values.push_back(*nth);
        from = nth;
    }
    return q;
}

TableMeasures MeasureTable(const Instance& instance, const std::vector<double>& adjusted)
{
    TableMeasures m;
    m.tolerance = TableTolerance(instance, adjusted);
    const std::vector<char> isTotal = TotalCells(instance);
    std::array<double, kGroupCount> percentSums{};
    double nonSensitivePercentSum = 0;
    std::vector<double> absolute, relative, beyond;
    std::vector<CellChange> totals;
    for (size_t i = 0; i < adjusted.size(); ++i)
    {
        const Cell& cell = instance.cells[i];
        const CellChange c{i, cell.value, adjusted[i]};
        const double change = std::fabs(c.Change());
        const bool changed = change > m.tolerance;
        ++m.cells;
        m.changed += changed;
        m.weightedChange += cell.cost * change;
        m.totalChange += change;
        MeasureLargest(m, c);
        const bool sensitive = NeedsProtection(cell);
        const CellGroup kind = sensitive            ? CellGroup::Sensitive
                               : cell.status == 'z' ? CellGroup::Fixed
                                                    : CellGroup::Changeable;
        const CellGroup role = isTotal[i] ? CellGroup::Total : CellGroup::Inner;
        for (const CellGroup group : {kind, role})
            AddToGroup(m.groups[static_cast<size_t>(group)], percentSums[static_cast<size_t>(group)], cell,
                       change, changed);
        if (sensitive)
            AddSensitive(m.sensitive, beyond, cell, c.Change(), m.tolerance);
        if (isTotal[i])
            totals.push_back(c);
        if (cell.value == 0)
        {
            ++(changed ? m.bins.zeroValueChanged : m.bins.zeroValueUnchanged);
            if (changed)
                absolute.push_back(change);
            continue;
        }
        ++(sensitive ? m.bins.sensitive : m.bins.others)[ChangeBin(change, cell.value, m.tolerance)];
        if (!sensitive)
        {
            ++m.nonSensitiveWithValue;
            nonSensitivePercentSum += c.RelativePercent();
        }
        if (changed)
        {
            absolute.push_back(change);
            relative.push_back(c.RelativePercent());
        }
    }
    for (size_t g = 0; g < kGroupCount; ++g)
        m.groups[g].meanPercent = MeanOrNaN(percentSums[g], m.groups[g].withValue);
    m.nonSensitiveMeanPercent = MeanOrNaN(nonSensitivePercentSum, m.nonSensitiveWithValue);
    m.absolute = NearestRankQuantiles(absolute);
    m.relative = NearestRankQuantiles(relative);
    m.sensitive.beyond = NearestRankQuantiles(beyond);
    MeasureTotals(m, totals);
    return m;
}

std::string PercentText(double percent)
{
    if (std::isnan(percent))
        return "undefined";
    const std::string digits =
        std::fabs(percent) >= 100 ? ReadableNumber(std::round(percent)) : FormatNumber(percent, 3);
    return digits + " %";
}

} // namespace vrn
