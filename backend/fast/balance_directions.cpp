#include "fast/balance_directions.h"

#include "fast/direction_ties.h"
#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vrn
{

namespace
{

// The relations each cell appears in, cell by cell: (relation, coefficient).
struct CellTerms
{
    std::vector<int64_t> start;
    std::vector<std::pair<int32_t, double>> terms;

    explicit CellTerms(const Instance& instance)
        : start(instance.cells.size() + 1, 0), terms(instance.TermCount())
    {
        for (const int32_t cell : instance.termCell)
            ++start[static_cast<size_t>(cell) + 1];
        for (size_t i = 1; i < start.size(); ++i)
            start[i] += start[i - 1];
        std::vector<int64_t> next(start.begin(), start.end() - 1);
        for (size_t r = 0; r < instance.RelationCount(); ++r)
            for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
                terms[next[instance.termCell[t]]++] = {static_cast<int32_t>(r), instance.termCoef[t]};
    }
};

// How much of an imbalance the cells of a relation that are not sensitive can make up, each within
// its bounds: they can move the relation's left-hand side down by `down` and up by `up`.
class RelationCapacity
{
public:
    explicit RelationCapacity(const Instance& instance)
        : m_up(instance.RelationCount(), 0), m_down(instance.RelationCount(), 0)
    {
        for (size_t r = 0; r < instance.RelationCount(); ++r)
            for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            {
                const Cell& cell = instance.cells[instance.termCell[t]];
                if (cell.status == 'z' || NeedsProtection(cell))
                    continue;
                const double c = instance.termCoef[t];
                const double up = std::max(0.0, cell.ub - cell.value),
                             down = std::max(0.0, cell.value - cell.lb);
                m_up[r] += c > 0 ? c * up : -c * down;
                m_down[r] += c > 0 ? c * down : -c * up;
            }
    }

    // How far an imbalance lies beyond what the relation's other cells can make up.
    double Excess(size_t r, double imbalance) const
    {
        // Making up +I needs the others to move the left-hand side down by I, and -I up by I.
        return imbalance > 0 ? std::max(0.0, imbalance - m_down[r]) : std::max(0.0, -imbalance - m_up[r]);
    }

private:
    std::vector<double> m_up, m_down;
};

constexpr double kBeyondRoom = 1000;

double SignedLevel(const Cell& cell, Direction direction)
{
    return direction == Direction::Up ? cell.upl : -cell.lpl;
}

} // namespace

void ChooseByBalancing(const Instance& instance, DirectionChoice& choice, bool additive)
{
    const CellTerms byCell(instance);
    const DirectionTies ties(instance, additive);
    // The price of making up one unit of a relation's imbalance: the mean cost of the cells that may move.
    std::vector<double> price(instance.RelationCount(), 0);
    for (size_t r = 0; r < instance.RelationCount(); ++r)
    {
        double sum = 0;
        int count = 0;
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            if (const Cell& cell = instance.cells[instance.termCell[t]]; cell.status != 'z')
                sum += cell.cost, ++count;
        price[r] = count > 0 ? sum / count : 0;
    }
    const RelationCapacity capacity(instance);
    std::vector<double> imbalance(instance.RelationCount(), 0);
    auto shift = [&](size_t i, double change)
    {
        for (int64_t k = byCell.start[i]; k < byCell.start[i + 1]; ++k)
            imbalance[byCell.terms[k].first] += byCell.terms[k].second * change;
    };
    std::vector<size_t> open;
    for (size_t i = 0; i < instance.cells.size(); ++i)
        if (IsProtectable(instance.cells[i]))
        {
            if (choice.direction[i] == Direction::Free)
                open.push_back(i);
            else
                shift(i, SignedLevel(instance.cells[i], choice.direction[i]));
        }
    auto level = [&](size_t i) { return std::max(instance.cells[i].lpl, instance.cells[i].upl); };
    std::stable_sort(open.begin(), open.end(), [&](size_t a, size_t b) { return level(a) > level(b); });
    // The cost of one cell's direction: its own change plus what its relations must make up.
    auto cost = [&](size_t i, Direction direction)
    {
        const Cell& cell = instance.cells[i];
        if (!(direction == Direction::Up ? CanMoveUp(cell, kInfinity) : CanMoveDown(cell, kInfinity)))
            return kInfinity;
        const double change = SignedLevel(cell, direction);
        double total = cell.cost * std::fabs(change);
        for (int64_t k = byCell.start[i]; k < byCell.start[i + 1]; ++k)
        {
            const auto [r, coef] = byCell.terms[k];
            const double after = imbalance[r] + coef * change;
            total += price[r] * (std::fabs(after) - std::fabs(imbalance[r]));
            // An imbalance that the other cells' room cannot make up leaves no table: priced far above any
            // change, so that the other way is taken where it fits.
            total += price[r] * kBeyondRoom * (capacity.Excess(r, after) - capacity.Excess(r, imbalance[r]));
        }
        return total;
    };
    auto assign = [&](size_t i, Direction direction)
    {
        choice.direction[i] = direction;
        choice.source[i] = DirectionSource::Heuristic;
        shift(i, SignedLevel(instance.cells[i], direction));
    };
    for (const size_t i : open)
    {
        if (choice.direction[i] != Direction::Free)
            continue; // decided with its tied group
        const std::vector<int>& members = ties.Members(static_cast<int>(i));
        // Cells the relations tie to this one move with it: the group's direction is decided at once, by
        // a member decided before (forced, from the file) or by the group's total cost.
        int decided = -1;
        for (const int m : members)
            if (choice.direction[m] != Direction::Free)
                decided = m;
        double up = 0, down = 0;
        for (const int m : members)
            if (choice.direction[m] == Direction::Free)
            {
                up += cost(m, ties.Implied(static_cast<int>(i), Direction::Up, m));
                down += cost(m, ties.Implied(static_cast<int>(i), Direction::Down, m));
            }
        if (members.size() < 2 || (decided < 0 && up >= kInfinity && down >= kInfinity))
        {
            assign(i, cost(i, Direction::Up) <= cost(i, Direction::Down) ? Direction::Up : Direction::Down);
            continue;
        }
        const Direction own = decided >= 0
                                  ? ties.Implied(decided, choice.direction[decided], static_cast<int>(i))
                              : up <= down ? Direction::Up
                                           : Direction::Down;
        for (const int m : members)
        {
            if (choice.direction[m] != Direction::Free)
                continue;
            const Direction want = ties.Implied(static_cast<int>(i), own, m);
            const Direction other = want == Direction::Up ? Direction::Down : Direction::Up;
            assign(static_cast<size_t>(m), cost(static_cast<size_t>(m), want) < kInfinity ? want : other);
        }
    }
}

} // namespace vrn
