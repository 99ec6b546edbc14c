// The .sol file: a header of "#" lines, then one line per cell.
#pragma once

#include "instance/instance.h"

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
    bool hasTable = false; // a table was found: the cell lines follow, even for a table without cells
};

// Writes the header and, with a table, "# cells: N" and one line per cell:
// INDEX ORIGINAL ADJUSTED CHANGE STATUS. The file is complete or absent: it is written beside its
// place and renamed into it once whole. Header values are shown with control bytes escaped.
bool WriteSolutionFile(const std::string& path, const SolutionHeader& header, const Instance& instance,
                       const std::vector<double>& adjusted, std::string& error);

// How far an integer cell's value may be from a whole number and still be written whole: the
// integer deviation tolerance, else the integrality tolerance, else 1e-6 (a value <= 0 is unset).
double WholeValueTolerance(double intDevTol, double integrality);

// The adjusted values with the solver's rounding noise taken off: with integer cells, every value
// within `tolerance` of a whole number; otherwise a value whose original is whole and which is within
// a relative 1e-9 of a whole number.
std::vector<double> WholeWhereOnlyNoise(const Instance& instance, std::vector<double> adjusted,
                                        bool integerCells, double tolerance);

} // namespace vrn
