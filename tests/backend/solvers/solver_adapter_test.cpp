// Every solver adapter on small models whose answer is known. Built twice: once with the COIN-OR
// adapters and once with GLPK (the two never share an executable).
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "model/std_model.h"
#include "solvers/solve_model.h"
#include "solvers/solver_adapter.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#ifdef VRN_TEST_GLPK
#include "solvers/glpk_solver.h"
#else
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/symphony_solver.h"
#endif

#include <cmath>
#include <functional>
#include <string>
#include <vector>

namespace
{

using Factory = std::function<std::unique_ptr<vrn::SolverAdapter>()>;

std::vector<Factory> Solvers()
{
#ifdef VRN_TEST_GLPK
    return {vrn::MakeGlpkSolver};
#else
    return {vrn::MakeCbcSolver, vrn::MakeClpSolver, vrn::MakeSymphonySolver};
#endif
}

// min x + 2y  s.t.  x + y >= 3,  x - y <= 1,  0 <= x, y <= 5: x = 2, y = 1, objective 4.
vrn::MipModel SmallLp()
{
    vrn::MipModel m;
    m.AddColumn(0, 5, 1, false, "x");
    m.AddColumn(0, 5, 2, false, "y");
    m.AddRow(3, vrn::kInfinity, {{0, 1}, {1, 1}}, "sum");
    m.AddRow(-vrn::kInfinity, 1, {{0, 1}, {1, -1}}, "diff");
    return m;
}

vrn::SolveResult Solve(vrn::SolverAdapter& solver, const vrn::MipModel& model, vrn::RunControl& control)
{
    vrn::SolveParams params;
    params.mipGapPercent = 0;
    return solver.Solve(model, params, control);
}

TEST(SolverAdapter, SolvesASmallLinearProgramWithEveryMethod)
{
    struct Method
    {
        const char* name;
        bool simplex, solverChooses;
    };
    for (const Method method : {Method{"barrier", false, false}, Method{"simplex", true, false},
                                Method{"the solver's choice", false, true}})
        for (const auto& make : Solvers())
        {
            auto solver = make();
            vrn::RunControl control(-1);
            vrn::SolveParams params;
            params.mipGapPercent = 0;
            params.simplex = method.simplex;
            params.solverChoosesMethod = method.solverChooses;
            const auto result = solver->Solve(SmallLp(), params, control);
            const std::string what = solver->Name() + ", " + method.name;
            ASSERT_EQ(result.status, vrn::SolveStatus::Optimal) << what << " " << result.detail;
            ASSERT_EQ(result.solution.size(), 2u);
            EXPECT_NEAR(result.solution[0], 2, 1e-6) << what;
            EXPECT_NEAR(result.solution[1], 1, 1e-6) << what;
            EXPECT_NEAR(result.objective, 4, 1e-6) << what;
        }
}

TEST(SolverAdapter, IntegerColumnsAreRoundedUpByTheSearch)
{
    // min x + y  s.t.  2x + 2y >= 3, x, y integer in [0, 5]: objective 2 (the relaxation gives 1.5).
    vrn::MipModel m;
    m.AddColumn(0, 5, 1, true, "x");
    m.AddColumn(0, 5, 1, true, "y");
    m.AddRow(3, vrn::kInfinity, {{0, 2}, {1, 2}}, "r");
    for (const auto& make : Solvers())
    {
        auto solver = make();
        if (!solver->SolvesIntegerPrograms())
            continue;
        vrn::RunControl control(-1);
        const auto result = Solve(*solver, m, control);
        ASSERT_EQ(result.status, vrn::SolveStatus::Optimal) << solver->Name() << " " << result.detail;
        EXPECT_NEAR(result.objective, 2, 1e-6) << solver->Name();
        EXPECT_NEAR(result.solution[0] + result.solution[1], 2, 1e-6) << solver->Name();
    }
}

TEST(SolverAdapter, ADirectionAHairShortOfWholeIsMendedByTheLinearProgram)
{
    // A protection row as the Std model has it: the cell up by d >= 1 * b, d <= 10 * b, b binary; a
    // second cell e = d keeps the relation; cost d + e. A search that took b = 0.9999999 as whole left
    // d a ten-millionth short of its level.
    vrn::MipModel model;
    model.AddColumn(0, 10, 1, false, "d");
    model.AddColumn(0, 10, 1, false, "e");
    model.AddColumn(0, 1, 0, true, "b");
    model.AddRow(0, vrn::kInfinity, {{0, 1.0}, {2, -1.0}}, "level");
    model.AddRow(-vrn::kInfinity, 0, {{0, 1.0}, {2, -10.0}}, "largest change");
    model.AddRow(0, 0, {{0, 1.0}, {1, -1.0}}, "relation");
    struct Case
    {
        const char* name;
        double b, d;
        bool mended;
    };
    for (const Case c : {Case{"rounded up", 1 - 1e-7, 1 - 1e-7, true},
                         // Rounded to 0 the cell could not move, yet it must reach 0.5: kept as it was.
                         Case{"rounding breaks the model", 0.05, 0.5, false}})
        for (const auto& make : Solvers())
        {
            auto solver = make();
            vrn::MipModel tried = model;
            if (!c.mended)
                tried.colLower[0] = 0.5;
            vrn::SolveResult given;
            given.status = vrn::SolveStatus::Feasible;
            given.solution = {c.d, c.d, c.b};
            given.objective = 2 * c.d;
            vrn::RunControl control(-1);
            const vrn::SolveResult result = vrn::WithWholeIntegers(tried, *solver, {}, control, given);
            const std::string what = solver->Name() + ", " + c.name;
            ASSERT_EQ(result.solution.size(), 3u) << what;
            if (!c.mended)
            {
                EXPECT_EQ(result.solution, given.solution) << what;
                continue;
            }
            EXPECT_EQ(result.solution[2], 1) << what;
            EXPECT_GE(result.solution[0], 1) << what; // exactly its level, not a hair short
            EXPECT_NEAR(result.solution[1], result.solution[0], 1e-12) << what;
            EXPECT_NEAR(result.objective, 2, 1e-9) << what;
            EXPECT_EQ(result.status, vrn::SolveStatus::Feasible) << what;
        }
}

TEST(SolverAdapter, InfeasibleModelIsReportedInfeasible)
{
    vrn::MipModel lp = SmallLp();
    lp.AddRow(20, 20, {{0, 1}, {1, 1}}, "impossible");
    vrn::MipModel mip = lp;
    mip.isInteger[0] = 1;
    for (const auto& make : Solvers())
    {
        auto solver = make();
        for (const vrn::MipModel* model : {&lp, &mip})
        {
            if (model == &mip && !solver->SolvesIntegerPrograms())
                continue;
            vrn::RunControl control(-1);
            const auto result = Solve(*solver, *model, control);
            EXPECT_EQ(result.status, vrn::SolveStatus::Infeasible) << solver->Name() << " " << result.detail;
            EXPECT_TRUE(result.solution.empty()) << solver->Name();
        }
    }
}

// A start is read in the model's own columns, also where the presolver drops the fixed columns
// (GLPK reads a heuristic's solution in the columns of the presolved problem).
TEST(SolverAdapter, AStartWithMostDirectionsFixedGivesAProtectedTable)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(12), vrn::Dimension::Flat(12)};
    settings.maxValue = 999;
    settings.seed = 3;
    const vrn::Instance table = vrn::GenerateTable(settings);
    vrn::StdModelSettings modelSettings;
    modelSettings.scale = vrn::AutomaticScale(table);
    for (const auto& make : Solvers())
    {
        auto solver = make();
        if (!solver->SolvesIntegerPrograms())
            continue;
        vrn::StdModel model = vrn::BuildStdModel(table, modelSettings);
        vrn::RunControl control(-1);
        vrn::SolveParams params;
        const auto first = solver->Solve(model.mip, params, control);
        ASSERT_EQ(first.solution.size(), static_cast<size_t>(model.mip.ColumnCount())) << solver->Name();
        int leftFree = 3;
        for (size_t i = 0; i < table.cells.size(); ++i)
            if (const int col = model.colDir[i]; col >= 0 && leftFree-- <= 0)
                model.mip.colLower[col] = model.mip.colUpper[col] = std::round(first.solution[col]);
        params.start = first.solution;
        params.mipGapPercent = 0;
        const auto result = solver->Solve(model.mip, params, control);
        if (result.solution.empty())
        {
            // SYMPHONY prunes every node against the start and reports no table of its own.
            EXPECT_NE(result.status, vrn::SolveStatus::Failed) << solver->Name() << " " << result.detail;
            continue;
        }
        ASSERT_EQ(result.solution.size(), first.solution.size()) << solver->Name() << " " << result.detail;
        const auto check =
            vrn::CheckSolution(table, model.AdjustedValues(table, result.solution), true, false, 1e-6);
        EXPECT_TRUE(check.passed) << solver->Name() << ": " << (check.lines.size() > 4 ? check.lines[4] : "");
    }
}

// A search hands every new incumbent's columns to the run (so that a run whose solver does not return
// after a stop can still write it): what it holds at the end is a protected table. SYMPHONY tells its
// incumbent only in its own log.
TEST(SolverAdapter, TheSearchHandsOverItsIncumbentsColumns)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(15), vrn::Dimension::Flat(15)};
    settings.seed = 5;
    const vrn::Instance table = vrn::GenerateTable(settings);
    vrn::StdModelSettings modelSettings;
    modelSettings.scale = vrn::AutomaticScale(table);
    const vrn::StdModel model = vrn::BuildStdModel(table, modelSettings);
    for (const auto& make : Solvers())
    {
        auto solver = make();
        if (!solver->SolvesIntegerPrograms() || solver->Name() == "SYMPHONY")
            continue;
        vrn::RunControl control(-1);
        const auto result = Solve(*solver, model.mip, control);
        ASSERT_FALSE(result.solution.empty()) << solver->Name() << " " << result.detail;
        const std::vector<double> kept = control.IncumbentColumns();
        ASSERT_EQ(kept.size(), static_cast<size_t>(model.mip.ColumnCount())) << solver->Name();
        const auto check = vrn::CheckSolution(table, model.AdjustedValues(table, kept), true, false, 1e-6);
        EXPECT_TRUE(check.passed) << solver->Name() << ": " << (check.lines.size() > 4 ? check.lines[4] : "");
    }
}

} // namespace
