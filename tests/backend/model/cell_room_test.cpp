// Each cell's room to move: its bounds, what its relations' other cells can absorb, and the budget
// of a better table than the one in hand.
#include "backend_test_tables.h"
#include "model/cell_room.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using vrn::test::Text;

TEST(CellRoom, BoundsRelationsAndTheBudgetLimitEachCell)
{
    // Total 0 = 1 + 2 + 3: 90 = 60 + 30 + 0. The total may not exceed 100; cell 3 is empty (z); cell 2
    // may not go below 25.
    const vrn::Instance table =
        Text("0 4\n0 90 1 s 0 100 0 0 0\n1 60 2 u 0 1000 6 6 0\n2 30 1 s 25 1000 0 0 0\n"
             "3 0 1 z 0 0 0 0 0\n1\n0 4 : 0 (-1) 1 (1) 2 (1) 3 (1)\n");
    vrn::CellRoom room = vrn::RoomOfCells(table, true);
    struct Case
    {
        const char* what;
        int cell;
        double up, down;
    } cases[] = {
        // Up: the total rises at most 10, cell 2 falls at most 5.
        {"a part, up through its relation", 1, 15, 60},
        // Down: its bound (30 - 25); up: the total's 10 plus cell 1's fall of 60.
        {"a part with a lower bound", 2, 70, 5},
        // Up: its own bound; down: its parts fall at most 60 + 5.
        {"the total", 0, 10, 65},
        {"an empty cell", 3, 0, 0},
    };
    for (const Case& c : cases)
    {
        EXPECT_NEAR(room.up[c.cell], c.up, 1e-6) << c.what;
        EXPECT_NEAR(room.down[c.cell], c.down, 1e-6) << c.what;
    }
    // A table of total weighted change 20 in hand: a better one moves cell 1 (cost 2) at most 10.
    vrn::LimitByBudget(table, 20, room);
    EXPECT_NEAR(room.up[1], 10, 1e-4);
    EXPECT_NEAR(room.down[1], 10, 1e-4);
    EXPECT_NEAR(room.down[2], 5, 1e-6);
}

} // namespace
