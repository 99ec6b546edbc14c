#include "fast/fast_model.h"

#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vrn
{

namespace
{

// Every sensitive cell gets a direction: one its bounds allow where the caller left it free.
std::vector<Direction> CompleteDirections(const Instance& instance, double big, const DirectionChoice& choice)
{
    std::vector<Direction> directions = choice.direction;
    directions.resize(instance.cells.size(), Direction::Free);
    for (size_t i = 0; i < directions.size(); ++i)
        if (IsProtectable(instance.cells[i]) && directions[i] == Direction::Free)
            directions[i] = CanMoveUp(instance.cells[i], big) || !CanMoveDown(instance.cells[i], big)
                                ? Direction::Up
                                : Direction::Down;
    return directions;
}

StdModel BuildFixedStdModel(const Instance& instance, const FastSettings& settings,
                            const DirectionChoice& choice)
{
    StdModelSettings std = ClassicalStdSettings(settings);
    const double big = LargestChange(settings.big, instance);
    std.directions = CompleteDirections(instance, big, choice);
    StdModel model = BuildStdModel(instance, std);
    if (settings.pctBounds >= 0)
        ApplyPctBounds(instance, settings.pctBounds, model);
    return model;
}

} // namespace

StdModelSettings ClassicalStdSettings(const FastSettings& settings)
{
    StdModelSettings std;
    std.additive = settings.additive;
    std.scale = settings.scale;
    std.big = settings.big;
    std.kind = StdModelKind::Classical;
    std.integerCells = settings.integerCells;
    return std;
}

void ApplyPctBounds(const Instance& instance, double pct, StdModel& model)
{
    // A non-sensitive cell moves at most pct % of its value, never past its file bounds.
    MipModel& mip = model.mip;
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const int p = model.colPlus[i];
        if (p < 0 || IsProtectable(instance.cells[i]))
            continue;
        double limit = pct / 100 * std::fabs(instance.cells[i].value) / model.scale;
        if (mip.isInteger[p])
            limit = std::floor(limit + 1e-9);
        for (const int c : {p, model.colMinus[i]})
            mip.colUpper[c] = std::min(mip.colUpper[c], limit);
    }
}

FastModel BuildFastModel(const Instance& instance, const FastSettings& settings,
                         const DirectionChoice& choice)
{
    FastModel fast;
    fast.base = BuildFixedStdModel(instance, settings, choice);
    const size_t n = instance.cells.size();
    fast.weight.resize(n);
    for (size_t i = 0; i < n; ++i)
        fast.weight[i] = 1 / std::pow(std::max(std::fabs(instance.cells[i].value), 1.0), settings.expObj);
    fast.isTotal.assign(n, 0);
    for (size_t t = 0; t < instance.TermCount(); ++t)
        if (instance.termCoef[t] < 0)
            fast.isTotal[instance.termCell[t]] = 1;
    fast.cellCost.resize(n, 0);
    for (size_t i = 0; i < n; ++i)
        if (fast.base.colPlus[i] >= 0)
            fast.cellCost[i] = fast.base.mip.cost[fast.base.colPlus[i]];
    if (settings.withMaxObjective)
    {
        MipModel& mip = fast.base.mip;
        fast.maxColumn = mip.AddColumn(0, kInfinity, 0, false, "maxrel");
        for (size_t i = 0; i < n; ++i)
            if (const int p = fast.base.colPlus[i]; p >= 0)
                mip.AddRow(
                    -kInfinity, 0,
                    {{p, fast.weight[i]}, {fast.base.colMinus[i], fast.weight[i]}, {fast.maxColumn, -1}},
                    "rel" + std::to_string(i));
    }
    return fast;
}

std::vector<double> FastModel::ObjectiveCosts(int objective) const
{
    std::vector<double> costs(static_cast<size_t>(base.mip.ColumnCount()), 0);
    if (objective == 4)
    {
        if (maxColumn >= 0)
            costs[maxColumn] = 1;
        return costs;
    }
    for (size_t i = 0; i < weight.size(); ++i)
    {
        const int p = base.colPlus[i];
        if (p < 0 || (objective == 3 && !isTotal[i]))
            continue;
        const double c = objective == 1 ? cellCost[i] : weight[i];
        costs[p] = c;
        costs[base.colMinus[i]] = c;
    }
    return costs;
}

double FastModel::ObjectiveValue(int objective, const std::vector<double>& solution) const
{
    if (objective == 4)
    {
        double largest = 0;
        for (size_t i = 0; i < weight.size(); ++i)
            if (const int p = base.colPlus[i]; p >= 0)
                largest = std::max(largest, weight[i] * (solution[p] + solution[base.colMinus[i]]));
        return largest * base.scale;
    }
    const std::vector<double> costs = ObjectiveCosts(objective);
    double sum = 0;
    for (size_t c = 0; c < costs.size(); ++c)
        sum += costs[c] * solution[c];
    return sum * base.scale;
}

void FastModel::AddObjectiveBound(int objective, double limit)
{
    MipModel& mip = base.mip;
    if (objective == 4)
    {
        // A model built without the bounding column cannot hold objective 4: refuse loudly rather than
        // write in front of the bounds array.
        if (maxColumn < 0)
            throw std::logic_error("objective 4 held on a Fast model without its bounding column");
        mip.colUpper[maxColumn] = limit / base.scale;
        return;
    }
    const std::vector<double> costs = ObjectiveCosts(objective);
    std::vector<std::pair<int32_t, double>> entries;
    for (size_t c = 0; c < costs.size(); ++c)
        if (costs[c] != 0)
            entries.emplace_back(static_cast<int32_t>(c), costs[c]);
    if (!entries.empty())
        mip.AddRow(-kInfinity, limit / base.scale, entries, "obj" + std::to_string(objective));
}

namespace
{

// A unit of shortfall costs this many times the dearest unit of change among the cells that share a
// relation with the cell: dearer than what compensating its move usually takes, not so dear that the
// solver's arithmetic suffers.
constexpr double kShortfallPrice = 100;

// Per cell, the largest cost (per unit in the model) of a cell in one of its relations, its own included.
std::vector<double> NeighbourCosts(const Instance& instance, const StdModel& model)
{
    const auto costOf = [&](int32_t cell)
    { return model.colPlus[cell] >= 0 ? model.mip.cost[model.colPlus[cell]] : 0.0; };
    std::vector<double> most(instance.cells.size(), 0);
    for (size_t i = 0; i < most.size(); ++i)
        most[i] = costOf(static_cast<int32_t>(i));
    for (size_t r = 0; r < instance.RelationCount(); ++r)
    {
        double relationMost = 0;
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            relationMost = std::max(relationMost, costOf(instance.termCell[t]));
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            most[instance.termCell[t]] = std::max(most[instance.termCell[t]], relationMost);
    }
    return most;
}

} // namespace

ElasticModel BuildElasticModel(const Instance& instance, const FastSettings& settings,
                               const DirectionChoice& choice, ElasticPricing pricing)
{
    ElasticModel elastic;
    elastic.base = BuildFixedStdModel(instance, settings, choice);
    MipModel& mip = elastic.base.mip;
    const std::vector<double> neighbourCost =
        pricing == ElasticPricing::Costs ? NeighbourCosts(instance, elastic.base) : std::vector<double>{};
    if (pricing == ElasticPricing::Shortfall)
        std::fill(mip.cost.begin(), mip.cost.end(), 0.0);
    std::fill(mip.isInteger.begin(), mip.isInteger.end(), 0); // which directions fail shows without integers
    const size_t n = instance.cells.size();
    elastic.shortColumn.assign(n, -1);
    elastic.level.assign(n, 0);
    for (size_t i = 0; i < n; ++i)
    {
        const int p = elastic.base.colPlus[i];
        if (p < 0 || !IsProtectable(instance.cells[i]))
            continue;
        // The fixed direction shows as the deviation column with a positive lower bound.
        const int moving = mip.colLower[p] > 0 ? p : elastic.base.colMinus[i];
        const double level = mip.colLower[moving];
        if (level <= 0)
            continue;
        mip.colLower[moving] = 0;
        const double price =
            pricing == ElasticPricing::Costs ? kShortfallPrice * std::max(neighbourCost[i], 1e-9) : 1 / level;
        const int shortfall = mip.AddColumn(0, level, price, false, "short" + std::to_string(i));
        mip.AddRow(level, kInfinity, {{moving, 1}, {shortfall, 1}}, "prot" + std::to_string(i));
        elastic.shortColumn[i] = shortfall;
        elastic.level[i] = level;
    }
    return elastic;
}

std::vector<int> ShortCells(const ElasticModel& elastic, const std::vector<double>& solution)
{
    std::vector<int> cells;
    for (size_t i = 0; i < elastic.shortColumn.size(); ++i)
        if (const int c = elastic.shortColumn[i];
            c >= 0 && solution[c] > 1e-6 * std::max(1.0, elastic.level[i]))
            cells.push_back(static_cast<int>(i));
    return cells;
}

} // namespace vrn
