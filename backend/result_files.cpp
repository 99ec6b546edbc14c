#include "result_files.h"

#include "escape_text.h"
#include "file_safety.h"

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

} // namespace vrn
