// Cells whose changes the relations tie together. A relation with exactly two cells that may move
// and nothing to make up (its residual is 0) forces their changes to be proportional: a total whose
// other parts are all empty (z) moves exactly as its one open part, and two parts of a zero sum move
// opposite ways. Such cells must take consistent directions, and a repair must flip them together.
#pragma once

#include "fast/directions.h"
#include "instance/instance.h"

#include <cstdint>
#include <vector>

namespace vrn
{

class DirectionTies
{
public:
    DirectionTies() = default;
    // `additive`: the relations as written (a relation with a residual ties nothing); otherwise every
    // relation keeps its original residual, so every two-cell relation ties its cells.
    DirectionTies(const Instance& instance, bool additive);

    // The group's representative, and whether cell i moves opposite to it.
    int Root(int i) const;
    bool Opposite(int i) const;
    // The sensitive cells to protect that share cell i's group (i among them when it is one).
    const std::vector<int>& Members(int i) const;
    // The direction cell j must take when cell i takes `direction` (both of one group).
    Direction Implied(int i, Direction direction, int j) const;
    int GroupCount() const { return m_groupCount; }

private:
    std::vector<int32_t> m_root;
    std::vector<char> m_opposite;
    std::vector<std::vector<int>> m_members; // by root, sensitive cells only
    std::vector<int> m_none;
    int m_groupCount = 0;
};

// Makes every tied group's directions agree: with the direction of a member whose direction is not the
// program's own choice (forced by its bounds, from the file), otherwise with the member of the largest
// protection level. Returns how many directions changed.
int AlignTiedDirections(const Instance& instance, const DirectionTies& ties, double big,
                        DirectionChoice& choice);

} // namespace vrn
