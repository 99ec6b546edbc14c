// vrn-gen: writes a generated table in the canonical .csp format (kHelp below says how).
#include "cli/options.h"
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace
{

constexpr const char* kHelp =
    R"(Usage: vrn-gen 2d ROWS COLS [options]
  or:  vrn-gen 3d N1 N2 N3 [options]
  or:  vrn-gen hier GROUPS ITEMS COLS [options]
  or:  vrn-gen --help | --version

Writes a generated table with all its margins in the .csp format, to standard output or to a
file: 2d a table of ROWS x COLS inner cells, 3d one of N1 x N2 x N3 inner cells, hier one whose
rows are GROUPS groups of ITEMS rows, each group under a subtotal row, by COLS columns. Inner
values are whole numbers drawn from 1 to the largest value; every cell costs 1 per unit of
change and lies between 0 and 1.5 x the grand total.

Options:
  --sensitive PCT    percent of the inner cells that are sensitive (default 5)
  --protection PCT   protection level of a sensitive cell, percent of its value, rounded and
                     at least 1 (default 10)
  --max VALUE        largest inner value (default 99)
  --seed N           seed of the random values and choices (default 1): the same seed and
                     sizes give the same table
  --out FILE         write the table to FILE instead of standard output
  --help             print this text and exit
  --version          print the version and exit

Exit status:
  0  the table was written
  1  the table could not be written
  2  command line error
)";

int Usage()
{
    std::fputs("usage: vrn-gen 2d ROWS COLS | 3d N1 N2 N3 | hier GROUPS ITEMS COLS\n"
               "       [--sensitive PCT] [--protection PCT] [--max VALUE] [--seed N] [--out FILE]\n"
               "vrn-gen --help explains them.\n",
               stderr);
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

bool ToPositive(const char* text, int& value)
{
    double x = 0;
    if (!vrn::ParseNumber(text, x) || x < 1 || x > 1e7 || x != static_cast<int>(x))
        return false;
    value = static_cast<int>(x);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (PrintedHelpOrVersion(argc, argv))
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    if (argc < 2)
        return Usage();
    const std::string kind = argv[1];
    const int sizes = kind == "2d" ? 2 : kind == "3d" ? 3 : kind == "hier" ? 3 : 0;
    if (sizes == 0 || argc < 2 + sizes)
        return Usage();
    std::vector<int> n(static_cast<size_t>(sizes));
    for (int i = 0; i < sizes; ++i)
        if (!ToPositive(argv[2 + i], n[i]))
            return Usage();
    vrn::GeneratorSettings settings;
    if (kind == "hier")
        settings.dimensions = {vrn::Dimension::Grouped(n[0], n[1]), vrn::Dimension::Flat(n[2])};
    else
        for (int size : n)
            settings.dimensions.push_back(vrn::Dimension::Flat(size));
    std::string out;
    for (int i = 2 + sizes; i < argc; i += 2)
    {
        const std::string name = argv[i];
        if (i + 1 >= argc)
            return Usage();
        double x = 0;
        if (name == "--out")
            out = argv[i + 1];
        else if (!vrn::ParseNumber(argv[i + 1], x) || x < 0)
            return Usage();
        else if (name == "--sensitive")
            settings.sensitivePercent = x;
        else if (name == "--protection")
            settings.protectionPercent = x;
        else if (name == "--max")
            settings.maxValue = static_cast<int>(x);
        else if (name == "--seed")
            settings.seed = static_cast<uint64_t>(x);
        else
            return Usage();
    }
    const vrn::Instance table = vrn::GenerateTable(settings);
    if (out.empty())
    {
        vrn::WriteInstance(std::cout, table);
        return std::cout ? 0 : 1;
    }
    std::ofstream file(out);
    vrn::WriteInstance(file, table);
    file.close();
    if (!file)
    {
        std::fprintf(stderr, "vrn-gen: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
