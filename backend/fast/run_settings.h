// The one step that turns a run's options into the settings of every model and solver: the Std
// model, the Fast model, the lexicographic loop and the solver parameters.
#pragma once

#include "cli/options.h"
#include "fast/fast_model.h"
#include "fast/lexmin.h"
#include "instance/instance.h"
#include "model/std_model.h"
#include "solvers/solver_adapter.h"

namespace vrn
{

// The scale the options ask for, or the automatic one of the table.
double ScaleFromOptions(const Instance& instance, const BackendOptions& options);

// The largest change the options ask for, or the automatic one of the table.
double BigFromOptions(const Instance& instance, const BackendOptions& options);

StdModelSettings StdModelSettingsFromOptions(const Instance& instance, const BackendOptions& options);

FastSettings FastSettingsFromOptions(const Instance& instance, const BackendOptions& options);

// The objectives in the order given (4-2-3-1 when none is) and the slack on reached objectives.
LexminSettings LexminSettingsFromOptions(const BackendOptions& options);

SolveParams SolveParamsFromOptions(const BackendOptions& options);

// The options of a single-stage Fast solve (objective 1, the heuristic's directions, no % bounds, no LP
// file, every stage to its end) that finds or mends a table for the run: its start or its repair.
BackendOptions OneStageFastOptions(const BackendOptions& options);

} // namespace vrn
