// The repair and the explanation of an infeasible table through the real mainVRN.exe: the changes in
// the log, BASE_repaired.csp read back and protected, the .sol header, the repair file's errors with
// their lines, every integer solver, and a table that needs no repair.
#include "backend_process.h"
#include "instance/instance.h"
#include "model/checks.h"
#include "repair_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::test::kBoundForbids;
using vrn::test::kChain;
using vrn::test::ReadTextFile;

class RepairProcess : public vrn::test::BackendProcessTest
{
protected:
    std::string m_out, m_err;

    // mainVRN.exe INSTANCE DIR ARGS... to the end; returns the exit status.
    int Run(const fs::path& instance, std::vector<std::string> args)
    {
        args.insert(args.begin(), {instance.string(), m_dir.string()});
        const vrn::ChildResult run = vrn::test::RunBackend(std::move(args));
        m_out = run.out;
        m_err = run.err;
        return run.status;
    }

    bool Said(const std::string& words) const { return m_out.find(words) != std::string::npos; }
    bool Warned(const std::string& words) const { return m_err.find(words) != std::string::npos; }
};

TEST_F(RepairProcess, AnInfeasibleTableExplainsItselfAndAdvisesTheRepair)
{
    const fs::path instance = Write("forbids.csp", kBoundForbids);
    EXPECT_EQ(Run(instance, {"--solver", "b"}), 4) << m_out << m_err;
    EXPECT_TRUE(
        Said("sensitive cell 1 (value 10) must move down by at least 4 or up by at least 4, but it can "
             "fall by at most 2 (lower bound 8); and it cannot rise at all: relation 1 can absorb no more"))
        << m_out;
    EXPECT_TRUE(Warned("check \"Repair infeasibility\" (--repair y)")) << m_err;
    // Without the input check the solver proves it, and the explanation follows.
    EXPECT_EQ(Run(instance, {"--solver", "b", "--check", "n"}), 4) << m_out << m_err;
    EXPECT_TRUE(Said("why: what single relations and bounds allow proves it")) << m_out;
}

TEST_F(RepairProcess, AConflictAcrossRelationsIsFoundByTheLeastRepair)
{
    const fs::path instance = Write("chain.csp", kChain);
    EXPECT_EQ(Run(instance, {"--solver", "b"}), 4) << m_out << m_err;
    EXPECT_TRUE(
        Said("why: cells 4 and relations 2 conflict; the least change that makes the table protectable:"))
        << m_out;
    EXPECT_TRUE(Said("cell 4: upper bound 21 -> 23") || Said("cell 4: lower bound 19 -> 17")) << m_out;
    EXPECT_TRUE(Warned("--repair y")) << m_err;
}

TEST_F(RepairProcess, RepairWritesTheRepairedInstanceAndProtectsIt)
{
    const fs::path instance = Write("forbids.csp", kBoundForbids);
    const std::pair<const char*, const char*> solvers[] = {{"b", "_cbc"}, {"g", "_glpk"}, {"s", "_sym"}};
    for (const auto& [code, suffix] : solvers)
    {
        ASSERT_EQ(Run(instance, {"--solver", code, "--repair", "y", "--repairfn", ""}), 0) << m_out << m_err;
        EXPECT_TRUE(Said("repair: 1 change: bounds widened by 2, protection levels lowered by 0")) << m_out;
        EXPECT_TRUE(Said("  cell 1: lower bound 8 -> 6 (price 1 per unit)")) << m_out;
        const fs::path repairedPath = m_dir / (std::string("forbids") + suffix + "_repaired.csp");
        const vrn::ReadResult repaired = vrn::ReadInstanceFile(repairedPath.string(), true);
        ASSERT_TRUE(repaired.errors.empty()) << code;
        EXPECT_EQ(repaired.instance.cells[1].lb, 6);
        const std::string sol = ReadTextFile(m_dir / (std::string("forbids") + suffix + ".sol"));
        EXPECT_NE(sol.find("# repaired: 1 change: bounds widened by 2"), std::string::npos) << sol;
        EXPECT_NE(sol.find("# check: passed"), std::string::npos) << sol;
        // The table written is protected for the repaired instance: cell 1 falls to 6 and the total with it.
        const std::vector<double> adjusted =
            vrn::test::ReadSolutionFile(m_dir / (std::string("forbids") + suffix + ".sol")).adjusted;
        const vrn::CheckReport check = vrn::CheckSolution(repaired.instance, adjusted, true, false, 1e-6);
        EXPECT_TRUE(check.passed) << code << " " << check.lines[0];
        EXPECT_DOUBLE_EQ(vrn::WeightedChange(repaired.instance, adjusted), 8) << code;
    }
}

TEST_F(RepairProcess, RepairFileErrorsCarryTheirLines)
{
    const fs::path instance = Write("forbids.csp", kBoundForbids);
    const fs::path prices = Write("prices.txt", "# prices\n1 lb fixed\n1 width 2\n7 ub 1\n");
    EXPECT_EQ(Run(instance, {"--solver", "b", "--repair", "y", "--repairfn", prices.string()}), 3) << m_out;
    EXPECT_TRUE(Warned(prices.string() + ":3: 'width' for cell 1; expected one of lb ub lpl upl")) << m_err;
    EXPECT_TRUE(Warned(prices.string() + ":4: cell '7' does not exist")) << m_err;
    EXPECT_NE(ReadTextFile(m_dir / "forbids_cbc.sol").find("# outcome: repair file errors"),
              std::string::npos);
    // The same file without its bad lines prices the repair: the lower bound may not move.
    Write("prices.txt", "# prices\n1 lb fixed\n");
    ASSERT_EQ(Run(instance, {"--solver", "b", "--repair", "y", "--repairfn", prices.string()}), 0) << m_err;
    EXPECT_TRUE(Said("cell 0: upper bound 30 -> 34")) << m_out;
}

TEST_F(RepairProcess, ATableThatCanBeProtectedIsLeftAsItIs)
{
    const fs::path instance = vrn::test::ExamplePath();
    ASSERT_EQ(Run(instance, {"--solver", "b", "--repair", "y", "--repairfn", ""}), 0) << m_out << m_err;
    EXPECT_TRUE(Said("repair: the table can be protected as it stands; the repair changes nothing")) << m_out;
    EXPECT_TRUE(Said("objective (total weighted change): 20")) << m_out;
    EXPECT_FALSE(fs::exists(m_dir / "table3x3_cbc_repaired.csp"));
    EXPECT_NE(ReadTextFile(m_dir / "table3x3_cbc.sol").find("# repaired: no (nothing to change)"),
              std::string::npos);
}

TEST_F(RepairProcess, WhatNoRepairCanMendEndsAsInfeasible)
{
    const fs::path instance = Write("forbids.csp", kBoundForbids);
    const fs::path prices = Write("prices.txt", "1 lb fixed\n0 ub fixed\n1 lpl fixed\n1 upl fixed\n");
    EXPECT_EQ(Run(instance, {"--solver", "b", "--repair", "y", "--repairfn", prices.string()}), 4) << m_out;
    EXPECT_TRUE(Warned("ERROR: no repair makes the table protectable")) << m_err;
    EXPECT_TRUE(Said("can fall by at most 2 (lower bound 8)")) << m_out;
    // CLP cannot choose directions: a plain message, status 7.
    EXPECT_EQ(Run(instance, {"--solver", "l", "--repair", "y", "--repairfn", ""}), 7) << m_out << m_err;
}

TEST_F(RepairProcess, ValidInequalitiesKeepTheOptimumWithEveryIntegerSolver)
{
    const fs::path instance = vrn::test::ExamplePath();
    ASSERT_EQ(Run(instance, {"--solver", "b", "--vineq", "c"}), 0) << m_out << m_err;
    EXPECT_TRUE(Said("valid inequalities (check only): the relaxation's optimum violates 4 of 4; none added"))
        << m_out;
    for (const char* solver : {"b", "g", "s"})
    {
        ASSERT_EQ(Run(instance, {"--solver", solver, "--vineq", "y", "--mipgap", "0"}), 0) << m_out << m_err;
        EXPECT_TRUE(Said("relaxation bound 5 -> ")) << solver << "\n" << m_out;
        EXPECT_TRUE(Said("objective (total weighted change): 20\r\n")) << solver << "\n" << m_out;
        EXPECT_TRUE(Said("solution check: passed")) << solver;
    }
    // Not for the Fast formulation, which has no directions to choose.
    ASSERT_EQ(Run(instance, {"--solver", "l", "--order", "1", "--fixdir", "s", "--vineq", "y"}), 0) << m_err;
    EXPECT_TRUE(Said("--vineq: applies to the Std formulation only")) << m_out;
}

} // namespace
