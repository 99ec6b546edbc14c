#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

bool NeedsProtection(const Cell& cell)
{
    return cell.status == 'u' && (cell.lpl > 0 || cell.upl > 0);
}

bool CanMoveDown(const Cell& cell, double big)
{
    return cell.value - cell.lpl >= cell.lb && cell.lpl <= big;
}

bool CanMoveUp(const Cell& cell, double big)
{
    return cell.value + cell.upl <= cell.ub && cell.upl <= big;
}

double SmallestPositiveLevel(const Instance& instance)
{
    double smallest = HUGE_VAL;
    for (const Cell& cell : instance.cells)
        if (NeedsProtection(cell))
            for (double level : {cell.lpl, cell.upl})
                if (level > 0)
                    smallest = std::min(smallest, level);
    return smallest;
}

double AutomaticScale(const Instance& instance)
{
    double largest = 0;
    for (const Cell& cell : instance.cells)
        largest = std::max(largest, std::fabs(cell.value));
    double scale = 1;
    while (largest / scale >= 1000)
        scale *= 10;
    // A table of large totals and small sensitive cells (values 1 to 999 on 1,000 x 1,000: a grand total
    // of 5e8, levels from 1) would otherwise see its levels scaled down to the solvers' tolerance.
    const double level = SmallestPositiveLevel(instance);
    while (scale > 1 && level / scale < kSmallestScaledLevel && largest / (scale / 10) <= 1e9)
        scale /= 10;
    // A table whose numbers are all below 1 is brought up just as far, to a largest value from 100 to
    // 1000: otherwise its protection levels sink below the solvers' absolute tolerances and a solver
    // may leave a sensitive cell where it is.
    if (largest > 0 && largest < 1)
    {
        double up = 1; // a whole power of ten, exact, so that 1 / up is the closest double to the scale
        while (largest * up < 100)
            up *= 10;
        scale = 1 / up;
    }
    return scale;
}

double AutomaticBig(const Instance& instance)
{
    double largestValue = 0, largestLevel = 0;
    for (const Cell& cell : instance.cells)
    {
        largestValue = std::max(largestValue, std::fabs(cell.value));
        if (cell.status == 'u')
            largestLevel = std::max({largestLevel, cell.lpl, cell.upl});
    }
    return 2 * largestValue + 2 * largestLevel + 1;
}

} // namespace vrn
