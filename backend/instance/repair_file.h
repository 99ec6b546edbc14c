// The prices of the changes a repair may make to an instance: per cell, what a unit of widening of
// each bound or of lowering of each protection level costs, or that it may not change. Read from the
// repair file: lines "CELL WHAT PRICE", WHAT one of lb ub lpl upl, PRICE a number >= 0 or "fixed".
#pragma once

#include "instance/instance.h"

#include <array>
#include <string>
#include <vector>

namespace vrn
{

// A price that forbids the change.
constexpr double kFixedPrice = -1;

enum class RepairWhat
{
    Lb,
    Ub,
    Lpl,
    Upl
};

std::string RepairWhatName(RepairWhat what);

struct RepairPrices
{
    // Per cell, indexed by RepairWhat: the price of a unit of change, or kFixedPrice.
    std::vector<std::array<double, 4>> price;
    // The file priced a protection level: the repair weighs every change by its price in one sum
    // instead of lowering protection only where widening bounds cannot help.
    bool protectionPriced = false;
    int linesRead = 0;

    double Of(size_t cell, RepairWhat what) const { return price[cell][static_cast<size_t>(what)]; }
};

// Every bound and level may change at price 1 per unit.
RepairPrices DefaultRepairPrices(const Instance& instance);

struct RepairFileResult
{
    RepairPrices prices;
    std::vector<FormatError> errors; // every bad line, with its number
};

// Blank lines and text after '#' are ignored. Unknown cells, z cells, unknown WHAT, a price that is
// not a number >= 0 or "fixed", a repeated (cell, what) and extra fields are errors.
RepairFileResult ReadRepairText(const std::string& text, const Instance& instance);
// An empty path: the default prices, no errors. A file that cannot be read: one error at line 0.
RepairFileResult ReadRepairFile(const std::string& path, const Instance& instance);

} // namespace vrn
