// The descent's words in the log and in the status line: a block's name, the blocks side by side,
// and the line each block ends with.
#pragma once

#include "bcd/block_descent.h"

#include <cstddef>
#include <string>

namespace vrn
{

// "BCD cycle 2, block 4 of 20".
std::string BlockName(int cycle, int number, int blocksPerCycle);

// "BCD cycle 2, block 4 of 20 (25 cells)".
std::string BlockPhase(int cycle, int number, int blocksPerCycle, size_t cells);

// "BCD cycle 2, blocks 3 and 4 side by side: block 3 of 20 (25 cells)" (blocks `first` to `last`, the
// first of `firstCells` cells; " to " for more than two).
std::string SideBySidePhase(int cycle, int first, int last, bool pair, int blocksPerCycle, size_t firstCells);

// "[vrn] BCD cycle 1, block 2 of 3: 17 cells (120 moving), block's table 1234 (better), incumbent 1234,
// 2.5 s" (the moving cells only with `subModels`).
std::string BlockStepLine(const BcdStep& step, bool subModels);

} // namespace vrn
