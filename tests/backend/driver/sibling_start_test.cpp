// The GLPK run's starting table from mainVRN.exe: the sibling gets a Fast run of objective 1 and the
// options of this run that shape the table, nothing else.
#include "cli/command_line.h"
#include "driver/sibling_start.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

std::vector<std::string> OptionsFor(const std::vector<const char*>& line, double seconds)
{
    std::vector<const char*> argv = {"mainVRN-glpk", "t.csp", "out", "--solver", "g"};
    argv.insert(argv.end(), line.begin(), line.end());
    const vrn::CommandLineResult parsed = vrn::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
    EXPECT_EQ(parsed.error, "");
    return vrn::SiblingStartOptions(parsed.options, seconds);
}

TEST(SiblingStart, TheSiblingRunsTheFastStartWithTheOptionsThatShapeTheTable)
{
    const std::vector<std::string> fast = {"--solver", "l", "--order", "1", "--fixdir", "s"};
    struct Case
    {
        const char* what;
        std::vector<const char*> line;
        double seconds;
        std::vector<std::string> after;
    } cases[] = {
        {"defaults, no time limit", {}, -1, {}},
        {"its share of the time", {"--time", "60"}, 40, {"--time", "40"}},
        {"the table's rules go along",
         {"--additive", "n", "--intdev", "y", "--scale", "10", "--feasibility", "1e-7", "--seed", "4"},
         -1,
         {"--additive", "n", "--intdev", "y", "--scale", "10", "--feasibility", "1e-7", "--seed", "4"}},
        {"the search's own options stay here",
         {"--mipgap", "1", "--bcd-clusters", "8", "--vineq", "y", "--write", "y", "--progress", "1"},
         -1,
         {}},
    };
    for (const Case& c : cases)
    {
        std::vector<std::string> expected = fast;
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(OptionsFor(c.line, c.seconds), expected) << c.what;
    }
}

} // namespace
