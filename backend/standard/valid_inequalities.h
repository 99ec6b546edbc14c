// Valid inequalities for the Std model: rows that every protected table satisfies but the linear
// relaxation does not, so that the integer solver's bound rises. With a fractional direction the
// relaxation lets a sensitive cell move up and down at once and stay where it is, so that its
// relations need no compensation; the inequalities here make the other cells of each relation absorb
// the move in the direction the binary chooses.
#pragma once

#include "model/std_model.h"
#include "solvers/solver_adapter.h"

#include <functional>
#include <string>
#include <vector>

namespace vrn
{

// entries . x >= lower, over the model's columns.
struct ValidInequality
{
    std::vector<std::pair<int32_t, double>> entries;
    double lower = 0;
    int cell = 0;
    int relation = 0;
    bool up = true; // the direction whose compensation it asks for
};

// For every sensitive cell with a direction column and every relation it is in, two rows: moving up
// by its upper level (y = 1), the relation's other cells must change the other way by as much (less
// what the relation's residual gives); moving down (y = 0), likewise. Their sum is the inequality
// sum_{j != i} |c_j| (p_j + m_j) >= |c_i| (upl y + lpl (1 - y)) - |residual|, which they imply.
//
// With `hop`, the cells j of a relation for which hop(j) holds are counted through another relation of
// theirs: what j gives must be made up there by the other cells (|c_qj| |change_j| <= sum |c_qk|
// (p_k + m_k) + |residual_q|). The relaxation can let j move up and down at once, giving without changing;
// counted so, it cannot.
std::vector<ValidInequality> CompensationInequalities(const Instance& instance, const StdModel& model,
                                                      bool additive,
                                                      const std::function<bool(int)>& hop = nullptr);

struct Violations
{
    int count = 0;
    double largest = 0; // in the model's units of change
    double total = 0;
};

// The inequalities that x violates by more than the tolerance (relative to the row's right-hand side);
// `which` gets their indexes when given.
Violations ViolatedBy(const std::vector<ValidInequality>& inequalities, const std::vector<double>& x,
                      double tolerance, std::vector<size_t>* which = nullptr);

void AddInequalityRows(MipModel& mip, const std::vector<ValidInequality>& inequalities,
                       const std::vector<size_t>& which);

struct ValidInequalityReport
{
    int candidates = 0;
    int added = 0;
    int rounds = 0;
    bool relaxationSolved = false;
    double boundBefore = 0, boundAfter = 0; // the relaxation's optimum, original units
    Violations atStart;                     // at the first relaxation's optimum
    Violations chainsAtStart;               // ... of those counted through other relations
};

// --vineq: solves the relaxation, and with `add` adds the inequalities it violates, solving again until
// none is violated (a few rounds at most), so that only those that raise the bound are kept. Without
// `add` only reports. `say` gets one line per round.
ValidInequalityReport ApplyValidInequalities(const Instance& instance, StdModel& model, bool additive,
                                             bool add, SolverAdapter& solver, const SolveParams& params,
                                             RunControl& control,
                                             const std::function<void(const std::string&)>& say);

} // namespace vrn
