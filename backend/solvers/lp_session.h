// A linear program kept loaded in the solver between solves: the Fast stages change its objective,
// its column bounds or add a row, and the next solve starts from the basis the previous one ended
// with instead of loading, presolving and solving the whole model again.
#pragma once

#include "solvers/solver_adapter.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace vrn
{

class LpSession
{
public:
    virtual ~LpSession() = default;
    virtual void SetObjective(const std::vector<double>& cost) = 0;
    virtual void SetColumnBounds(const std::vector<double>& lower, const std::vector<double>& upper) = 0;
    virtual void AddRow(double lower, double upper,
                        const std::vector<std::pair<int32_t, double>>& entries) = 0;
    // The first solve starts from nothing (with presolve); each later one from the last basis: the dual
    // simplex when only bounds or rows changed (the basis stays dual feasible), else the primal.
    virtual SolveResult Solve(const SolveParams& params, RunControl& control) = 0;
    // True when the last solve started from the previous basis.
    virtual bool LastSolveWasWarm() const = 0;
};

// Opens a session on `model` (a linear program) with the solver, or returns null when the solver keeps
// no model between solves (then every stage is solved afresh).
using LpSessionOpener = std::function<std::unique_ptr<LpSession>(const MipModel& model)>;

} // namespace vrn
