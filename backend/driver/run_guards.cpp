#include "driver/run_guards.h"

#include "common/number_format.h"
#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vrn
{

namespace
{

double LargestMagnitude(const Instance& instance)
{
    double largest = 0;
    for (const Cell& cell : instance.cells)
        largest = std::max(largest, std::fabs(cell.value));
    return largest;
}

} // namespace

std::string CheckOptionsAgainstTable(const Instance& instance, const BackendOptions& options, double scale)
{
    const double largest = LargestMagnitude(instance);
    const bool given = options.scale > 0;
    if (given && largest > 0 && (largest / scale > 1e9 || largest / scale < 1e-6))
        return "option --scale " + LogNumber(scale) + " turns the largest value, " + LogNumber(largest) +
               ", into " + LogNumber(largest / scale) +
               "; the solvers need it from 1e-6 to 1e9: choose another scale or leave --scale out "
               "(automatic: " +
               LogNumber(AutomaticScale(instance)) + ")";
    const double level = SmallestPositiveLevel(instance);
    if (std::isfinite(level) && options.feasibility >= level / scale)
        return "option --feasibility " + LogNumber(options.feasibility) +
               " is not below the smallest protection level after scaling (" + LogNumber(level) +
               " / scale " + LogNumber(scale) + " = " + LogNumber(level / scale) +
               "): a solver could leave a sensitive cell where it is; choose a smaller tolerance";
    return {};
}

std::string GapText(double objective, double bound)
{
    const double difference = objective - bound;
    if (std::fabs(difference) <= 1e-9 * std::max(std::fabs(objective), std::fabs(bound)))
        return "0 %";
    if (objective == 0)
        return "not defined (objective 0, bound " + LogNumber(bound) + ")";
    const double gap = 100 * difference / std::fabs(objective);
    // Two decimals, or two significant digits for a gap smaller than that, so that no gap reads as 0.
    char text[64];
    if (std::fabs(gap) >= 0.01)
        std::snprintf(text, sizeof text, "%.2f", gap);
    else
        std::snprintf(text, sizeof text, "%.2g", gap);
    std::string shown = text;
    if (shown.find('.') != std::string::npos && shown.find('e') == std::string::npos)
    {
        while (shown.back() == '0')
            shown.pop_back();
        if (shown.back() == '.')
            shown.pop_back();
    }
    return shown + " %" + (gap < 0 ? " (the bound is above the objective)" : "");
}

} // namespace vrn
