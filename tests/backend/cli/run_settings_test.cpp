#include "cli/run_settings.h"
#include "instance/cell_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

// A one-row table: total 0 = 1 + 2, cell 1 sensitive.
vrn::Instance Row()
{
    auto r = vrn::ReadInstanceText("0 3\n0 10 1 s 0 100 0 0 0\n1 4 1 u 0 100 1 2 0\n2 6 1 s 0 100 0 0 0\n1\n"
                                   "0 3 : 0 (-1) 1 (1) 2 (1)\n",
                                   false);
    EXPECT_TRUE(r.errors.empty());
    return r.instance;
}

// Every layer gets the largest change and the scale in force, worked out once: the automatic ones where
// the options name none.
TEST(RunSettings, TheLargestChangeAndTheScaleAreResolvedForEveryLayer)
{
    const vrn::Instance table = Row();
    struct Case
    {
        double givenBig, givenScale; // <= 0: not given
        double big, scale;
    };
    for (const Case& c :
         {Case{-1, -1, vrn::AutomaticBig(table), vrn::AutomaticScale(table)}, Case{50, 10, 50, 10}})
    {
        vrn::BackendOptions options;
        options.big = c.givenBig;
        options.scale = c.givenScale;
        const vrn::FastRunSettings fast = vrn::FastRunSettingsFromOptions(table, options);
        const vrn::StdModelSettings std = vrn::StdModelSettingsFromOptions(table, options);
        const vrn::RepairRunSettings repair = vrn::RepairRunSettingsFromOptions(table, options);
        for (const double big : {fast.model.big, std.big, repair.model.big})
            EXPECT_EQ(big, c.big);
        for (const double scale : {fast.model.scale, std.scale, repair.model.scale})
            EXPECT_EQ(scale, c.scale);
        EXPECT_EQ(fast.scaleGiven, c.givenScale > 0);
    }
}

// The single stage that finds a start or mends a table: objective 1 only, so no bounding column of
// objective 4 even where the run's order holds it, the heuristic's directions, no percent bounds.
TEST(RunSettings, OneStageFastSolvesObjectiveOneAlone)
{
    const vrn::Instance table = Row();
    vrn::BackendOptions options;
    options.order = {4, 1};
    options.orderGiven = true;
    options.fixDir = 'r';
    options.pctBounds = 20;
    options.writeLp = true;
    options.firstFeasible = true;
    const vrn::FastRunSettings run = vrn::FastRunSettingsFromOptions(table, options);
    ASSERT_TRUE(run.model.withMaxObjective);
    const vrn::FastRunSettings one = vrn::OneStageFast(run);
    EXPECT_EQ(one.lexmin.order, std::vector<int>{1});
    EXPECT_FALSE(one.model.withMaxObjective);
    EXPECT_EQ(one.fixDir, 's');
    EXPECT_LT(one.model.pctBounds, 0);
    EXPECT_FALSE(one.writeLp);
    EXPECT_FALSE(one.solve.firstFeasible);
    EXPECT_EQ(one.model.big, run.model.big);
}

TEST(RunSettings, AnLpMethodOnTheCommandLineIsKeptForTheStart)
{
    const vrn::Instance table = Row();
    struct Case
    {
        std::vector<std::pair<std::string, std::string>> given;
        bool kept;
    };
    for (const Case& c : {Case{{}, false}, Case{{{"--time", "5"}}, false}, Case{{{"--method", "s"}}, true},
                          Case{{{"--crossover", "n"}}, true}})
    {
        vrn::BackendOptions options;
        options.given = c.given;
        EXPECT_EQ(vrn::FastRunSettingsFromOptions(table, options).lpMethodGiven, c.kept);
    }
}

} // namespace
