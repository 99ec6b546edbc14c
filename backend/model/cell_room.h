// How far each cell can move, from the table's own numbers: its bounds; what the other cells of each
// of its relations can make up for (their own room in the compensating direction, plus the relation's
// residual); and, once a protected table of total weighted change B is known, B / cost: a table that
// moves a cell farther than that costs more than the one in hand. The Std model takes these as the
// largest changes of its deviations, which also makes the direction rows' coefficients (the "big M")
// as small as the table allows.
#pragma once

#include "instance/instance.h"

#include <vector>

namespace vrn
{

struct CellRoom
{
    std::vector<double> up, down; // per cell, in the table's units; 0 for z cells, may be infinite
};

// Bounds and relations; `passes` rounds of tightening through the relations.
CellRoom RoomOfCells(const Instance& instance, bool additive, int passes = 2);

// Further limits every cell with a positive cost to `budget / cost` (a little more, for rounding).
void LimitByBudget(const Instance& instance, double budget, CellRoom& room);

} // namespace vrn
