// The rule for an integer search that started from a protected table: the start is never lost.
#pragma once

#include "model/mip_model.h"
#include "solvers/solver_adapter.h"

#include <string>
#include <vector>

namespace vrn
{

// After the integer search: a solver that found nothing better than the start (SYMPHONY then even reports
// the problem infeasible, having pruned every node against it) or lost it gets the start back. Returns
// the note for the log, empty when the solver's own result stands.
std::string KeepStartingPoint(const MipModel& model, const std::vector<double>& start, SolveResult& result);

} // namespace vrn
