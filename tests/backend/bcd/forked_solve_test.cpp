// Solves in a child process: the result that comes back is the one a solve in this process gives,
// a child can be given up on at once and leaves nothing running, and bytes cut short or garbled are
// refused rather than read as a table.
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

    vrn::ForkedSolve child;
    ASSERT_TRUE(child.Start(model.mip, *cbc, params, 60));
    const std::optional<vrn::SolveResult> there = child.Finish({}, 60);
    ASSERT_TRUE(there.has_value());
    EXPECT_EQ(there->status, vrn::SolveStatus::Optimal);
    EXPECT_NEAR(there->objective, here.objective, 1e-9);
    ASSERT_EQ(there->solution.size(), here.solution.size());
    EXPECT_FALSE(there->detail.empty());
    EXPECT_TRUE(NoChildLeft());
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
    ASSERT_TRUE(child.Start(hard.mip, *cbc, params, 2));
    const std::optional<vrn::SolveResult> there = child.Finish({}, 600, 0.3);
    EXPECT_EQ(child.LastEnd(), vrn::ForkedSolve::End::Answered);
    EXPECT_TRUE(there.has_value());
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

} // namespace
