// A table to protect, as a .csp file describes it, and its reader and writer.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace vrn
{

struct Cell
{
    double value = 0;
    double cost = 0;
    char status = 's';
    double lb = 0;
    double ub = 0;
    double lpl = 0;
    double upl = 0;
    double spl = 0;
};

// Cells and relations. Relations are stored row by row in one array of terms:
// relation r has the terms termStart[r] .. termStart[r+1]-1.
struct Instance
{
    std::vector<Cell> cells;
    std::vector<double> rhs;
    std::vector<int64_t> termStart{0};
    std::vector<int32_t> termCell;
    std::vector<double> termCoef;

    size_t RelationCount() const { return rhs.size(); }
    size_t TermCount() const { return termCell.size(); }
    void AddRelation(double relationRhs, const std::vector<std::pair<int32_t, double>>& terms);
};

// For every cell, the relations it appears in.
std::vector<std::vector<int32_t>> RelationsOfCells(const Instance& instance);

struct FormatError
{
    int line = 0;
    std::string message;
};

struct ReadResult
{
    Instance instance;
    std::vector<FormatError> errors; // empty when the file was read whole
    size_t suppressedErrors = 0;     // errors past the reporting cap, counted only
};

// Reads the .csp text. With allErrors, goes on after an error and reports every one it can find
// (up to a cap); otherwise stops at the first.
ReadResult ReadInstanceText(const std::string& text, bool allErrors);

// Reads a file; a file that cannot be opened gives one error at line 0.
ReadResult ReadInstanceFile(const std::string& path, bool allErrors);

// "FILE:LINE: message".
std::string FormatErrorText(const std::string& file, const FormatError& error);

// Writes the canonical form: one cell or relation per line, numbers in their shortest exact form.
void WriteInstance(std::ostream& out, const Instance& instance);

} // namespace vrn
