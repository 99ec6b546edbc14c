// Solves in a child process: the result that comes back is the one a solve in this process gives, a
// child that answered solves the next models sent to it, a child can be given up on at once and leaves
// nothing running, and bytes cut short or garbled are refused rather than read as a table or a model.
#include "backend_test_tables.h"
#include "bcd/forked_solve.h"
#include "instance/cell_rules.h"
#include "model/std_model.h"
#include "solvers/cbc_solver.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

vrn::StdModel GridModel(int side, double sensitivePercent, uint64_t seed)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(side), vrn::Dimension::Flat(side)};
    settings.sensitivePercent = sensitivePercent;
    settings.maxValue = 999;
    settings.seed = seed;
    const vrn::Instance table = vrn::GenerateTable(settings);
    vrn::StdModelSettings modelSettings;
    modelSettings.scale = vrn::AutomaticScale(table);
    return vrn::BuildStdModel(table, modelSettings);
}

bool NoChildLeft()
{
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

TEST(ForkedSolve, GivesTheResultOfASolveInThisProcess)
{
    const vrn::StdModel model = GridModel(8, 15, 7);
    vrn::SolveParams params;
    params.mipGapPercent = 0;
    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    const vrn::SolveResult here = cbc->Solve(model.mip, params, control);
    ASSERT_EQ(here.status, vrn::SolveStatus::Optimal);

    {
        vrn::ForkedSolve child;
        ASSERT_TRUE(child.Start(model.mip, *cbc, params, 60));
        const std::optional<vrn::SolveResult> there = child.Finish({}, 60);
        ASSERT_TRUE(there.has_value());
        EXPECT_EQ(there->status, vrn::SolveStatus::Optimal);
        EXPECT_NEAR(there->objective, here.objective, 1e-9);
        ASSERT_EQ(there->solution.size(), here.solution.size());
        EXPECT_FALSE(there->detail.empty());
        EXPECT_TRUE(child.Idle());
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST(ForkedSolve, AChildThatAnsweredSolvesTheNextModelsWithoutANewFork)
{
    auto cbc = vrn::MakeCbcSolver();
    auto other = vrn::MakeCbcSolver();
    vrn::SolveParams params;
    params.mipGapPercent = 0;
    vrn::ForkedSolve child;
    struct Case
    {
        int side;
        vrn::SolverAdapter* solver;
        int forks; // made so far, after this model
    };
    for (const Case& c :
         {Case{6, cbc.get(), 1}, Case{9, cbc.get(), 1}, Case{7, cbc.get(), 1}, Case{8, other.get(), 2}})
    {
        const vrn::StdModel model = GridModel(c.side, 20, 11);
        vrn::RunControl control(-1);
        const vrn::SolveResult here = c.solver->Solve(model.mip, params, control);
        ASSERT_TRUE(child.Start(model.mip, *c.solver, params, 60)) << c.side;
        const std::optional<vrn::SolveResult> there = child.Finish({}, 60);
        ASSERT_TRUE(there.has_value()) << c.side;
        EXPECT_EQ(there->status, here.status) << c.side;
        EXPECT_NEAR(there->objective, here.objective, 1e-9) << c.side;
        EXPECT_EQ(there->solution.size(), here.solution.size()) << c.side;
        EXPECT_EQ(child.Forks(), c.forks) << c.side;
    }
}

TEST(ForkedSolve, AChildThatDiesIsReplacedByTheNextStart)
{
    const vrn::MipModel oneRow = vrn::test::OneRowModel();
    vrn::test::MisbehavesInAChild dies(vrn::test::MisbehavesInAChild::Way::Dies);
    auto cbc = vrn::MakeCbcSolver();
    vrn::ForkedSolve child;
    ASSERT_TRUE(child.Start(oneRow, dies, {}, -1));
    EXPECT_FALSE(child.Finish({}, 60).has_value());
    EXPECT_EQ(child.LastEnd(), vrn::ForkedSolve::End::Failed);
    EXPECT_FALSE(child.Idle());
    EXPECT_TRUE(NoChildLeft());
    ASSERT_TRUE(child.Start(oneRow, *cbc, {}, -1));
    EXPECT_TRUE(child.Finish({}, 60).has_value());
    EXPECT_EQ(child.Forks(), 2);
}

TEST(ForkedSolve, AChildGivenUpOnIsKilledAtOnce)
{
    // Far too hard to finish in the test's time without a limit.
    const vrn::StdModel model = GridModel(60, 25, 3);
    vrn::SolveParams params;
    params.mipGapPercent = 0;
    auto cbc = vrn::MakeCbcSolver();
    struct Case
    {
        const char* name;
        std::function<bool()> abandon;
        double maxWait;
    };
    const auto begun = std::chrono::steady_clock::now();
    const auto after = [&](double seconds) {
        return [=]
        { return std::chrono::steady_clock::now() - begun > std::chrono::duration<double>(seconds); };
    };
    for (const Case& c : {Case{"abandoned", after(0.3), 600}, Case{"waited too long", {}, 0.3}})
    {
        vrn::ForkedSolve child;
        ASSERT_TRUE(child.Start(model.mip, *cbc, params, -1)) << c.name;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(child.Finish(c.abandon, c.maxWait).has_value()) << c.name;
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5)
            << c.name;
        EXPECT_TRUE(NoChildLeft()) << c.name;
    }
}

TEST(ForkedSolve, AChildThatStallsIsKilledWhileOneAtWorkIsWaitedFor)
{
    const vrn::MipModel oneRow = vrn::test::OneRowModel();
    vrn::test::MisbehavesInAChild stuck(vrn::test::MisbehavesInAChild::Way::Stalls);
    vrn::ForkedSolve child;
    ASSERT_TRUE(child.Start(oneRow, stuck, {}, -1));
    EXPECT_FALSE(child.Finish({}, 600, 0.5).has_value());
    EXPECT_EQ(child.LastEnd(), vrn::ForkedSolve::End::Stalled);
    EXPECT_TRUE(NoChildLeft());

    // A solve that takes several stall windows, using the processor all along, is not cut short.
    const vrn::StdModel hard = GridModel(30, 20, 5);
    vrn::SolveParams params;
    params.mipGapPercent = 0;
    auto cbc = vrn::MakeCbcSolver();
    {
        vrn::ForkedSolve worker;
        ASSERT_TRUE(worker.Start(hard.mip, *cbc, params, 2));
        const std::optional<vrn::SolveResult> there = worker.Finish({}, 600, 0.3);
        EXPECT_EQ(worker.LastEnd(), vrn::ForkedSolve::End::Answered);
        EXPECT_TRUE(there.has_value());
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST(ForkedSolve, BytesCutShortOrGarbledAreRefused)
{
    vrn::SolveResult result;
    result.status = vrn::SolveStatus::Feasible;
    result.objective = 12.5;
    result.bound = 10;
    result.solution = {1, 0, 2.25, -3};
    result.detail = "CBC status 1";
    const std::vector<char> bytes = vrn::EncodeSolveResult(result);
    const std::optional<vrn::SolveResult> back = vrn::DecodeSolveResult(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->status, result.status);
    EXPECT_EQ(back->solution, result.solution);
    EXPECT_EQ(back->detail, result.detail);
    EXPECT_EQ(back->bound, result.bound);

    struct Case
    {
        const char* name;
        std::vector<char> bytes;
    };
    std::vector<char> badStatus = bytes, badMagic = bytes, longer = bytes;
    badStatus[4] = 9;
    badMagic[0] ^= 1;
    longer.push_back('x');
    for (const Case& c :
         {Case{"empty", {}}, Case{"header only", {bytes.begin(), bytes.begin() + 40}},
          Case{"one value short", {bytes.begin(), bytes.end() - 13}}, Case{"a byte too many", longer},
          Case{"unknown status", badStatus}, Case{"not a result", badMagic}})
        EXPECT_FALSE(vrn::DecodeSolveResult(c.bytes).has_value()) << c.name;
}

TEST(ForkedSolve, ARequestComesBackWholeOrIsRefused)
{
    const vrn::StdModel model = GridModel(5, 20, 3);
    vrn::SolveParams params;
    params.mipGapPercent = 0.5;
    params.integrality = 1e-7;
    params.seed = 42;
    params.simplex = true;
    params.crossover = false;
    params.lpMethodByShape = true;
    params.start.assign(model.mip.ColumnCount(), 1.5);
    const std::vector<char> bytes = vrn::EncodeSolveRequest(model.mip, params, 12.5);
    const std::optional<vrn::SolveRequest> back = vrn::DecodeSolveRequest(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->seconds, 12.5);
    const vrn::MipModel& m = back->model;
    EXPECT_EQ(m.colLower, model.mip.colLower);
    EXPECT_EQ(m.colUpper, model.mip.colUpper);
    EXPECT_EQ(m.cost, model.mip.cost);
    EXPECT_EQ(m.isInteger, model.mip.isInteger);
    EXPECT_EQ(m.colName, model.mip.colName);
    EXPECT_EQ(m.rowLower, model.mip.rowLower);
    EXPECT_EQ(m.rowUpper, model.mip.rowUpper);
    EXPECT_EQ(m.rowName, model.mip.rowName);
    EXPECT_EQ(m.rowStart, model.mip.rowStart);
    EXPECT_EQ(m.entryCol, model.mip.entryCol);
    EXPECT_EQ(m.entryValue, model.mip.entryValue);
    EXPECT_EQ(m.objectiveOffset, model.mip.objectiveOffset);
    EXPECT_EQ(back->params.mipGapPercent, 0.5);
    EXPECT_EQ(back->params.integrality, 1e-7);
    EXPECT_EQ(back->params.seed, 42);
    EXPECT_TRUE(back->params.simplex);
    EXPECT_FALSE(back->params.crossover);
    EXPECT_TRUE(back->params.lpMethodByShape);
    EXPECT_FALSE(back->params.firstFeasible);
    EXPECT_EQ(back->params.start, params.start);

    // A column beyond the model's, and rows out of order.
    vrn::MipModel strayColumn = model.mip, backwards = model.mip;
    strayColumn.entryCol.back() = strayColumn.ColumnCount();
    std::swap(backwards.rowStart[1], backwards.rowStart[2]);
    std::vector<char> longer = bytes, badMagic = bytes;
    longer.push_back(0);
    badMagic[1] ^= 1;
    struct Case
    {
        const char* name;
        std::vector<char> bytes;
    };
    for (const Case& c : {Case{"empty", {}}, Case{"cut short", {bytes.begin(), bytes.end() - 3}},
                          Case{"a byte too many", longer}, Case{"not a request", badMagic},
                          Case{"a column beyond the model", vrn::EncodeSolveRequest(strayColumn, params, 1)},
                          Case{"rows out of order", vrn::EncodeSolveRequest(backwards, params, 1)}})
        EXPECT_FALSE(vrn::DecodeSolveRequest(c.bytes).has_value()) << c.name;
}

} // namespace
