// Repairing tables that cannot be protected, on hand-built tables whose least repair is known: a
// sensitive cell boxed in by z neighbours, a bound that forbids the only open direction, two
// sensitive cells that need opposite room in one relation, and a conflict that only a chain of
// relations shows. Also the words of the conflicts and the repair file's errors.
#include "instance/cell_rules.h"
#include "instance/repair_file.h"
#include "model/checks.h"
#include "model/conflict.h"
#include "repair_tables.h"
#include "solvers/cbc_solver.h"
#include "solvers/symphony_solver.h"
#include "standard/repair.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::kBoundForbids;
using vrn::test::kBoxedIn;
using vrn::test::kChain;
using vrn::test::kOppositeRoom;

vrn::Instance Parse(const std::string& text)
{
    auto read = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(read.errors.empty()) << (read.errors.empty() ? "" : read.errors[0].message);
    return read.instance;
}

vrn::ConflictReport Conflicts(const vrn::Instance& instance)
{
    return vrn::FindConflicts(instance, vrn::StdChangeRanges(instance, vrn::AutomaticBig(instance)), {});
}

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

TEST(Conflicts, SingleRelationsAndBoundsProveWhatTheyCan)
{
    struct Case
    {
        const char* name;
        const char* table;
        int cells;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"boxed in",
         kBoxedIn,
         1,
         {"cell 1 (value 10) must move down by at least 3 or up by at least 3",
          "cannot fall at all: relation 1 can absorb no more (cells 0 and 2 are fixed (z))"}},
        {"bound forbids",
         kBoundForbids,
         1,
         {"it can fall by at most 2 (lower bound 8)",
          "it cannot rise at all: relation 1 can absorb no more (cell 2 is fixed (z), cell 0 cannot rise (at "
          "its upper bound 30))"}},
        {"opposite room",
         kOppositeRoom,
         1,
         {"it can fall by at most 3: relation 1", "cell 2 can rise by at most 3 (upper bound 13)"}},
        {"chain", kChain, 0, {}},
    };
    for (const Case& c : cases)
    {
        const vrn::ConflictReport report = Conflicts(Parse(c.table));
        EXPECT_EQ(report.cells, c.cells) << c.name << "\n" << Joined(report.lines);
        EXPECT_EQ(report.relations, 0) << c.name;
        for (const std::string& words : c.words)
            EXPECT_NE(Joined(report.lines).find(words), std::string::npos) << c.name << ": " << words << "\n"
                                                                           << Joined(report.lines);
    }
}

TEST(Conflicts, ARelationThatCannotHoldIsNamedWithItsRange)
{
    // 30 = 10 + 20 must become 35 = ... (rhs 5 off) with the total fixed and the parts within 1.
    const vrn::Instance table = Parse("0 3\n0 30 1 z 0 100 0 0 0\n1 10 1 s 9 11 0 0 0\n2 20 1 s 19 21 0 0 0\n"
                                      "1\n5 3 : 0 (-1) 1 (1) 2 (1)\n");
    const vrn::ConflictReport report = Conflicts(table);
    EXPECT_EQ(report.relations, 1);
    EXPECT_NE(Joined(report.lines)
                  .find("relation 1 needs its cells to change its sum by 5, but within their "
                        "limits they can change it only between -2 and 2"),
              std::string::npos)
        << Joined(report.lines);
    // Keeping the original residual (not additive), the same relation holds with no change.
    vrn::ConflictSettings notAdditive;
    notAdditive.additive = false;
    EXPECT_FALSE(vrn::FindConflicts(table, vrn::StdChangeRanges(table, 1000), notAdditive).Proven());
}

TEST(Conflicts, ADirectionIsExplainedOnItsOwn)
{
    const vrn::Instance table = Parse(kBoundForbids);
    const auto ranges = vrn::StdChangeRanges(table, 1000);
    EXPECT_EQ(vrn::DirectionConflictText(table, ranges, {}, 1, vrn::Direction::Down),
              "it can fall by at most 2 (lower bound 8)");
    EXPECT_NE(vrn::DirectionConflictText(table, ranges, {}, 1, vrn::Direction::Up).find("cell 0 cannot rise"),
              std::string::npos);
    const vrn::Instance open = Parse(kChain);
    EXPECT_EQ(vrn::DirectionConflictText(open, vrn::StdChangeRanges(open, 1000), {}, 1, vrn::Direction::Up),
              "");
}

TEST(RepairFile, EveryBadLineIsReportedWithItsNumber)
{
    const vrn::Instance table = Parse(kBoundForbids);
    struct Case
    {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"1 ub", "expected 'CELL WHAT PRICE'"},
        {"1 ub 1 2", "expected 'CELL WHAT PRICE'"},
        {"9 ub 1", "cell '9' does not exist (the table has cells 0 to 2)"},
        {"-1 ub 1", "cell '-1' does not exist"},
        {"99999999999999999999999 ub 1", "does not exist"},
        {"1 bound 1", "'bound' for cell 1; expected one of lb ub lpl upl"},
        {"1 ub -1", "price '-1' for cell 1 ub; expected a number >= 0 or fixed"},
        {"1 ub cheap", "price 'cheap'"},
        {"1 ub nan", "price 'nan'"},
        {"2 ub 1", "cell 2 has status z"},
    };
    for (const Case& c : cases)
    {
        const vrn::RepairFileResult read =
            vrn::ReadRepairText(std::string("# prices\n\n") + c.line + "\n", table);
        ASSERT_EQ(read.errors.size(), 1u) << c.line;
        EXPECT_EQ(read.errors[0].line, 3) << c.line;
        EXPECT_NE(read.errors[0].message.find(c.message), std::string::npos)
            << c.line << ": " << read.errors[0].message;
    }
    const vrn::RepairFileResult twice = vrn::ReadRepairText("1 ub 1\n1 lb 2\n1 ub 3 # again\n", table);
    ASSERT_EQ(twice.errors.size(), 1u);
    EXPECT_EQ(vrn::FormatErrorText("prices.txt", twice.errors[0]),
              "prices.txt:3: cell 1 ub was priced already on line 1");
}

TEST(RepairFile, PricesFixedCellsAndTheProtectionSwitch)
{
    const vrn::Instance table = Parse(kBoundForbids);
    const vrn::RepairFileResult read =
        vrn::ReadRepairText("1 lb fixed\n0 ub 2.5  # dearer\n1 upl fixed\n", table);
    ASSERT_TRUE(read.errors.empty());
    EXPECT_EQ(read.prices.Of(1, vrn::RepairWhat::Lb), vrn::kFixedPrice);
    EXPECT_EQ(read.prices.Of(0, vrn::RepairWhat::Ub), 2.5);
    EXPECT_EQ(read.prices.Of(1, vrn::RepairWhat::Lpl), 1);
    EXPECT_FALSE(read.prices.protectionPriced); // "fixed" forbids a change, it does not price one
    EXPECT_TRUE(vrn::ReadRepairText("1 lpl 0.5\n", table).prices.protectionPriced);
    EXPECT_TRUE(vrn::ReadRepairFile("", table).errors.empty());
    EXPECT_EQ(vrn::ReadRepairFile("/nonexistent/prices.txt", table).errors.at(0).line, 0);
}

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
