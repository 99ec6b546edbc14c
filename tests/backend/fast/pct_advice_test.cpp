// The least percentage limit that works with a choice of directions: the one the bisection finds
// equal to the linear program with the limit as a column, none where no percentage helps, and the
// value rounded up for the window's field.
#include "backend_test_tables.h"
#include "fast/balance_directions.h"
#include "fast/directions.h"
#include "fast/lexmin_shared.h"
#include "fast/pct_advice.h"
#include "instance/cell_rules.h"
#include "instance/instance.h"
#include "solvers/clp_solver.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

using vrn::test::Settings;
using vrn::test::Simplex;

vrn::Instance Example(const std::string& name)
{
    const vrn::ReadResult read = vrn::ReadInstanceFile(std::string(VRN_EXAMPLES_DIR) + "/" + name, false);
    EXPECT_TRUE(read.errors.empty()) << name;
    return read.instance;
}

// The least percentage as one linear program: a column s bounding every non-sensitive cell's change.
double LeastPctByColumn(const vrn::Instance& table, const vrn::DirectionChoice& choice)
{
    vrn::FastModel model = vrn::BuildFastModel(table, Settings(table, -1, false), choice);
    vrn::MipModel& mip = model.base.mip;
    const vrn::CellLimits limits = vrn::PercentLimits(table, model.base);
    std::fill(mip.cost.begin(), mip.cost.end(), 0.0);
    const int s = mip.AddColumn(0, vrn::kInfinity, 1, false, "s");
    for (size_t k = 0; k < limits.slope.size(); ++k)
        for (const int c : {limits.plus[k], limits.minus[k]})
            mip.AddRow(-vrn::kInfinity, 0, {{c, 1}, {s, -limits.slope[k]}}, "lim");
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::SolveResult result = clp->Solve(mip, Simplex(), control);
    EXPECT_EQ(result.status, vrn::SolveStatus::Optimal);
    return result.solution.empty() ? -1 : result.solution[s];
}

TEST(PctAdvice, TheLeastPercentageIsTheLinearProgramsAndTheRoundedValueWorks)
{
    for (const char* name : {"table3x3.csp", "table5x5.csp", "cube3x3x3.csp", "regions.csp", "grid30x30.csp"})
    {
        const vrn::Instance table = Example(name);
        vrn::DirectionChoice choice = vrn::ForcedDirections(table, vrn::AutomaticBig(table));
        vrn::ChooseByBalancing(table, choice);
        auto clp = vrn::MakeClpSolver();
        vrn::RunControl control(-1);
        const vrn::PctAdvice advice =
            vrn::LeastWorkablePct(table, Settings(table, 2, false), choice, *clp, Simplex(), control);
        ASSERT_TRUE(advice.found) << name;
        const double exact = LeastPctByColumn(table, choice);
        EXPECT_NEAR(advice.least, exact, 1e-4 * exact + 1e-9) << name;
        EXPECT_GE(advice.suggested, advice.least) << name;
        EXPECT_LE(vrn::RoundUpForField(advice.suggested).size(), 4u) << name;

        // The suggested value protects the table with these directions; a value below the least does not.
        for (const auto& [pct, works] : {std::pair{advice.suggested, true}, std::pair{exact * 0.99, false}})
        {
            vrn::FastModel model = vrn::BuildFastModel(table, Settings(table, pct, false), choice);
            model.base.mip.cost = model.ObjectiveCosts(1);
            const vrn::SolveResult result = clp->Solve(model.base.mip, Simplex(), control);
            EXPECT_EQ(result.status == vrn::SolveStatus::Optimal, works) << name << " at " << pct << " %";
        }
    }
}

TEST(PctAdvice, NoPercentageHelpsDirectionsThatCannotBeMetAtAll)
{
    // Total z: 10 = 4 + 6; cell 1 must go up by 2 and cell 2 cannot go below 6.
    const vrn::Instance table =
        vrn::ReadInstanceText("0 3\n0 10 1 z 0 100 0 0 0\n1 4 1 u 0 100 3 2 0\n2 6 1 s 6 100 0 0 0\n"
                              "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n",
                              false)
            .instance;
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, vrn::AutomaticBig(table));
    choice.direction[1] = vrn::Direction::Up;
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::PctAdvice advice =
        vrn::LeastWorkablePct(table, Settings(table, 2, false), choice, *clp, Simplex(), control);
    EXPECT_FALSE(advice.found);
    EXPECT_TRUE(advice.noneWorks);
}

TEST(PctAdvice, ValuesAreRoundedUpToFitTheField)
{
    const std::vector<std::pair<double, std::string>> cases = {
        {16.67, "16.7"}, {2.341, "2.35"}, {2.78, "2.78"}, {0.0123, "0.02"},  {2, "2"},
        {99.999, "100"}, {123.4, "124"},  {5e-5, "0.01"}, {12345.6, "12346"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(vrn::RoundUpForField(value), text) << value;
    vrn::PctAdvice advice;
    advice.suggested = 2.78;
    EXPECT_EQ(vrn::PctAdviceLine(advice, 2),
              "\"% cells bounds\" 2 (--pct-bounds 2) is too tight for these directions: the smallest value "
              "that works is 2.78 (\"% cells bounds\" 2.78, --pct-bounds 2.78)");
}

} // namespace
