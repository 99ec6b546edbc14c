// The Fast formulation with real solvers: each --fixdir mode on tables whose answer is known by
// hand, an infeasible choice of directions explained, the lexicographic loop, --pct-bounds and
// integer cells, and the solution check for every COIN-OR solver (GLPK: fast_process_test); tables
// as offices publish them: the forced-equal table by every directions route, the least workable
// "% cells bounds" named, and what a run without a table says.
#include "backend_test_tables.h"
#include "cli/run_settings.h"
#include "fast/direction_search.h"
#include "fast/fast_solve.h"
#include "fast/lexmin.h"
#include "fast/starting_point.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/symphony_solver.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

using vrn::test::Logged;
using vrn::test::Read;
using vrn::test::Text;

// Total 0 = 1 + 2 with values 10 = 4 + 6; cell 1 must move down by 1 or up by 2. Down costs 2 in
// all (cell 1 and one compensating cell), up costs 4. With cell 2's lower bound at 6 it cannot move
// down, and the total is z: then up is impossible.
vrn::Instance Row(bool upBlocked = false)
{
    const std::string text = std::string("0 3\n0 10 1 ") + (upBlocked ? "z" : "s") +
                             " 0 100 0 0 0\n1 4 1 u 0 100 1 2 0\n2 6 1 s " + (upBlocked ? "6" : "0") +
                             " 100 0 0 0\n1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";
    auto read = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(read.errors.empty());
    return read.instance;
}

vrn::Instance Grid(int size, uint64_t seed = 3)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(size), vrn::Dimension::Flat(size)};
    settings.seed = seed;
    return vrn::GenerateTable(settings);
}

vrn::BackendOptions FastOptions(char fixDir, std::vector<int> order = {1})
{
    vrn::BackendOptions options;
    options.fixDir = fixDir;
    options.order = std::move(order);
    options.orderGiven = true;
    options.simplex = true;
    return options;
}

struct FastRun
{
    vrn::FastOutcome outcome;
    std::string said, warned;
    std::vector<double> adjusted;
    double objective = -1;
};

FastRun Solve(const vrn::Instance& table, const vrn::BackendOptions& options,
              std::unique_ptr<vrn::SolverAdapter> solver = vrn::MakeClpSolver())
{
    FastRun run;
    vrn::RunControl control(-1);
    const vrn::RunLog log{[&](const std::string& line) { run.said += line + "\n"; },
                          [&](const std::string& line) { run.warned += line + "\n"; }};
    run.outcome = vrn::SolveFast(table, vrn::FastRunSettingsFromOptions(table, options), *solver, control,
                                 "/dev/null", log);
    const vrn::SolveResult& result = run.outcome.result;
    if (run.outcome.solved && !result.solution.empty())
    {
        run.adjusted = run.outcome.model.AdjustedValues(table, result.solution);
        run.objective = vrn::WeightedChange(table, run.adjusted);
    }
    return run;
}

bool MovedUp(const FastRun& run, int cell)
{
    return run.outcome.model.mip.colLower[run.outcome.model.colPlus[cell]] > 0;
}

std::string TempFile(const std::string& text)
{
    char path[] = "/tmp/vrn_fast_dirsXXXXXX";
    const int fd = mkstemp(path);
    close(fd);
    std::ofstream(path) << text;
    return path;
}

TEST(FastSolve, HeuristicPicksTheCheaperDirection)
{
    const FastRun run = Solve(Row(), FastOptions('s'));
    ASSERT_EQ(run.outcome.result.status, vrn::SolveStatus::Optimal) << run.said << run.warned;
    EXPECT_NEAR(run.objective, 2, 1e-6);
    EXPECT_FALSE(MovedUp(run, 1));
    EXPECT_NE(run.said.find("directions fixed: 0 up, 1 down (1 by the heuristic)"), std::string::npos)
        << run.said;
}

TEST(FastSolve, HeuristicFindsTheCheckerboardThatLeavesTheMarginsAlone)
{
    // 2x2 inner cells, each must move by 1: the best table moves them +1 -1 / -1 +1, total change 4.
    std::string text = "0 9\n";
    const int values[9] = {40, 20, 20, 20, 10, 10, 20, 10, 10};
    for (int i = 0; i < 9; ++i)
        text += std::to_string(i) + " " + std::to_string(values[i]) + " 1 " +
                (i / 3 > 0 && i % 3 > 0 ? "u 0 100 1 1 0\n" : "s 0 100 0 0 0\n");
    text += "6\n0 3 : 0 (-1) 1 (1) 2 (1)\n0 3 : 3 (-1) 4 (1) 5 (1)\n0 3 : 6 (-1) 7 (1) 8 (1)\n"
            "0 3 : 0 (-1) 3 (1) 6 (1)\n0 3 : 1 (-1) 4 (1) 7 (1)\n0 3 : 2 (-1) 5 (1) 8 (1)\n";
    const vrn::Instance table = vrn::ReadInstanceText(text, false).instance;
    const FastRun run = Solve(table, FastOptions('s', {4, 2, 3, 1}));
    ASSERT_EQ(run.outcome.result.status, vrn::SolveStatus::Optimal) << run.warned;
    EXPECT_NEAR(run.objective, 4, 1e-6);
    for (const int total : {0, 1, 2, 3, 6})
        EXPECT_NEAR(run.adjusted[total], table.cells[total].value, 1e-9) << "cell " << total;
}

TEST(FastSolve, FileDirectionIsObeyedAndOmittedCellsTakeTheHeuristic)
{
    const std::string up = TempFile("1 1\n");
    vrn::BackendOptions options = FastOptions('f');
    options.fixDirFile = up;
    const FastRun run = Solve(Row(), options);
    ASSERT_EQ(run.outcome.result.status, vrn::SolveStatus::Optimal);
    EXPECT_NEAR(run.objective, 4, 1e-6);
    EXPECT_TRUE(MovedUp(run, 1));

    const std::string empty = TempFile("# nothing here\n");
    options.fixDirFile = empty;
    const FastRun omitted = Solve(Row(), options);
    EXPECT_NEAR(omitted.objective, 2, 1e-6);
    EXPECT_NE(omitted.said.find("1 sensitive cells the file omits take the heuristic"), std::string::npos);

    const std::string bad = TempFile("1 1\n7 0\n");
    options.fixDirFile = bad;
    const FastRun refused = Solve(Row(), options);
    EXPECT_FALSE(refused.outcome.solved);
    EXPECT_EQ(refused.outcome.exitStatus, 3);
    EXPECT_NE(refused.warned.find(bad + ":2: cell 7 does not exist"), std::string::npos) << refused.warned;
    for (const std::string& path : {up, empty, bad})
        std::remove(path.c_str());
}

TEST(FastSolve, RandomDirectionsGiveTheOptimumOfTheDirectionDrawn)
{
    int ups = 0, downs = 0;
    for (long long seed = 1; seed <= 12; ++seed)
    {
        vrn::BackendOptions options = FastOptions('r');
        options.seed = seed;
        const FastRun run = Solve(Row(), options);
        ASSERT_EQ(run.outcome.result.status, vrn::SolveStatus::Optimal);
        const bool up = MovedUp(run, 1);
        EXPECT_NEAR(run.objective, up ? 4 : 2, 1e-6) << "seed " << seed;
        (up ? ups : downs)++;
        EXPECT_EQ(Solve(Row(), options).objective, run.objective) << "the same seed repeats";
    }
    EXPECT_GT(ups, 0);
    EXPECT_GT(downs, 0);
}

TEST(FastSolve, ImpossibleDirectionsAreNamedAndTheHeuristicSuggested)
{
    const std::string up = TempFile("1 1\n");
    vrn::BackendOptions options = FastOptions('f');
    options.fixDirFile = up;
    const FastRun run = Solve(Row(true), options);
    std::remove(up.c_str());
    EXPECT_EQ(run.outcome.result.status, vrn::SolveStatus::Infeasible);
    EXPECT_NE(run.warned.find("1 fixed directions cannot be met together with the others"), std::string::npos)
        << run.warned;
    EXPECT_NE(
        run.warned.find("cell 1 (value 4) up by 2 (from the file): it cannot rise at all: relation 1 can "
                        "absorb no more (cell 0 is fixed (z), cell 2 cannot fall)"),
        std::string::npos)
        << run.warned;
    EXPECT_NE(run.warned.find("--fixdir s"), std::string::npos);

    const FastRun heuristic = Solve(Row(true), FastOptions('s'));
    ASSERT_EQ(heuristic.outcome.result.status, vrn::SolveStatus::Optimal) << heuristic.warned;
    EXPECT_NEAR(heuristic.objective, 2, 1e-6);
}

TEST(FastSolve, HeuristicDirectionsThatCannotBeMetAreRepaired)
{
    // Total z: 10 = 4 + 6, cell 2 cannot go below 6. Cell 1 must go down by 3 or up by 1: up looks
    // cheaper, but cell 2 cannot make up for it; down (cell 2 up by 3) costs 6. The heuristic sees that
    // cell 2 has no room below; a guess of up is flipped by the repair.
    const vrn::Instance table =
        vrn::ReadInstanceText("0 3\n0 10 1 z 0 100 0 0 0\n1 4 1 u 0 100 3 1 0\n2 6 1 s 6 100 0 0 0\n"
                              "1\n0 3 : 0 (-1) 1 (1) 2 (1)\n",
                              false)
            .instance;
    const FastRun run = Solve(table, FastOptions('s'));
    ASSERT_EQ(run.outcome.result.status, vrn::SolveStatus::Optimal) << run.said << run.warned;
    EXPECT_NEAR(run.objective, 6, 1e-6);
    EXPECT_NEAR(run.adjusted[1], 1, 1e-9);
    EXPECT_NE(run.said.find("directions fixed: 0 up, 1 down (1 by the heuristic)"), std::string::npos)
        << run.said;
    EXPECT_TRUE(run.warned.empty()) << run.warned;

    vrn::DirectionChoice guess = vrn::ForcedDirections(table, 1000);
    guess.direction[1] = vrn::Direction::Up;
    guess.source[1] = vrn::DirectionSource::Heuristic;
    std::string said;
    const vrn::RunLog log{[&](const std::string& line) { said += line + "\n"; }, [](const std::string&) {}};
    vrn::RunControl control(-1);
    const vrn::FastOutcome repaired =
        vrn::SolveFastWithDirections(table, vrn::FastRunSettingsFromOptions(table, FastOptions('s')),
                                     *vrn::MakeClpSolver(), control, "/dev/null", log, guess);
    EXPECT_EQ(repaired.result.status, vrn::SolveStatus::Optimal) << said;
    EXPECT_NE(
        said.find("repair: 1 directions flipped; directions now 0 up, 1 down (1 flipped by the repair)"),
        std::string::npos)
        << said;

    // Random directions are the user's choice: not repaired, but explained.
    for (long long seed = 1; seed <= 8; ++seed)
    {
        vrn::BackendOptions options = FastOptions('r');
        options.seed = seed;
        const FastRun random = Solve(table, options);
        if (random.outcome.result.status == vrn::SolveStatus::Infeasible)
        {
            EXPECT_NE(random.warned.find("cell 1 (value 4) up by 1 (at random)"), std::string::npos)
                << random.warned;
            EXPECT_EQ(random.said.find("repair:"), std::string::npos);
            return;
        }
    }
    ADD_FAILURE() << "no seed of 1 to 8 drew the impossible direction";
}

TEST(FastSolve, TightPercentBoundsAreNamedAsTheCause)
{
    vrn::BackendOptions options = FastOptions('s');
    options.pctBounds = 2; // cell 1 moves by 1, the others may move 0.12 or 0.2
    const FastRun run = Solve(Row(), options);
    // CLP alone cannot search other directions: no table, and no claim that none exists.
    EXPECT_EQ(run.outcome.result.status, vrn::SolveStatus::NoSolution);
    EXPECT_NE(run.warned.find("raise --pct-bounds"), std::string::npos) << run.warned;
    // Which cells limit the move, with the numbers the percent bounds give them.
    EXPECT_NE(run.warned.find("relation 1 can absorb no more (cell 2 can rise by at most 0.12, cell 0 can "
                              "fall by at most 0.2)"),
              std::string::npos)
        << run.warned;
}

TEST(FastSolve, PercentBoundsAreRespected)
{
    const vrn::Instance table = Grid(20);
    vrn::BackendOptions options = FastOptions('s', {2, 1});
    options.pctBounds = 8;
    const FastRun run = Solve(table, options);
    ASSERT_EQ(run.outcome.result.status, vrn::SolveStatus::Optimal) << run.warned;
    int moved = 0;
    for (size_t i = 0; i < table.cells.size(); ++i)
    {
        const vrn::Cell& cell = table.cells[i];
        if (vrn::IsProtectable(cell))
            continue;
        const double change = std::fabs(run.adjusted[i] - cell.value);
        EXPECT_LE(change, 0.08 * std::fabs(cell.value) + 1e-6) << "cell " << i;
        moved += change > 1e-6;
    }
    EXPECT_GT(moved, 0);
    EXPECT_TRUE(vrn::CheckSolution(table, run.adjusted, true, false, 1e-6).passed);
}

// Directions drawn at random (seed 5) where the bounds leave a choice.
vrn::DirectionChoice RandomChoice(const vrn::Instance& table)
{
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, vrn::AutomaticBig(table));
    vrn::ChooseAtRandom(table, 5, choice);
    return choice;
}

// A Fast model with objective 4's bounding column and the automatic largest change.
vrn::FastSettings WithObjectiveFour()
{
    vrn::FastSettings settings;
    settings.withMaxObjective = true;
    settings.big = -1;
    return settings;
}

TEST(FastSolve, EachStageKeepsTheEarlierObjectivesWithinTheirTolerance)
{
    const vrn::Instance table = Grid(15);
    const vrn::DirectionChoice choice = RandomChoice(table);
    const vrn::FastSettings settings = WithObjectiveFour();
    vrn::FastModel model = vrn::BuildFastModel(table, settings, choice);
    vrn::LexminSettings lexmin;
    lexmin.order = {4, 2, 3, 1};
    lexmin.epsF = 0.01;
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    vrn::SolveParams params;
    params.simplex = true;
    std::string said;
    const vrn::LexminResult lex = vrn::SolveLexicographic(model, lexmin, *clp, params, control,
                                                          [&](const std::string& l) { said += l; });
    ASSERT_TRUE(lex.complete) << said;
    ASSERT_EQ(lex.stages.size(), 4u);
    // Each objective alone, for comparison: no later stage may push an earlier one past its hold.
    for (size_t s = 0; s < lex.stages.size(); ++s)
    {
        const vrn::LexminStage& stage = lex.stages[s];
        EXPECT_NEAR(stage.limit, stage.value * 1.01, 1e-5 * std::max(1.0, stage.value));
        EXPECT_LE(model.ObjectiveValue(stage.objective, lex.last.solution), stage.limit + 1e-7)
            << "objective " << stage.objective;
        EXPECT_NE(said.find("objective " + std::to_string(stage.objective) + " (" +
                            vrn::ObjectiveName(stage.objective) + "): "),
                  std::string::npos);
    }
    // The last stage did optimise: where the first three stages left off is no better in objective 1.
    vrn::FastModel fresh = vrn::BuildFastModel(table, settings, choice);
    vrn::LexminSettings firstThree = lexmin;
    firstThree.order = {4, 2, 3};
    const auto three =
        vrn::SolveLexicographic(fresh, firstThree, *clp, params, control, [](const std::string&) {});
    ASSERT_TRUE(three.complete);
    EXPECT_NEAR(three.stages[2].value, lex.stages[2].value, 1e-6 * std::max(1.0, lex.stages[2].value));
    EXPECT_LE(lex.stages[3].value, fresh.ObjectiveValue(1, three.last.solution) + 1e-6);
}

// A stop that the solver overruns in a later stage ends the run with the table of the last stage that
// finished: every stage's point is a protected table, and the run control holds the latest one.
TEST(FastSolve, EveryStageHandsOnAProtectedTableThatTheRunControlKeeps)
{
    const vrn::Instance table = Grid(15);
    const vrn::DirectionChoice choice = RandomChoice(table);
    const vrn::FastSettings settings = WithObjectiveFour();
    vrn::FastModel model = vrn::BuildFastModel(table, settings, choice);
    vrn::LexminSettings lexmin;
    lexmin.order = {4, 2, 3, 1};
    std::vector<std::vector<double>> points;
    lexmin.stagePoint = [&](const std::vector<double>& solution) { points.push_back(solution); };
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    vrn::SolveParams params;
    params.simplex = true;
    const vrn::LexminResult lex =
        vrn::SolveLexicographic(model, lexmin, *clp, params, control, [](const std::string&) {});
    ASSERT_TRUE(lex.complete);
    ASSERT_EQ(points.size(), 4u);
    for (size_t s = 0; s < points.size(); ++s)
        EXPECT_TRUE(vrn::CheckSolution(table, model.base.AdjustedValues(table, points[s]), true, false,
                                       vrn::kSolutionCheckTolerance)
                        .passed)
            << "stage " << s + 1;
    EXPECT_EQ(points.back(), lex.last.solution);

    // Through the whole Fast run, with one model shared by the stages (CLP) and with a model per stage.
    for (bool simplex : {true, false})
    {
        vrn::BackendOptions options = FastOptions('s', {4, 2, 3, 1});
        options.simplex = simplex;
        vrn::RunControl run(-1);
        const vrn::RunLog quiet{[](const std::string&) {}, [](const std::string&) {}};
        auto solver = vrn::MakeClpSolver();
        const vrn::FastOutcome fast = vrn::SolveFast(table, vrn::FastRunSettingsFromOptions(table, options),
                                                     *solver, run, "/dev/null", quiet);
        ASSERT_TRUE(fast.solved) << "simplex " << simplex;
        const std::vector<double> kept = run.IncumbentTable();
        const std::vector<double> written = fast.model.AdjustedValues(table, fast.result.solution);
        ASSERT_EQ(kept.size(), written.size());
        for (size_t i = 0; i < kept.size(); ++i)
            EXPECT_NEAR(kept[i], written[i], 1e-6 * std::max(1.0, std::fabs(written[i]))) << "cell " << i;
        EXPECT_TRUE(vrn::CheckSolution(table, kept, true, false, vrn::kSolutionCheckTolerance).passed);
    }
}

TEST(FastSolve, OrderOneAloneEqualsTheStdModelWithTheSameDirections)
{
    const vrn::Instance table = Grid(15, 9);
    const double big = vrn::AutomaticBig(table);
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, big);
    vrn::ChooseAtRandom(table, 11, choice);
    vrn::FastSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    vrn::FastModel fast = vrn::BuildFastModel(table, settings, choice);
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    vrn::SolveParams params;
    const auto lex = vrn::SolveLexicographic(fast, {}, *clp, params, control, [](const std::string&) {});
    ASSERT_TRUE(lex.complete);

    vrn::StdModelSettings std;
    std.scale = settings.scale;
    std.directions = choice.direction;
    const vrn::StdModel fixed = vrn::BuildStdModel(table, std);
    ASSERT_FALSE(fixed.mip.HasIntegers());
    const vrn::SolveResult plain = clp->Solve(fixed.mip, params, control);
    ASSERT_EQ(plain.status, vrn::SolveStatus::Optimal);
    EXPECT_NEAR(lex.stages[0].value, plain.objective * fixed.scale,
                1e-6 * std::max(1.0, lex.stages[0].value));
    EXPECT_NEAR(vrn::WeightedChange(table, fast.base.AdjustedValues(table, lex.last.solution)),
                vrn::WeightedChange(table, fixed.AdjustedValues(table, plain.solution)), 1e-5);
}

TEST(FastSolve, IntegerCellsAreWhole)
{
    vrn::Instance table = Grid(8);
    table.cells[10].value += 0.5; // a value that is not whole gets its own integer column
    table.cells[0].value += 0.5;
    vrn::BackendOptions options = FastOptions('s', {2, 1});
    options.integerCells = true;
    const FastRun run = Solve(table, options, vrn::MakeCbcSolver());
    ASSERT_TRUE(run.outcome.result.status == vrn::SolveStatus::Optimal) << run.warned;
    EXPECT_TRUE(run.outcome.model.mip.HasIntegers());
    for (size_t i = 0; i < run.adjusted.size(); ++i)
        EXPECT_NEAR(run.adjusted[i], std::round(run.adjusted[i]), 1e-6) << "cell " << i;

    const FastRun clp = Solve(table, options, vrn::MakeClpSolver());
    EXPECT_FALSE(clp.outcome.solved);
    EXPECT_EQ(clp.outcome.exitStatus, 7);
}

TEST(FastSolve, EveryCoinSolverPassesTheSolutionCheck)
{
    const vrn::Instance table = Grid(12, 4);
    const std::vector<std::function<std::unique_ptr<vrn::SolverAdapter>()>> solvers = {
        vrn::MakeClpSolver, vrn::MakeCbcSolver, vrn::MakeSymphonySolver};
    for (const auto& make : solvers)
        for (const bool simplex : {true, false})
        {
            vrn::BackendOptions options = FastOptions('s', {4, 2, 3, 1});
            options.simplex = simplex;
            auto solver = make();
            const std::string name = solver->Name();
            const FastRun run = Solve(table, options, std::move(solver));
            ASSERT_TRUE(run.outcome.result.status == vrn::SolveStatus::Optimal) << name << run.warned;
            const vrn::CheckReport check = vrn::CheckSolution(table, run.adjusted, true, false, 1e-6);
            EXPECT_TRUE(check.passed) << name << ": " << (check.lines.empty() ? "" : check.lines[0]);
        }
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

vrn::FastSettings SettingsOf(const vrn::Instance& table)
{
    vrn::FastSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    return settings;
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

// A linear program that says "infeasible" once the run (or the starting point's share of it) is over
// leaves no time to look for other directions: the Fast run ends without a table at once. (CLP's
// presolve says so within a moment, and looking for the cause took a sanitizer build's run past its
// own time limit.)
class InfeasibleSolver : public vrn::SolverAdapter
{
public:
    int calls = 0;
    bool stopsTheRun = false; // the time limit comes while it solves
    std::string Name() const override { return "infeasible"; }
    bool SolvesIntegerPrograms() const override { return false; }
    vrn::SolveResult Solve(const vrn::MipModel&, const vrn::SolveParams&, vrn::RunControl& control) override
    {
        ++calls;
        if (stopsTheRun)
            control.RequestStop(vrn::StopReason::TimeLimit);
        vrn::SolveResult result;
        result.status = vrn::SolveStatus::Infeasible;
        result.infeasibleByPresolve = true;
        return result;
    }
};

TEST(FastSolve, AnInfeasibleRoundAfterTheStopEndsTheRunWithoutLookingFurther)
{
    // The stop while the round is solved, or already before it (then the round is not solved at all: on a
    // large table the solver's presolve alone outlasted the starting point's share).
    for (const bool stopBefore : {false, true})
    {
        const vrn::Instance table = Row(true);
        InfeasibleSolver solver;
        solver.stopsTheRun = !stopBefore;
        std::string said;
        const vrn::RunLog log{[&](const std::string& line) { said += line + "\n"; },
                              [](const std::string&) {}};
        vrn::RunControl control(-1);
        if (stopBefore)
            control.RequestStop(vrn::StopReason::TimeLimit);
        const vrn::FastOutcome outcome = vrn::SolveFastWithDirections(
            table, vrn::FastRunSettingsFromOptions(table, FastOptions('s')), solver, control, "/dev/null",
            log, vrn::ForcedDirections(table, 1000));
        EXPECT_EQ(outcome.result.status, vrn::SolveStatus::NoSolution) << said;
        EXPECT_TRUE(outcome.result.solution.empty());
        EXPECT_EQ(said.find("looking for the directions"), std::string::npos) << said;
        EXPECT_EQ(solver.calls, stopBefore ? 0 : 1) << said;
    }
}

} // namespace
