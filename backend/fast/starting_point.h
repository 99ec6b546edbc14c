// A starting table for the Std model's integer search (--startingpoint): a Fast solve (objective 1) with
// the directions of c: the Std model's own LP relaxation, rounded; s: the Fast heuristic. Directions that
// cannot be met are repaired; the table is translated into the Std model's columns.
#pragma once

#include "cli/options.h"
#include "fast/fast_log.h"
#include "instance/instance.h"
#include "model/std_model.h"
#include "solvers/solver_adapter.h"

#include <vector>

namespace vrn
{

// The whole model's integer search handles a few thousand directions in a run's time, not tens of
// thousands: beyond this many the Std run improves its starting table block by block (bcd/), and a
// search without a starting table seldom finds any table at all.
constexpr int kWholeModelDirections = 2000;

// The adjusted values of a checked protected table from the Fast heuristic (the Std run's start and its
// fallback); empty when none was found. `integerSolver` as in SolveFast. With a time limit the search
// for it has a third of the time left, two thirds on a table of more than kWholeModelDirections
// sensitive cells (where the integer search could not do without it).
// The seconds the starting table may take now (the share above), <= 0 without a time limit.
double StartingTableSeconds(const Instance& instance, const RunControl& control);

std::vector<double> FindStartingTable(const Instance& instance, const BackendOptions& options,
                                      StdModelKind kind, SolverAdapter& solver, SolverAdapter* integerSolver,
                                      RunControl& control, const FastLog& log);

// The same table as the Std model's columns. Empty when no protected table was found; `log` tells how it
// went.
std::vector<double> FindStartingPoint(const Instance& instance, const BackendOptions& options,
                                      const StdModel& model, SolverAdapter& solver, RunControl& control,
                                      const FastLog& log);

// After the integer search: a solver that found nothing better than the start (SYMPHONY then even reports
// the problem infeasible, having pruned every node against it) or lost it gets the start back. Returns
// the note for the log, empty when the solver's own result stands.
std::string KeepStartingPoint(const MipModel& model, const std::vector<double>& start, SolveResult& result);

} // namespace vrn
