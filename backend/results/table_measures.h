// What protection cost a table: the measures of the report page, from the instance and the published
// values alone (no model, no solver), so that a table written by an earlier run or by another tool is
// measured the same way.
#pragma once

#include "instance/instance.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

namespace vrn
{

// A cell's original and published value.
struct CellChange
{
    size_t cell = 0;
    double original = 0;
    double adjusted = 0;

    double Change() const { return adjusted - original; }
    // |change| in percent of |original|; NaN for a cell of value 0, whose relative change is undefined.
    double RelativePercent() const
    {
        return original == 0 ? NAN : 100 * std::fabs(adjusted - original) / std::fabs(original);
    }
};

// Quantiles by nearest rank: each is a value of the data (a count table's stay whole numbers).
constexpr std::array<double, 8> kQuantileLevels = {0, 0.1, 0.25, 0.5, 0.75, 0.9, 0.99, 1};
struct Quantiles
{
    size_t count = 0;           // how many numbers they are of
    std::vector<double> values; // one per level of kQuantileLevels; empty when count is 0
};

// The cells of one group and what their changes add up to.
struct GroupMeasures
{
    size_t cells = 0;
    size_t changed = 0;        // beyond the table's tolerance
    double totalChange = 0;    // sum of |change|
    double weightedChange = 0; // sum of cost x |change|
    double largestChange = 0;  // largest |change|
    size_t withValue = 0;      // cells whose value is not 0 (they have a relative change)
    double meanPercent = NAN;  // mean relative change of those, in percent
};

// The groups of the page: by what the rules let a cell do, and by its place in the relations. A total
// is a cell with a negative coefficient in some relation (the total of its parts); the others are inner
// cells.
enum class CellGroup
{
    Sensitive,  // status u with a protection level above 0
    Changeable, // every other cell that may change
    Fixed,      // status z
    Total,
    Inner
};
constexpr size_t kGroupCount = 5;

// Cells by relative change: not changed, up to 2 %, 5 %, 10 %, 20 %, 30 %, 40 %, 50 %, more. A cell of
// value 0 has none and is counted apart.
constexpr std::array<double, 7> kBinUpperPercents = {2, 5, 10, 20, 30, 40, 50};
constexpr size_t kBinCount = kBinUpperPercents.size() + 2;
struct ChangeBins
{
    std::array<size_t, kBinCount> sensitive{};
    std::array<size_t, kBinCount> others{};
    size_t zeroValueUnchanged = 0;
    size_t zeroValueChanged = 0;
};

// Sensitive cells by how far they moved past their protection level in the direction they moved: at
// the level, up to 10 %, 50 %, 100 % of the level beyond it, more.
constexpr std::array<double, 3> kBeyondUpperShares = {0.1, 0.5, 1};
constexpr size_t kBeyondBinCount = kBeyondUpperShares.size() + 2;

struct SensitiveMeasures
{
    size_t cells = 0;
    size_t up = 0;
    size_t down = 0;
    size_t unmoved = 0;                               // published at their original value
    size_t shortOfLevel = 0;                          // moved by less than their level
    std::array<size_t, kBeyondBinCount> beyondBins{}; // of the cells that moved at least their level
    Quantiles beyond;                                 // distance past the level, of the cells that moved

    // Moved by exactly their level: one who knows the rule can undo the protection.
    size_t AtLevel() const { return beyondBins[0]; }
};

constexpr size_t kLargestTotalsShown = 10;
constexpr size_t kMovedTotalsShown = 20;
constexpr double kMovedTotalPercent = 1;

struct TableMeasures
{
    // A change at most this large is no change: 1e-9 of the largest magnitude of the table, original
    // or published.
    double tolerance = 0;
    size_t cells = 0;
    size_t changed = 0;
    double weightedChange = 0; // the objective
    double totalChange = 0;    // unweighted
    CellChange largest;        // the largest |change| (the first such cell); meaningful when cells > 0
    bool hasRelative = false;  // some cell of a value other than 0
    CellChange largestRelative;
    size_t nonSensitiveWithValue = 0;
    double nonSensitiveMeanPercent = NAN; // mean relative change of the cells not sensitive, value not 0
    std::array<GroupMeasures, kGroupCount> groups;
    ChangeBins bins;
    Quantiles absolute; // |change| of the changed cells
    Quantiles relative; // relative change in percent of the changed cells of a value other than 0
    size_t totals = 0;
    std::vector<CellChange> largestTotals; // largest |value| first: the first is the grand total
    std::vector<CellChange> movedTotals;   // moved more than kMovedTotalPercent, most first, the first few
    size_t movedTotalCount = 0;            // all of them
    size_t zeroValueTotalsChanged = 0;     // totals of value 0 that changed (no relative change)
    SensitiveMeasures sensitive;

    const GroupMeasures& Group(CellGroup group) const { return groups[static_cast<size_t>(group)]; }
};

// The measures of a published table; `adjusted` has one value per cell of `instance`.
TableMeasures MeasureTable(const Instance& instance, const std::vector<double>& adjusted);

// Nearest-rank quantiles of `numbers` at kQuantileLevels (the numbers are reordered).
Quantiles NearestRankQuantiles(std::vector<double>& numbers);

// A relative change for people to read: three significant digits, whole from 100 up ("12.5 %",
// "0.0123 %", "250 %"); "undefined" for NaN.
std::string PercentText(double percent);

} // namespace vrn
