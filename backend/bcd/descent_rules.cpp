#include "bcd/descent_rules.h"

#include "instance/cell_rules.h"

#include <algorithm>

namespace vrn
{

int AutomaticBlockCells(int directions, char solver)
{
    if (solver != 'b')
        return kSmallBlockCells;
    return std::max(300, (directions + kCbcBlocksPerCycle - 1) / kCbcBlocksPerCycle);
}

size_t AutomaticMovingBudget(char solver)
{
    return solver == 'b' ? BcdSettings().movingBudget : kSmallBlockMovingCells;
}

int WholeModelDirections(char solver)
{
    return solver == 'b' ? kWholeModelDirectionsCbc : kWholeModelDirections;
}

int AutomaticBlockCount(int directions, char solver)
{
    const int cells = AutomaticBlockCells(directions, solver);
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

double BlockTimeLimit(const BcdSettings& settings, const CyclePosition& position, bool runHasLimit,
                      double remaining, double floor)
{
    if (settings.blockSeconds > 0)
        return settings.blockSeconds;
    if (!runHasLimit)
        return -1;
    const double share = remaining / std::clamp(position.blocksPerCycle, 1, 10);
    const double cycleFits = remaining * std::max(1, position.lanes) / std::max(1, position.blocksLeft);
    return std::max(floor, std::min(share, cycleFits));
}

double LeastWeightedChange(const Instance& instance)
{
    double least = 0;
    for (const Cell& cell : instance.cells)
        if (NeedsProtection(cell))
            least += cell.cost * std::max(0.0, std::min(cell.lpl, cell.upl));
    return least;
}

std::string NeighbourhoodText(const BcdSettings& settings)
{
    if (!settings.subModels)
        return "; each block solved on the whole model";
    if (settings.leaning)
        return "; each block solved on its own model: its cells, their relations' cells and the "
               "cells the table changed beside those, at most " +
               std::to_string(settings.movingBudget) + " cells";
    const std::string within = settings.radius >= 0 ? std::to_string(settings.radius) + " relation(s)"
                                                    : "as many relations as keep at most " +
                                                          std::to_string(settings.movingBudget) + " cells";
    return "; each block solved on its own model, the cells within " + within + " of it moving";
}

} // namespace vrn
