// The Fast run the window starts with its options as they open (order 4-2-3-1, "% cells bounds" 2,
// the heuristic's directions), through the real mainVRN.exe: on every example it either writes a
// checked table or says in one line which value of "% cells bounds" works, and that value does.
#include "backend_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::test::ReadTextFile;

struct Outcome
{
    int status = -1;
    std::string out, err;
};

Outcome RunBackend(std::vector<std::string> args)
{
    const vrn::ChildResult child = vrn::test::RunBackend(std::move(args));
    return {child.status, child.out, child.err};
}

// The window's Fast options as they open; "% cells bounds" as given.
std::vector<std::string> WindowDefaults(const std::string& instance, const fs::path& dir, const char* solver,
                                        const std::string& pct)
{
    return {instance,   dir.string(), "--solver", solver, "--order", "4-2-3-1", "--pct-bounds", pct,
            "--fixdir", "s",          "--expobj", "0.5",  "--epsf",  "1.0e-4",  "--epsrhs",     "0"};
}

using FastDefaultRun = vrn::test::BackendProcessTest;

// The lines of `text` that name the window's field.
std::vector<std::string> AdviceLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.find("\"% cells bounds\"") != std::string::npos)
            lines.push_back(line);
    return lines;
}

// What the window's default Fast run gives on a table.
enum class Expect
{
    Table,        // a checked table at 2 %
    Advice,       // the one line with the value that works, and a checked table at that value
    Unprotectable // the input check proves that no table exists
};

TEST_F(FastDefaultRun, EveryExampleGivesACheckedTableOrTheValueThatWorks)
{
    const std::pair<const char*, const char*> solvers[] = {{"l", "_clp"}, {"g", "_glpk"}};
    const std::pair<std::string, Expect> tables[] = {
        {"table3x3", Expect::Advice},
        {"table5x5", Expect::Advice},
        {"cube3x3x3", Expect::Advice},
        {"regions", Expect::Advice},
        {"grid30x30", Expect::Table},
        {"counts2d", Expect::Table},
        // The heuristic's directions fail here even without the limit, and no directions work within 2 %:
        // the run once ended "infeasible" with no value to type.
        {"counts4d", Expect::Advice},
        {"magnitude3d", Expect::Advice},
        {"magnitude_hier", Expect::Advice},
        {"published5x5", Expect::Unprotectable},
        {std::string(VRN_CASES_DIR) + "/forced_equal", Expect::Advice},
    };
    const std::regex advice(
        R"re(^"% cells bounds" 2 \(--pct-bounds 2\) is too tight for these directions: the )re"
        R"re(smallest value that works is ([0-9.]+) \("% cells bounds" \1, --pct-bounds \1\)\r?$)re");
    for (const auto& [solver, suffix] : solvers)
        for (const auto& [table, expect] : tables)
        {
            const std::string instance =
                (table.find('/') == std::string::npos ? vrn::test::ExamplePath(table).string() : table) +
                ".csp";
            const std::string name = fs::path(instance).stem().string();
            const std::string what = name + " with " + solver;
            const Outcome first = RunBackend(WindowDefaults(instance, m_dir, solver, "2"));
            // The Std formulation's repair is offered only as the Std formulation's.
            EXPECT_EQ(first.err.find("check \"Repair infeasibility\" (--repair y)"), std::string::npos)
                << what << "\n"
                << first.err;
            std::string pct = "2";
            if (expect == Expect::Unprotectable)
            {
                EXPECT_EQ(first.status, 4) << what;
                EXPECT_NE(first.err.find("the instance cannot be protected as it stands"), std::string::npos)
                    << what << "\n"
                    << first.err;
                EXPECT_TRUE(AdviceLines(first.err).empty()) << what << "\n" << first.err;
                continue;
            }
            EXPECT_EQ(first.err.find("the problem is infeasible"), std::string::npos) << what << "\n"
                                                                                      << first.err;
            if (expect == Expect::Advice)
            {
                ASSERT_EQ(first.status, 4) << what << "\n" << first.out << first.err;
                const std::vector<std::string> lines = AdviceLines(first.err);
                ASSERT_EQ(lines.size(), 1u) << what << "\n" << first.err;
                std::smatch match;
                ASSERT_TRUE(std::regex_match(lines[0], match, advice)) << what << ": " << lines[0];
                pct = match[1];
                EXPECT_LE(pct.size(), 4u) << "fits the field";
                EXPECT_NE(ReadTextFile(m_dir / (name + suffix + ".log")).find(lines[0].substr(0, 40)),
                          std::string::npos)
                    << "the log has the advice too";
            }
            const Outcome run = pct == "2" ? first : RunBackend(WindowDefaults(instance, m_dir, solver, pct));
            ASSERT_EQ(run.status, 0) << what << " at " << pct << "\n" << run.out << run.err;
            EXPECT_NE(run.out.find("solution check: passed"), std::string::npos) << what;
            EXPECT_NE(ReadTextFile(m_dir / (name + suffix + ".sol")).find("# check: passed"),
                      std::string::npos)
                << what;
        }
}

TEST_F(FastDefaultRun, StagesShowTheirEndObjectiveAndTimeAndProgressFollowsTheInterval)
{
    const std::string instance = vrn::test::ExamplePath("grid30x30.csp").string();
    std::vector<std::string> args = WindowDefaults(instance, m_dir, "l", "2");
    const Outcome run = RunBackend(args);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("the stages share one model"), std::string::npos) << run.out;
    for (int stage = 1; stage <= 4; ++stage)
    {
        const std::string of = "stage " + std::to_string(stage) + " of 4";
        EXPECT_NE(run.out.find(", " + of + " ..."), std::string::npos) << of;
        EXPECT_TRUE(std::regex_search(run.out, std::regex(R"(\): [0-9.e+-]+ \()" + of + R"(, [0-9.]+ s\))")))
            << of << "\n"
            << run.out;
    }
    EXPECT_EQ(run.out.find("applies to the Std formulation only"), std::string::npos) << run.out;

    // A progress line at a short interval names the stage being solved (a table big enough for a stage
    // to last a while).
    const std::string table = (m_dir / "t250.csp").string();
    ASSERT_EQ(
        vrn::RunChild(vrn::test::GeneratorProgram(), {"vrn-gen", "2d", "250", "250", "--out", table}).status,
        0);
    std::vector<std::string> big = WindowDefaults(table, m_dir, "l", "20");
    big.insert(big.end(), {"--progress", "0.1"});
    const Outcome progress = RunBackend(big);
    ASSERT_EQ(progress.status, 0) << progress.out << progress.err;
    EXPECT_TRUE(std::regex_search(progress.out,
                                  std::regex(R"(\[vrn\] solving objective [1-4] \(.*stage [1-4] of 4)")))
        << progress.out;
}

} // namespace
