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

// The automatic scale: a power of ten that brings the largest magnitude below 1000; a table whose
// magnitudes are all below 1 is brought up to a largest magnitude from 100 to 1000.
double AutomaticScale(const Instance& instance);

// The automatic largest change: twice the largest magnitude of a value plus twice the largest protection
// level.
double AutomaticBig(const Instance& instance);

} // namespace vrn
