#include "argument_vector.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

using Args = std::vector<std::string>;

enum class Mode
{
    StdMip,
    FastLp,
    FastMip
};

// The form as the main window starts, switched to `mode` the way the option panel switches it.
vrn::FormSnapshot FormIn(Mode mode)
{
    vrn::FormSnapshot form;
    form.instanceFilePath = "/data/tab1.csp";
    form.outputFolderPath = "/runs";
    form.stdFormulation = mode == Mode::StdMip;
    form.integerCellsChecked = mode == Mode::FastMip;
    form.mipProblem = mode != Mode::FastLp;
    return form;
}

Args Prefix(const char* solver = "x")
{
    return {"mainVRN.exe", "/data/tab1.csp", "/runs", "--solver", solver};
}

Args Join(Args head, const Args& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// What the Fast rows write with their initial values.
const Args kFastInitialOrder = {"--order", "4-2-3-1", "--pct-bounds", "2"};
const Args kFastInitialDirections = {"--fixdir", "s", "--expobj", "0.5", "--epsf", "1.0e-4", "--epsrhs", "0"};

struct ArgumentCase
{
    const char* name;
    Mode mode;
    std::function<void(vrn::FormSnapshot&)> change;
    Args expected;
};

void PrintTo(const ArgumentCase& c, std::ostream* os)
{
    *os << c.name;
}

class ArgumentVectorCases : public ::testing::TestWithParam<ArgumentCase>
{
};

TEST_P(ArgumentVectorCases, BuildsTheExpectedElements)
{
    vrn::FormSnapshot form = FormIn(GetParam().mode);
    if (GetParam().change)
        GetParam().change(form);
    const Args actual = vrn::BuildArgumentVector(form);
    const Args& expected = GetParam().expected;
    ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "element " << i;
}

auto Noop = [](vrn::FormSnapshot&) {};

const ArgumentCase kCases[] = {
    // Every control at its initial value, in each of the three mode combinations.
    {"StdInitial", Mode::StdMip, Noop, Prefix()},
    {"FastLpInitial", Mode::FastLp, Noop, Join(Join(Prefix(), kFastInitialOrder), kFastInitialDirections)},
    {"FastMipInitial", Mode::FastMip, Noop,
     Join(Join(Join(Prefix(), {"--intdev", "y"}), kFastInitialOrder), kFastInitialDirections)},
    {"EmptyPathsStayEmptyElements",
     Mode::StdMip,
     [](auto& f)
     {
         f.instanceFilePath.clear();
         f.outputFolderPath.clear();
     },
     {"mainVRN.exe", "", "", "--solver", "x"}},
    {"NonAsciiPathPassesItsBytes",
     Mode::StdMip,
     [](auto& f) { f.instanceFilePath = "/data/t\xC3\xA4\x62 1.csp"; },
     {"mainVRN.exe", "/data/t\xC3\xA4\x62 1.csp", "/runs", "--solver", "x"}},

    // Solver codes.
    {"SolverCplex", Mode::StdMip, [](auto& f) { f.solverIndex = 0; }, Prefix("c")},
    {"SolverGlpk", Mode::FastLp, [](auto& f) { f.solverIndex = 2; },
     Join(Join(Prefix("g"), kFastInitialOrder), kFastInitialDirections)},
    {"SolverIndex3IsCbcForMip", Mode::StdMip, [](auto& f) { f.solverIndex = 3; }, Prefix("b")},
    {"SolverIndex3IsClpForLp", Mode::FastLp, [](auto& f) { f.solverIndex = 3; },
     Join(Join(Prefix("l"), kFastInitialOrder), kFastInitialDirections)},
    {"SolverSymphony", Mode::StdMip, [](auto& f) { f.solverIndex = 4; }, Prefix("s")},

    // Rows 5 to 16.
    {"ChecksAndFormat", Mode::StdMip,
     [](auto& f)
     {
         f.additiveChecked = false;
         f.formatIndex = 1;
         f.checkChecked = false;
     },
     Join(Prefix(), {"--additive", "n", "--format", "a", "--check", "n"})},
    {"IntegerCellsWrittenEvenInStd", Mode::StdMip, [](auto& f) { f.integerCellsChecked = true; },
     Join(Prefix(), {"--intdev", "y"})},
    {"NumericTextsAsTyped", Mode::StdMip,
     [](auto& f)
     {
         f.scaleText = "1.0e-6";
         f.progressText = " 10";
         f.bigText = "1e6";
         f.timeText = "+60";
     },
     Join(Prefix(), {"--scale", "1.0e-6", "--progress", " 10", "--big", "1e6", "--time", "+60"})},
    {"WordsAndJunkAreNotNumeric", Mode::StdMip,
     [](auto& f)
     {
         f.scaleText = "";
         f.progressText = "10 ";
         f.bigText = "12abc";
         f.timeText = "1,5";
         f.seedText = "1e999";
     },
     Prefix()},
    {"CNotationNumbersThatCount", Mode::StdMip,
     [](auto& f)
     {
         f.scaleText = "-.5";
         f.seedText = "0x10";
     },
     Join(Prefix(), {"--scale", "-.5", "--seed", "0x10"})},
    {"ModelClassical", Mode::StdMip, [](auto& f) { f.modelIndex = 1; }, Join(Prefix(), {"--model", "c"})},
    {"ModelNew", Mode::StdMip, [](auto& f) { f.modelIndex = 2; }, Join(Prefix(), {"--model", "n"})},
    {"StdOnlyRowsDropInFast", Mode::FastLp,
     [](auto& f)
     {
         f.progressText = "10";
         f.bigText = "100";
         f.modelIndex = 1;
         f.firstChecked = true;
         f.repairChecked = true;
         f.validInequalitiesIndex = 0;
         f.startingPointIndex = 0;
         f.bcdClustersText = "4";
     },
     Join(Join(Prefix(), kFastInitialOrder), kFastInitialDirections)},
    {"FastOnlyRowsDropInStd", Mode::StdMip,
     [](auto& f)
     {
         f.lexminOrderText = "1-2-3-4";
         f.pctBoundsText = "5";
         f.fixDirIndex = 0;
         f.expObjText = "2";
     },
     Prefix()},
    {"LexminOrderTakesAnyTextEvenEmpty", Mode::FastLp,
     [](auto& f)
     {
         f.lexminOrderText = "";
         f.pctBoundsText = "Automatic";
     },
     Join(Join(Prefix(), {"--order", ""}), kFastInitialDirections)},
    {"FirstFeasible", Mode::StdMip, [](auto& f) { f.firstChecked = true; }, Join(Prefix(), {"--first", "y"})},

    // Rows 17 to 22.
    {"GapWithDefaultValueSpelledOtherwise", Mode::StdMip, [](auto& f) { f.gapText = "5.0"; }, Prefix()},
    {"GapInExponentNotation", Mode::StdMip, [](auto& f) { f.gapText = "5e0"; }, Prefix()},
    {"GapWithTrailingBlankIsNotNumeric", Mode::StdMip, [](auto& f) { f.gapText = "5 "; }, Prefix()},
    {"GapOfOne", Mode::StdMip, [](auto& f) { f.gapText = "1"; }, Join(Prefix(), {"--mipgap", "1"})},
    {"GapOnlyForMip", Mode::FastLp, [](auto& f) { f.gapText = "1"; },
     Join(Join(Prefix(), kFastInitialOrder), kFastInitialDirections)},
    {"FeasibilityDefaultAsDecimal", Mode::StdMip, [](auto& f) { f.feasibilityText = "0.000001"; }, Prefix()},
    {"FeasibilityDefaultShort", Mode::StdMip, [](auto& f) { f.feasibilityText = "1e-6"; }, Prefix()},
    {"FeasibilityOtherValue", Mode::StdMip, [](auto& f) { f.feasibilityText = "1e-7"; },
     Join(Prefix(), {"--feasibility", "1e-7"})},
    {"LpRowsInLp", Mode::FastLp,
     [](auto& f)
     {
         f.lpToleranceText = "1e-9";
         f.methodIndex = 1;
         f.crossoverChecked = false;
         f.integralityText = "0.1";
     },
     Join(Join(Join(Prefix(), kFastInitialOrder), {"--lptol", "1e-9"}),
          Join({"--method", "s", "--crossover", "n"}, kFastInitialDirections))},
    {"LpRowsDropInMip", Mode::StdMip,
     [](auto& f)
     {
         f.lpToleranceText = "1e-9";
         f.methodIndex = 1;
         f.crossoverChecked = false;
     },
     Prefix()},
    {"RepairWithEmptyPath", Mode::StdMip, [](auto& f) { f.repairChecked = true; },
     Join(Prefix(), {"--repair", "y", "--repairfn", ""})},

    // The BCD group, rows 23 to 31.
    {"OneClusterSpelledOtherwiseDropsTheGroup", Mode::StdMip,
     [](auto& f)
     {
         f.bcdClustersText = "1.0";
         f.bcdTimeText = "10";
         f.bcdCycleIndex = 0;
         f.dynamicChecked = true;
         f.dynSpropText = "30";
     },
     Prefix()},
    {"ClustersAloneWithInitialGroup", Mode::StdMip, [](auto& f) { f.bcdClustersText = "4"; },
     Join(Prefix(), {"--bcd-clusters", "4"})},
    {"WholeGroupInOrder", Mode::StdMip,
     [](auto& f)
     {
         f.bcdClustersText = "4";
         f.bcdTimeText = "10";
         f.bcdObjFText = "3.5";
         f.bcdEndBcText = "20";
         f.bcdCycleIndex = 0;
         f.bcdNstopText = "5";
         f.dynamicChecked = true;
         f.dynSpropText = "30";
         f.dynPerturbText = "70";
     },
     Join(Prefix(),
          {"--bcd-clusters", "4", "--bcd-time", "10", "--bcd-objf", "3.5", "--bcd-endbc", "20", "--bcd-cycle",
           "o", "--bcd-nstop", "5", "--dynamic", "y", "--dyn-sprop", "30", "--dyn-perturb", "70"})},
    {"CycleRepeatChanging", Mode::StdMip,
     [](auto& f)
     {
         f.bcdClustersText = "2";
         f.bcdCycleIndex = 2;
     },
     Join(Prefix(), {"--bcd-clusters", "2", "--bcd-cycle", "c"})},
    {"DynamicWithDefaultPercentages", Mode::StdMip,
     [](auto& f)
     {
         f.bcdClustersText = "2";
         f.dynamicChecked = true;
         f.dynSpropText = "50.0";
     },
     Join(Prefix(), {"--bcd-clusters", "2", "--dynamic", "y"})},
    {"PercentagesNeedDynamic", Mode::StdMip,
     [](auto& f)
     {
         f.bcdClustersText = "2";
         f.dynSpropText = "30";
         f.dynPerturbText = "20";
     },
     Join(Prefix(), {"--bcd-clusters", "2"})},

    // Rows 32 to 47.
    {"AdvancedChecksAndSeed", Mode::StdMip,
     [](auto& f)
     {
         f.prepSensChecked = true;
         f.writeLpChecked = true;
         f.seedText = "7";
     },
     Join(Prefix(), {"--prepsens", "y", "--write", "y", "--seed", "7"})},
    {"ChoicesAsIntegers", Mode::StdMip,
     [](auto& f)
     {
         f.mipEmphasisIndex = 3;
         f.emphasisIndex = 4;
         f.varSelIndex = 0;
     },
     Join(Prefix(), {"--mipemphasis", "3", "--emphasis", "3", "--varsel", "-1"})},
    {"EmphasisZeroQuality", Mode::StdMip, [](auto& f) { f.emphasisIndex = 1; },
     Join(Prefix(), {"--emphasis", "0"})},
    {"IntDevTolerance", Mode::StdMip, [](auto& f) { f.intDevTolText = "0.5"; },
     Join(Prefix(), {"--intdevtol", "0.5"})},
    {"IntDevToleranceZeroSpelledOtherwise", Mode::StdMip, [](auto& f) { f.intDevTolText = "-0.0"; },
     Prefix()},
    {"FastMipTakesFastAndMipRows", Mode::FastMip,
     [](auto& f)
     {
         f.gapText = "1";
         f.integralityText = "0.1";
         f.mipEmphasisIndex = 2;
         f.intDevTolText = "0.5";
         f.lpToleranceText = "1e-9";
     },
     Join(Join(Join(Prefix(), {"--intdev", "y"}), kFastInitialOrder),
          Join({"--mipgap", "1", "--integrality", "0.1", "--mipemphasis", "2", "--intdevtol", "0.5"},
               kFastInitialDirections))},
    {"MipRowsDropInLp", Mode::FastLp,
     [](auto& f)
     {
         f.integralityText = "0.1";
         f.mipEmphasisIndex = 2;
         f.emphasisIndex = 2;
         f.varSelIndex = 3;
         f.intDevTolText = "0.5";
     },
     Join(Join(Prefix(), kFastInitialOrder), kFastInitialDirections)},
    {"ValidInequalitiesAndStartingPoint", Mode::StdMip,
     [](auto& f)
     {
         f.validInequalitiesIndex = 0;
         f.startingPointIndex = 1;
     },
     Join(Prefix(), {"--vineq", "y", "--startingpoint", "s"})},
    {"ValidInequalitiesCheckStartingCompact", Mode::StdMip,
     [](auto& f)
     {
         f.validInequalitiesIndex = 2;
         f.startingPointIndex = 0;
     },
     Join(Prefix(), {"--vineq", "c", "--startingpoint", "c"})},
    {"FixDirectionsFromEmptyFile", Mode::FastLp, [](auto& f) { f.fixDirIndex = 1; },
     Join(Join(Prefix(), kFastInitialOrder),
          {"--fixdir", "f", "--fixdirfn", "", "--expobj", "0.5", "--epsf", "1.0e-4", "--epsrhs", "0"})},
    {"FixDirectionsRandomWithNonNumericTexts", Mode::FastLp,
     [](auto& f)
     {
         f.fixDirIndex = 0;
         f.fixDirFilePath = "/d/dirs.txt";
         f.expObjText = "";
         f.epsFText = "small";
     },
     Join(Join(Prefix(), kFastInitialOrder), {"--fixdir", "r", "--epsrhs", "0"})},
};

INSTANTIATE_TEST_SUITE_P(Rows, ArgumentVectorCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// One form with every row that Std/MIP allows switched on: the elements come in table order.
TEST(ArgumentVector, EveryStdMipRowInTableOrder)
{
    vrn::FormSnapshot f = FormIn(Mode::StdMip);
    f.integerCellsChecked = true;
    f.additiveChecked = false;
    f.formatIndex = 1;
    f.checkChecked = false;
    f.scaleText = "2";
    f.progressText = "3";
    f.bigText = "4";
    f.modelIndex = 2;
    f.timeText = "5";
    f.firstChecked = true;
    f.gapText = "6";
    f.feasibilityText = "7";
    f.integralityText = "8";
    f.repairChecked = true;
    f.repairFilePath = "/r.txt";
    f.bcdClustersText = "9";
    f.bcdTimeText = "10";
    f.bcdObjFText = "11";
    f.bcdEndBcText = "12";
    f.bcdCycleIndex = 2;
    f.bcdNstopText = "13";
    f.dynamicChecked = true;
    f.dynSpropText = "14";
    f.dynPerturbText = "15";
    f.prepSensChecked = true;
    f.writeLpChecked = true;
    f.seedText = "16";
    f.mipEmphasisIndex = 4;
    f.emphasisIndex = 2;
    f.varSelIndex = 5;
    f.intDevTolText = "17";
    f.validInequalitiesIndex = 2;
    f.startingPointIndex = 0;
    const Args expected =
        Join(Prefix(),
             {"--intdev",        "y",  "--additive", "n",  "--format",    "a",      "--check",        "n",
              "--scale",         "2",  "--progress", "3",  "--big",       "4",      "--model",        "n",
              "--time",          "5",  "--first",    "y",  "--mipgap",    "6",      "--feasibility",  "7",
              "--integrality",   "8",  "--repair",   "y",  "--repairfn",  "/r.txt", "--bcd-clusters", "9",
              "--bcd-time",      "10", "--bcd-objf", "11", "--bcd-endbc", "12",     "--bcd-cycle",    "c",
              "--bcd-nstop",     "13", "--dynamic",  "y",  "--dyn-sprop", "14",     "--dyn-perturb",  "15",
              "--prepsens",      "y",  "--write",    "y",  "--seed",      "16",     "--mipemphasis",  "4",
              "--emphasis",      "1",  "--varsel",   "4",  "--intdevtol", "17",     "--vineq",        "c",
              "--startingpoint", "c"});
    EXPECT_EQ(vrn::BuildArgumentVector(f), expected);
}

TEST(ArgumentVector, SolverSuffixes)
{
    const std::vector<std::string> mip = {"_cplex", "_xpress", "_glpk", "_cbc", "_sym"};
    const std::vector<std::string> lp = {"_cplex", "_xpress", "_glpk", "_clp"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(vrn::SolverSuffix(i, true), mip[i]) << i;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(vrn::SolverSuffix(i, false), lp[i]) << i;
}

} // namespace
