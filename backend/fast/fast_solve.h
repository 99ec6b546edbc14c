// The whole Fast formulation of a run: directions fixed (at random, from the file, or by the
// heuristic with its repair), the Fast model built, the lexicographic loop solved, and an infeasible
// fixed model explained. backend_run.cpp calls it in place of the Std model's build and solve.
#pragma once

#include "cli/layer_settings.h"
#include "common/run_log.h"
#include "fast/fast_directions.h"
#include "fast/fast_model.h"
#include "fast/fast_outcome.h"
#include "instance/instance.h"
#include "solvers/solver_adapter.h"

#include <string>

namespace vrn
{

// `integerSolver` (optional, may be `solver`) solves the integer programs that look for other
// directions when the heuristic's cannot be met.
FastOutcome SolveFast(const Instance& instance, const FastRunSettings& run, SolverAdapter& solver,
                      RunControl& control, const std::string& lpPath, const RunLog& log,
                      HeuristicRelaxation relaxation = HeuristicRelaxation::Balance,
                      SolverAdapter* integerSolver = nullptr);
// The same from directions already chosen.
FastOutcome SolveFastWithDirections(const Instance& instance, const FastRunSettings& run,
                                    SolverAdapter& solver, RunControl& control, const std::string& lpPath,
                                    const RunLog& log, DirectionChoice choice,
                                    SolverAdapter* integerSolver = nullptr);

} // namespace vrn
