// Repairing tables that cannot be protected, on hand-built tables whose least repair is known: a
// sensitive cell boxed in by z neighbours, a bound that forbids the only open direction, two
// sensitive cells that need opposite room in one relation, and a conflict that only a chain of
// relations shows.
#include "backend_test_tables.h"
#include "instance/cell_rules.h"
#include "instance/repair_file.h"
#include "model/checks.h"
#include "repair_tables.h"
#include "solvers/cbc_solver.h"
#include "solvers/symphony_solver.h"
#include "standard/repair.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::Joined;
using vrn::test::Parse;

using vrn::test::kBoundForbids;
using vrn::test::kBoxedIn;
using vrn::test::kChain;
using vrn::test::kOppositeRoom;

struct RepairRun
{
    vrn::RepairOutcome outcome;
    std::string said;
};

RepairRun Repair(const std::string& text, const std::string& prices = "",
                 std::unique_ptr<vrn::SolverAdapter> solver = vrn::MakeCbcSolver())
{
    const vrn::Instance table = Parse(text);
    const vrn::RepairFileResult file = vrn::ReadRepairText(prices, table);
    EXPECT_TRUE(file.errors.empty());
    vrn::RunControl control(60);
    vrn::SolveParams params;
    params.mipGapPercent = 0;
    RepairRun run;
    run.outcome = vrn::RepairInstance(table, {}, file.prices, *solver, params, control,
                                      [&](const std::string& line) { run.said += line + "\n"; });
    return run;
}

std::vector<std::string> ChangeTexts(const vrn::RepairOutcome& outcome)
{
    std::vector<std::string> texts;
    for (const auto& change : outcome.changes)
        texts.push_back(vrn::RepairChangeText(change));
    return texts;
}

TEST(Repair, FindsTheLeastChangeOfHandBuiltTables)
{
    struct Case
    {
        const char* name;
        const char* table;
        const char* prices;
        double bounds, protection;
        std::vector<std::string> oneOf; // the change is one of these
    };
    const Case cases[] = {
        {"boxed in: only protection can give",
         kBoxedIn,
         "",
         0,
         3,
         {"cell 1: lower protection level 3 -> 0 (price 1 per unit)",
          "cell 1: upper protection level 3 -> 0 (price 1 per unit)"}},
        {"bound forbids the only direction",
         kBoundForbids,
         "",
         2,
         0,
         {"cell 1: lower bound 8 -> 6 (price 1 per unit)"}},
        {"that bound fixed: the total's bound widens",
         kBoundForbids,
         "1 lb fixed\n",
         4,
         0,
         {"cell 0: upper bound 30 -> 34 (price 1 per unit)"}},
        {"every bound fixed: protection falls",
         kBoundForbids,
         "1 lb fixed\n0 ub fixed\n",
         0,
         2,
         {"cell 1: lower protection level 4 -> 2 (price 1 per unit)"}},
        {"opposite room in one relation",
         kOppositeRoom,
         "",
         2,
         0,
         {"cell 2: lower bound 7 -> 5 (price 1 per unit)",
          "cell 2: upper bound 13 -> 15 (price 1 per unit)"}},
        {"a chain of relations",
         kChain,
         "",
         2,
         0,
         {"cell 4: lower bound 19 -> 17 (price 1 per unit)",
          "cell 4: upper bound 21 -> 23 (price 1 per unit)"}},
        {"fractional values: six significant digits",
         "0 3\n0 30.5 1 s 0 30.5 0 0 0\n1 10.5 1 u 8.25 100 4 4 0\n"
         "2 20 1 z 0 100 0 0 0\n1\n0 3 : 0 (-1) 1 (1) 2 (1)\n",
         "",
         1.75,
         0,
         {"cell 1: lower bound 8.25 -> 6.5 (price 1 per unit)"}},
        // Priced protection: one sum, and lowering the level by 2 at 0.5 beats widening by 2 at 1.
        {"protection priced below bounds",
         kBoundForbids,
         "1 lpl 0.5\n1 upl 0.5\n",
         0,
         1,
         {"cell 1: lower protection level 4 -> 2 (price 0.5 per unit)"}},
    };
    for (const Case& c : cases)
    {
        const RepairRun run = Repair(c.table, c.prices);
        ASSERT_EQ(run.outcome.status, vrn::RepairStatus::Repaired) << c.name << "\n" << run.said;
        EXPECT_TRUE(run.outcome.proven) << c.name;
        EXPECT_DOUBLE_EQ(run.outcome.boundsTotal, c.bounds) << c.name;
        EXPECT_DOUBLE_EQ(run.outcome.protectionTotal, c.protection) << c.name;
        const auto texts = ChangeTexts(run.outcome);
        ASSERT_EQ(texts.size(), 1u) << c.name << "\n" << Joined(texts);
        EXPECT_NE(std::find(c.oneOf.begin(), c.oneOf.end(), texts[0]), c.oneOf.end())
            << c.name << ": " << texts[0];
    }
}

TEST(Repair, TheRepairedTableIsProtectableAndAFeasibleOneStaysAsItIs)
{
    for (const char* table : {kBoxedIn, kBoundForbids, kOppositeRoom, kChain})
    {
        const RepairRun run = Repair(table);
        ASSERT_EQ(run.outcome.status, vrn::RepairStatus::Repaired);
        // Repairing the repaired table finds nothing more to change.
        std::ostringstream text;
        vrn::WriteInstance(text, run.outcome.repaired);
        EXPECT_EQ(Repair(text.str()).outcome.status, vrn::RepairStatus::NothingToChange) << text.str();
    }
    const std::string threeByThree =
        "0 16\n0 309 1 s 0 463.5 0 0 0\n1 98 1 s 0 463.5 0 0 0\n"
        "2 101 1 s 0 463.5 0 0 0\n3 110 1 s 0 463.5 0 0 0\n4 72 1 s 0 463.5 0 0 0\n"
        "5 20 1 s 0 463.5 0 0 0\n6 24 1 s 0 463.5 0 0 0\n7 28 1 s 0 463.5 0 0 0\n"
        "8 116 1 s 0 463.5 0 0 0\n9 38 1 s 0 463.5 0 0 0\n10 38 1 s 0 463.5 0 0 0\n"
        "11 40 1 u 0 463.5 5 5 0\n12 121 1 s 0 463.5 0 0 0\n"
        "13 40 1 s 0 463.5 0 0 0\n14 39 1 s 0 463.5 0 0 0\n15 42 1 s 0 463.5 0 0 0\n"
        "8\n0 4 : 0 (-1) 1 (1) 2 (1) 3 (1)\n0 4 : 4 (-1) 5 (1) 6 (1) 7 (1)\n"
        "0 4 : 8 (-1) 9 (1) 10 (1) 11 (1)\n0 4 : 12 (-1) 13 (1) 14 (1) 15 (1)\n"
        "0 4 : 0 (-1) 4 (1) 8 (1) 12 (1)\n0 4 : 1 (-1) 5 (1) 9 (1) 13 (1)\n"
        "0 4 : 2 (-1) 6 (1) 10 (1) 14 (1)\n0 4 : 3 (-1) 7 (1) 11 (1) 15 (1)\n";
    const RepairRun feasible = Repair(threeByThree);
    EXPECT_EQ(feasible.outcome.status, vrn::RepairStatus::NothingToChange) << feasible.said;
    EXPECT_TRUE(feasible.outcome.changes.empty());
}

TEST(Repair, WhatNoChangeCanMendIsImpossible)
{
    // Every bound and level fixed by the prices.
    const RepairRun fixedAll = Repair(kBoxedIn, "1 lpl fixed\n1 upl fixed\n");
    EXPECT_EQ(fixedAll.outcome.status, vrn::RepairStatus::Impossible);
    // A relation of z cells that does not hold.
    const RepairRun zRelation =
        Repair("0 2\n0 30 1 z 0 100 0 0 0\n1 10 1 z 0 100 0 0 0\n1\n0 2 : 0 (-1) 1 (1)\n");
    EXPECT_EQ(zRelation.outcome.status, vrn::RepairStatus::Impossible);
    EXPECT_NE(zRelation.outcome.detail.find("relation 1 does not hold"), std::string::npos);
}

TEST(Repair, SymphonyFindsTheSameLeastRepair)
{
    const RepairRun run = Repair(kOppositeRoom, "", vrn::MakeSymphonySolver());
    ASSERT_EQ(run.outcome.status, vrn::RepairStatus::Repaired) << run.said;
    EXPECT_DOUBLE_EQ(run.outcome.boundsTotal, 2);
}

} // namespace
