// When the directions the program chose for a Fast model cannot be met together: the elastic model's
// table of least change (it falls short of protection only where the directions leave no other way),
// mended group by group with small integer programs around the short cells (local_repair.h), and the
// directions of the mended table in place of the chosen ones. Directions a cell's bounds force, and those
// a directions file gave, never change.
#pragma once

#include "common/run_log.h"
#include "fast/directions.h"
#include "fast/fast_model.h"
#include "solvers/solver_adapter.h"

#include <vector>

namespace vrn
{

struct DirectionMend
{
    bool solved = false; // the elastic model had a point (the relations and bounds can hold)
    int shortCells = 0;  // cells short of protection at the elastic model's point
    int programs = 0, widened = 0;
    int changed = 0;             // directions changed
    std::vector<int> stillShort; // cells the programs did not protect
    std::vector<double> table;   // the mended table, adjusted values (when nothing is still short)
};

// The relations that cannot add up with these directions, each on its own: what the cells may change
// under the fixed model's bounds cannot make up the relation's residual. Needs no solver; a count above
// 0 proves the fixed model infeasible.
int RelationsTheDirectionsBreak(const Instance& instance, const FastSettings& settings,
                                const DirectionChoice& choice);
// The same relations, numbered from 0.
std::vector<int> BrokenRelations(const Instance& instance, const FastSettings& settings,
                                 const DirectionChoice& choice);

// `lp` solves the elastic model, `mip` the small programs.
DirectionMend MendDirections(const Instance& instance, const FastSettings& settings, DirectionChoice& choice,
                             SolverAdapter& lp, SolverAdapter& mip, const SolveParams& params,
                             RunControl& control, const RunLog& log);

} // namespace vrn
