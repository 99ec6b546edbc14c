// vrn-gen: writes a generated table in the canonical .csp format.
//   vrn-gen 2d ROWS COLS [options]
//   vrn-gen 3d N1 N2 N3 [options]
//   vrn-gen hier GROUPS ITEMS_PER_GROUP COLS [options]   (rows grouped under subtotals)
// options: --sensitive PCT (5) --protection PCT (10) --max VALUE (99) --seed N (1) --out FILE
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

int Usage()
{
    std::fputs("usage: vrn-gen 2d ROWS COLS | 3d N1 N2 N3 | hier GROUPS ITEMS COLS\n"
               "       [--sensitive PCT] [--protection PCT] [--max VALUE] [--seed N] [--out FILE]\n",
               stderr);
    return 2;
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
