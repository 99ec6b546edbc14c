// A starting table for the Std model's integer search (--startingpoint): a Fast solve (objective 1) with
// the directions of c: the Std model's own LP relaxation, rounded; s: the Fast heuristic. Directions that
// cannot be met are repaired; the table is translated into the Std model's columns.
#pragma once

#include "cli/layer_settings.h"
#include "common/run_log.h"
#include "instance/instance.h"
#include "model/std_model.h"
#include "solvers/solver_adapter.h"

#include <vector>

namespace vrn
{

// The adjusted values of a checked protected table from the Fast heuristic (the Std run's start and its
// fallback); empty when none was found. `integerSolver` as in SolveFast. With a time limit the search
// for it has a third of the time left, two thirds on a table of more than kWholeModelDirections
// sensitive cells (where the integer search could not do without it).
// The seconds the starting table may take now (the share above), <= 0 without a time limit.
double StartingTableSeconds(const Instance& instance, const RunControl& control);

std::vector<double> FindStartingTable(const Instance& instance, const FastRunSettings& run, StdModelKind kind,
                                      SolverAdapter& solver, SolverAdapter* integerSolver,
                                      RunControl& control, const RunLog& log);

// The same table as the Std model's columns. Empty when no protected table was found; `log` tells how it
// went.
std::vector<double> FindStartingPoint(const Instance& instance, const FastRunSettings& run,
                                      const StdModel& model, SolverAdapter& solver, RunControl& control,
                                      const RunLog& log);

} // namespace vrn
