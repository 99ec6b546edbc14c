// Checks of the input before the solve and of the adjusted table after it.
#pragma once

#include "instance/instance.h"

#include <string>
#include <vector>

namespace vrn
{

struct CheckReport
{
    bool passed = true; // input: no fault that makes the problem infeasible; solution: all checks hold
    std::vector<std::string> lines; // findings, for the log
};

// Residuals of the relations, sensitive cells that can move neither way, relations that nothing can repair.
CheckReport CheckInput(const Instance& instance, bool additive, double big, double tolerance);

// Relations (as written, or keeping the original residuals), bounds, protection, unchanged z cells,
// and, with integerCells, whole values. Tolerances are relative to the magnitudes involved.
CheckReport CheckSolution(const Instance& instance, const std::vector<double>& adjusted, bool additive,
                          bool integerCells, double tolerance);

// sum of cost * |adjusted - original|.
double WeightedChange(const Instance& instance, const std::vector<double>& adjusted);

} // namespace vrn
