// The starting table: the start kept where the solver found nothing better, a protected table of the
// Std model from the LP relaxation or the heuristic, and on a count table of small units one near the
// least change.
#include "cli/run_settings.h"
#include "fast/starting_point.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/solve_model.h"
#include "solvers/start_rule.h"
#include "tools/survey_table.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace
{

TEST(StartingPoint, TheStartStandsWhereTheSolverFoundNothingBetter)
{
    vrn::MipModel model;
    model.AddColumn(0, 10, 2, false, "a");
    model.AddColumn(0, 10, 1, false, "b");
    const std::vector<double> start = {1, 3}; // objective 5
    struct Case
    {
        vrn::SolveStatus status;
        std::vector<double> solution;
        double objective;
        vrn::SolveStatus expectedStatus;
        std::vector<double> expectedSolution;
    };
    const Case cases[] = {
        {vrn::SolveStatus::Optimal, {0, 4}, 4, vrn::SolveStatus::Optimal, {0, 4}},   // better: kept
        {vrn::SolveStatus::Feasible, {2, 3}, 7, vrn::SolveStatus::Feasible, {1, 3}}, // worse: the start
        // "infeasible" for a model the start satisfies is the solver's fault, not a proof of optimality
        {vrn::SolveStatus::Infeasible, {}, vrn::kInfinity, vrn::SolveStatus::Feasible, {1, 3}},
        {vrn::SolveStatus::NoSolution, {}, vrn::kInfinity, vrn::SolveStatus::Feasible, {1, 3}}, // stopped
    };
    for (const Case& c : cases)
    {
        vrn::SolveResult result;
        result.status = c.status;
        result.solution = c.solution;
        result.objective = c.objective;
        const std::string note = vrn::KeepStartingPoint(model, start, result);
        EXPECT_EQ(result.status, c.expectedStatus) << c.objective;
        EXPECT_EQ(result.solution, c.expectedSolution) << c.objective;
        EXPECT_EQ(note.empty(), c.expectedSolution == c.solution) << c.objective;
        EXPECT_EQ(result.objective, c.expectedSolution == c.solution ? c.objective : 5);
        if (c.status == vrn::SolveStatus::Infeasible)
        {
            EXPECT_EQ(result.bound, -vrn::kInfinity) << "no bound is claimed for the start";
        }
    }
    vrn::SolveResult untouched;
    EXPECT_TRUE(vrn::KeepStartingPoint(model, {}, untouched).empty());
    EXPECT_EQ(untouched.status, vrn::SolveStatus::NoSolution);
}

vrn::Instance Grid(int size, uint64_t seed = 3)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(size), vrn::Dimension::Flat(size)};
    settings.seed = seed;
    return vrn::GenerateTable(settings);
}

// The starting point is a table of the Std model: every row and bound holds, directions are 0 or 1.
void ExpectFeasibleForStdModel(const vrn::MipModel& mip, const std::vector<double>& x)
{
    ASSERT_EQ(x.size(), static_cast<size_t>(mip.ColumnCount()));
    for (int c = 0; c < mip.ColumnCount(); ++c)
    {
        EXPECT_GE(x[c], mip.colLower[c] - 1e-6) << mip.colName[c];
        EXPECT_LE(x[c], mip.colUpper[c] + 1e-6) << mip.colName[c];
        if (mip.isInteger[c])
        {
            EXPECT_EQ(x[c], std::round(x[c])) << mip.colName[c];
        }
    }
    for (int r = 0; r < mip.RowCount(); ++r)
    {
        double activity = 0;
        for (int64_t e = mip.rowStart[r]; e < mip.rowStart[r + 1]; ++e)
            activity += mip.entryValue[e] * x[mip.entryCol[e]];
        EXPECT_GE(activity, mip.rowLower[r] - 1e-6) << mip.rowName[r];
        EXPECT_LE(activity, mip.rowUpper[r] + 1e-6) << mip.rowName[r];
    }
}

TEST(StartingPoint, IsAProtectedTableOfTheStdModelForBothModels)
{
    const vrn::Instance table = Grid(12, 6);
    for (const vrn::StdModelKind kind : {vrn::StdModelKind::Classical, vrn::StdModelKind::New})
        for (const char mode : {'c', 's'})
        {
            vrn::StdModelSettings settings;
            settings.kind = kind;
            settings.scale = vrn::AutomaticScale(table);
            const vrn::StdModel model = vrn::BuildStdModel(table, settings);
            vrn::BackendOptions options;
            options.startingPoint = mode;
            vrn::RunControl control(-1);
            std::string said;
            const vrn::RunLog log{[&](const std::string& l) { said += l + "\n"; },
                                  [&](const std::string& l) { said += l + "\n"; }};
            auto cbc = vrn::MakeCbcSolver();
            const std::vector<double> start = vrn::FindStartingPoint(
                table, vrn::FastRunSettingsFromOptions(table, options), model, *cbc, control, log);
            ASSERT_FALSE(start.empty()) << said;
            ExpectFeasibleForStdModel(model.mip, start);
            double cost = 0;
            for (int c = 0; c < model.mip.ColumnCount(); ++c)
                cost += model.mip.cost[c] * start[c];
            const std::vector<double> adjusted = model.AdjustedValues(table, start);
            EXPECT_NEAR(cost * model.scale, vrn::WeightedChange(table, adjusted), 1e-6);
            EXPECT_TRUE(vrn::CheckSolution(table, adjusted, true, false, 1e-6).passed);
            const std::string heuristic =
                mode == 's' ? "the heuristic balances the sensitive cells' moves"
                            : std::string("LP relaxation of the ") +
                                  (kind == vrn::StdModelKind::New ? "New" : "Classical") + " Std model";
            EXPECT_NE(said.find(heuristic), std::string::npos) << said;
        }
}

std::vector<std::string> g_lines;
const vrn::RunLog kLog{[](const std::string& line) { g_lines.push_back(line); },
                       [](const std::string& line) { g_lines.push_back(line); }};

TEST(StartingTable, ACountTableOfSmallUnitsIsProtectedAndNearTheLeastChange)
{
    vrn::SurveySettings s;
    s.groups = 6;
    s.units = 90;
    const vrn::Instance table = vrn::GenerateSurveyTable(s);
    vrn::BackendOptions options;
    options.startingPoint = 's';
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(60);
    const std::vector<double> adjusted =
        vrn::FindStartingTable(table, vrn::FastRunSettingsFromOptions(table, options),
                               vrn::StdModelKind::Classical, *clp, cbc.get(), control, kLog);
    ASSERT_FALSE(adjusted.empty());
    EXPECT_TRUE(vrn::CheckSolution(table, adjusted, true, false, 1e-6).passed);
    // Not far above the Std model's LP relaxation (rounding that relaxation's directions and repairing
    // them one conflict at a time gave six times its bound on a table of this kind).
    vrn::StdModelSettings std;
    vrn::StdModel relaxed = vrn::BuildStdModel(table, std);
    std::fill(relaxed.mip.isInteger.begin(), relaxed.mip.isInteger.end(), 0);
    const vrn::SolveResult bound = vrn::SolveModel(relaxed.mip, *clp, vrn::SolveParams{}, control);
    ASSERT_EQ(bound.status, vrn::SolveStatus::Optimal);
    EXPECT_LT(vrn::WeightedChange(table, adjusted), 2 * bound.objective * relaxed.scale);
}

} // namespace
