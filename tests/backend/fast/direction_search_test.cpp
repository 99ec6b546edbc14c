// The directions search before "infeasible", in process with the COIN-OR solvers: directions found
// where the guesses cannot be met, none where the Std model proves there is no table, and the cells
// a conflict draws in.
#include "backend_test_tables.h"
#include "fast/direction_search.h"
#include "instance/cell_rules.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::Logged;
using vrn::test::Read;
using vrn::test::Text;

// A total whose other parts are empty moves as its one open part: 3, 12, 15, 20 and 23 move alike.
const std::string kForcedEqual = std::string(VRN_CASES_DIR) + "/forced_equal.csp";

vrn::FastSettings SettingsOf(const vrn::Instance& table)
{
    vrn::FastSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    return settings;
}

TEST(DirectionSearch, FindsDirectionsWhereTheGuessesCannotBeMet)
{
    const vrn::Instance table = Read(kForcedEqual);
    vrn::DirectionChoice choice = vrn::ForcedDirections(table, 1000);
    for (int cell : {3, 4, 12, 20})
    {
        choice.direction[cell] = cell == 12 ? vrn::Direction::Down : vrn::Direction::Up;
        choice.source[cell] = vrn::DirectionSource::Heuristic;
    }
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    Logged logged;
    // CLP solves no integer program: without a second solver there is no search.
    EXPECT_EQ(vrn::SearchDirections(table, SettingsOf(table), {3, 12}, *clp, nullptr, {}, control, logged.log,
                                    choice),
              vrn::DirectionSearch::NotTried);
    ASSERT_EQ(vrn::SearchDirections(table, SettingsOf(table), {3, 12}, *clp, cbc.get(), {}, control,
                                    logged.log, choice),
              vrn::DirectionSearch::Found)
        << logged.said << logged.warned;
    EXPECT_EQ(choice.direction[12], choice.direction[3]);
    EXPECT_EQ(choice.direction[20], choice.direction[3]);
    EXPECT_EQ(choice.source[3], vrn::DirectionSource::Table);

    // A cell that no table can protect (its row's other cells are empty and the total cannot move):
    // the Std model proves it.
    const vrn::Instance stuck = Text("0 3\n0 10 1 z 10 10 0 0 0\n1 10 1 u 0 100 1 1 0\n2 0 1 z 0 0 0 0 0\n1\n"
                                     "0 3 : 0 (-1) 1 (1) 2 (1)\n");
    vrn::DirectionChoice none = vrn::ForcedDirections(stuck, 1000);
    none.direction[1] = vrn::Direction::Up;
    none.source[1] = vrn::DirectionSource::Heuristic;
    EXPECT_EQ(
        vrn::SearchDirections(stuck, SettingsOf(stuck), {1}, *cbc, nullptr, {}, control, logged.log, none),
        vrn::DirectionSearch::Infeasible);
    EXPECT_NE(logged.said.find("the Std model, with every direction open, has no table either"),
              std::string::npos)
        << logged.said;
}

TEST(DirectionSearch, ConflictNeighbourhoodTakesTiedCellsAndRelationPartners)
{
    const vrn::Instance table = Read(kForcedEqual);
    // Cell 12's tie brings 3 and 20; cell 4 shares the relation 0 = 4 + 12 with it.
    EXPECT_EQ(vrn::ConflictNeighbourhood(table, true, {12}), (std::vector<int>{3, 4, 12, 20}));
}

} // namespace
