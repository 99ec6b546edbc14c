// What a Fast run says when the directions fixed cannot be met: which directions, what single relations
// and bounds prove of them, whether the percent bounds are the cause and which value would work.
#pragma once

#include "cli/layer_settings.h"
#include "common/run_log.h"
#include "fast/fast_directions.h"
#include "fast/fast_outcome.h"
#include "fast/pct_advice.h"

namespace vrn
{

// Says why the fixed model is infeasible, as far as the elastic model's diagnosis tells, on standard error.
void ExplainInfeasible(const Instance& instance, const FastRunSettings& run, const FastSettings& settings,
                       const DirectionChoice& choice, const DirectionDiagnosis& diagnosis,
                       SolverAdapter& solver, RunControl& control, const RunLog& log);

// The end of a run after the Std model, every direction open, has shown that no table exists within
// the run's limits: `out` gets the status, the detail and the closing lines.
void EndProven(const Instance& instance, const FastSettings& settings, const DirectionChoice& startChoice,
               SolverAdapter& solver, SolverAdapter* integerSolver, const SolveParams& params,
               RunControl& control, const RunLog& log, FastOutcome& out);

// The least --pct-bounds above the one in force that the starting directions could meet; nothing found
// without percent bounds or when no value helps.
PctAdvice AdvisePctBounds(const Instance& instance, const FastSettings& settings,
                          const DirectionChoice& startChoice, SolverAdapter& solver,
                          const SolveParams& params, RunControl& control);

} // namespace vrn
