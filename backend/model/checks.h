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

// The protection check's own tolerances: a sensitive cell fails when it moved less than its level
// by more than kProtectionRelativeTolerance of that level plus kProtectionRoundingFloor of the
// table's largest value (the rounding of the arithmetic). No solver tolerance enters.
constexpr double kProtectionRelativeTolerance = 1e-9;
constexpr double kProtectionRoundingFloor = 1e-12;

// The relative tolerance of the relations and bounds in the solution check after a run; fixed, not
// the solvers' --feasibility.
constexpr double kSolutionCheckTolerance = 1e-6;

// Relations (as written, or keeping the original residuals), bounds, protection, unchanged z cells,
// and, with integerCells, whole values. Relations and bounds are held to `tolerance` relative to the
// magnitudes involved (at least a thousandth of the table's largest value); protection to the
// constants above, whatever `tolerance` is.
CheckReport CheckSolution(const Instance& instance, const std::vector<double>& adjusted, bool additive,
                          bool integerCells, double tolerance);

// sum of cost * |adjusted - original|.
double WeightedChange(const Instance& instance, const std::vector<double>& adjusted);

// The weighted change of `after`, a table that differs from `before` (of weighted change
// `beforeChange`) at most at `cells`: the sum is corrected over those cells alone, so that a block's
// table on a large table costs its own cells, not the whole table's.
double WeightedChangeAfter(const Instance& instance, const std::vector<double>& before, double beforeChange,
                           const std::vector<double>& after, const std::vector<int32_t>& cells);

} // namespace vrn
