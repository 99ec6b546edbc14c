// The report text of a run's log: the command line, the instance, the options in force, the
// model and the times of the phases.
#pragma once

#include "cli/command_line.h"
#include "instance/instance.h"
#include "model/std_model.h"

#include <string>
#include <utility>
#include <vector>

namespace vrn
{

// The command line as a shell would take it back: arguments with blanks or quotes in single quotes.
std::string QuotedCommandLine(int argc, char** argv);

// "instance: N cells (s 3, u 1), 1 sensitive cells to protect, R relations, T non-zeros".
std::string InstanceSummary(const Instance& instance);

// The lines under "options in force:".
std::vector<std::string> OptionsInForce(const BackendOptions& options);

// The lines that describe a built Std model.
std::vector<std::string> StdModelSummary(const StdModel& model, const BackendOptions& options);

// "times: PHASE 0.001 s; ... total 0.002 s".
std::string TimesLine(const std::vector<std::pair<std::string, double>>& phaseTimes, double totalSeconds);

} // namespace vrn
