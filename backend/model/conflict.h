// Why a table cannot be protected, in words: what a cell's bounds and each relation on its own allow
// a cell to change, and the sensitive cells and relations that these limits prove cannot be met.
// Needs no solver; linear in the size of the table.
#pragma once

#include "instance/instance.h"
#include "model/std_model.h"

#include <string>
#include <vector>

namespace vrn
{

// The change x - a a cell may make: lo <= change <= hi (lo <= 0 <= hi for a cell that may stay).
struct ChangeRange
{
    double lo = 0;
    double hi = 0;
};

// What the Std model allows every cell: its bounds, the largest change `big`, nothing for z cells.
std::vector<ChangeRange> StdChangeRanges(const Instance& instance, double big);

struct ConflictSettings
{
    bool additive = true;    // relations hold as written (else: the original residuals are kept)
    double tolerance = 1e-6; // relative, as the solution check's
    size_t listedCells = 10; // explanations written out in full; the rest are counted
    size_t listedOthers = 4; // cells named in one relation's explanation
    bool boundsWords = true; // limits come from the cells' bounds (Std), so name them
};

struct ConflictReport
{
    int cells = 0;     // sensitive cells proven unprotectable
    int relations = 0; // relations proven unable to hold within the cells' limits
    std::vector<std::string> lines;
    bool Proven() const { return cells + relations > 0; }
};

// Relations that cannot hold within the cells' ranges, and sensitive cells that can move neither way
// by their protection level, each with the numbers that prove it.
ConflictReport FindConflicts(const Instance& instance, const std::vector<ChangeRange>& ranges,
                             const ConflictSettings& settings);

// Why cell i cannot move the way `direction` says by its protection level, from its own range and
// each relation it is in; empty when no single relation or bound proves it.
std::string DirectionConflictText(const Instance& instance, const std::vector<ChangeRange>& ranges,
                                  const ConflictSettings& settings, int cell, Direction direction);

} // namespace vrn
