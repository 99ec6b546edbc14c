#include "solvers/solve_model.h"

#include <gtest/gtest.h>

#include <optional>

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

// Answers with a fixed solution, as a solver whose clean-up went wrong does.
class FixedAnswer : public vrn::SolverAdapter
{
public:
    std::vector<double> answer;
    std::string Name() const override { return "fixed"; }
    bool SolvesIntegerPrograms() const override { return true; }
    vrn::SolveResult Solve(const vrn::MipModel&, const vrn::SolveParams&, vrn::RunControl&) override
    {
        vrn::SolveResult result;
        result.status = vrn::SolveStatus::Optimal;
        result.solution = answer;
        result.objective = answer[0] + answer[1];
        return result;
    }
};

TEST(SolveModel, ASolutionThatBreaksTheModelGivesWayToTheStart)
{
    // x + y = 10, 0 <= x, y <= 10, y integer; the start is (4, 6).
    vrn::MipModel model;
    model.AddColumn(0, 10, 1, false, "x");
    model.AddColumn(0, 10, 1, true, "y");
    model.AddRow(10, 10, {{0, 1.0}, {1, 1.0}}, "sum");
    struct Case
    {
        const char* name;
        std::vector<double> answer, start, expected;
        vrn::SolveStatus status;
    };
    const std::vector<Case> cases{
        {"a row off by 1: the start", {3, 6}, {4, 6}, {4, 6}, vrn::SolveStatus::Feasible},
        {"a bound broken: the start", {-2, 12}, {4, 6}, {4, 6}, vrn::SolveStatus::Feasible},
        {"within the tolerance: kept", {4 + 1e-7, 6}, {4, 6}, {4 + 1e-7, 6}, vrn::SolveStatus::Optimal},
        {"a sound solution: kept", {2, 8}, {4, 6}, {2, 8}, vrn::SolveStatus::Optimal},
        {"no start: left to the check", {3, 6}, {}, {3, 6}, vrn::SolveStatus::Optimal},
    };
    for (const Case& c : cases)
    {
        FixedAnswer solver;
        solver.answer = c.answer;
        vrn::SolveParams params;
        params.start = c.start;
        vrn::RunControl control(-1);
        const vrn::SolveResult result = vrn::SolveModel(model, solver, params, control);
        EXPECT_EQ(result.solution, c.expected) << c.name;
        EXPECT_EQ(result.status, c.status) << c.name;
        if (result.solution == c.start)
        {
            EXPECT_DOUBLE_EQ(result.objective, 10) << c.name;
        }
    }
}

TEST(WithWholeIntegers, AsksNoSolverWhenThereIsNothingToMend)
{
    // x - y >= 0, y binary: the linear program with y fixed is solved only where y is not whole.
    vrn::MipModel model;
    model.AddColumn(0, 5, 1, false, "x");
    model.AddColumn(0, 1, 0, true, "y");
    model.AddRow(0, vrn::kInfinity, {{0, 1.0}, {1, -1.0}}, "x above y");
    vrn::SolveResult almost;
    almost.status = vrn::SolveStatus::Feasible;
    almost.solution = {1 - 1e-7, 1 - 1e-7};
    almost.objective = 1 - 1e-7;
    struct Case
    {
        const char* name;
        std::vector<double> solution;
        std::optional<vrn::StopReason> stop;
        int calls;
    };
    const std::vector<Case> cases{
        {"whole already", {1, 1}, std::nullopt, 0},
        {"no solution", {}, std::nullopt, 0},
        {"a stop asked for", almost.solution, vrn::StopReason::Command, 0},
        {"the time limit passed", almost.solution, vrn::StopReason::TimeLimit, 1},
        {"a hair short of whole", almost.solution, std::nullopt, 1},
    };
    for (const Case& c : cases)
    {
        CountingSolver solver;
        vrn::RunControl control(-1);
        if (c.stop)
            control.RequestStop(*c.stop);
        vrn::SolveResult given = almost;
        given.solution = c.solution;
        const vrn::SolveResult result = vrn::WithWholeIntegers(model, solver, {}, control, given);
        EXPECT_EQ(solver.calls, c.calls) << c.name;
        // The counting solver finds nothing: the result stays as it came.
        EXPECT_EQ(result.solution, c.solution) << c.name;
    }
}

TEST(SolverTimeLimit, RemainingTimeOrAVeryLargeNumber)
{
    EXPECT_GE(vrn::SolverTimeLimit(vrn::RunControl(-1)), 1e7);
    const double limit = vrn::SolverTimeLimit(vrn::RunControl(30));
    EXPECT_GT(limit, 29);
    EXPECT_LE(limit, 30);
}

} // namespace
