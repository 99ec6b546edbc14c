// The repair of a table that fails the check: a sensitive cell that hardly moved is moved on in the
// direction the table shows.
#include "backend_test_tables.h"
#include "cli/run_settings.h"
#include "fast/table_repair.h"
#include "model/checks.h"
#include "solvers/clp_solver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::Logged;
using vrn::test::Read;

TEST(TableRepair, ATableWhoseCellHardlyMovedIsRepairedWithTheDirectionItShows)
{
    // What a binary within its tolerance of 0 gave: the 3x3 table's sensitive cell 11 (40, level 5)
    // moved up 1 instead of 5, the table still adding up.
    const vrn::Instance table = Read(std::string(VRN_EXAMPLES_DIR) + "/table3x3.csp");
    std::vector<double> adjusted;
    for (const vrn::Cell& cell : table.cells)
        adjusted.push_back(cell.value);
    for (const int cell : {11, 3, 8, 0})
        adjusted[cell] += 1;
    vrn::BackendOptions options;
    ASSERT_FALSE(vrn::TablePasses(table, vrn::FastRunSettingsFromOptions(table, options), adjusted));
    auto clp = vrn::MakeClpSolver();
    vrn::RunControl control(-1);
    Logged logged;
    const std::vector<double> repaired = vrn::RepairTable(
        table, vrn::FastRunSettingsFromOptions(table, options), adjusted, *clp, nullptr, control, logged.log);
    ASSERT_FALSE(repaired.empty()) << logged.said << logged.warned;
    EXPECT_TRUE(vrn::TablePasses(table, vrn::FastRunSettingsFromOptions(table, options), repaired));
    EXPECT_GE(repaired[11], 45 - 1e-9); // the direction the table showed: up
    EXPECT_NEAR(vrn::WeightedChange(table, repaired), 20, 1e-6);
}

} // namespace
