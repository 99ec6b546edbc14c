// What a cell's status, bounds and protection levels allow: the rules every model and check shares.
#pragma once

#include "instance/instance.h"

namespace vrn
{

// True when the cell must be protected: status u and a protection level above 0.
bool NeedsProtection(const Cell& cell);

// The same rule under the name the direction code uses: a cell whose direction is to be chosen.
inline bool IsProtectable(const Cell& cell)
{
    return NeedsProtection(cell);
}

// Which ways a sensitive cell can move within its bounds (and within the largest change `big`).
bool CanMoveDown(const Cell& cell, double big);
bool CanMoveUp(const Cell& cell, double big);

// The smallest protection level above 0 of a cell that needs protection; infinite when there is none.
double SmallestPositiveLevel(const Instance& instance);

// The smallest a protection level may become in the scaled model: ten times the default feasibility
// tolerance, so that the default options are not refused for it. Not more: scaling less than the
// largest value asks makes the solvers slower (the starting table of a 52,762-cell magnitude table
// took 28 s with its levels kept at 1e-3, 4.7 s at 1e-5).
constexpr double kSmallestScaledLevel = 1e-5;

// The automatic scale: a power of ten that brings the largest magnitude below 1000, but never so far
// that the smallest protection level falls below kSmallestScaledLevel (nor the largest magnitude above
// 1e9); a table whose magnitudes are all below 1 is brought up to a largest magnitude from 100 to 1000.
double AutomaticScale(const Instance& instance);

// The automatic largest change: twice the largest magnitude of a value plus twice the largest protection
// level.
double AutomaticBig(const Instance& instance);

// The largest change in force: `given` when it is positive, otherwise the automatic one. The run settings
// resolve it once; models built from settings made by hand (tests, benchmarks) resolve it here.
inline double LargestChange(double given, const Instance& instance)
{
    return given > 0 ? given : AutomaticBig(instance);
}

} // namespace vrn
