// The one way a model is solved: with the adapter, or without a solver when the model has no rows
// (solvers refuse a model without rows).
#pragma once

#include "solvers/solver_adapter.h"

namespace vrn
{

// A model without rows: every column alone, at its lower bound (costs are never negative);
// infeasible when a column's bounds leave no value (an integer column between two whole numbers).
SolveResult SolveWithoutRows(const MipModel& model);

// Solves with the adapter, or without it when the model has no rows.
SolveResult SolveModel(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control);

} // namespace vrn
