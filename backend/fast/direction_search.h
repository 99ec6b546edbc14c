// When the Fast heuristic's directions cannot be met and flipping them does not help: a small integer
// program chooses the directions of the cells in conflict (those that fell short, the cells tied to
// them, and the sensitive cells sharing a relation with them), the others kept; when that finds no
// table, the Std model chooses every direction. Only the Std model can prove that no table exists.
#pragma once

#include "common/run_log.h"
#include "fast/fast_model.h"
#include "fast/pct_advice.h"

#include <vector>

namespace vrn
{

enum class DirectionSearch
{
    Found,      // `choice` now holds directions that a table meets
    Infeasible, // the Std model has no table: nothing is protectable
    Unknown,    // no table and no proof (time limit, stop)
    NotTried    // no integer solver at hand
};

// The cells whose directions the small integer program leaves free: `conflict`, the cells tied to them
// and the protectable cells that share a relation with one of them.
std::vector<int> ConflictNeighbourhood(const Instance& instance, bool additive,
                                       const std::vector<int>& conflict);

// `integerSolver` may be null: then `solver` is used when it solves integer programs.
DirectionSearch SearchDirections(const Instance& instance, const FastSettings& settings,
                                 const std::vector<int>& conflict, SolverAdapter& solver,
                                 SolverAdapter* integerSolver, const SolveParams& params, RunControl& control,
                                 const RunLog& log, DirectionChoice& choice);

// The least "% cells bounds" for directions that a table can meet, once the Std model has shown that no
// table keeps the cells within settings.pctBounds: the start directions' own least value, the directions
// of a table without the limit, then a bisection on the limit between the proven value and the least
// found (each step the Std model at the midpoint). `status` is Infeasible when no table exists even
// without the limit, Found with `advice` (checked to work for `choice`), else Unknown or NotTried.
struct WorkablePct
{
    DirectionSearch status = DirectionSearch::NotTried;
    PctAdvice advice;
    DirectionChoice choice;
};

// `startWorks`: a table meets `startChoice` without the limit, so none needs to be searched for.
WorkablePct SearchWorkablePct(const Instance& instance, const FastSettings& settings,
                              const DirectionChoice& startChoice, SolverAdapter& solver,
                              SolverAdapter* integerSolver, const SolveParams& params, RunControl& control,
                              const RunLog& log, bool startWorks = false);

} // namespace vrn
