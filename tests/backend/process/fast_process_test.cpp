// The Fast formulation through the real mainVRN.exe, as the front-end starts it: every LP solver
// (GLPK through its sibling) passes the solution check, a directions file with errors ends with
// status 3 and its line numbers, and too tight percent bounds end as infeasible with the advice.
#include "backend_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::test::ReadTextFile;

class FastProcess : public vrn::test::BackendProcessTest
{
protected:
    // Runs mainVRN.exe with the example instance and the options; returns its exit status.
    int Run(const std::string& example, const std::vector<std::string>& options, std::string& out,
            std::string& err)
    {
        std::vector<std::string> args = {vrn::test::ExamplePath(example).string(), m_dir.string()};
        args.insert(args.end(), options.begin(), options.end());
        const vrn::ChildResult result = vrn::test::RunBackend(args);
        out = result.out;
        err = result.err;
        return result.status;
    }
};

TEST_F(FastProcess, EveryLpSolverPassesTheCheckWithTheFrontEndsFastOptions)
{
    const std::pair<const char*, const char*> solvers[] = {
        {"l", "_clp"}, {"g", "_glpk"}, {"b", "_cbc"}, {"s", "_sym"}};
    for (const auto& [code, suffix] : solvers)
    {
        std::string out, err;
        // The options the front-end writes for a Fast run, with percent bounds the grid can meet.
        ASSERT_EQ(Run("grid30x30.csp",
                      {"--solver", code, "--order", "4-2-3-1", "--pct-bounds", "20", "--fixdir", "s",
                       "--expobj", "0.5", "--epsf", "1.0e-4", "--epsrhs", "0"},
                      out, err),
                  0)
            << code << "\n"
            << out << err;
        for (const char* objective :
             {"objective 4 (largest relative change): ", "objective 3 (relative change of the totals): ",
              "objective 1 (total weighted change): "})
            EXPECT_NE(out.find(objective), std::string::npos) << code << " " << objective;
        EXPECT_NE(out.find("solution check: passed"), std::string::npos) << code;
        const std::string log = ReadTextFile(m_dir / (std::string("grid30x30") + suffix + ".log"));
        EXPECT_NE(log.find("Fast formulation"), std::string::npos) << code;
        EXPECT_NE(ReadTextFile(m_dir / (std::string("grid30x30") + suffix + ".sol")).find("# check: passed"),
                  std::string::npos)
            << code;
    }
}

// A Fast run may carry --fixdir without --order: the loop then solves its default order 4-2-3-1, and
// the model must hold objective 4's bounding column for it (without it, holding objective 4 wrote in
// front of the model's bounds and the run died with a corrupted heap, with CBC and GLPK alike).
TEST_F(FastProcess, DefaultOrderWithoutOrderOptionKeepsObjectiveFour)
{
    for (const char* code : {"b", "g", "l"})
    {
        std::string out, err;
        ASSERT_EQ(Run("grid30x30.csp", {"--solver", code, "--fixdir", "s", "--pct-bounds", "20"}, out, err),
                  0)
            << code << "\n"
            << out << err;
        EXPECT_NE(out.find("objective 4 (largest relative change): "), std::string::npos) << code;
        EXPECT_NE(out.find("solution check: passed"), std::string::npos) << code;
    }
}

TEST_F(FastProcess, ThreeByThreeGivesTwentyInEveryDirectionsMode)
{
    std::ofstream(m_dir / "dirs.txt") << "11 1\n";
    const std::vector<std::vector<std::string>> modes = {
        {"--fixdir", "s"},
        {"--fixdir", "r", "--seed", "4"},
        {"--fixdir", "f", "--fixdirfn", (m_dir / "dirs.txt").string()}};
    for (const auto& mode : modes)
    {
        std::vector<std::string> options = {"--solver", "l", "--order", "1"};
        options.insert(options.end(), mode.begin(), mode.end());
        std::string out, err;
        ASSERT_EQ(Run("table3x3.csp", options, out, err), 0) << mode[1] << out << err;
        EXPECT_NE(out.find("objective (total weighted change): 20\r\n"), std::string::npos) << mode[1];
    }
}

TEST_F(FastProcess, DirectionsFileErrorsEndWithStatus3AndTheirLines)
{
    const std::string dirs = (m_dir / "dirs.txt").string();
    std::ofstream(dirs) << "11 1\n3 0\n11 x\n99 1\n";
    std::string out, err;
    EXPECT_EQ(
        Run("table3x3.csp", {"--solver", "l", "--order", "1", "--fixdir", "f", "--fixdirfn", dirs}, out, err),
        3);
    EXPECT_NE(err.find(dirs + ":2: cell 3 is not a sensitive cell"), std::string::npos) << err;
    EXPECT_NE(err.find(dirs + ":3: expected 'cell direction'"), std::string::npos) << err;
    EXPECT_NE(err.find(dirs + ":4: cell 99 does not exist"), std::string::npos) << err;
    EXPECT_NE(ReadTextFile(m_dir / "table3x3_clp.sol").find("directions file"), std::string::npos);

    EXPECT_EQ(
        Run("table3x3.csp", {"--solver", "l", "--order", "1", "--fixdir", "f", "--fixdirfn", ""}, out, err),
        3);
    EXPECT_NE(err.find("no directions file given (--fixdirfn)"), std::string::npos) << err;
}

TEST_F(FastProcess, TightPercentBoundsEndAsInfeasibleWithAdvice)
{
    std::string out, err;
    EXPECT_EQ(Run("table3x3.csp",
                  {"--solver", "l", "--order", "4-2-3-1", "--pct-bounds", "2", "--fixdir", "s"}, out, err),
              4);
    EXPECT_NE(err.find("no table keeps every non-sensitive cell within 2 % of its value"), std::string::npos)
        << err;
    EXPECT_NE(err.find("(\"% cells bounds\" 2.78, --pct-bounds 2.78)"), std::string::npos) << err;
    EXPECT_NE(ReadTextFile(m_dir / "table3x3_clp.sol").find("# outcome: infeasible"), std::string::npos);
}

} // namespace

namespace
{

TEST_F(FastProcess, StartingPointReachesEveryIntegerSolver)
{
    // What each solver prints when it takes the table (SYMPHONY prints nothing of it).
    const std::pair<const char*, const char*> solvers[] = {
        {"b", "Cbc0045I Solution with objective value"}, {"g", "Solution found by heuristic"}, {"s", ""}};
    for (const auto& [code, taken] : solvers)
    {
        std::string out, err;
        ASSERT_EQ(Run("table5x5.csp", {"--solver", code, "--startingpoint", "s", "--mipgap", "0"}, out, err),
                  0)
            << code << out << err;
        EXPECT_NE(out.find("starting point: a protected table with total weighted change"), std::string::npos)
            << code;
        EXPECT_NE(out.find("solution check: passed"), std::string::npos) << code;
        EXPECT_NE(out.find(taken), std::string::npos) << code;
    }
}

} // namespace
