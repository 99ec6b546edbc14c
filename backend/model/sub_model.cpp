#include "model/sub_model.h"

#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <utility>

namespace vrn
{

std::vector<int32_t> MovingCells(const Instance& table,
                                 const std::vector<std::vector<int32_t>>& relationsOfCell,
                                 const Cluster& block, int radius, size_t budget)
{
    const bool withinBudget = radius < 0;
    std::vector<char> taken(table.cells.size(), 0);
    std::vector<char> relationDone(table.RelationCount(), 0);
    std::vector<int32_t> moving;
    for (int32_t cell : block)
        if (!taken[cell] && table.cells[cell].status != 'z')
        {
            taken[cell] = 1;
            moving.push_back(cell);
        }
    size_t frontier = 0;
    for (int ring = 1; withinBudget || ring <= radius; ++ring)
    {
        const size_t end = moving.size();
        for (size_t k = frontier; k < end; ++k)
            for (int32_t r : relationsOfCell[moving[k]])
            {
                if (relationDone[r])
                    continue;
                relationDone[r] = 1;
                for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
                {
                    const int32_t cell = table.termCell[t];
                    if (!taken[cell] && table.cells[cell].status != 'z')
                    {
                        taken[cell] = 1;
                        moving.push_back(cell);
                    }
                }
                if (withinBudget && ring > 1 && moving.size() > budget)
                {
                    moving.resize(end); // this ring would overflow the budget: the last one stays out
                    return moving;
                }
            }
        if (moving.size() == end)
            break; // nothing more is connected
        frontier = end;
    }
    return moving;
}

std::vector<int32_t> CompactMovingCells(const Instance& table,
                                        const std::vector<std::vector<int32_t>>& relationsOfCell,
                                        const Cluster& block, size_t budget)
{
    std::vector<char> taken(table.cells.size(), 0), queued(table.RelationCount(), 0);
    std::vector<int32_t> moving;
    const auto movable = [&](int32_t cell) { return !taken[cell] && table.cells[cell].status != 'z'; };
    const auto newCells = [&](int32_t r)
    {
        size_t n = 0;
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            n += movable(table.termCell[t]);
        return n;
    };
    using Entry = std::pair<size_t, int32_t>; // cells a relation would add, the relation
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> relations;
    const auto take = [&](int32_t cell)
    {
        taken[cell] = 1;
        moving.push_back(cell);
        for (int32_t r : relationsOfCell[cell])
            if (!queued[r])
            {
                queued[r] = 1;
                relations.emplace(newCells(r), r);
            }
    };
    for (int32_t cell : block)
        if (movable(cell))
            take(cell);
    while (!relations.empty())
    {
        const auto [estimate, r] = relations.top();
        relations.pop();
        // The estimate only falls as cells are taken: a smaller count goes back in its place.
        if (const size_t now = newCells(r); now < estimate)
        {
            relations.emplace(now, r);
            continue;
        }
        if (moving.size() + estimate > budget)
            continue;
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            if (movable(table.termCell[t]))
                take(table.termCell[t]);
    }
    return moving;
}

std::vector<int32_t> LeaningCells(const Instance& table,
                                  const std::vector<std::vector<int32_t>>& relationsOfCell,
                                  const Cluster& block, const std::vector<double>& adjusted, size_t budget)
{
    std::vector<char> taken(table.cells.size(), 0);
    std::vector<int32_t> moving;
    const auto movable = [&](int32_t cell) { return !taken[cell] && table.cells[cell].status != 'z'; };
    const auto changed = [&](int32_t cell)
    {
        const double value = table.cells[cell].value;
        return std::fabs(adjusted[cell] - value) > 1e-9 * std::max(1.0, std::fabs(value));
    };
    const auto take = [&](int32_t cell)
    {
        taken[cell] = 1;
        moving.push_back(cell);
    };
    for (int32_t cell : block)
        if (movable(cell))
            take(cell);
    // The block's relations, and every cell in them: first count them, to know whether they fit.
    std::vector<char> relationDone(table.RelationCount(), 0);
    std::vector<int32_t> ringRelations;
    size_t ringCells = 0;
    for (int32_t cell : block)
        for (int32_t r : relationsOfCell[cell])
            if (!relationDone[r])
            {
                relationDone[r] = 1;
                ringRelations.push_back(r);
                ringCells += static_cast<size_t>(table.termStart[r + 1] - table.termStart[r]);
            }
    // The whole first ring when it fits in the budget; otherwise its changed cells and the cells that
    // lie in two or more of the block's relations (on a 2-D table, where the block's rows cross its
    // columns: the corners of the rectangles along which the block's cells can offset each other).
    const bool wholeRing = moving.size() + ringCells <= std::max<size_t>(budget, 1);
    std::vector<int32_t> ring; // the first ring's cells, moving or not, whose relations come next
    std::vector<uint8_t> shared(wholeRing ? 0 : table.cells.size(), 0);
    for (int32_t r : ringRelations)
        for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
        {
            const int32_t cell = table.termCell[t];
            ring.push_back(cell);
            if (!wholeRing && shared[cell] < 2)
                ++shared[cell];
        }
    for (int32_t cell : ring)
        if (movable(cell) && (wholeRing || changed(cell) || shared[cell] >= 2) && moving.size() < budget)
            take(cell);
    for (int32_t cell : ring)
        for (int32_t r : relationsOfCell[cell])
        {
            if (relationDone[r])
                continue;
            relationDone[r] = 1;
            for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            {
                const int32_t other = table.termCell[t];
                if (moving.size() >= budget)
                    return moving;
                if (movable(other) && changed(other))
                    take(other);
            }
        }
    return moving;
}

namespace
{

// The relations that hold a moving cell, each with only its moving cells as terms. Its right-hand
// side is what those cells sum to in the incumbent: the cells that stay contribute the same as
// before, so the relation keeps the incumbent's residual exactly, the one the solution check passed
// (with the additive rule none beyond the check's tolerance, without it the original residual).
// Taking the rhs minus the staying cells instead would hand the block the incumbent's rounding
// errors, which on a large table made its own model infeasible.
void AddSubRelations(const Instance& table, const std::vector<std::vector<int32_t>>& relationsOfCell,
                     const std::vector<int32_t>& localOf, const std::vector<double>& adjusted,
                     BlockSubModel& sub)
{
    std::vector<char> relationDone(table.RelationCount(), 0);
    std::vector<std::pair<int32_t, double>> terms;
    for (int32_t cell : sub.cellOf)
        for (int32_t r : relationsOfCell[cell])
        {
            if (relationDone[r])
                continue;
            relationDone[r] = 1;
            terms.clear();
            double target = 0;
            for (int64_t t = table.termStart[r]; t < table.termStart[r + 1]; ++t)
            {
                const int32_t other = table.termCell[t];
                if (localOf[other] < 0)
                    continue;
                terms.emplace_back(localOf[other], table.termCoef[t]);
                target += table.termCoef[t] * adjusted[other];
            }
            sub.instance.AddRelation(target, terms);
        }
}

Direction IncumbentDirection(const Instance& table, const std::vector<double>& adjusted, int32_t cell)
{
    const double change = adjusted[cell] - table.cells[cell].value;
    return change > 0 ? Direction::Up : change < 0 ? Direction::Down : Direction::Free;
}

} // namespace

BlockSubModel BuildBlockSubModel(const Instance& table, const StdModel& whole,
                                 const std::vector<std::vector<int32_t>>& relationsOfCell,
                                 const Cluster& block, const std::vector<double>& adjusted,
                                 const SubModelSettings& settings)
{
    return BuildBlockSubModelOn(
        table, whole, relationsOfCell, block,
        settings.leaning ? LeaningCells(table, relationsOfCell, block, adjusted, settings.movingBudget)
                         : MovingCells(table, relationsOfCell, block, settings.radius, settings.movingBudget),
        adjusted, settings.integerCells);
}

BlockSubModel BuildBlockSubModelOn(const Instance& table, const StdModel& whole,
                                   const std::vector<std::vector<int32_t>>& relationsOfCell,
                                   const Cluster& block, std::vector<int32_t> moving,
                                   const std::vector<double>& adjusted, bool integerCells,
                                   const std::vector<char>* unprotected)
{
    BlockSubModel sub;
    sub.cellOf = std::move(moving);
    std::vector<int32_t> localOf(table.cells.size(), -1);
    for (size_t k = 0; k < sub.cellOf.size(); ++k)
        localOf[sub.cellOf[k]] = static_cast<int32_t>(k);
    std::vector<char> inBlock(table.cells.size(), 0);
    for (int32_t cell : block)
        inBlock[cell] = 1;

    StdModelSettings modelSettings;
    modelSettings.additive = true; // the right-hand sides already hold the residual a relation keeps
    modelSettings.scale = whole.scale;
    modelSettings.big = whole.big;
    modelSettings.kind = whole.kind;
    modelSettings.integerCells = integerCells;
    std::vector<double> localAdjusted;
    for (int32_t cell : sub.cellOf)
    {
        sub.instance.cells.push_back(table.cells[cell]);
        if (unprotected != nullptr && (*unprotected)[cell] && !inBlock[cell])
        {
            Cell& free = sub.instance.cells.back(); // moves like any safe cell, protected later
            free.status = 's';
            free.lpl = free.upl = 0;
        }
        localAdjusted.push_back(adjusted[cell]);
        const bool freeDirection = inBlock[cell] && whole.colDir[cell] >= 0;
        modelSettings.directions.push_back(NeedsProtection(sub.instance.cells.back()) && !freeDirection
                                               ? IncumbentDirection(table, adjusted, cell)
                                               : Direction::Free);
    }
    AddSubRelations(table, relationsOfCell, localOf, adjusted, sub);
    sub.model = BuildStdModel(sub.instance, modelSettings);
    sub.start = StdColumnsOf(sub.instance, sub.model, localAdjusted);
    return sub;
}

std::vector<double> PutBack(const BlockSubModel& sub, const std::vector<double>& solution,
                            std::vector<double> adjusted)
{
    const std::vector<double> local = sub.model.AdjustedValues(sub.instance, solution);
    for (size_t k = 0; k < sub.cellOf.size(); ++k)
        adjusted[sub.cellOf[k]] = local[k];
    return adjusted;
}

} // namespace vrn
