// The .sol file: a header of "#" lines, then one line per cell.
#pragma once

#include "instance.h"

#include <string>
#include <vector>

namespace vrn
{

struct SolutionHeader
{
    std::string instancePath;
    std::string solver;
    std::string outcome;
    std::vector<std::pair<std::string, std::string>> fields; // further "# key: value" lines
};

// Writes the header and, when `adjusted` is not empty, one line per cell:
// INDEX ORIGINAL ADJUSTED CHANGE STATUS.
bool WriteSolutionFile(const std::string& path, const SolutionHeader& header, const Instance& instance,
                       const std::vector<double>& adjusted, std::string& error);

} // namespace vrn
