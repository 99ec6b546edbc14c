// The words of the conflicts that keep a table from being protected: what single relations and bounds
// prove of each hand-built table, a relation that cannot hold named with its range, and one direction
// explained on its own.
#include "backend_test_tables.h"
#include "instance/cell_rules.h"
#include "model/conflict.h"
#include "repair_tables.h"

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

vrn::ConflictReport Conflicts(const vrn::Instance& instance)
{
    return vrn::FindConflicts(instance, vrn::StdChangeRanges(instance, vrn::AutomaticBig(instance)), {});
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

} // namespace
