// A starting table for the Std model's integer search (--startingpoint): a Fast solve (objective 1)
// with directions rounded from an LP relaxation (c: the Std model's own; s: the Fast heuristic's compact
// one), repaired where a direction cannot be met, and translated into the Std model's columns.
#pragma once

#include "fast_solve.h"

#include <vector>

namespace vrn
{

// The Std model's columns for an adjusted table: deviations up and down, directions, integer values.
std::vector<double> StdColumnsOf(const Instance& instance, const StdModel& model,
                                 const std::vector<double>& adjusted);

// Empty when no protected table was found; `log` tells how it went.
std::vector<double> FindStartingPoint(const Instance& instance, const BackendOptions& options,
                                      const StdModel& model, SolverAdapter& solver, RunControl& control,
                                      const FastLog& log);

} // namespace vrn
