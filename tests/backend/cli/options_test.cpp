#include "cli/command_line.h"
#include "common/exit_status.h"
#include "contract/option_names.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{

vrn::CommandLineResult Parse(std::vector<std::string> extra)
{
    std::vector<std::string> args = {"mainVRN.exe", "in.csp", "out"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    return vrn::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

TEST(BackendOptions, EveryControlAtItsInitialValueGivesTheDefaults)
{
    const auto r = Parse({"--solver", "x"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.instancePath, "in.csp");
    EXPECT_EQ(r.options.outputFolder, "out");
    EXPECT_EQ(r.options.solver, 'x');
    EXPECT_TRUE(r.options.additive);
    EXPECT_TRUE(r.options.check);
    EXPECT_EQ(r.options.mipGapPercent, 5);
    EXPECT_EQ(r.options.feasibility, 1e-6);
    EXPECT_EQ(r.options.formulation(), vrn::Formulation::Std);
}

// The argument vectors the front-end writes for its documented cases are all accepted.
TEST(BackendOptions, AcceptsWhatTheFrontEndWrites)
{
    const std::vector<std::vector<std::string>> vectors = {
        {"--solver", "x", "--order", "4-2-3-1", "--pct-bounds", "2", "--fixdir", "s", "--expobj", "0.5",
         "--epsf", "1.0e-4", "--epsrhs", "0"},
        {"--solver",       "b",    "--intdev",        "y",    "--additive", "n",  "--format",    "a",
         "--check",        "n",    "--scale",         "10",   "--progress", "3",  "--big",       "-1",
         "--model",        "c",    "--time",          "60",   "--first",    "y",  "--mipgap",    "1",
         "--feasibility",  "1e-7", "--integrality",   "1e-5", "--repair",   "y",  "--repairfn",  "",
         "--bcd-clusters", "4",    "--bcd-time",      "10",   "--bcd-objf", "1",  "--bcd-endbc", "5",
         "--bcd-cycle",    "o",    "--bcd-nstop",     "3",    "--dynamic",  "y",  "--dyn-sprop", "40",
         "--dyn-perturb",  "60",   "--prepsens",      "y",    "--write",    "y",  "--seed",      " 7",
         "--mipemphasis",  "3",    "--emphasis",      "3",    "--varsel",   "-1", "--intdevtol", "0.01",
         "--vineq",        "c",    "--startingpoint", "s"},
        {"--solver", "l", "--order", "1", "--lptol", "1e-8", "--method", "s", "--crossover", "n", "--fixdir",
         "f", "--fixdirfn", ""},
    };
    for (const auto& v : vectors)
    {
        const auto r = Parse(v);
        EXPECT_EQ(r.error, "") << v[1];
        EXPECT_FALSE(r.helpRequested);
    }
}

// Every option name the front-end may write is one the back-end parses, with a value of its kind, and
// a value of no kind is refused with the option named: each name reaches a rule that reads its value.
TEST(BackendOptions, EveryNameOfTheContractParses)
{
    using namespace vrn;
    const std::map<std::string, std::string> sampleValue = {
        {kOptSolver, "b"},       {kOptIntdev, "y"},      {kOptAdditive, "n"},      {kOptFormat, "a"},
        {kOptCheck, "n"},        {kOptScale, "10"},      {kOptProgress, "3"},      {kOptBig, "-1"},
        {kOptModel, "n"},        {kOptOrder, "4-2-3-1"}, {kOptPctBounds, "2"},     {kOptTime, "60"},
        {kOptFirst, "y"},        {kOptMipgap, "1"},      {kOptLptol, "1e-8"},      {kOptFeasibility, "1e-7"},
        {kOptIntegrality, "0"},  {kOptRepair, "y"},      {kOptRepairfn, "r.txt"},  {kOptBcdClusters, "4"},
        {kOptBcdTime, "10"},     {kOptBcdObjf, "1"},     {kOptBcdEndbc, "5"},      {kOptBcdCycle, "c"},
        {kOptBcdNstop, "3"},     {kOptDynamic, "y"},     {kOptDynSprop, "40"},     {kOptDynPerturb, "60"},
        {kOptPrepsens, "y"},     {kOptWrite, "y"},       {kOptSeed, "7"},          {kOptMipemphasis, "3"},
        {kOptEmphasis, "0"},     {kOptVarsel, "-1"},     {kOptIntdevtol, "0.01"},  {kOptMethod, "s"},
        {kOptCrossover, "n"},    {kOptVineq, "y"},       {kOptStartingpoint, "c"}, {kOptFixdir, "r"},
        {kOptFixdirfn, "d.txt"}, {kOptExpobj, "0.5"},    {kOptEpsf, "1e-4"},       {kOptEpsrhs, "0"},
    };
    const std::set<std::string> anyText = {kOptRepairfn, kOptFixdirfn}; // paths: every text is one
    for (const char* name : kOptionNames)
    {
        const auto sample = sampleValue.find(name);
        ASSERT_NE(sample, sampleValue.end()) << "no sample value for " << name;
        const auto r = Parse({name, sample->second});
        EXPECT_EQ(r.error, "") << name;
        EXPECT_TRUE(r.options.IsGiven(name)) << name;
        if (anyText.count(name) == 0)
        {
            EXPECT_NE(Parse({name, "?"}).error.find(std::string("option ") + name + " has the value '?'"),
                      std::string::npos)
                << name;
        }
    }
}

// The parser takes the contract's names and no others, each once: a rule under a name of the back-end's
// own is an option the front-end can never write, and a second rule for a name is never reached.
TEST(BackendOptions, ParsesTheContractsNamesAndNoOthers)
{
    std::set<std::string> parsed;
    for (const std::string& name : vrn::ParsedOptionNames())
        EXPECT_TRUE(parsed.insert(name).second) << "two rules for " << name;
    const std::set<std::string> contract(vrn::kOptionNames.begin(), vrn::kOptionNames.end());
    EXPECT_EQ(parsed, contract);
}

// --help describes every option the front-end may write.
TEST(BackendOptions, HelpNamesEveryOptionOfTheContract)
{
    const std::string help = vrn::HelpText();
    // The name as a word of its own: "--time" inside "--bcd-time" does not count.
    auto named = [&help](const std::string& name)
    {
        for (size_t at = help.find(name); at != std::string::npos; at = help.find(name, at + 1))
            if (at > 0 && help[at - 1] == ' ' &&
                std::string(" ,:").find(help[at + name.size()]) != std::string::npos)
                return true;
        return false;
    };
    for (const char* name : vrn::kOptionNames)
        EXPECT_TRUE(named(name)) << name;
}

TEST(BackendOptions, ValuesReachTheirFields)
{
    const auto r = Parse({"--solver", "s", "--additive", "n", "--time", "12.5", "--mipgap", "0", "--seed",
                          "42", "--model", "n", "--intdev", "y", "--prepsens", "y", "--format", "a"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.solver, 's');
    EXPECT_FALSE(r.options.additive);
    EXPECT_EQ(r.options.timeLimit, 12.5);
    EXPECT_EQ(r.options.mipGapPercent, 0);
    EXPECT_EQ(r.options.seed, 42);
    EXPECT_EQ(r.options.model, vrn::StdModelKind::New);
    EXPECT_TRUE(r.options.integerCells);
    EXPECT_TRUE(r.options.prepSens);
    EXPECT_TRUE(r.options.reportAllFormatErrors);
}

// The percentages of dynamic blocks: a share of candidates above 0 up to all of them, and a
// probability of leaving one out from 0 to 100.
TEST(BackendOptions, DynamicPercentagesTakeTheirEnds)
{
    const auto r = Parse({"--dyn-sprop", "100", "--dyn-perturb", "0"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.dynSprop, 100);
    EXPECT_EQ(r.options.dynPerturb, 0);
    EXPECT_EQ(Parse({"--dyn-sprop", "0.5", "--dyn-perturb", "100"}).options.dynPerturb, 100);
}

TEST(BackendOptions, OrderOrFixdirMakesAFastRun)
{
    EXPECT_EQ(Parse({"--order", "2-1"}).options.formulation(), vrn::Formulation::Fast);
    EXPECT_EQ(Parse({"--fixdir", "r"}).options.formulation(), vrn::Formulation::Fast);
    EXPECT_EQ(Parse({"--order", "4-2-3-1"}).options.order, (std::vector<int>{4, 2, 3, 1}));
}

struct BadCase
{
    std::vector<std::string> args;
    const char* expected; // part of the message
};

TEST(BackendOptions, RejectsUnknownAndMalformedOptionsNamingThem)
{
    const std::vector<BadCase> cases = {
        {{"--solver", "q"}, "--solver"},
        {{"--solver"}, "needs a value"},
        {{"--bogus", "1"}, "unknown option '--bogus'"},
        {{"--time", "ten"}, "--time"},
        {{"--time", "-5"}, "--time"},
        {{"--time", "5 "}, "--time"},
        {{"--mipgap", "1e999"}, "--mipgap"},
        {{"--order", ""}, "--order"},
        {{"--order", "1-1"}, "--order"},
        {{"--order", "5"}, "--order"},
        {{"--order", "1-"}, "--order"},
        {{"--seed", "1.5"}, "--seed"},
        {{"--integrality", "1"}, "--integrality"},
        {{"--big", "0"}, "--big"},
        {{"--additive", "yes"}, "--additive"},
        {{"--model", "x"}, "--model"},
        {{"--varsel", "x"}, "--varsel"},
        {{"--dyn-sprop", "0"}, "--dyn-sprop"},
        {{"--dyn-perturb", "100.5"}, "--dyn-perturb"},
        {{"extra"}, "unexpected argument 'extra'"},
    };
    for (const auto& c : cases)
    {
        const auto r = Parse(c.args);
        EXPECT_NE(r.error.find(c.expected), std::string::npos) << c.args[0] << ": " << r.error;
    }
}

TEST(BackendOptions, MissingPositionalArgumentsAreAnError)
{
    const char* argv[] = {"mainVRN.exe", "--solver", "b"};
    EXPECT_NE(vrn::ParseCommandLine(3, argv).error, "");
}

TEST(BackendOptions, HelpWinsAndListsEveryOption)
{
    EXPECT_TRUE(Parse({"--bogus", "--help"}).helpRequested);
    const std::string help = vrn::HelpText();
    for (const char* name :
         {"--solver", "--intdev",      "--additive",    "--format",     "--check", "--scale", "--progress",
          "--big",    "--model",       "--order",       "--pct-bounds", "--time",  "--first", "--mipgap",
          "--lptol",  "--feasibility", "--integrality", "--prepsens",   "--write", "--seed",  "--intdevtol",
          "--method", "--crossover",   "--fixdir",      "Exit status"})
        EXPECT_NE(help.find(name), std::string::npos) << name;
}

// --help and --version take no value and win wherever they stand; --help wins over --version.
TEST(BackendOptions, HelpAndVersionWinOverTheRestOfTheLine)
{
    struct Case
    {
        std::vector<std::string> args;
        bool help;
        bool version;
    };
    const Case cases[] = {
        {{"--version"}, false, true},           {{"--solver", "b", "--version"}, false, true},
        {{"--version", "--time"}, false, true}, {{"--nonsense", "--version"}, false, true},
        {{"--version", "--help"}, true, false}, {{"--solver", "b"}, false, false},
    };
    for (const auto& c : cases)
    {
        const auto r = Parse(c.args);
        EXPECT_EQ(r.helpRequested, c.help) << c.args[0];
        EXPECT_EQ(r.versionRequested, c.version) << c.args[0];
        if (c.help || c.version)
        {
            EXPECT_EQ(r.error, "") << c.args[0];
        }
    }
}

// --report, the back-end's own switch (the front-end never writes it), comes first and takes two or
// three file names, whatever they look like after a "--"; --help still wins.
TEST(BackendOptions, ReportSwitchTakesTheFilesAfterIt)
{
    struct Case
    {
        std::vector<std::string> args;
        std::vector<std::string> files; // empty: not the report
        const char* error;
    };
    const Case cases[] = {
        {{"--report", "t.csp", "t_cbc.sol"}, {"t.csp", "t_cbc.sol"}, ""},
        {{"--report", "t.csp", "t_cbc.sol", "page.html"}, {"t.csp", "t_cbc.sol", "page.html"}, ""},
        {{"--report", "--", "--t.csp", "--t.sol"}, {"--t.csp", "--t.sol"}, ""},
        {{"--report", "t.csp"}, {}, "--report takes the instance file and the .sol file"},
        {{"--report", "a", "b", "c", "d"}, {}, "--report takes the instance file and the .sol file"},
        {{"t.csp", "out", "--report", "t.sol"}, {}, "--report comes first on the line"},
        {{"--report", "t.csp", "--help"}, {}, ""},
    };
    for (const Case& c : cases)
    {
        std::vector<const char*> argv = {"mainVRN.exe"};
        for (const auto& a : c.args)
            argv.push_back(a.c_str());
        const auto r = vrn::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(r.reportRequested, !c.files.empty()) << c.args.back();
        EXPECT_EQ(r.reportFiles, c.files) << c.args.back();
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.args.back() << ": " << r.error;
        EXPECT_EQ(r.error.empty(), std::string(c.error).empty()) << c.args.back() << ": " << r.error;
    }
    const std::string help = vrn::HelpText();
    EXPECT_NE(help.find("mainVRN.exe --report INSTANCE SOLUTION [PAGE]"), std::string::npos);
    EXPECT_NE(help.find("NAME_SUFFIX.html"), std::string::npos);
    EXPECT_NE(help.find("\nReport page:\n"), std::string::npos);
}

// The manual page is made from --help, so it has to carry the commands, the result files and
// every exit status of the program.
TEST(BackendOptions, HelpCarriesCommandsResultFilesAndEveryExitStatus)
{
    const std::string help = vrn::HelpText();
    for (const char* part :
         {"--help", "--version", "\nCommands:\n", "  stop ", "  status ", "  help ", "\nResult files:\n",
          "NAME_SUFFIX.sol", "# index original adjusted change status", "\nExit status:\n"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
    for (int status = vrn::kExitProtected; status <= vrn::kExitCheckFailed; ++status)
        EXPECT_NE(help.find("\n  " + std::to_string(status) + "  "), std::string::npos) << status;
    EXPECT_EQ(help.find("\n  9  "), std::string::npos);
    for (std::size_t start = 0, end; start < help.size(); start = end + 1)
    {
        end = help.find('\n', start);
        EXPECT_LE(end - start, 100u) << help.substr(start, end - start);
    }
}

TEST(BackendOptions, VersionNamesTheProgramThePackageAndTheBuildsVersion)
{
    const std::string text = vrn::VersionText("mainVRN-glpk");
    EXPECT_EQ(text.substr(0, text.find('\n')), "mainVRN-glpk (VRN) " VRN_VERSION);
    EXPECT_NE(text.find("\nCopyright"), std::string::npos);
}

TEST(BackendOptions, OptionsThatDoNotApplyAreNamedForTheLog)
{
    const auto notes = vrn::NotApplyingOptions(Parse({"--mipemphasis", "2", "--pct-bounds", "3"}).options);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("--mipemphasis"), std::string::npos);
    EXPECT_NE(notes[1].find("Fast formulation only"), std::string::npos);
}

// Option values meant to break the parser: numbers out of range or not decimal, "--" and repeated
// options. Their Parse takes the whole line after the program's name, so they have a namespace of
// their own.
namespace hostile
{

vrn::CommandLineResult Parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "mainVRN.exe");
    std::vector<const char*> argv;
    for (const auto& a : args)
        argv.push_back(a.c_str());
    return vrn::ParseCommandLine(static_cast<int>(argv.size()), argv.data());
}

struct OptionCase
{
    std::vector<std::string> args;
    const char* refusedOption; // nullptr: accepted
};

TEST(HostileOptions, NumbersOutOfRangeOrNotDecimalAreRefused)
{
    const std::vector<OptionCase> cases = {
        {{"--progress", "1e10"}, "--progress"},
        {{"--progress", "9.3e9"}, "--progress"},
        {{"--progress", "0.3"}, nullptr},
        {{"--time", "1e300"}, "--time"},
        {{"--time", "3600"}, nullptr},
        {{"--feasibility", "1"}, "--feasibility"},
        {{"--feasibility", "0.01"}, "--feasibility"},
        {{"--feasibility", "1e-7"}, nullptr},
        {{"--integrality", "0.5"}, "--integrality"},
        {{"--lptol", "0.1"}, "--lptol"},
        {{"--mipgap", "0x10"}, "--mipgap"},
        {{"--mipgap", "500"}, "--mipgap"},
        {{"--seed", "0x10"}, "--seed"},
        {{"--time", "inf"}, "--time"},
        {{"--time", "nan"}, "--time"},
        {{"--time", "1e"}, "--time"},
        {{"--time", ".5"}, nullptr},
        {{"--time", "5."}, nullptr},
        {{"--scale", "1e-300"}, "--scale"},
        {{"--scale", "1e-7"}, nullptr},
        {{"--big", "1e300"}, "--big"},
        {{"--varsel", "1e12"}, "--varsel"},
        {{"--epsf", "2"}, "--epsf"},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> args = {"in.csp", "out"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = Parse(args);
        if (c.refusedOption == nullptr)
            EXPECT_EQ(r.error, "") << c.args[0] << " " << c.args[1];
        else
            EXPECT_NE(r.error.find(std::string("option ") + c.refusedOption), std::string::npos)
                << c.args[0] << " " << c.args[1] << ": " << r.error;
    }
}

TEST(HostileOptions, DoubleDashEndsTheOptionsAndRepeatsAreWarned)
{
    auto r = Parse({"--solver", "l", "--", "--odd.csp", "--out"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.instancePath, "--odd.csp");
    EXPECT_EQ(r.options.outputFolder, "--out");
    EXPECT_EQ(r.options.solver, 'l');
    EXPECT_FALSE(Parse({"--", "--help", "out"}).helpRequested);

    r = Parse({"in.csp", "out", "--time", "5", "--time", "7"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.timeLimit, 7);
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("--time"), std::string::npos);
    EXPECT_TRUE(Parse({"in.csp", "out", "--time", "5"}).warnings.empty());
    EXPECT_EQ(Parse({"in.csp", "out", "--time", "5\n6"}).error.find('\n'), std::string::npos);
}

} // namespace hostile

} // namespace
