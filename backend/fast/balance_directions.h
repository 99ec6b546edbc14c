// The Fast heuristic's directions, chosen without a solver.
#pragma once

#include "fast/directions.h"
#include "instance/instance.h"

namespace vrn
{

// The Fast heuristic: sensitive cells that share a relation compensate each other when they move in
// opposite ways, so each open cell (largest protection first) takes the direction that costs least: its
// own change plus the change its relations' other cells must make up for (the relation's imbalance
// priced at the relation's mean cost). Cells that the relations tie together (see direction_ties.h) take
// their directions together. Needs no solver; linear in the size of the table.
void ChooseByBalancing(const Instance& instance, DirectionChoice& choice, bool additive = true);

} // namespace vrn
