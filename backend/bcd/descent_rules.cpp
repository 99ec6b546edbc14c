#include "bcd/descent_rules.h"

#include "instance/cell_rules.h"

#include <algorithm>

namespace vrn
{

int AutomaticBlockCells(char solver)
{
    return solver == 'b' ? 300 : 50;
}

int WholeModelDirections(char solver)
{
    return solver == 'b' ? kWholeModelDirectionsCbc : kWholeModelDirections;
}

int AutomaticBlockCount(int directions, char solver)
{
    const int cells = AutomaticBlockCells(solver);
    return std::max(2, (directions + cells - 1) / cells);
}

int AutomaticClusters(int directions, char solver)
{
    return directions <= WholeModelDirections(solver) ? 0 : AutomaticBlockCount(directions, solver);
}

int AdaptiveNoGainStop(const BcdSettings& settings)
{
    const int perCycle = std::max(1, settings.clusters);
    return settings.cycle == BcdCycle::Same && !settings.dynamic ? perCycle : 5 * perCycle;
}

double BlockTimeLimit(const BcdSettings& settings, int blocksPerCycle, bool runHasLimit, double remaining,
                      double floor)
{
    if (settings.blockSeconds > 0)
        return settings.blockSeconds;
    if (!runHasLimit)
        return -1;
    return std::max(floor, remaining / std::clamp(blocksPerCycle, 1, 10));
}

double LeastWeightedChange(const Instance& instance)
{
    double least = 0;
    for (const Cell& cell : instance.cells)
        if (NeedsProtection(cell))
            least += cell.cost * std::max(0.0, std::min(cell.lpl, cell.upl));
    return least;
}

} // namespace vrn
