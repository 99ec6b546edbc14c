// After an integer solve the directions are read from the adjusted table itself, not from the
// binaries: a binary within the integrality tolerance of 0 or 1 can leave both deviations of a cell
// positive, so that the cell hardly moves. A table that fails the solution check is repaired: the
// linear program with those directions fixed, solved with the simplex at a tight tolerance (directions
// it cannot meet flipped or searched for, as in the Fast formulation).
#pragma once

#include "fast/fast_solve.h"

#include <vector>

namespace vrn
{

// The adjusted values of a checked protected table near `adjusted`, empty when none was found.
std::vector<double> RepairTable(const Instance& instance, const FastRunSettings& run,
                                const std::vector<double>& adjusted, SolverAdapter& solver,
                                SolverAdapter* integerSolver, RunControl& control, const RunLog& log);

// The solution check as the run makes it (the run's tolerance), passed or not.
bool TablePasses(const Instance& instance, const FastRunSettings& run, const std::vector<double>& adjusted);

} // namespace vrn
