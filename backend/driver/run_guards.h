// Judgements on a run's numbers that need the table: whether the given scale and tolerances make
// sense for it, and how the gap between the table found and the solver's bound reads.
#pragma once

#include "cli/options.h"
#include "instance/instance.h"

#include <string>

namespace vrn
{

// Empty when the options fit the table; otherwise the message that refuses the run. With the scale in
// force (given or automatic): the largest value after scaling must lie from 1e-6 to 1e9, and the
// feasibility tolerance must be below the smallest positive protection level after scaling (a
// solver may otherwise leave a sensitive cell where it is and call it protected).
std::string CheckOptionsAgainstTable(const Instance& instance, const BackendOptions& options, double scale);

// The relative gap between the objective of the table found and the solver's bound, as the numbers
// give it: "0 %" only when they agree to rounding, a negative gap when the bound is above the
// objective, and "not defined" when the objective is 0 and the bound is not.
std::string GapText(double objective, double bound);

} // namespace vrn
