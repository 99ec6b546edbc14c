// A block solved in the background is taken into the incumbent as it stands when its child answers:
// its change added where the cells taken meanwhile are others, its table as it is where the sum breaks
// the table and the table alone is still better, and neither where the incumbent has moved beyond it.
#include "backend_test_tables.h"
#include "bcd/background_blocks.h"
#include "model/checks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// a = b and c = d, four cells of value 5 and cost 1 that need no protection; a and b at least 3.
const char* const kTwoPairs = "0\n4\n"
                              "0 5 1 s 3 100 0 0 0\n"
                              "1 5 1 s 3 100 0 0 0\n"
                              "2 5 1 s 0 100 0 0 0\n"
                              "3 5 1 s 0 100 0 0 0\n"
                              "2\n"
                              "0 2 : 0 (1) 1 (-1)\n"
                              "0 2 : 2 (1) 3 (-1)\n";

TEST(BackgroundBlocks, TheChangeIsAddedToTheIncumbentAsItNowStands)
{
    const vrn::Instance table = vrn::test::Text(kTwoPairs);
    vrn::StdModelSettings modelSettings;
    const vrn::StdModel model = vrn::BuildStdModel(table, modelSettings);
    const vrn::BcdSettings settings;
    using Table = std::vector<double>;
    const Table base{7, 7, 7, 7}; // weighted change 8
    struct Case
    {
        std::string name;
        Table incumbent; // when the child answers
        Table block;     // the block's table, from `base`
        bool improved, notAdded;
        Table after;
    } cases[] = {
        {"nothing taken meanwhile", base, {6, 6, 7, 7}, true, false, {6, 6, 7, 7}},
        {"other cells taken meanwhile: both gains", {7, 7, 5, 5}, {6, 6, 7, 7}, true, false, {6, 6, 5, 5}},
        {"the same cells: the sum breaks a's bound, the table alone is better",
         {4, 4, 7, 7},
         {5, 5, 7, 7},
         true,
         false,
         {5, 5, 7, 7}},
        {"the incumbent has moved beyond it", {5, 5, 5, 5}, {6, 6, 7, 7}, false, true, {5, 5, 5, 5}},
    };
    for (const Case& c : cases)
    {
        vrn::RunControl control(-1);
        std::vector<std::string> said;
        vrn::DescentIncumbent best(table, model, settings, control,
                                   [&](const std::string& line) { said.push_back(line); });
        best.Start(vrn::StdColumnsOf(table, model, c.incumbent));
        vrn::BackgroundOutcome got;
        got.cycle = 1;
        got.number = 2;
        got.table = c.block;
        got.moved = {0, 1}; // the block's model moved the first pair only
        got.base = base;
        got.baseObjective = vrn::WeightedChange(table, base);
        const vrn::BcdStep step = vrn::TakeBackgroundTable(best, table, 3, got);
        EXPECT_EQ(step.improved, c.improved) << c.name;
        EXPECT_EQ(step.notAdded, c.notAdded) << c.name;
        EXPECT_DOUBLE_EQ(step.blockObjective, vrn::WeightedChange(table, c.block)) << c.name;
        EXPECT_EQ(best.Table(), c.after) << c.name;
        EXPECT_TRUE(vrn::CheckSolution(table, best.Table(), true, false, 1e-6).passed) << c.name;
    }
}

} // namespace
