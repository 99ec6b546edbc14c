// The directions of a Fast run: fixed at random, from the file, or by a heuristic (the balancing of the
// sensitive cells' moves within their relations, or the Std model's LP relaxation rounded), and the
// elastic model's diagnosis of the fixed directions that the table cannot meet.
#pragma once

#include "cli/layer_settings.h"
#include "common/run_log.h"
#include "fast/directions.h"
#include "fast/fast_outcome.h"
#include "instance/instance.h"
#include "solvers/solver_adapter.h"

#include <vector>

namespace vrn
{

// The heuristic: the balancing of directions.h (the Fast heuristic, no solver), or the Std model's LP
// relaxation rounded at one half (Classical or New as the options say).
enum class HeuristicRelaxation
{
    Balance,
    StdModel
};

// Directions for every sensitive cell as --fixdir asks, with the heuristic for what is left open.
// `end` is filled when the directions file has errors.
bool ChooseDirections(const Instance& instance, const FastRunSettings& run, HeuristicRelaxation relaxation,
                      SolverAdapter& solver, RunControl& control, const RunLog& log, DirectionChoice& choice,
                      FastOutcome& end);

// The heuristic for the cells still free in `choice`. The relaxation keeps the non-sensitive cells within
// settings.pctBounds where it can. Without a relaxation solution every free cell goes up where it can.
void ChooseByHeuristic(const Instance& instance, const FastSettings& settings, HeuristicRelaxation relaxation,
                       StdModelKind kind, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control, DirectionChoice& choice);

// Cells whose fixed direction the table cannot satisfy together with the others (from the elastic
// model). `feasibleWithoutProtection` is false when even the relations and bounds cannot hold.
struct DirectionDiagnosis
{
    bool solved = false; // the elastic model was solved (or proven infeasible)
    bool feasibleWithoutProtection = true;
    std::vector<int> shortCells;
};

DirectionDiagnosis DiagnoseDirections(const Instance& instance, const FastSettings& settings,
                                      const DirectionChoice& choice, SolverAdapter& solver,
                                      const SolveParams& params, RunControl& control);

} // namespace vrn
