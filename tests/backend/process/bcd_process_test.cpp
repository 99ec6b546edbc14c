// Block coordinate descent through the real mainVRN.exe, started from an argument vector as the
// front-end starts it: every integer solver (GLPK through its sibling) improves on the start and
// passes the solution check, one progress line per block, status naming cycle and block, a stop
// during a block keeping the best table, and the options' errors.
#include "backend_process.h"
#include "instance/instance.h"
#include "tools/table_generator.h"

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

using vrn::test::ReadTextFile;

double NumberAfter(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::stod(text.substr(at + label.size()));
}

class BcdProcess : public vrn::test::BackendProcessTest
{
protected:
    std::string Table(int rows, int cols)
    {
        vrn::GeneratorSettings settings;
        settings.dimensions = {vrn::Dimension::Flat(rows), vrn::Dimension::Flat(cols)};
        settings.maxValue = 999;
        const fs::path path = m_dir / "table.csp";
        std::ofstream out(path);
        vrn::WriteInstance(out, vrn::GenerateTable(settings));
        return path.string();
    }

    std::vector<std::string> Args(const std::string& table, const std::string& solver,
                                  const std::vector<std::string>& options)
    {
        std::vector<std::string> args{table, m_dir.string(), "--solver", solver};
        args.insert(args.end(), options.begin(), options.end());
        return args;
    }
};

TEST_F(BcdProcess, EveryIntegerSolverImprovesTheStartAndPassesTheCheck)
{
    const std::string table = Table(15, 15);
    for (const auto& [code, suffix] :
         {std::pair<std::string, std::string>{"b", "_cbc"}, {"g", "_glpk"}, {"s", "_sym"}})
    {
        vrn::test::BackendChild run(
            Args(table, code, {"--bcd-clusters", "3", "--bcd-cycle", "o", "--mipgap", "0"}));
        ASSERT_EQ(run.Wait(), 0) << code << "\n" << run.Out() << run.Err();
        const std::string out = run.Out();
        for (const char* line : {"[vrn] BCD cycle 1, block 1 of 3: ", "[vrn] BCD cycle 1, block 3 of 3: ",
                                 "ended: one cycle done", "solution check: passed"})
            EXPECT_NE(out.find(line), std::string::npos) << code << ": " << line << "\n" << out;
        const double start =
            NumberAfter(out, "starting point: a protected table with total weighted change ");
        const double best = NumberAfter(out, "objective (total weighted change): ");
        EXPECT_GT(start, 0) << code;
        EXPECT_LE(best, start) << code;
        const std::string sol = ReadTextFile(m_dir / ("table" + suffix + ".sol"));
        EXPECT_NE(sol.find("# check: passed"), std::string::npos) << code;
        // The bound: each sensitive cell's least change, below the table's and in the header with the gap.
        const double bound = NumberAfter(out, "\nbound: ");
        EXPECT_GT(bound, 0) << code << "\n" << out;
        EXPECT_LE(bound, best) << code;
        EXPECT_NE(sol.find("# gap: "), std::string::npos) << code << "\n" << sol.substr(0, 400);
    }
}

TEST_F(BcdProcess, StatusNamesTheBlockAndAStopKeepsTheBestTable)
{
    vrn::test::BackendChild run(
        Args(Table(60, 60), "b", {"--bcd-clusters", "3", "--mipgap", "0", "--progress", "1"}));
    ASSERT_TRUE(run.WaitForOutput("BCD: \\d+ sensitive cells", 60)) << run.Out() << run.Err();
    run.Send("status\n");
    ASSERT_TRUE(
        // With more than one core the first two blocks run side by side.
        run.WaitForOutput(
            "\\[vrn\\] BCD cycle 1, (blocks 1 and 2 side by side: )?block 1 of 3 \\(\\d+ cells\\), "
            "[0-9.]+ s, best table",
            30))
        << run.Out();
    run.Send("stop\n");
    EXPECT_EQ(run.Wait(), 0) << run.Out() << run.Err();
    const std::string out = run.Out();
    EXPECT_NE(out.find("outcome: feasible (stopped by the stop command)"), std::string::npos) << out;
    EXPECT_NE(out.find("ended: stopped by the stop command"), std::string::npos) << out;
    EXPECT_NE(out.find("solution check: passed"), std::string::npos) << out;
    EXPECT_LE(NumberAfter(out, "objective (total weighted change): "),
              NumberAfter(out, "starting point: a protected table with total weighted change "));
}

TEST_F(BcdProcess, OptionErrorsAndOptionsThatDoNotApply)
{
    const std::string table = Table(4, 4);
    struct Case
    {
        std::vector<std::string> options;
        int status;
        std::string text;
    };
    const std::vector<Case> cases{
        {{"--dyn-sprop", "150"}, 2, "option --dyn-sprop has the value '150'"},
        {{"--dyn-perturb", "-1"}, 2, "option --dyn-perturb has the value '-1'"},
        {{"--bcd-time", "0"}, 2, "option --bcd-time has the value '0'"},
        {{"--bcd-nstop", "0.5"}, 2, "option --bcd-nstop has the value '0.5'"},
        {{"--bcd-cycle", "x"}, 2, "option --bcd-cycle has the value 'x'"},
        {{"--bcd-time", "5"}, 0, "--bcd-time: applies to block coordinate descent only"},
        {{"--bcd-clusters", "2", "--dyn-sprop", "20"}, 0, "--dyn-sprop: applies to dynamic block coordinate"},
        {{"--bcd-clusters", "2", "--order", "1"}, 0, "--bcd-clusters: applies to the Std formulation only"},
    };
    for (const Case& c : cases)
    {
        vrn::test::BackendChild run(Args(table, "b", c.options));
        EXPECT_EQ(run.Wait(), c.status) << c.options[0] << "\n" << run.Out() << run.Err();
        EXPECT_NE((run.Out() + run.Err()).find(c.text), std::string::npos) << c.text << "\n"
                                                                           << run.Out() << run.Err();
    }
}

} // namespace
