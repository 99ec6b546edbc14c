// Tables as offices publish them, in process with the COIN-OR solvers: cells that the relations tie
// together take consistent directions, the directions search before "infeasible", and linear
// programs whose interior point fails or stops half-way.
#include "cli/run_settings.h"
#include "fast/balance_directions.h"
#include "fast/direction_search.h"
#include "fast/direction_ties.h"
#include "fast/fast_solve.h"
#include "fast/table_repair.h"
#include "instance/cell_rules.h"
#include "model/cell_room.h"
#include "model/checks.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/lp_fallback.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{

vrn::Instance Read(const std::string& path)
{
    const vrn::ReadResult read = vrn::ReadInstanceFile(path, false);
    EXPECT_TRUE(read.errors.empty()) << path;
    return read.instance;
}

vrn::Instance Text(const std::string& text)
{
    const vrn::ReadResult read = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(read.errors.empty()) << (read.errors.empty() ? "" : read.errors[0].message);
    return read.instance;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A total whose other parts are empty moves as its one open part: 3, 12, 15, 20 and 23 move alike.
const std::string kForcedEqual = std::string(VRN_CASES_DIR) + "/forced_equal.csp";

TEST(DirectionTies, TwoOpenCellsOfABalancedRelationAreTied)
{
    const vrn::Instance table = Read(kForcedEqual);
    const vrn::DirectionTies ties(table, true);
    for (int cell : {12, 15, 20, 23})
    {
        EXPECT_EQ(ties.Root(cell), ties.Root(3)) << cell;
        EXPECT_EQ(ties.Implied(3, vrn::Direction::Up, cell), vrn::Direction::Up) << cell;
    }
    EXPECT_EQ(ties.Members(3), (std::vector<int>{3, 12, 20}));
    // Cell 4 is tied to 6, 8 and 10, not to the others.
    EXPECT_EQ(ties.Root(8), ties.Root(4));
    EXPECT_NE(ties.Root(4), ties.Root(3));

    struct Case
    {
        const char* what;
        std::string relation;
        bool additive, tied, opposite;
    } cases[] = {
        {"total and part", "0 2 : 0 (-1) 1 (1)", true, true, false},
        {"two parts of a fixed sum", "20 2 : 0 (1) 1 (1)", true, true, true},
        {"a residual to make up", "5 2 : 0 (-1) 1 (1)", true, false, false},
        {"a residual kept (not additive)", "5 2 : 0 (-1) 1 (1)", false, true, false},
        {"three open cells", "0 3 : 0 (-1) 1 (1) 2 (1)", true, false, false},
        {"a z cell does not count", "0 3 : 0 (-1) 1 (1) 3 (1)", true, true, false},
    };
    for (const Case& c : cases)
    {
        const vrn::Instance t = Text("0 4\n0 10 1 s 0 100 0 0 0\n1 10 1 u 0 100 1 1 0\n2 0 1 s 0 100 0 0 0\n"
                                     "3 0 1 z 0 0 0 0 0\n1\n" +
                                     c.relation + "\n");
        const vrn::DirectionTies tied(t, c.additive);
        EXPECT_EQ(tied.Root(0) == tied.Root(1), c.tied) << c.what;
        if (c.tied)
        {
            EXPECT_EQ(tied.Implied(0, vrn::Direction::Up, 1),
                      c.opposite ? vrn::Direction::Down : vrn::Direction::Up)
                << c.what;
        }
    }
}

TEST(DirectionTies, TheHeuristicMovesTiedCellsTogetherAndAlignFollowsTheForcedOne)
{
    const vrn::Instance table = Read(kForcedEqual);
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, 1000);
    vrn::ChooseByBalancing(table, choice);
    EXPECT_EQ(choice.direction[12], choice.direction[3]);
    EXPECT_EQ(choice.direction[20], choice.direction[3]);

    // Opposite guesses are made to agree with the member the bounds force.
    const vrn::DirectionTies ties(table, true);
    choice.direction[3] = vrn::Direction::Down;
    choice.source[3] = vrn::DirectionSource::Forced;
    choice.direction[12] = vrn::Direction::Up;
    choice.direction[20] = vrn::Direction::Up;
    EXPECT_EQ(vrn::AlignTiedDirections(table, ties, 1000, choice), 2);
    EXPECT_EQ(choice.direction[12], vrn::Direction::Down);
    EXPECT_EQ(choice.direction[20], vrn::Direction::Down);
}

struct Logged
{
    std::string said, warned;
    vrn::RunLog log{[this](const std::string& l) { said += l + "\n"; },
                    [this](const std::string& l) { warned += l + "\n"; }};
};

vrn::FastSettings SettingsOf(const vrn::Instance& table)
{
    vrn::FastSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    return settings;
}

TEST(DirectionSearch, FindsDirectionsWhereTheGuessesCannotBeMet)
{
    const vrn::Instance table = Read(kForcedEqual);
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, 1000);
    for (int cell : {3, 4, 12, 20})
    {
        choice.direction[cell] = cell == 12 ? vrn::Direction::Down : vrn::Direction::Up;
        choice.source[cell] = vrn::DirectionSource::Heuristic;
    }
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    Logged logged;
    // CLP solves no integer program: without a second solver there is no search.
    EXPECT_EQ(vrn::SearchDirections(table, SettingsOf(table), {3, 12}, *clp, nullptr, {}, control, logged.log,
                                    choice),
              vrn::DirectionSearch::NotTried);
    ASSERT_EQ(vrn::SearchDirections(table, SettingsOf(table), {3, 12}, *clp, cbc.get(), {}, control,
                                    logged.log, choice),
              vrn::DirectionSearch::Found)
        << logged.said << logged.warned;
    EXPECT_EQ(choice.direction[12], choice.direction[3]);
    EXPECT_EQ(choice.direction[20], choice.direction[3]);
    EXPECT_EQ(choice.source[3], vrn::DirectionSource::Table);

    // A cell that no table can protect (its row's other cells are empty and the total cannot move):
    // the Std model proves it.
    const vrn::Instance stuck = Text("0 3\n0 10 1 z 10 10 0 0 0\n1 10 1 u 0 100 1 1 0\n2 0 1 z 0 0 0 0 0\n1\n"
                                     "0 3 : 0 (-1) 1 (1) 2 (1)\n");
    vrn::DirectionChoice none = vrn::ForcedDirections(stuck, 1000);
    none.direction[1] = vrn::Direction::Up;
    none.source[1] = vrn::DirectionSource::Heuristic;
    EXPECT_EQ(
        vrn::SearchDirections(stuck, SettingsOf(stuck), {1}, *cbc, nullptr, {}, control, logged.log, none),
        vrn::DirectionSearch::Infeasible);
    EXPECT_NE(logged.said.find("the Std model, with every direction open, has no table either"),
              std::string::npos)
        << logged.said;
}

TEST(DirectionSearch, ConflictNeighbourhoodTakesTiedCellsAndRelationPartners)
{
    const vrn::Instance table = Read(kForcedEqual);
    // Cell 12's tie brings 3 and 20; cell 4 shares the relation 0 = 4 + 12 with it.
    EXPECT_EQ(vrn::ConflictNeighbourhood(table, true, {12}), (std::vector<int>{3, 4, 12, 20}));
}

TEST(FastSolve, TheForcedEqualTableIsProtectedByEveryDirectionsRoute)
{
    const vrn::Instance table = Read(kForcedEqual);
    vrn::BackendOptions options;
    options.fixDir = 's';
    options.order = {1};
    options.orderGiven = true;
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    Logged logged;
    const vrn::FastOutcome fast =
        vrn::SolveFast(table, vrn::FastRunSettingsFromOptions(table, options), *clp, control, "", logged.log,
                       vrn::HeuristicRelaxation::Balance, cbc.get());
    ASSERT_TRUE(fast.solved);
    ASSERT_EQ(fast.result.status, vrn::SolveStatus::Optimal) << logged.said << logged.warned;
    const std::vector<double> adjusted = fast.model.AdjustedValues(table, fast.result.solution);
    EXPECT_NEAR(vrn::WeightedChange(table, adjusted), 10, 1e-6);
    EXPECT_TRUE(vrn::CheckSolution(table, adjusted, true, false, 1e-6).passed);

    // Directions that put 3 and 12 opposite ways (what the heuristic chose before it knew the ties): one
    // change of their group mends them (flipping both one after the other kept them opposite).
    vrn::DirectionChoice opposite = vrn::ForcedDirections(table, 1000);
    for (int cell : {3, 4, 12, 20})
    {
        opposite.direction[cell] = cell == 12 ? vrn::Direction::Down : vrn::Direction::Up;
        opposite.source[cell] = vrn::DirectionSource::Heuristic;
    }
    Logged second;
    const vrn::FastOutcome searched =
        vrn::SolveFastWithDirections(table, vrn::FastRunSettingsFromOptions(table, options), *clp, control,
                                     "", second.log, opposite, cbc.get());
    ASSERT_EQ(searched.result.status, vrn::SolveStatus::Optimal) << second.said << second.warned;
    EXPECT_NE(second.said.find("2 directions changed"), std::string::npos) << second.said;
    EXPECT_TRUE(vrn::CheckSolution(table, searched.model.AdjustedValues(table, searched.result.solution),
                                   true, false, 1e-6)
                    .passed);
}

// The window's Fast run as it opens: order 4-2-3-1, the heuristic's directions, "% cells bounds" as given.
vrn::BackendOptions WindowFast(double pct, char fixDir = 's')
{
    vrn::BackendOptions options;
    options.fixDir = fixDir;
    options.order = {4, 2, 3, 1};
    options.orderGiven = true;
    options.pctBounds = pct;
    return options;
}

const std::string kCounts4d = std::string(VRN_EXAMPLES_DIR) + "/counts4d.csp";

// A table that no table protects: the row's other cells are empty and its total cannot move.
const char* const kStuck = "0 3\n0 10 1 z 10 10 0 0 0\n1 10 1 u 0 100 1 1 0\n2 0 1 z 0 0 0 0 0\n1\n"
                           "0 3 : 0 (-1) 1 (1) 2 (1)\n";

TEST(FastSolve, TheFourDimensionalCountsNameTheLeastWorkablePercentAndItProtects)
{
    // Within 2 % no directions work (counts of 1 and 2 move by half their value); the heuristic's own
    // directions cannot be met even without the limit, so the value comes from directions a table meets.
    const vrn::Instance table = Read(kCounts4d);
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    Logged logged;
    const vrn::FastOutcome fast =
        vrn::SolveFast(table, vrn::FastRunSettingsFromOptions(table, WindowFast(2)), *clp, control, "",
                       logged.log, vrn::HeuristicRelaxation::Balance, cbc.get());
    ASSERT_TRUE(fast.solved);
    ASSERT_EQ(fast.result.status, vrn::SolveStatus::Infeasible) << logged.said << logged.warned;
    ASSERT_EQ(fast.endLines.size(), 2u) << logged.said;
    EXPECT_EQ(
        fast.endLines[0].rfind("ERROR: no table keeps every non-sensitive cell within 2 % of its value", 0),
        0u)
        << fast.endLines[0];
    const std::string advice = fast.endLines[1];
    std::smatch match;
    ASSERT_TRUE(std::regex_search(advice, match, std::regex("the smallest value that works is ([0-9.]+) ")))
        << advice;
    const std::string value = match[1];
    const double pct = std::stod(value);
    EXPECT_GT(pct, 2);
    EXPECT_LE(value.size(), 4u);

    // Typing the value protects the table, with a checked table.
    Logged again;
    const vrn::FastOutcome typed =
        vrn::SolveFast(table, vrn::FastRunSettingsFromOptions(table, WindowFast(pct)), *clp, control, "",
                       again.log, vrn::HeuristicRelaxation::Balance, cbc.get());
    ASSERT_EQ(typed.result.status, vrn::SolveStatus::Optimal) << again.said << again.warned;
    EXPECT_TRUE(
        vrn::CheckSolution(table, typed.model.AdjustedValues(table, typed.result.solution), true, false, 1e-6)
            .passed);
    // A tenth below it the Std model, every direction open, has no table (the bisection's lower end).
    vrn::FastSettings below = SettingsOf(table);
    below.pctBounds = pct * 0.9;
    vrn::DirectionChoice any = vrn::ForcedDirections(table, vrn::AutomaticBig(table));
    Logged search;
    EXPECT_EQ(vrn::SearchDirections(table, below, {}, *clp, cbc.get(), {}, control, search.log, any),
              vrn::DirectionSearch::Infeasible);
}

TEST(FastSolve, ARunWithoutATableSaysWhatTheStdModelProvesAndNoMore)
{
    struct Case
    {
        const char* what;
        std::string table;
        char fixDir;
        double pct;
        bool integerSolver;
        vrn::SolveStatus status;
        const char* firstLine;  // the start of the first closing line; empty: none
        const char* secondLine; // a part of the second closing line; empty: none
    } cases[] = {
        {"no table at all, with the limit", kStuck, 's', 2, true, vrn::SolveStatus::Infeasible,
         "ERROR: the problem is infeasible: no table satisfies the relations, bounds and protection",
         "choose the Std formulation and check \"Repair infeasibility\" (--repair y)"},
        {"no table at all, without a limit", kStuck, 's', -1, true, vrn::SolveStatus::Infeasible,
         "ERROR: the problem is infeasible", "choose the Std formulation"},
        {"no integer solver to search with", Slurp(kCounts4d), 's', 2, false, vrn::SolveStatus::NoSolution,
         "", ""},
        {"directions at random", Slurp(kCounts4d), 'r', 2, true, vrn::SolveStatus::Infeasible,
         "ERROR: no table meets the directions fixed at random within --pct-bounds 2", ""},
    };
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    for (const Case& c : cases)
    {
        const vrn::Instance table = Text(c.table);
        vrn::RunControl control(-1);
        Logged logged;
        const vrn::FastOutcome fast = vrn::SolveFast(
            table, vrn::FastRunSettingsFromOptions(table, WindowFast(c.pct, c.fixDir)), *clp, control, "",
            logged.log, vrn::HeuristicRelaxation::Balance, c.integerSolver ? cbc.get() : nullptr);
        ASSERT_TRUE(fast.solved) << c.what;
        EXPECT_EQ(fast.result.status, c.status) << c.what << "\n" << logged.said << logged.warned;
        if (*c.firstLine == 0)
            EXPECT_TRUE(fast.endLines.empty()) << c.what << ": " << fast.endLines.front();
        else
        {
            ASSERT_FALSE(fast.endLines.empty()) << c.what;
            EXPECT_EQ(fast.endLines[0].rfind(c.firstLine, 0), 0u) << c.what << ": " << fast.endLines[0];
        }
        if (*c.secondLine != 0)
        {
            ASSERT_EQ(fast.endLines.size(), 2u) << c.what;
            EXPECT_NE(fast.endLines[1].find(c.secondLine), std::string::npos)
                << c.what << ": " << fast.endLines[1];
        }
        // The Std formulation's repair is never offered as if it were the Fast run's own.
        for (const std::string& line : fast.endLines)
        {
            if (line.find("Repair infeasibility") != std::string::npos)
            {
                EXPECT_NE(line.find("choose the Std formulation"), std::string::npos)
                    << c.what << ": " << line;
            }
        }
    }
}

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

TEST(CellRoom, BoundsRelationsAndTheBudgetLimitEachCell)
{
    // Total 0 = 1 + 2 + 3: 90 = 60 + 30 + 0. The total may not exceed 100; cell 3 is empty (z); cell 2
    // may not go below 25.
    const vrn::Instance table =
        Text("0 4\n0 90 1 s 0 100 0 0 0\n1 60 2 u 0 1000 6 6 0\n2 30 1 s 25 1000 0 0 0\n"
             "3 0 1 z 0 0 0 0 0\n1\n0 4 : 0 (-1) 1 (1) 2 (1) 3 (1)\n");
    vrn::CellRoom room = vrn::RoomOfCells(table, true);
    struct Case
    {
        const char* what;
        int cell;
        double up, down;
    } cases[] = {
        // Up: the total rises at most 10, cell 2 falls at most 5.
        {"a part, up through its relation", 1, 15, 60},
        // Down: its bound (30 - 25); up: the total's 10 plus cell 1's fall of 60.
        {"a part with a lower bound", 2, 70, 5},
        // Up: its own bound; down: its parts fall at most 60 + 5.
        {"the total", 0, 10, 65},
        {"an empty cell", 3, 0, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_NEAR(room.up[c.cell], c.up, 1e-6) << c.what;
        EXPECT_NEAR(room.down[c.cell], c.down, 1e-6) << c.what;
    }
    // A table of total weighted change 20 in hand: a better one moves cell 1 (cost 2) at most 10.
    vrn::LimitByBudget(table, 20, room);
    EXPECT_NEAR(room.up[1], 10, 1e-4);
    EXPECT_NEAR(room.down[1], 10, 1e-4);
    EXPECT_NEAR(room.down[2], 5, 1e-6);
}

TEST(TableRepair, ATableWhoseCellHardlyMovedIsRepairedWithTheDirectionItShows)
{
    // What a binary within its tolerance of 0 gave: the 3x3 table's sensitive cell 11 (40, level 5)
    // moved up 1 instead of 5, the table still adding up.
    const vrn::Instance table = Read(std::string(VRN_EXAMPLES_DIR) + "/table3x3.csp");
    std::vector<double> adjusted;
    for (const vrn::Cell& cell : table.cells)
        adjusted.push_back(cell.value);
    for (const int cell : {11, 3, 8, 0})
        adjusted[cell] += 1;
    vrn::BackendOptions options;
    ASSERT_FALSE(vrn::TablePasses(table, vrn::FastRunSettingsFromOptions(table, options), adjusted));
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    Logged logged;
    const std::vector<double> repaired = vrn::RepairTable(
        table, vrn::FastRunSettingsFromOptions(table, options), adjusted, *clp, nullptr, control, logged.log);
    ASSERT_FALSE(repaired.empty()) << logged.said << logged.warned;
    EXPECT_TRUE(vrn::TablePasses(table, vrn::FastRunSettingsFromOptions(table, options), repaired));
    EXPECT_GE(repaired[11], 45 - 1e-9); // the direction the table showed: up
    EXPECT_NEAR(vrn::WeightedChange(table, repaired), 20, 1e-6);
}

} // namespace
