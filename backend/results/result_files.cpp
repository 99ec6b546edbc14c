#include "results/result_files.h"

#include "common/number_format.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vrn
{

bool WriteSolutionFile(const std::string& path, const SolutionHeader& header, const Instance& instance,
                       const std::vector<double>& adjusted, std::string& error)
{
    FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr)
    {
        error = "cannot write the solution file " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fprintf(f, "# VRN solution\n# instance: %s\n# solver: %s\n# outcome: %s\n",
                 header.instancePath.c_str(), header.solver.c_str(), header.outcome.c_str());
    for (const auto& field : header.fields)
        std::fprintf(f, "# %s: %s\n", field.first.c_str(), field.second.c_str());
    if (!adjusted.empty())
    {
        std::fprintf(f, "# cells: %zu\n# index original adjusted change status\n", adjusted.size());
        std::string text;
        for (size_t i = 0; i < adjusted.size(); ++i)
        {
            const Cell& cell = instance.cells[i];
            const double change = adjusted[i] - cell.value;
            text += std::to_string(i) + ' ' + FormatNumber(cell.value) + ' ' + FormatNumber(adjusted[i]) +
                    ' ' + FormatNumber(change == 0 ? 0.0 : change) + ' ' + cell.status + '\n';
            if (text.size() > (1 << 16))
            {
                std::fputs(text.c_str(), f);
                text.clear();
            }
        }
        std::fputs(text.c_str(), f);
    }
    const bool ok = !std::ferror(f);
    if (std::fclose(f) != 0 || !ok)
    {
        error = "cannot write the solution file " + path;
        return false;
    }
    return true;
}

double WholeValueTolerance(double intDevTol, double integrality)
{
    return intDevTol > 0 ? intDevTol : integrality > 0 ? integrality : 1e-6;
}

std::vector<double> WholeWhereOnlyNoise(const Instance& instance, std::vector<double> x, bool integerCells,
                                        double tolerance)
{
    for (size_t i = 0; i < x.size(); ++i)
    {
        const double whole = std::round(x[i]);
        const bool originalWhole = instance.cells[i].value == std::round(instance.cells[i].value);
        if (integerCells ? std::fabs(x[i] - whole) <= tolerance
                         : originalWhole && std::fabs(x[i] - whole) <= 1e-9 * std::max(1.0, std::fabs(x[i])))
            x[i] = whole;
    }
    return x;
}

} // namespace vrn
