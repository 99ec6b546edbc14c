#include "results/result_files.h"

#include "common/escape_text.h"
#include "common/file_safety.h"
#include "common/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vrn
{

namespace
{

bool WriteHeader(std::FILE* f, const SolutionHeader& header)
{
    bool ok = std::fprintf(f, "# VRN solution\n# instance: %s\n# solver: %s\n# outcome: %s\n",
                           EscapeControl(header.instancePath).c_str(), EscapeControl(header.solver).c_str(),
                           EscapeControl(header.outcome).c_str()) > 0;
    for (const auto& field : header.fields)
        ok = ok && std::fprintf(f, "# %s: %s\n", EscapeControl(field.first).c_str(),
                                EscapeControl(field.second).c_str()) > 0;
    return ok;
}

bool WriteCells(std::FILE* f, const Instance& instance, const std::vector<double>& adjusted)
{
    bool ok = std::fprintf(f, "# cells: %zu\n# index original adjusted change status\n", adjusted.size()) > 0;
    std::string text;
    for (size_t i = 0; ok && i < adjusted.size(); ++i)
    {
        const Cell& cell = instance.cells[i];
        const double change = adjusted[i] - cell.value;
        text += std::to_string(i) + ' ' + FormatNumber(cell.value) + ' ' + FormatNumber(adjusted[i]) + ' ' +
                FormatNumber(change == 0 ? 0.0 : change) + ' ' + cell.status + '\n';
        if (text.size() > (1 << 16))
        {
            ok = std::fputs(text.c_str(), f) >= 0;
            text.clear();
        }
    }
    return ok && std::fputs(text.c_str(), f) >= 0;
}

} // namespace

bool WriteSolutionFile(const std::string& path, const SolutionHeader& header, const Instance& instance,
                       const std::vector<double>& adjusted, std::string& error)
{
    const bool withCells = header.hasTable || !adjusted.empty();
    if (!WriteFileAtomically(
            path,
            [&](std::FILE* f)
            { return WriteHeader(f, header) && (!withCells || WriteCells(f, instance, adjusted)); },
            error))
    {
        error = "the solution file was not written: " + error;
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
