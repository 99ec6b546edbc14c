#include "fast/direction_ties.h"

#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

namespace
{

// Union-find in which each cell knows whether it moves opposite to its parent.
class ParityForest
{
public:
    explicit ParityForest(size_t n) : m_parent(n), m_opposite(n, 0)
    {
        for (size_t i = 0; i < n; ++i)
            m_parent[i] = static_cast<int32_t>(i);
    }

    // The root of i, and i's parity to it (path halving keeps it short).
    std::pair<int32_t, bool> Find(int32_t i)
    {
        bool parity = false;
        std::vector<int32_t> path;
        while (m_parent[i] != i)
        {
            path.push_back(i);
            parity ^= m_opposite[i] != 0;
            i = m_parent[i];
        }
        // Compress: every cell on the path points at the root with its parity to it.
        bool rest = parity;
        for (const int32_t j : path)
        {
            const bool own = m_opposite[j] != 0;
            m_parent[j] = i;
            m_opposite[j] = rest;
            rest ^= own;
        }
        return {i, parity};
    }

    // Ties a and b (opposite or not); a tie that contradicts the ones before is left out.
    void Tie(int32_t a, int32_t b, bool opposite)
    {
        const auto [ra, pa] = Find(a);
        const auto [rb, pb] = Find(b);
        if (ra == rb)
            return;
        m_parent[rb] = ra;
        m_opposite[rb] = pa ^ pb ^ opposite;
    }

private:
    std::vector<int32_t> m_parent;
    std::vector<char> m_opposite;
};

bool Movable(const Cell& cell)
{
    return cell.status != 'z' && cell.lb < cell.ub;
}

} // namespace

DirectionTies::DirectionTies(const Instance& instance, bool additive)
{
    const size_t n = instance.cells.size();
    ParityForest forest(n);
    for (size_t r = 0; r < instance.RelationCount(); ++r)
    {
        int32_t open[2] = {-1, -1};
        double coef[2] = {0, 0};
        int count = 0;
        double residual = instance.rhs[r], scale = std::fabs(instance.rhs[r]);
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
        {
            const Cell& cell = instance.cells[instance.termCell[t]];
            residual -= instance.termCoef[t] * cell.value;
            scale = std::max(scale, std::fabs(instance.termCoef[t] * cell.value));
            if (!Movable(cell) || instance.termCoef[t] == 0)
                continue;
            if (count < 2)
                open[count] = instance.termCell[t], coef[count] = instance.termCoef[t];
            ++count;
        }
        const bool balanced = !additive || std::fabs(residual) <= 1e-9 * std::max(1.0, scale);
        if (count == 2 && balanced && open[0] != open[1])
            forest.Tie(open[0], open[1], (coef[0] > 0) == (coef[1] > 0));
    }
    m_root.resize(n);
    m_opposite.resize(n);
    m_members.assign(n, {});
    for (size_t i = 0; i < n; ++i)
    {
        const auto [root, opposite] = forest.Find(static_cast<int32_t>(i));
        m_root[i] = root;
        m_opposite[i] = opposite;
        if (IsProtectable(instance.cells[i]))
            m_members[root].push_back(static_cast<int>(i));
    }
    for (const auto& members : m_members)
        m_groupCount += members.size() > 1;
}

int DirectionTies::Root(int i) const
{
    return static_cast<size_t>(i) < m_root.size() ? m_root[i] : i;
}

bool DirectionTies::Opposite(int i) const
{
    return static_cast<size_t>(i) < m_opposite.size() && m_opposite[i] != 0;
}

const std::vector<int>& DirectionTies::Members(int i) const
{
    return static_cast<size_t>(i) < m_root.size() ? m_members[m_root[i]] : m_none;
}

Direction DirectionTies::Implied(int i, Direction direction, int j) const
{
    if (Opposite(i) == Opposite(j) || direction == Direction::Free)
        return direction;
    return direction == Direction::Up ? Direction::Down : Direction::Up;
}

namespace
{

bool Allowed(const Cell& cell, Direction direction, double big)
{
    return direction == Direction::Up ? CanMoveUp(cell, big) : CanMoveDown(cell, big);
}

// The member whose direction the group follows: one the program did not choose, else the largest level.
int Leader(const Instance& instance, const std::vector<int>& members, const DirectionChoice& choice)
{
    int leader = -1;
    for (const int m : members)
    {
        if (choice.direction[m] == Direction::Free)
            continue;
        if (!ChosenByProgram(choice.source[m]))
            return m;
        const auto level = [&](int c) { return std::max(instance.cells[c].lpl, instance.cells[c].upl); };
        if (leader < 0 || level(m) > level(leader))
            leader = m;
    }
    return leader;
}

} // namespace

int AlignTiedDirections(const Instance& instance, const DirectionTies& ties, double big,
                        DirectionChoice& choice)
{
    int changed = 0;
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const std::vector<int>& members = ties.Members(static_cast<int>(i));
        if (members.size() < 2 || ties.Root(static_cast<int>(i)) != static_cast<int>(i))
            continue;
        const int leader = Leader(instance, members, choice);
        if (leader < 0)
            continue;
        for (const int m : members)
        {
            const Direction want = ties.Implied(leader, choice.direction[leader], m);
            if (m == leader || choice.direction[m] == want || !ChosenByProgram(choice.source[m]) ||
                !Allowed(instance.cells[m], want, big))
                continue;
            choice.direction[m] = want;
            ++changed;
        }
    }
    return changed;
}

} // namespace vrn
