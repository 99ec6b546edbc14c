// Cells that the relations tie together: which cells a relation ties and which way, the heuristic
// moving tied cells together, and opposite guesses aligned with the member the bounds force.
#include "backend_test_tables.h"
#include "fast/balance_directions.h"
#include "fast/direction_ties.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::Read;
using vrn::test::Text;

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

} // namespace
