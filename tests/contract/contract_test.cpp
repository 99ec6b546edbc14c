#include "contract/option_names.h"
#include "contract/solver_codes.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{

struct SolverRow
{
    int index;
    bool mipProblem;
    char code;
    std::string suffix;
    std::string displayName;
};

// The solver choices as the option form lists them, for integer and for linear problems.
const SolverRow kSolverRows[] = {
    {0, true, 'c', "_cplex", "Cplex"},   {0, false, 'c', "_cplex", "Cplex"},
    {1, true, 'x', "_xpress", "Xpress"}, {1, false, 'x', "_xpress", "Xpress"},
    {2, true, 'g', "_glpk", "GLPK"},     {2, false, 'g', "_glpk", "GLPK"},
    {3, true, 'b', "_cbc", "CBC"},       {3, false, 'l', "_clp", "CLP"},
    {4, true, 's', "_sym", "SYMPHONY"},  {4, false, 's', "_sym", "SYMPHONY"},
};

TEST(SolverCodeTable, EveryChoiceHasItsCodeSuffixAndName)
{
    for (const SolverRow& row : kSolverRows)
    {
        const vrn::SolverCodeEntry* entry = vrn::FindSolverByIndex(row.index, row.mipProblem);
        ASSERT_NE(entry, nullptr) << row.index << " " << row.mipProblem;
        EXPECT_EQ(entry->code, row.code) << row.index;
        EXPECT_EQ(entry->suffix, row.suffix) << row.index;
        EXPECT_EQ(entry->displayName, row.displayName) << row.index;
    }
    EXPECT_EQ(vrn::SolverCodeTable().size(), std::size(kSolverRows));
}

TEST(SolverCodeTable, EachCodeLeadsBackToTheSameSuffix)
{
    for (const vrn::SolverCodeEntry& entry : vrn::SolverCodeTable())
    {
        const vrn::SolverCodeEntry* byCode = vrn::FindSolverByCode(entry.code);
        ASSERT_NE(byCode, nullptr) << entry.code;
        EXPECT_STREQ(byCode->suffix, entry.suffix) << entry.code;
        EXPECT_STREQ(byCode->displayName, entry.displayName) << entry.code;
    }
}

TEST(SolverCodeTable, UnknownChoicesAndCodesFindNothing)
{
    EXPECT_EQ(vrn::FindSolverByIndex(-1, true), nullptr);
    EXPECT_EQ(vrn::FindSolverByIndex(5, false), nullptr);
    EXPECT_EQ(vrn::FindSolverByCode('z'), nullptr);
    EXPECT_EQ(vrn::FindSolverByCode('\0'), nullptr);
}

TEST(OptionNames, AreDistinctDoubleDashNames)
{
    std::set<std::string> seen;
    for (const char* name : vrn::kOptionNames)
    {
        const std::string text = name;
        EXPECT_EQ(text.rfind("--", 0), 0u) << text;
        EXPECT_GT(text.size(), 2u) << text;
        EXPECT_EQ(text.find_first_of(" =\t"), std::string::npos) << text;
        EXPECT_TRUE(seen.insert(text).second) << "twice: " << text;
    }
}

struct BasePathCase
{
    const char* name;
    char separator;
    std::string folder;
    std::string instance;
    std::string expected;
};

void PrintTo(const BasePathCase& c, std::ostream* os)
{
    *os << c.name;
}

class ResultBasePathCases : public ::testing::TestWithParam<BasePathCase>
{
};

TEST_P(ResultBasePathCases, JoinsFolderStemAndSuffix)
{
    const auto& c = GetParam();
    EXPECT_EQ(vrn::ResultBasePath(c.folder, c.instance, "_cplex", c.separator), c.expected);
}

const BasePathCase kBasePaths[] = {
    {"BackslashExample", '\\', "D:\\runs", "E:\\data\\tab1.csp", "D:\\runs\\tab1_cplex"},
    {"BackslashFolderEndingInSeparator", '\\', "D:\\runs\\", "tab1.csp", "D:\\runs\\tab1_cplex"},
    {"BackslashEmptyFolder", '\\', "", "E:\\data\\tab1.csp", "tab1_cplex"},
    {"BackslashFolderWithForwardSlash", '\\', "D:/runs/", "tab1.csp", "D:/runs/\\tab1_cplex"},
    {"BackslashStemWithDots", '\\', "D:\\r", "E:\\tab.2015.csp", "D:\\r\\tab.2015_cplex"},
    {"BackslashNoDot", '\\', "D:\\r", "E:\\tab", "D:\\r\\tab_cplex"},
    {"BackslashForwardSlashesStayInStem", '\\', "D:\\r", "E:/data/tab1.csp", "D:\\r\\E:/data/tab1_cplex"},
    {"SlashExample", '/', "/home/u/runs", "/data/tab1.csp", "/home/u/runs/tab1_cplex"},
    {"SlashFolderEndingInSeparator", '/', "/runs/", "tab1.csp", "/runs/tab1_cplex"},
    {"SlashRootFolder", '/', "/", "/data/tab1.csp", "/tab1_cplex"},
    {"SlashEmptyFolder", '/', "", "/data/tab1.csp", "tab1_cplex"},
    {"SlashBackslashIsAFileNameCharacter", '/', "/runs\\", "/d/a\\tab.csp", "/runs\\/a\\tab_cplex"},
    {"SlashStemWithDots", '/', "/r", "/d/tab.2015.csp", "/r/tab.2015_cplex"},
    {"SlashDotOnlyInDirectory", '/', "/r", "/d.v2/tab", "/r/tab_cplex"},
    {"SlashHiddenFile", '/', "/r", "/d/.csp", "/r/_cplex"},
    {"SlashEmptyInstance", '/', "/r", "", "/r/_cplex"},
};

INSTANTIATE_TEST_SUITE_P(Separators, ResultBasePathCases, ::testing::ValuesIn(kBasePaths),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
