// The one way a model is solved: with the adapter, or without a solver when the model has no rows
// (solvers refuse a model without rows).
#pragma once

#include "solvers/solver_adapter.h"

namespace vrn
{

// The whole model's integer search handles a few thousand directions in a run's time, not tens of
// thousands: beyond this many the Std run improves its starting table block by block (bcd/), and a
// search without a starting table seldom finds any table at all.
constexpr int kWholeModelDirections = 2000;

// A model without rows: every column alone, at its lower bound (costs are never negative);
// infeasible when a column's bounds leave no value (an integer column between two whole numbers).
SolveResult SolveWithoutRows(const MipModel& model);

// A solver's integer solution that breaks the model's rows or bounds (by more than ten times the
// feasibility tolerance, relative to each row's terms) is not a table. CBC 2.10 returns one when
// undoing its preprocessing fails ("Postprocessed model is infeasible"). Given a start, the start
// (a protected table) is returned in its place; without one the result is left as it is, and the
// run's solution check decides.
SolveResult StartOverBrokenSolution(const MipModel& model, const SolveParams& params, SolveResult result);

// A solver takes an integer column as whole within its integrality tolerance (CBC: 1e-7), and a
// direction of 0.9999999 lets a protection row hold with the cell a ten-millionth of its level short,
// which the solution check rightly refuses (on a 99,561-cell count table 3 of 34 blocks' tables were
// lost so). Where an integer column of `result` is not a whole number, the integer columns are rounded
// and the linear program with them fixed is solved with `solver`, within `seconds`: its point meets the
// rows with whole directions. That point replaces the solution when it changes the objective by no more
// than a millionth; otherwise, or when a stop was asked for, `result` is returned as it is.
SolveResult WithWholeIntegers(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                              RunControl& control, SolveResult result, double seconds = 1);

// Solves with the adapter, or without it when the model has no rows; then StartOverBrokenSolution and
// WithWholeIntegers.
SolveResult SolveModel(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control);

} // namespace vrn
