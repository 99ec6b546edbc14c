// A MipModel in CLP, for the COIN-OR adapters: the loading of the model, the limits and tolerances
// of a solve, and what CLP's state after a solve means for the run.
#pragma once

#include "solvers/solver_adapter.h"

class ClpSimplex;
class OsiClpSolverInterface;

namespace vrn
{

// The model's matrix, column and row bounds (infinite ones as COIN-OR writes them) and costs. CBC
// takes the model through CLP's solver interface, the CLP adapters straight into CLP.
void LoadIntoClp(ClpSimplex& clp, const MipModel& model);
void LoadIntoClp(OsiClpSolverInterface& lp, const MipModel& model);

// The run's time left, the feasibility tolerance, the LP tolerance where one is given, and the seed.
void SetClpLimits(ClpSimplex& clp, const SolveParams& params, const RunControl& control);

// The outcome of CLP's last solve, with its columns where it has a point the run can use.
SolveResult ClpSolveResult(ClpSimplex& clp);

} // namespace vrn
