// vrn-gen: writes a generated table in the canonical .csp format.
//   vrn-gen 2d ROWS COLS [options]
//   vrn-gen 3d N1 N2 N3 [options]
//   vrn-gen hier GROUPS ITEMS_PER_GROUP COLS [options]   (rows grouped under subtotals)
//   vrn-gen table SIZE SIZE... [options]   (SIZE: N items, or GxI: G groups of I items each)
//   vrn-gen survey GROUPS UNITS CATEGORIES... [options]   (person counts, units within groups)
// options of every table: --seed N (1) --out FILE
// uniform tables (the default kind): --sensitive PCT (5) --protection PCT (10) --max VALUE (99)
// tables from simulated microdata: --kind count|magnitude, --rule threshold|p|nk, --p PCT (15),
//   --n N (2), --k PCT (85), --threshold N (3), --empty PCT (20), --contributors MEAN (6),
//   --cost 1|value
// survey tables: --size MEAN (15) persons per unit, --threshold N (3)
#include "common/number_format.h"
#include "instance/instance.h"
#include "tools/realistic_table.h"
#include "tools/survey_table.h"
#include "tools/table_generator.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace
{

constexpr const char* kHelp =
    R"(Usage: vrn-gen 2d ROWS COLS [options]
  or:  vrn-gen 3d N1 N2 N3 [options]
  or:  vrn-gen hier GROUPS ITEMS COLS [options]
  or:  vrn-gen table SIZE... --kind count|magnitude [options]
  or:  vrn-gen survey GROUPS UNITS CATEGORIES... [options]
  or:  vrn-gen --help | --version

Writes a generated table with all its margins in the .csp format, to standard output or to a
file: 2d a table of ROWS x COLS inner cells, 3d one of N1 x N2 x N3 inner cells, hier one whose
rows are GROUPS groups of ITEMS rows, each group under a subtotal row, by COLS columns. Inner
values are whole numbers drawn from 1 to the largest value; every cell costs 1 per unit of
change and lies between 0 and 1.5 x the grand total.

table builds a table from simulated microdata, one SIZE per dimension: N (N items and their
total) or GxI (G groups of I items, a total of subtotals). Each inner cell is empty (z) or has
contributors with heavy-tailed values; count tables publish their number, magnitude tables their
sum. Sensitive cells, totals included: counts below the threshold; magnitudes by the p % rule
or the (n, k) dominance rule, protected by what the rule asks.

survey counts simulated persons: UNITS units (schools, firms) shared unevenly over GROUPS
groups (local authorities, regions) form a two-level hierarchy, and each CATEGORIES number adds
a variable with that many categories (age, sex), whose shares fall off with the category and
differ from unit to unit. Every unit has about --size persons (log-normal). Empty cells are z;
counts from 1 to the threshold less 1 are sensitive, protected down to 0 or up to the
threshold. Small units make relations whose free cells are all sensitive and whose other cells
are empty: the hard case of the frequency rule. 130 2400 6 2 gives 53,151 cells.

Options:
  --sensitive PCT    percent of the inner cells that are sensitive (default 5)
  --protection PCT   protection level of a sensitive cell, percent of its value, rounded and
                     at least 1 (default 10)
  --max VALUE        largest inner value (default 99)
  --seed N           seed of the random values and choices (default 1): the same seed and
                     sizes give the same table
  --out FILE         write the table to FILE instead of standard output
  --kind KIND        uniform (the values above), count or magnitude (microdata; table only
                     needs it, the others take it too)
  --rule RULE        threshold (counts' default), p (magnitudes' default) or nk
  --p PCT            the p of the p % rule (default 15)
  --n N, --k PCT     the (n, k) dominance rule (default 2 and 85)
  --threshold N      counts below N are sensitive (default 3, table and survey)
  --empty PCT        percent of the inner cells without contributors (default 20)
  --contributors M   typical number of contributors of a cell (default 6)
  --cost 1|value     each cell's cost: 1 (default) or its value
  --size MEAN        survey: mean number of persons per unit (default 15)
  --help             print this text and exit
  --version          print the version and exit

Exit status:
  0  the table was written
  1  the table could not be written
  2  command line error
)";

int Usage()
{
    std::fputs("usage: vrn-gen 2d ROWS COLS | 3d N1 N2 N3 | hier GROUPS ITEMS COLS | table SIZE...\n"
               "       | survey GROUPS UNITS CATEGORIES...\n"
               "       (SIZE: N items, or GxI: G groups of I items)\n"
               "       [--seed N] [--out FILE]\n"
               "       uniform values: [--sensitive PCT] [--protection PCT] [--max VALUE]\n"
               "       from microdata: --kind count|magnitude [--rule threshold|p|nk] [--p PCT] [--n N]\n"
               "       [--k PCT] [--threshold N] [--empty PCT] [--contributors MEAN] [--cost 1|value]\n"
               "       survey: [--size MEAN] [--threshold N]\n",
               stderr);
    std::fputs("vrn-gen --help explains them.\n", stderr);
    return 2;
}

// --help or --version anywhere on the line: prints the text and returns true.
bool PrintedHelpOrVersion(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h")
        {
            std::fputs(kHelp, stdout);
            return true;
        }
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--version")
        {
            std::fputs("vrn-gen (VRN) " VRN_VERSION "\n"
                       "Copyright (c) 2026 Tessera Statistical Software. MIT licence.\n",
                       stdout);
            return true;
        }
    return false;
}

bool ToPositive(const std::string& text, int& value)
{
    double x = 0;
    if (!vrn::ParseNumber(text, x) || x < 1 || x > 1e7 || x != static_cast<int>(x))
        return false;
    value = static_cast<int>(x);
    return true;
}

// "N" (a flat dimension of N items) or "GxI" (G groups of I items).
bool ToDimension(const std::string& text, vrn::Dimension& dimension)
{
    const size_t x = text.find('x');
    int a = 0, b = 0;
    if (x == std::string::npos)
    {
        if (!ToPositive(text, a))
            return false;
        dimension = vrn::Dimension::Flat(a);
        return true;
    }
    if (!ToPositive(text.substr(0, x), a) || !ToPositive(text.substr(x + 1), b))
        return false;
    dimension = vrn::Dimension::Grouped(a, b);
    return true;
}

bool ReadDimensions(int argc, char** argv, std::vector<vrn::Dimension>& dims, int& next)
{
    const std::string kind = argv[1];
    next = 2;
    if (kind == "table")
    {
        for (; next < argc && argv[next][0] != '-'; ++next)
        {
            vrn::Dimension d;
            if (!ToDimension(argv[next], d))
                return false;
            dims.push_back(d);
        }
        return !dims.empty();
    }
    const int sizes = kind == "2d" ? 2 : kind == "3d" ? 3 : kind == "hier" ? 3 : 0;
    if (sizes == 0 || argc < 2 + sizes)
        return false;
    std::vector<int> n(static_cast<size_t>(sizes));
    for (int i = 0; i < sizes; ++i)
        if (!ToPositive(argv[2 + i], n[i]))
            return false;
    next = 2 + sizes;
    if (kind == "hier")
        dims = {vrn::Dimension::Grouped(n[0], n[1]), vrn::Dimension::Flat(n[2])};
    else
        for (int size : n)
            dims.push_back(vrn::Dimension::Flat(size));
    return true;
}

// survey GROUPS UNITS CATEGORIES...: at least one unit per group and one other variable.
bool ReadSurveySizes(int argc, char** argv, vrn::SurveySettings& survey, int& next)
{
    next = 2;
    std::vector<int> n;
    for (; next < argc && argv[next][0] != '-'; ++next)
    {
        int size = 0;
        if (!ToPositive(argv[next], size))
            return false;
        n.push_back(size);
    }
    if (n.size() < 3 || n[1] < n[0])
        return false;
    survey.groups = n[0];
    survey.units = n[1];
    survey.categories.assign(n.begin() + 2, n.end());
    return true;
}

struct Choices
{
    vrn::GeneratorSettings uniform;
    vrn::RealisticSettings real;
    vrn::SurveySettings survey;
    bool realistic = false;
    bool ruleGiven = false;
    std::string out;
};

bool SetWord(Choices& c, const std::string& name, const std::string& value)
{
    static const std::map<std::string, vrn::SensitivityRule> rules{
        {"threshold", vrn::SensitivityRule::Threshold},
        {"p", vrn::SensitivityRule::PPercent},
        {"nk", vrn::SensitivityRule::Dominance}};
    if (name == "--out")
        c.out = value;
    else if (name == "--kind" && (value == "count" || value == "magnitude"))
    {
        c.realistic = true;
        c.real.kind = value == "count" ? vrn::TableKind::Count : vrn::TableKind::Magnitude;
    }
    else if (name == "--kind" && value == "uniform")
        c.realistic = false;
    else if (name == "--rule" && rules.count(value))
        c.real.rule = rules.at(value), c.ruleGiven = true;
    else if (name == "--cost" && (value == "1" || value == "value"))
        c.real.costIsValue = value == "value";
    else
        return false;
    return true;
}

bool SetNumber(Choices& c, const std::string& name, double x)
{
    if (name == "--sensitive")
        c.uniform.sensitivePercent = x;
    else if (name == "--protection")
        c.uniform.protectionPercent = x;
    else if (name == "--max")
        c.uniform.maxValue = static_cast<int>(x);
    else if (name == "--seed")
        c.uniform.seed = c.real.seed = c.survey.seed = static_cast<uint64_t>(x);
    else if (name == "--p")
        c.real.pPercent = x;
    else if (name == "--n" && x >= 1)
        c.real.dominanceN = static_cast<int>(x);
    else if (name == "--k" && x > 0 && x <= 100)
        c.real.dominanceK = x;
    else if (name == "--threshold" && x >= 1)
        c.real.threshold = c.survey.threshold = static_cast<int>(x);
    else if (name == "--size" && x >= 1 && x <= 1e6)
        c.survey.meanUnitSize = x;
    else if (name == "--empty" && x < 100)
        c.real.emptyPercent = x;
    else if (name == "--contributors" && x >= 1)
        c.real.meanContributors = x;
    else
        return false;
    return true;
}

bool ReadOptions(int argc, char** argv, int first, Choices& c)
{
    for (int i = first; i < argc; i += 2)
    {
        const std::string name = argv[i];
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[i + 1];
        double x = 0;
        if (SetWord(c, name, value))
            continue;
        if (!vrn::ParseNumber(value, x) || x < 0 || !SetNumber(c, name, x))
            return false;
    }
    // Counts are marked by the threshold rule, magnitudes by the p % rule unless told otherwise.
    if (c.realistic && !c.ruleGiven)
        c.real.rule = c.real.kind == vrn::TableKind::Count ? vrn::SensitivityRule::Threshold
                                                           : vrn::SensitivityRule::PPercent;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (PrintedHelpOrVersion(argc, argv))
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    if (argc < 2)
        return Usage();
    Choices choices;
    int next = 0;
    std::vector<vrn::Dimension> dims;
    const bool survey = std::string(argv[1]) == "survey";
    const bool sizesRead =
        survey ? ReadSurveySizes(argc, argv, choices.survey, next) : ReadDimensions(argc, argv, dims, next);
    if (!sizesRead || !ReadOptions(argc, argv, next, choices))
        return Usage();
    choices.uniform.dimensions = dims;
    choices.real.dimensions = dims;
    const vrn::Instance table = survey              ? vrn::GenerateSurveyTable(choices.survey)
                                : choices.realistic ? vrn::GenerateRealisticTable(choices.real)
                                                    : vrn::GenerateTable(choices.uniform);
    if (choices.out.empty())
    {
        vrn::WriteInstance(std::cout, table);
        return std::cout ? 0 : 1;
    }
    std::ofstream file(choices.out);
    vrn::WriteInstance(file, table);
    file.close();
    if (!file)
    {
        std::fprintf(stderr, "vrn-gen: cannot write %s\n", choices.out.c_str());
        return 1;
    }
    return 0;
}
