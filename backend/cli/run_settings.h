// The one step that turns a run's options into the settings of every layer: the Std model, the Fast
// run, the repair, the block descent and the solver parameters. Only the command line and the driver
// know the options; every other layer takes its settings from here.
#pragma once

#include "cli/layer_settings.h"
#include "cli/options.h"
#include "instance/instance.h"
#include "model/std_model.h"

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

FastRunSettings FastRunSettingsFromOptions(const Instance& instance, const BackendOptions& options);

RepairRunSettings RepairRunSettingsFromOptions(const Instance& instance, const BackendOptions& options);

// The descent's settings from the run's options; `workers` is the machine's cores (at most four).
BcdSettings BcdSettingsFromOptions(const BackendOptions& options);
bool BcdWanted(const BackendOptions& options);
// The options name a cluster count (else the default Std run chooses its own descent).
bool BcdClustersGiven(const BackendOptions& options);

} // namespace vrn
