// Directions that must balance each other exactly: relations whose free cells are all sensitive and
// whose other cells are fixed zeros, tied to crossing relations. The relation check proves the wrong
// sign patterns infeasible without a solver, and the mending turns any chosen pattern into one the
// table meets.
#include "backend_test_tables.h"
#include "cli/run_settings.h"
#include "fast/fast_solve.h"
#include "fast/mend_directions.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/solve_model.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace
{

using vrn::test::Text;

using vrn::Direction;

// Relation 1: T (2) = a (1) + b (1) + an empty cell; relation 2: A (1) = a + an empty cell. Every free
// cell is sensitive, protected down to 0 or up to 3. Worked out by hand, the directions (T, a, b, A)
// that a table meets are DDDD, UUUU, UUDU and UDUD: T down by 2 needs a and b down to 0; T up needs a
// part up by 2 or more; A moves exactly as a.
const char* const kBalanced = "0\n6\n"
                              "0 2 1 u 0 100 2 1 0\n" // T
                              "1 1 1 u 0 100 1 2 0\n" // a
                              "2 1 1 u 0 100 1 2 0\n" // b
                              "3 0 1 z 0 0 0 0 0\n"   // empty
                              "4 1 1 u 0 100 1 2 0\n" // A
                              "5 0 1 z 0 0 0 0 0\n"   // empty
                              "2\n"
                              "0 4 : 0 (-1) 1 (1) 2 (1) 3 (1)\n"
                              "0 3 : 4 (-1) 1 (1) 5 (1)\n";
const int kSensitive[] = {0, 1, 2, 4};

std::string PatternText(int pattern)
{
    std::string text;
    for (int k = 0; k < 4; ++k)
        text += (pattern >> k & 1) ? 'U' : 'D';
    return text;
}

vrn::DirectionChoice Pattern(const vrn::Instance& table, int pattern)
{
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, vrn::AutomaticBig(table));
    for (int k = 0; k < 4; ++k)
    {
        choice.direction[kSensitive[k]] = (pattern >> k & 1) ? Direction::Up : Direction::Down;
        choice.source[kSensitive[k]] = vrn::DirectionSource::Heuristic;
    }
    return choice;
}

vrn::FastSettings Settings(const vrn::Instance& table)
{
    vrn::BackendOptions options;
    return vrn::FastSettingsFromOptions(table, options);
}

bool FixedModelHasTable(const vrn::Instance& table, const vrn::DirectionChoice& choice)
{
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::FastModel model = vrn::BuildFastModel(table, Settings(table), choice);
    const vrn::SolveResult result = vrn::SolveModel(model.base.mip, *clp, vrn::SolveParams{}, control);
    return result.status == vrn::SolveStatus::Optimal;
}

std::vector<std::string> g_lines;
const vrn::RunLog kLog{[](const std::string& line) { g_lines.push_back(line); },
                       [](const std::string& line) { g_lines.push_back(line); }};

TEST(BalancedDirections, TheRelationCheckProvesExactlyTheWrongPatternsOfTheTable)
{
    const vrn::Instance table = Text(kBalanced);
    const std::set<std::string> feasible{"DDDD", "UUUU", "UUDU", "UDUD"};
    for (int pattern = 0; pattern < 16; ++pattern)
    {
        const std::string name = PatternText(pattern);
        const vrn::DirectionChoice choice = Pattern(table, pattern);
        const bool meets = feasible.count(name) > 0;
        EXPECT_EQ(FixedModelHasTable(table, choice), meets) << name;
        // Each wrong pattern of this table breaks one of its two relations on its own terms.
        EXPECT_EQ(vrn::RelationsTheDirectionsBreak(table, Settings(table), choice) > 0, !meets) << name;
    }
}

TEST(BalancedDirections, MendingTurnsEveryWrongPatternIntoOneTheTableMeets)
{
    const vrn::Instance table = Text(kBalanced);
    const std::set<std::string> feasible{"DDDD", "UUUU", "UUDU", "UDUD"};
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    for (int pattern = 0; pattern < 16; ++pattern)
    {
        if (feasible.count(PatternText(pattern)))
            continue;
        vrn::DirectionChoice choice = Pattern(table, pattern);
        vrn::RunControl control(-1);
        const vrn::DirectionMend mend = vrn::MendDirections(table, Settings(table), choice, *clp, *cbc,
                                                            vrn::SolveParams{}, control, kLog);
        ASSERT_TRUE(mend.solved) << PatternText(pattern);
        EXPECT_GT(mend.shortCells, 0);
        EXPECT_TRUE(mend.stillShort.empty());
        EXPECT_GT(mend.changed, 0);
        int now = 0;
        for (int k = 0; k < 4; ++k)
            now |= (choice.direction[kSensitive[k]] == Direction::Up) << k;
        EXPECT_TRUE(feasible.count(PatternText(now)))
            << PatternText(pattern) << " became " << PatternText(now);
        ASSERT_FALSE(mend.table.empty());
        EXPECT_TRUE(vrn::CheckSolution(table, mend.table, true, false, 1e-6).passed);
    }
}

TEST(BalancedDirections, AFastRunFromAWrongPatternWritesAProtectedTable)
{
    const vrn::Instance table = Text(kBalanced);
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    vrn::BackendOptions options;
    options.fixDir = 's';
    options.order = {1};
    options.orderGiven = true;
    g_lines.clear();
    vrn::RunControl control(-1);
    const vrn::FastOutcome out =
        vrn::SolveFastWithDirections(table, vrn::FastRunSettingsFromOptions(table, options), *clp, control,
                                     "", kLog, Pattern(table, 0b0110), cbc.get());
    ASSERT_TRUE(out.solved);
    ASSERT_EQ(out.result.status, vrn::SolveStatus::Optimal);
    const std::vector<double> adjusted = out.model.AdjustedValues(table, out.result.solution);
    EXPECT_TRUE(vrn::CheckSolution(table, adjusted, true, false, 1e-6).passed);
    bool said = false;
    for (const std::string& line : g_lines)
        said = said || line.find("relations cannot add up with these directions") != std::string::npos;
    EXPECT_TRUE(said) << "the run says why it mends before it solves";
}

} // namespace
