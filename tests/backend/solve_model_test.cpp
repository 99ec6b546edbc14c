#include "solvers/solve_model.h"

#include <gtest/gtest.h>

namespace
{

// Counts its calls and gives an empty answer: enough to see whether the solver was asked.
class CountingSolver : public vrn::SolverAdapter
{
public:
    int calls = 0;
    std::string Name() const override { return "counting"; }
    bool SolvesIntegerPrograms() const override { return true; }
    vrn::SolveResult Solve(const vrn::MipModel&, const vrn::SolveParams&, vrn::RunControl&) override
    {
        ++calls;
        return {};
    }
};

TEST(SolveWithoutRows, EveryColumnAtItsLowestAllowedValue)
{
    vrn::MipModel model;
    model.AddColumn(2, 5, 3, false, "x");
    model.AddColumn(0.5, 4, 2, true, "y"); // an integer column starts at the next whole number
    model.AddColumn(0, vrn::kInfinity, 0, false, "z");
    const vrn::SolveResult result = vrn::SolveWithoutRows(model);
    ASSERT_EQ(result.status, vrn::SolveStatus::Optimal);
    EXPECT_EQ(result.solution, (std::vector<double>{2, 1, 0}));
    EXPECT_DOUBLE_EQ(result.objective, 3 * 2 + 2 * 1);
    EXPECT_DOUBLE_EQ(result.bound, result.objective);
}

TEST(SolveWithoutRows, IntegerColumnWithoutAWholeValueIsInfeasible)
{
    vrn::MipModel model;
    model.AddColumn(0, 1, 1, false, "x");
    model.AddColumn(0.2, 0.8, 1, true, "y");
    const vrn::SolveResult result = vrn::SolveWithoutRows(model);
    EXPECT_EQ(result.status, vrn::SolveStatus::Infeasible);
    EXPECT_TRUE(result.solution.empty());
}

TEST(SolveModel, AsksTheSolverOnlyWhenThereAreRows)
{
    CountingSolver solver;
    vrn::RunControl control(-1);
    vrn::MipModel model;
    model.AddColumn(0, 1, 1, false, "x");
    EXPECT_EQ(vrn::SolveModel(model, solver, {}, control).status, vrn::SolveStatus::Optimal);
    EXPECT_EQ(solver.calls, 0);
    model.AddRow(0, 1, {{0, 1.0}}, "r");
    // With the simplex: an interior point that returns nothing is asked again with the simplex.
    vrn::SolveParams simplex;
    simplex.simplex = true;
    vrn::SolveModel(model, solver, simplex, control);
    EXPECT_EQ(solver.calls, 1);
}

TEST(SolverTimeLimit, RemainingTimeOrAVeryLargeNumber)
{
    EXPECT_GE(vrn::SolverTimeLimit(vrn::RunControl(-1)), 1e7);
    const double limit = vrn::SolverTimeLimit(vrn::RunControl(30));
    EXPECT_GT(limit, 29);
    EXPECT_LE(limit, 30);
}

} // namespace
