#include "model/cell_room.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

namespace
{

// A relation's terms can move its left-hand side within [low, high]; infinite parts counted apart, so
// that one cell's own share can be taken out again.
struct Reach
{
    double low = 0, high = 0;
    int infiniteLow = 0, infiniteHigh = 0;

    void Add(double lo, double hi, int sign)
    {
        if (std::isinf(lo))
            infiniteLow += sign;
        else
            low += sign * lo;
        if (std::isinf(hi))
            infiniteHigh += sign;
        else
            high += sign * hi;
    }
    double LowWithout(double lo) const
    {
        const int inf = infiniteLow - (std::isinf(lo) ? 1 : 0);
        return inf > 0 ? -kInfinityRoom : low - (std::isinf(lo) ? 0 : lo);
    }
    double HighWithout(double hi) const
    {
        const int inf = infiniteHigh - (std::isinf(hi) ? 1 : 0);
        return inf > 0 ? kInfinityRoom : high - (std::isinf(hi) ? 0 : hi);
    }
    static constexpr double kInfinityRoom = std::numeric_limits<double>::infinity();
};

// The change one term can make to its relation: [min, max] of coef * d for d in [-down, up].
std::pair<double, double> TermRange(double coef, double up, double down)
{
    const double a = coef * up, b = -coef * down;
    auto fix = [](double v) { return std::isnan(v) ? 0.0 : v; };
    return {fix(std::min(a, b)), fix(std::max(a, b))};
}

void TightenThroughRelations(const Instance& instance, bool additive, CellRoom& room)
{
    for (size_t r = 0; r < instance.RelationCount(); ++r)
    {
        double residual = additive ? instance.rhs[r] : 0;
        Reach reach;
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
        {
            const int i = instance.termCell[t];
            if (additive)
                residual -= instance.termCoef[t] * instance.cells[i].value;
            const auto [lo, hi] = TermRange(instance.termCoef[t], room.up[i], room.down[i]);
            reach.Add(lo, hi, 1);
        }
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
        {
            const int i = instance.termCell[t];
            const double c = instance.termCoef[t];
            if (c == 0)
                continue;
            const auto [lo, hi] = TermRange(c, room.up[i], room.down[i]);
            // c d_i = residual - (the others' change), the others' change within [low, high].
            const double low = reach.LowWithout(lo), high = reach.HighWithout(hi);
            const double most = (residual - low) / std::fabs(c), least = (high - residual) / std::fabs(c);
            const double slack = 1e-9 * std::max(1.0, std::fabs(instance.cells[i].value));
            const double up = (c > 0 ? most : least) + slack, down = (c > 0 ? least : most) + slack;
            room.up[i] = std::max(0.0, std::min(room.up[i], up));
            room.down[i] = std::max(0.0, std::min(room.down[i], down));
        }
    }
}

} // namespace

CellRoom RoomOfCells(const Instance& instance, bool additive, int passes)
{
    CellRoom room;
    const size_t n = instance.cells.size();
    room.up.resize(n);
    room.down.resize(n);
    for (size_t i = 0; i < n; ++i)
    {
        const Cell& cell = instance.cells[i];
        const bool fixed = cell.status == 'z';
        room.up[i] = fixed ? 0 : std::max(0.0, cell.ub - cell.value);
        room.down[i] = fixed ? 0 : std::max(0.0, cell.value - cell.lb);
    }
    for (int pass = 0; pass < passes; ++pass)
        TightenThroughRelations(instance, additive, room);
    return room;
}

void LimitByBudget(const Instance& instance, double budget, CellRoom& room)
{
    if (!(budget >= 0) || std::isinf(budget))
        return;
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const double cost = instance.cells[i].cost;
        if (cost <= 0)
            continue;
        const double most =
            budget / cost * (1 + 1e-6) + 1e-9 * std::max(1.0, std::fabs(instance.cells[i].value));
        room.up[i] = std::min(room.up[i], most);
        room.down[i] = std::min(room.down[i], most);
    }
}

} // namespace vrn
