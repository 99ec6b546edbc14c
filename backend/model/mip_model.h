// A linear or mixed-integer program in the form every solver adapter takes: columns with bounds,
// costs and integrality; rows lb <= a x <= ub stored row by row.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace vrn
{

constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct MipModel
{
    std::vector<double> colLower, colUpper, cost;
    std::vector<char> isInteger;
    std::vector<std::string> colName;

    std::vector<double> rowLower, rowUpper;
    std::vector<std::string> rowName;
    std::vector<int64_t> rowStart{0};
    std::vector<int32_t> entryCol;
    std::vector<double> entryValue;

    double objectiveOffset = 0;

    int AddColumn(double lower, double upper, double objective, bool integer, std::string name);
    // Adds a row over the given (column, value) entries.
    void AddRow(double lower, double upper, const std::vector<std::pair<int32_t, double>>& entries,
                std::string name);

    int ColumnCount() const { return static_cast<int>(cost.size()); }
    int RowCount() const { return static_cast<int>(rowLower.size()); }
    int64_t EntryCount() const { return static_cast<int64_t>(entryCol.size()); }
    int IntegerCount() const;
    // The objective at `columns` (one value per column), in the model's units, without the offset.
    double ObjectiveAt(const std::vector<double>& columns) const;
    bool HasIntegers() const { return IntegerCount() > 0; }

    // The same matrix column by column (for solvers that load it so).
    void ColumnMajor(std::vector<int64_t>& start, std::vector<int32_t>& row,
                     std::vector<double>& value) const;
};

// Writes the model in the CPLEX LP text format that glpsol, cbc and clp read.
bool WriteLpFile(const MipModel& model, const std::string& path, std::string& error);

} // namespace vrn
