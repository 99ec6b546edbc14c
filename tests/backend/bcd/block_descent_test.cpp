// Block coordinate descent with the COIN-OR solvers in process on small generated tables: the least
// weighted change, the run's own choice of blocks and their time shares, and the descent itself
// (GLPK through mainVRN.exe in bcd_process_test).
#include "backend_test_tables.h"
#include "bcd/block_descent.h"
#include "bcd/clusters.h"
#include "cli/run_settings.h"
#include "fast/fast_solve.h"
#include "fast/starting_point.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/symphony_solver.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace
{

using vrn::test::Grid;
using vrn::test::SensitiveCells;

vrn::StdModel BuildModel(const vrn::Instance& table, std::vector<vrn::Direction> directions = {})
{
    vrn::StdModelSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    settings.directions = std::move(directions);
    return vrn::BuildStdModel(table, settings);
}

// The Std model's columns of a protected table from a Fast solve: the heuristic's directions
// ('s') or random ones ('r', a poorer start).
std::vector<double> StartFrom(const vrn::Instance& table, const vrn::StdModel& model, char fixDir)
{
    vrn::BackendOptions options;
    options.fixDir = fixDir;
    options.order = {1};
    options.orderGiven = true;
    options.simplex = true;
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::RunLog quiet{[](const std::string&) {}, [](const std::string&) {}};
    const vrn::FastOutcome fast =
        vrn::SolveFast(table, vrn::FastRunSettingsFromOptions(table, options), *clp, control, "", quiet);
    EXPECT_TRUE(fast.solved && !fast.result.solution.empty());
    return vrn::StdColumnsOf(table, model, fast.model.AdjustedValues(table, fast.result.solution));
}

double TableObjective(const vrn::Instance& table, const vrn::StdModel& model,
                      const std::vector<double>& columns)
{
    return vrn::WeightedChange(table, model.AdjustedValues(table, columns));
}

struct Descent
{
    vrn::BcdReport report;
    std::vector<vrn::BcdStep> steps;
    std::string said;
};

Descent RunDescent(const vrn::Instance& table, vrn::StdModel& model, const std::vector<double>& start,
                   const vrn::BcdSettings& settings, double gapPercent = 0,
                   std::shared_ptr<vrn::RunControl> control = std::make_shared<vrn::RunControl>(-1),
                   std::unique_ptr<vrn::SolverAdapter> solver = vrn::MakeCbcSolver(),
                   std::function<void(const vrn::BcdStep&)> watch = {})
{
    Descent run;
    vrn::BcdHooks hooks;
    hooks.say = [&](const std::string& line) { run.said += line + "\n"; };
    hooks.onBlock = [&](const vrn::BcdStep& step)
    {
        run.steps.push_back(step);
        if (watch)
            watch(step);
    };
    vrn::SolveParams params;
    params.mipGapPercent = gapPercent;
    run.report = vrn::RunBlockDescent(table, model, *solver, params, control, settings, start, hooks);
    return run;
}

vrn::BcdSettings Settings(int clusters, vrn::BcdCycle cycle = vrn::BcdCycle::Same)
{
    vrn::BcdSettings settings;
    settings.clusters = clusters;
    settings.cycle = cycle;
    return settings;
}

// Each sensitive cell adds its cost times its smaller protection level; cells that need no
// protection add nothing. On a small generated table the sum is the Std model's LP relaxation.
TEST(BcdBound, LeastWeightedChangeIsEachCellsSmallerLevel)
{
    struct Case
    {
        char status;
        double lpl, upl, cost, adds;
    };
    for (const Case& c : std::vector<Case>{{'u', 4, 9, 2, 8},
                                           {'u', 9, 4, 1, 4},
                                           {'u', 0, 5, 3, 0}, // staying put protects it downwards
                                           {'s', 4, 4, 1, 0},
                                           {'z', 4, 4, 1, 0}})
    {
        vrn::Instance instance;
        vrn::Cell cell;
        cell.value = 50;
        cell.ub = 100;
        cell.status = c.status;
        cell.lpl = c.lpl;
        cell.upl = c.upl;
        cell.cost = c.cost;
        instance.cells = {cell, cell};
        instance.cells[1].status = 's';
        EXPECT_DOUBLE_EQ(vrn::LeastWeightedChange(instance), c.adds)
            << c.status << " " << c.lpl << " " << c.upl;
    }
    const vrn::Instance table = Grid(8, 8, 15, 7);
    vrn::StdModel model = BuildModel(table);
    std::fill(model.mip.isInteger.begin(), model.mip.isInteger.end(), 0);
    vrn::RunControl control(-1);
    vrn::SolveParams simplex;
    simplex.simplex = true;
    const vrn::SolveResult lp = vrn::MakeClpSolver()->Solve(model.mip, simplex, control);
    ASSERT_EQ(lp.status, vrn::SolveStatus::Optimal);
    EXPECT_NEAR(vrn::LeastWeightedChange(table), lp.objective * model.scale + model.mip.objectiveOffset,
                1e-6);
}

// Without --bcd-time a block gets a share of the run's remaining time, never less than the floor;
// without a run's limit, none; --bcd-time wins.
TEST(BcdAutomatic, TheDescentRunsBeyondWhatTheWholeModelsSearchHandles)
{
    struct Case
    {
        int directions;
        char solver;
        int clusters;
    } cases[] = {{0, 'b', 0},
                 {500, 'g', 0},
                 {vrn::kWholeModelDirections, 's', 0},
                 {vrn::kWholeModelDirections + 1, 'g', 67},
                 {vrn::kWholeModelDirectionsCbc, 'b', 0},
                 {vrn::kWholeModelDirectionsCbc + 1, 'b', 4},
                 {1343, 'b', 5},
                 {1343, 'g', 0},
                 {14400, 'b', 48},
                 {14814, 'b', 48}, // blocks of 309 cells: no more than 48 a cycle
                 {27800, 'b', 48},
                 {14814, 'g', 494},
                 {14814, 's', 494}};
    for (const Case& c : cases)
        EXPECT_EQ(vrn::AutomaticClusters(c.directions, c.solver), c.clusters) << c.directions << c.solver;
    vrn::BackendOptions options;
    EXPECT_FALSE(vrn::BcdClustersGiven(options));
    options.given.emplace_back("--bcd-clusters", "1");
    EXPECT_TRUE(vrn::BcdClustersGiven(options));
}

TEST(BcdBlockTime, SharesTheRemainingTimeSoThatTheCycleFits)
{
    struct Case
    {
        double given;
        vrn::CyclePosition position;
        bool runLimit;
        double remaining, expected;
    };
    for (const Case& c : std::vector<Case>{{-1, {20, 20, 2}, true, 60, 6}, // a tenth: the cycle fits
                                           {-1, {4, 4, 1}, true, 60, 15},
                                           {-1, {1, 1, 1}, true, 60, 60},
                                           {-1, {20, 20, 1}, true, 60, 3}, // one at a time: 20 in 60 s
                                           {-1, {48, 47, 2}, true, 47, 2}, // two at a time
                                           {-1, {48, 10, 2}, true, 30, 3}, // (the tenth would be 3 too)
                                           {-1, {48, 20, 2}, true, 30, 3},
                                           {-1, {48, 40, 2}, true, 60, 3},
                                           {-1, {48, 48, 2}, true, 8, 2}, // never below 2 s
                                           {-1, {20, 20, 2}, true, 10, 2},
                                           {-1, {20, 20, 2}, false, 0, -1}, // no run limit, no block limit
                                           {7, {48, 48, 2}, true, 60, 7},   // given: as given
                                           {7, {20, 20, 1}, false, 0, 7}})
    {
        vrn::BcdSettings settings;
        settings.blockSeconds = c.given;
        EXPECT_DOUBLE_EQ(vrn::BlockTimeLimit(settings, c.position, c.runLimit, c.remaining), c.expected)
            << c.given << " " << c.position.blocksPerCycle << " " << c.position.blocksLeft << " "
            << c.remaining;
    }
}

// The best table with the directions of `best` but `flipped`'s; negative when there is none.
double BestFlip(const vrn::Instance& table, const std::vector<int32_t>& cells,
                const std::vector<double>& best, int32_t flipped)
{
    std::vector<vrn::Direction> directions(table.cells.size(), vrn::Direction::Free);
    for (int32_t cell : cells)
    {
        const bool up = best[cell] > table.cells[cell].value;
        directions[cell] = (up != (cell == flipped)) ? vrn::Direction::Up : vrn::Direction::Down;
    }
    const vrn::StdModel fixed = BuildModel(table, directions);
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    const vrn::SolveResult flip = clp->Solve(fixed.mip, vrn::SolveParams{}, control);
    if (flip.status != vrn::SolveStatus::Optimal)
        return -1;
    return vrn::WeightedChange(table, fixed.AdjustedValues(table, flip.solution));
}

// With one cluster per cell the descent ends at a table that no single flip improves, or at the
// known optimum: on the whole model, and on blocks' own models whose neighbourhood (two relations
// out, on a 2-D table) lets every cell move, though built from the incumbent's fixed part.
TEST(BlockDescent, OneClusterPerCellEndsWhereNoSingleFlipImproves)
{
    const vrn::Instance table = Grid(6, 6, 25, 11);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const std::vector<int32_t> cells = SensitiveCells(table);
    ASSERT_GE(cells.size(), 5u);
    vrn::SolveParams exact;
    exact.mipGapPercent = 0;
    vrn::RunControl control(-1);
    const vrn::SolveResult optimum = vrn::MakeCbcSolver()->Solve(model.mip, exact, control);
    ASSERT_EQ(optimum.status, vrn::SolveStatus::Optimal);
    const double optimal = TableObjective(table, model, optimum.solution);
    for (const bool wholeModel : {true, false})
    {
        vrn::BcdSettings settings = Settings(static_cast<int>(cells.size()));
        settings.subModels = !wholeModel;
        settings.leaning = false;
        settings.radius = 2;
        const Descent run = RunDescent(table, model, start, settings);
        ASSERT_EQ(run.report.result.solution.size(), start.size());
        const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
        const double objective = vrn::WeightedChange(table, best);
        EXPECT_LE(objective, TableObjective(table, model, start) + 1e-9);
        EXPECT_GE(objective, optimal - 1e-6);
        EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed);
        EXPECT_NE(run.report.stopReason.find("without improvement"), std::string::npos)
            << run.report.stopReason;
        if (objective <= optimal + 1e-6)
            continue;
        int feasibleFlips = 0;
        for (int32_t flipped : cells)
        {
            const double flip = BestFlip(table, cells, best, flipped);
            if (flip < 0)
                continue;
            ++feasibleFlips;
            EXPECT_GE(flip, objective - 1e-6)
                << "flipping cell " << flipped << " improves the descent's table (whole model: " << wholeModel
                << ")";
        }
        EXPECT_GT(feasibleFlips, 0);
    }
}

TEST(BlockDescent, NeverReturnsAWorseTableAndEveryIncumbentPassesTheCheck)
{
    using Factory = std::function<std::unique_ptr<vrn::SolverAdapter>()>;
    for (const auto& [name, make] : std::vector<std::pair<std::string, Factory>>{
             {"CBC", vrn::MakeCbcSolver}, {"SYMPHONY", vrn::MakeSymphonySolver}})
        for (const auto& [fixDir, workers] :
             std::vector<std::pair<char, int>>{{'r', 1}, {'s', 1}, {'r', 2}, {'s', 2}})
        {
            SCOPED_TRACE(std::string(1, fixDir) + ", " + std::to_string(workers) + " side by side");
            const vrn::Instance table = Grid(12, 12, 10, 3);
            vrn::StdModel model = BuildModel(table);
            const std::vector<double> start = StartFrom(table, model, fixDir);
            const double startObjective = TableObjective(table, model, start);
            double previous = startObjective;
            // From random directions the blocks' own models reach one relation out (a part of the
            // table); from the heuristic's they hold the cells the table leans on (the default).
            vrn::BcdSettings settings = Settings(3);
            settings.leaning = fixDir != 'r';
            settings.radius = 1;
            settings.workers = workers;
            const Descent run =
                RunDescent(table, model, start, settings, 5, std::make_shared<vrn::RunControl>(-1), make(),
                           [&](const vrn::BcdStep& step)
                           {
                               EXPECT_LE(step.incumbent, previous + 1e-9) << name;
                               previous = step.incumbent;
                           });
            const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
            EXPECT_LE(vrn::WeightedChange(table, best), startObjective + 1e-9) << name << " " << fixDir;
            // A block "not added" was solved in the background: better than the table it started from,
            // but neither its change added to the incumbent nor its table beat the incumbent as it then
            // stood (which blocks solved meanwhile had improved).
            for (const vrn::BcdStep& step : run.steps)
                if (step.notAdded)
                {
                    ASSERT_EQ(workers, 2) << run.said;
                    EXPECT_LE(step.incumbent, step.blockObjective + 1e-9) << run.said;
                    EXPECT_LT(step.incumbent, startObjective) << run.said;
                }

            EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed) << name;
            if (fixDir == 'r')
            {
                EXPECT_LT(run.report.objective, startObjective)
                    << name << ": random directions leave room to gain";
            }
            // The model's bounds are as they were.
            const vrn::StdModel fresh = BuildModel(table);
            EXPECT_EQ(model.mip.colLower, fresh.mip.colLower);
            EXPECT_EQ(model.mip.colUpper, fresh.mip.colUpper);
        }
}

// Started from a table that no block can improve, the stop rules alone end the descent.
class BcdStops : public ::testing::Test
{
protected:
    vrn::Instance table = Grid(8, 8, 15, 7);
    vrn::StdModel model = BuildModel(table);
    std::vector<double> optimum;

    void SetUp() override
    {
        auto cbc = vrn::MakeCbcSolver();
        vrn::RunControl control(-1);
        vrn::SolveParams params;
        params.mipGapPercent = 0;
        optimum = cbc->Solve(model.mip, params, control).solution;
        ASSERT_EQ(optimum.size(), static_cast<size_t>(model.mip.ColumnCount()));
    }
};

TEST_F(BcdStops, EachRuleEndsTheRunWhenItShould)
{
    struct Case
    {
        std::string name;
        std::function<void(vrn::BcdSettings&)> set;
        int blocks;
        std::string reason;
    };
    const double objective = TableObjective(table, model, optimum);
    const std::vector<Case> cases{
        {"nstop", [](vrn::BcdSettings& s) { s.noGainStop = 5; }, 5, "5 blocks in a row without improvement"},
        {"adaptive, same clusters", [](vrn::BcdSettings&) {}, 3, "3 blocks in a row"},
        {"adaptive, changing clusters", [](vrn::BcdSettings& s) { s.cycle = vrn::BcdCycle::Changing; }, 15,
         "15 blocks in a row"},
        {"adaptive, dynamic", [](vrn::BcdSettings& s) { s.dynamic = true; }, 15, "15 blocks in a row"},
        {"one cycle", [](vrn::BcdSettings& s) { s.cycle = vrn::BcdCycle::One; }, 3, "one cycle done"},
        {"objective target",
         [&](vrn::BcdSettings& s)
         {
             s.hasObjectiveTarget = true;
             s.objectiveTarget = objective;
         },
         0, "at or below the target"},
        {"target not reached",
         [&](vrn::BcdSettings& s)
         {
             s.hasObjectiveTarget = true;
             s.objectiveTarget = objective - 1;
             s.noGainStop = 4;
         },
         4, "4 blocks in a row"},
    };
    for (const int workers : {1, 2})
        for (const Case& c : cases)
        {
            SCOPED_TRACE(std::to_string(workers) + " side by side");
            vrn::BcdSettings settings = Settings(3);
            settings.workers = workers;
            c.set(settings);
            const Descent run = RunDescent(table, model, optimum, settings);
            EXPECT_EQ(run.report.blocks, c.blocks) << c.name << "\n" << run.said;
            EXPECT_NE(run.report.stopReason.find(c.reason), std::string::npos)
                << c.name << ": " << run.report.stopReason;
            EXPECT_NEAR(run.report.objective, objective, 1e-6) << c.name;
        }
}

TEST_F(BcdStops, AStopOrTheTimeLimitKeepsTheBestTable)
{
    auto stopped = std::make_shared<vrn::RunControl>(-1);
    const Descent byCommand = RunDescent(table, model, optimum, Settings(3), 0, stopped, vrn::MakeCbcSolver(),
                                         [&](const vrn::BcdStep& step)
                                         {
                                             if (step.block == 2)
                                                 stopped->RequestStop(vrn::StopReason::Command);
                                         });
    EXPECT_EQ(byCommand.report.blocks, 2);
    EXPECT_EQ(byCommand.report.stopReason, "stopped by the stop command");
    EXPECT_EQ(byCommand.report.result.solution.size(), optimum.size());

    auto shortRun = std::make_shared<vrn::RunControl>(1e-3);
    while (!shortRun->StopRequested())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const Descent timedOut = RunDescent(table, model, optimum, Settings(3), 0, shortRun);
    EXPECT_EQ(timedOut.report.blocks, 0);
    EXPECT_EQ(timedOut.report.stopReason, "time limit reached");
    EXPECT_NEAR(TableObjective(table, model, timedOut.report.result.solution),
                TableObjective(table, model, optimum), 1e-6);
}

TEST(BlockDescent, CycleModesRepeatOrRegroupTheClusters)
{
    const vrn::Instance table = Grid(10, 10, 12, 9);
    for (const auto cycle : {vrn::BcdCycle::Same, vrn::BcdCycle::Changing, vrn::BcdCycle::One})
    {
        vrn::StdModel model = BuildModel(table);
        const std::vector<double> start = StartFrom(table, model, 's');
        vrn::BcdSettings settings = Settings(3, cycle);
        settings.noGainStop = 100;
        auto control = std::make_shared<vrn::RunControl>(-1);
        const Descent run = RunDescent(table, model, start, settings, 0, control, vrn::MakeCbcSolver(),
                                       [&](const vrn::BcdStep& step)
                                       {
                                           if (step.cycle == 2 && step.block == 3)
                                               control->RequestStop(vrn::StopReason::Command);
                                       });
        if (cycle == vrn::BcdCycle::One)
        {
            EXPECT_EQ(run.report.cycles, 1);
            EXPECT_EQ(run.steps.size(), 3u);
            continue;
        }
        ASSERT_EQ(run.steps.size(), 6u);
        bool same = true;
        for (int b = 0; b < 3; ++b)
            same = same && run.steps[b].cells == run.steps[3 + b].cells;
        EXPECT_EQ(same, cycle == vrn::BcdCycle::Same);
    }
}

// A cycle starts with the cluster whose cells' flips promise the most (the highest sum of their
// scores in the starting table); unsorted, with the first cluster grown.
TEST(BlockDescent, ClustersComeInOrderOfTheirPromise)
{
    const vrn::Instance table = Grid(10, 10, 12, 9);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const std::vector<int32_t> cells = SensitiveCells(table);
    const std::vector<double> adjusted = model.AdjustedValues(table, start);
    const std::vector<double> scores = vrn::FlipScores(table, vrn::RelationsOfCells(table), cells, adjusted);
    const auto promise = [&](const vrn::Cluster& cluster)
    {
        double sum = 0;
        for (int32_t cell : cluster)
            sum += scores[std::find(cells.begin(), cells.end(), cell) - cells.begin()];
        return sum;
    };
    // A grouping whose grown order does not start with the best cluster.
    uint64_t seed = 1;
    std::vector<vrn::Cluster> clusters;
    double best = -1e300;
    for (; seed <= 20; ++seed)
    {
        clusters = vrn::RelationClusters(table, cells, 4, seed);
        best = -1e300;
        for (const vrn::Cluster& cluster : clusters)
            best = std::max(best, promise(cluster));
        if (promise(clusters.front()) < best)
            break;
    }
    ASSERT_LE(seed, 20u);
    for (const bool sort : {true, false})
    {
        vrn::BcdSettings settings = Settings(4, vrn::BcdCycle::One);
        settings.sortClusters = sort;
        settings.seed = seed;
        const Descent run = RunDescent(table, model, start, settings, 5);
        ASSERT_EQ(run.steps.size(), 4u);
        if (sort)
        {
            EXPECT_DOUBLE_EQ(promise(run.steps.front().cells), best);
        }
        else
        {
            EXPECT_EQ(run.steps.front().cells, clusters.front());
        }
    }
}

TEST(BlockDescent, DynamicBlocksHaveTheirSizeAndImproveARandomStart)
{
    const vrn::Instance table = Grid(12, 12, 10, 3);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const size_t sensitive = SensitiveCells(table).size();
    vrn::BcdSettings settings = Settings(4);
    settings.dynamic = true;
    settings.candidatePercent = 60;
    const Descent run = RunDescent(table, model, start, settings, 0);
    ASSERT_FALSE(run.steps.empty());
    const size_t size = (sensitive + 3) / 4;
    for (const auto& step : run.steps)
        EXPECT_EQ(step.cells.size(), size);
    EXPECT_LT(run.report.objective, TableObjective(table, model, start));
}

// Two tables in one instance, sharing no cell and no relation.
vrn::Instance TwoApart(const vrn::Instance& one, const vrn::Instance& other)
{
    vrn::Instance both = one;
    const auto offset = static_cast<int32_t>(one.cells.size());
    both.cells.insert(both.cells.end(), other.cells.begin(), other.cells.end());
    for (size_t r = 0; r < other.RelationCount(); ++r)
    {
        std::vector<std::pair<int32_t, double>> terms;
        for (int64_t t = other.termStart[r]; t < other.termStart[r + 1]; ++t)
            terms.emplace_back(other.termCell[t] + offset, other.termCoef[t]);
        both.AddRelation(other.rhs[r], terms);
    }
    return both;
}

// Blocks that change different cells add their gains: on two separate tables, one block each, a
// cycle with the blocks side by side ends where one after the other does, and takes both blocks.
TEST(BlockDescent, BlocksSideBySideAddTheirGainsWhereTheyChangeDifferentCells)
{
    const vrn::Instance table = TwoApart(Grid(8, 8, 30, 7), Grid(8, 8, 30, 7));
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    const double startObjective = TableObjective(table, model, start);
    std::vector<double> ends;
    for (const int workers : {1, 2})
    {
        vrn::BcdSettings settings = Settings(2, vrn::BcdCycle::One);
        settings.workers = workers;
        const Descent run = RunDescent(table, model, start, settings, 0);
        ASSERT_EQ(run.steps.size(), 2u) << run.said;
        EXPECT_TRUE(run.steps[0].improved && run.steps[1].improved) << workers << "\n" << run.said;
        if (workers == 2)
        {
            // Both blocks started from the same table: the end gains what each gained.
            const double gains =
                2 * startObjective - run.steps[0].blockObjective - run.steps[1].blockObjective;
            EXPECT_NEAR(run.report.objective, startObjective - gains, 1e-6) << run.said;
        }
        const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
        EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed);
        ends.push_back(run.report.objective);
    }
    EXPECT_NEAR(ends[0], ends[1], 1e-6);
}

// Dynamic blocks solved side by side are chosen from the same table: the second must not repeat the
// first's cells, or the two children would solve the same block.
TEST(BlockDescent, DynamicBlocksSideBySideShareNoCell)
{
    const vrn::Instance table = Grid(16, 16, 12, 4);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    vrn::BcdSettings settings = Settings(6, vrn::BcdCycle::One);
    settings.dynamic = true;
    settings.workers = 2;
    const Descent run = RunDescent(table, model, start, settings, 0);
    ASSERT_EQ(run.steps.size(), 6u) << run.said;
    for (size_t k = 0; k + 1 < run.steps.size(); k += 2)
    {
        const std::set<int32_t> first(run.steps[k].cells.begin(), run.steps[k].cells.end());
        for (int32_t cell : run.steps[k + 1].cells)
            EXPECT_EQ(first.count(cell), 0u)
                << "blocks " << k + 1 << " and " << k + 2 << " share cell " << cell;
    }
    EXPECT_LT(run.report.objective, TableObjective(table, model, start));
    const std::vector<double> best = model.AdjustedValues(table, run.report.result.solution);
    EXPECT_TRUE(vrn::CheckSolution(table, best, true, false, 1e-6).passed);
}

TEST(BlockDescent, FinalBranchAndCutProvesTheSmallTable)
{
    const vrn::Instance table = Grid(8, 8, 15, 7);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    vrn::BcdSettings settings = Settings(3, vrn::BcdCycle::One);
    settings.finalSeconds = 60;
    const Descent run = RunDescent(table, model, start, settings, 0);
    EXPECT_TRUE(run.report.finalSearch);
    EXPECT_EQ(run.report.result.status, vrn::SolveStatus::Optimal) << run.said;

    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    vrn::SolveParams exact;
    exact.mipGapPercent = 0;
    const vrn::StdModel fresh = BuildModel(table);
    const auto optimum = cbc->Solve(fresh.mip, exact, control);
    EXPECT_NEAR(run.report.objective, TableObjective(table, fresh, optimum.solution), 1e-6);
}

} // namespace

// A solver that declares every model infeasible, as SYMPHONY did of a model its start satisfies.
class SaysInfeasible : public vrn::SolverAdapter
{
public:
    std::string Name() const override { return "says infeasible"; }
    bool SolvesIntegerPrograms() const override { return true; }
    vrn::SolveResult Solve(const vrn::MipModel&, const vrn::SolveParams&, vrn::RunControl&) override
    {
        vrn::SolveResult result;
        result.status = vrn::SolveStatus::Infeasible;
        return result;
    }
};

// The final search's "infeasible" for a model that the incumbent satisfies is no proof that the incumbent
// is optimal: the descent keeps its table and claims no optimum and no bound from it.
TEST(BlockDescent, AFinalSearchsFalseInfeasibleProvesNothing)
{
    const vrn::Instance table = Grid(8, 8, 15, 7);
    vrn::StdModel model = BuildModel(table);
    const std::vector<double> start = StartFrom(table, model, 'r');
    vrn::BcdSettings settings = Settings(3, vrn::BcdCycle::One);
    settings.finalSeconds = 5;
    const Descent run = RunDescent(table, model, start, settings, 0, std::make_shared<vrn::RunControl>(-1),
                                   std::make_unique<SaysInfeasible>());
    EXPECT_TRUE(run.report.finalSearch);
    EXPECT_NE(run.report.result.status, vrn::SolveStatus::Optimal) << run.said;
    EXPECT_EQ(run.report.result.solution, start);
    EXPECT_LT(run.report.result.bound, run.report.result.objective - 1e-6) << run.said;
}
