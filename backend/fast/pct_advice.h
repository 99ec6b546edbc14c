// The least percentage limit on the non-sensitive cells with which the fixed directions can be met:
// the least largest change of such a cell, in percent of its value (a linear program of its own,
// solved by bisection on the percentage with column bounds only), rounded up to a value that fits
// the window's field and that is checked to work.
#pragma once

#include "fast/fast_model.h"
#include "solvers/solver_adapter.h"

#include <string>

namespace vrn
{

struct PctAdvice
{
    bool found = false;     // `suggested` works for these directions
    bool noneWorks = false; // the directions cannot be met even without a percentage limit
    double least = 0;       // the least largest change, percent (within the search's tolerance)
    double suggested = 0;   // rounded up, at most four characters where it can be
};

// The percentage limits as column caps: each non-sensitive cell's deviation columns at most t percent of
// its value (model units per percent).
struct CellLimits;
CellLimits PercentLimits(const Instance& instance, const StdModel& model);

// `settings` as the run has them (its pctBounds is replaced); directions as the run starts with them.
PctAdvice LeastWorkablePct(const Instance& instance, const FastSettings& settings,
                           const DirectionChoice& choice, SolverAdapter& solver, const SolveParams& params,
                           RunControl& control);

// The shortest text of at most `width` characters that is at least `value`: 16.67 gives 16.7, 2.341
// gives 2.35, 0.0123 gives 0.02.
std::string RoundUpForField(double value, size_t width = 4);

// One line in the window's terms and the back-end's.
std::string PctAdviceLine(const PctAdvice& advice, double given);

} // namespace vrn
