// The linear programs' fallback: an interior point that fails goes to the simplex, and one that
// stopped half-way is a table only where its rows hold.
#include "solvers/clp_solver.h"
#include "solvers/lp_fallback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// A solver whose interior point fails, or stops half-way, and whose simplex solves: what the solve
// helper makes of each.
class ScriptedSolver : public vrn::SolverAdapter
{
public:
    vrn::SolveResult barrier;
    int simplexCalls = 0;

    std::string Name() const override { return "scripted"; }
    bool SolvesIntegerPrograms() const override { return false; }
    vrn::SolveResult Solve(const vrn::MipModel& model, const vrn::SolveParams& params,
                           vrn::RunControl& control) override
    {
        if (!params.simplex)
            return barrier;
        ++simplexCalls;
        return vrn::MakeClpSolver()->Solve(model, params, control);
    }
};

// x + y = 2, 0 <= x, y <= 2, minimise x: the optimum is (0, 2).
vrn::MipModel TwoColumns()
{
    vrn::MipModel model;
    model.AddColumn(0, 2, 1, false, "x");
    model.AddColumn(0, 2, 0, false, "y");
    model.AddRow(2, 2, {{0, 1}, {1, 1}}, "sum");
    return model;
}

TEST(LpFallback, ABarrierFailureGoesToTheSimplexAndAnUnfinishedPointIsNoTable)
{
    const vrn::MipModel model = TwoColumns();
    struct Case
    {
        const char* what;
        vrn::SolveStatus barrierStatus;
        std::vector<double> barrierPoint;
        bool simplexTried;
        vrn::SolveStatus status;
    } cases[] = {
        {"numerical failure", vrn::SolveStatus::Failed, {}, true, vrn::SolveStatus::Optimal},
        {"claimed infeasible", vrn::SolveStatus::Infeasible, {}, true, vrn::SolveStatus::Optimal},
        {"unfinished, rows off", vrn::SolveStatus::Feasible, {0.5, 0.5}, false, vrn::SolveStatus::NoSolution},
        {"unfinished, rows hold", vrn::SolveStatus::Feasible, {0.5, 1.5}, false, vrn::SolveStatus::Feasible},
        {"optimal", vrn::SolveStatus::Optimal, {0, 2}, false, vrn::SolveStatus::Optimal},
    };
    for (const Case& c : cases)
    {
        ScriptedSolver solver;
        solver.barrier.status = c.barrierStatus;
        solver.barrier.solution = c.barrierPoint;
        vrn::RunControl control(-1);
        const vrn::SolveResult result = vrn::SolveLinearSafely(model, solver, {}, control);
        EXPECT_EQ(solver.simplexCalls > 0, c.simplexTried) << c.what;
        EXPECT_EQ(result.status, c.status) << c.what << ": " << result.detail;
        EXPECT_EQ(result.solution.empty(), c.status == vrn::SolveStatus::NoSolution) << c.what;
    }
    EXPECT_NEAR(vrn::LargestViolation(model, {0.5, 0.5}), 1, 1e-12);
    EXPECT_NEAR(vrn::LargestViolation(model, {0, 2}), 0, 1e-12);
}

// CLP's presolve proves a model infeasible whose bounds cannot reach a row (x + y = 5 with both at
// most 2): the answer comes back at once, and the fallback does not retry it with the simplex. A
// barrier's own claim of infeasibility is still retried (above).
TEST(LpFallback, AnInfeasibilityTheClpPresolveFindsIsTakenAsProven)
{
    vrn::MipModel model = TwoColumns();
    model.rowLower[0] = model.rowUpper[0] = 5;
    auto clp = vrn::MakeClpSolver();
    for (const bool simplex : {false, true})
    {
        vrn::SolveParams params;
        params.simplex = simplex;
        vrn::RunControl control(-1);
        const vrn::SolveResult result = vrn::SolveLinearSafely(model, *clp, params, control);
        EXPECT_EQ(result.status, vrn::SolveStatus::Infeasible) << simplex;
        EXPECT_TRUE(result.infeasibleByPresolve) << simplex;
        EXPECT_EQ(result.detail.find("simplex method"), std::string::npos) << result.detail;
    }
    // A feasible model is solved as before.
    vrn::RunControl control(-1);
    const vrn::SolveResult feasible = vrn::SolveLinearSafely(TwoColumns(), *clp, {}, control);
    EXPECT_EQ(feasible.status, vrn::SolveStatus::Optimal);
    EXPECT_FALSE(feasible.infeasibleByPresolve);
}

} // namespace
