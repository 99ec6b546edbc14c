#include "bcd/descent_lines.h"

#include "common/number_format.h"

#include <cmath>

namespace vrn
{

std::string BlockName(int cycle, int number, int blocksPerCycle)
{
    return "BCD cycle " + std::to_string(cycle) + ", block " + std::to_string(number) + " of " +
           std::to_string(blocksPerCycle);
}

std::string BlockPhase(int cycle, int number, int blocksPerCycle, size_t cells)
{
    return BlockName(cycle, number, blocksPerCycle) + " (" + std::to_string(cells) + " cells)";
}

std::string SideBySidePhase(int cycle, int first, int last, bool pair, int blocksPerCycle, size_t firstCells)
{
    return "BCD cycle " + std::to_string(cycle) + ", blocks " + std::to_string(first) +
           (pair ? " and " : " to ") + std::to_string(last) + " side by side: block " +
           std::to_string(first) + " of " + std::to_string(blocksPerCycle) + " (" +
           std::to_string(firstCells) + " cells)";
}

std::string BlockStepLine(const BcdStep& step, bool subModels)
{
    return "[vrn] " + BlockName(step.cycle, step.block, step.blocksInCycle) + ": " +
           std::to_string(step.cells.size()) + " cells" +
           (subModels ? " (" + std::to_string(step.movingCells) + " moving)" : std::string()) +
           ", block's table " + (step.hasTable ? LogNumber(step.blockObjective) : std::string("none")) +
           (step.improved   ? " (better)"
            : step.notAdded ? " (better, but not added to a better block's beside it)"
                            : " (no better)") +
           ", incumbent " + LogNumber(step.incumbent) + ", " + LogNumber(std::round(step.elapsed * 10) / 10) +
           " s";
}

} // namespace vrn
