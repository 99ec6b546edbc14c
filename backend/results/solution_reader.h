// Reads a .sol file back (a header of "# key: value" lines, then one line per cell: INDEX ORIGINAL
// ADJUSTED CHANGE STATUS), as this program writes it and as another tool may, so that the report page
// can be made for a table written earlier.
#pragma once

#include "instance/instance.h"

#include <string>
#include <utility>
#include <vector>

namespace vrn
{

struct SolutionFileContents
{
    std::vector<std::pair<std::string, std::string>> header; // the "# key: value" lines, in order
    bool announcesCells = false;                             // a "# cells: N" line
    size_t announcedCells = 0;
    std::vector<double> original; // one per cell line, in order
    std::vector<double> adjusted;
    std::vector<char> status;
    std::vector<int> lines;          // the line of each cell line, for messages
    std::vector<FormatError> errors; // the first fault; empty when the file reads whole

    // A table: cell lines, or a "# cells:" line (a table without cells).
    bool HasTable() const { return announcesCells || !adjusted.empty(); }
    // The value of the first header line with this key; empty when there is none.
    std::string HeaderValue(const std::string& key) const;
};

SolutionFileContents ReadSolutionText(const std::string& text);

// Only a regular file is read; a file that cannot be read gives one error at line 0.
SolutionFileContents ReadSolutionFile(const std::string& path);

// The first way in which the cell lines do not belong to `instance`: another number of cells, or a
// cell whose original value (beyond 1e-9 of the table's largest value) or status differs. Empty when
// they agree. `instancePath` names the instance in the message.
std::vector<FormatError> MismatchWithInstance(const SolutionFileContents& solution, const Instance& instance,
                                              const std::string& instancePath);

} // namespace vrn
