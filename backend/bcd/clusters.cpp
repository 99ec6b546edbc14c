#include "bcd/clusters.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <queue>
#include <random>
#include <tuple>

namespace vrn
{

namespace
{

// Cluster sizes that differ by at most one and add up to `total`.
std::vector<size_t> NearEqualSizes(size_t total, int count)
{
    const size_t parts = static_cast<size_t>(std::max(1, count));
    std::vector<size_t> sizes(parts, total / parts);
    for (size_t k = 0; k < total % parts; ++k)
        ++sizes[k];
    return sizes;
}

// A deterministic pseudo-random tie-break per cell and seed.
uint64_t Mix(uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// Grows clusters one after the other over the cells of `cells`, following shared relations.
class ClusterGrower
{
public:
    // Seeds are drawn from `cells` in a shuffled order, or in the given order with `seedsInOrder`.
    ClusterGrower(const Instance& instance, const std::vector<int32_t>& cells, uint64_t seed,
                  bool seedsInOrder = false)
        : m_seed(seed), m_free(instance.cells.size(), 0), m_affinity(instance.cells.size(), 0)
    {
        for (int32_t cell : cells)
            m_free[cell] = 1;
        // Only the members of `cells` matter in each relation: keep those, so that a long relation
        // with few of them costs little.
        m_members.resize(instance.RelationCount());
        m_relationsOf.resize(instance.cells.size());
        for (size_t r = 0; r < instance.RelationCount(); ++r)
            for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            {
                const int32_t cell = instance.termCell[t];
                if (m_free[cell])
                {
                    m_members[r].push_back(cell);
                    m_relationsOf[cell].push_back(static_cast<int32_t>(r));
                }
            }
        m_seedOrder = cells;
        if (!seedsInOrder)
            std::shuffle(m_seedOrder.begin(), m_seedOrder.end(), std::mt19937_64(seed));
    }

    Cluster Grow(size_t size)
    {
        Cluster cluster;
        m_touched.clear();
        Frontier frontier;
        int32_t next = NextSeed();
        while (cluster.size() < size && next >= 0)
        {
            Take(next, cluster, frontier);
            next = BestFree(frontier);
            if (next < 0)
                next = NextSeed();
        }
        for (int32_t cell : m_touched)
            m_affinity[cell] = 0;
        m_carry = BestFree(frontier);
        return cluster;
    }

private:
    using Entry = std::tuple<int, uint64_t, int32_t>; // shared relations, tie-break, cell
    using Frontier = std::priority_queue<Entry>;

    uint64_t m_seed;
    std::vector<char> m_free;
    std::vector<int> m_affinity;
    std::vector<std::vector<int32_t>> m_members, m_relationsOf;
    std::vector<int32_t> m_seedOrder, m_touched;
    size_t m_nextSeed = 0;
    int32_t m_carry = -1; // where the last cluster stopped growing: the next one starts beside it

    void Take(int32_t cell, Cluster& cluster, Frontier& frontier)
    {
        m_free[cell] = 0;
        cluster.push_back(cell);
        for (int32_t r : m_relationsOf[cell])
            for (int32_t other : m_members[r])
                if (m_free[other])
                {
                    if (m_affinity[other]++ == 0)
                        m_touched.push_back(other);
                    frontier.emplace(m_affinity[other], Mix(static_cast<uint64_t>(other) ^ m_seed), other);
                }
    }

    // The free cell sharing the most relations with the cluster (stale entries are skipped).
    int32_t BestFree(Frontier& frontier)
    {
        while (!frontier.empty())
        {
            const auto [affinity, tie, cell] = frontier.top();
            if (m_free[cell] && affinity == m_affinity[cell])
                return cell;
            frontier.pop();
        }
        return -1;
    }

    int32_t NextSeed()
    {
        if (m_carry >= 0 && m_free[m_carry])
        {
            const int32_t seed = m_carry;
            m_carry = -1;
            return seed;
        }
        while (m_nextSeed < m_seedOrder.size() && !m_free[m_seedOrder[m_nextSeed]])
            ++m_nextSeed;
        return m_nextSeed < m_seedOrder.size() ? m_seedOrder[m_nextSeed] : -1;
    }
};

} // namespace

std::vector<Cluster> RelationClusters(const Instance& instance, const std::vector<int32_t>& cells, int count,
                                      uint64_t seed)
{
    ClusterGrower grower(instance, cells, seed);
    std::vector<Cluster> clusters;
    for (size_t size : NearEqualSizes(cells.size(), count))
        clusters.push_back(grower.Grow(size));
    return clusters;
}

std::vector<Cluster> RandomClusters(const std::vector<int32_t>& cells, int count, uint64_t seed)
{
    std::vector<int32_t> order = cells;
    std::shuffle(order.begin(), order.end(), std::mt19937_64(seed));
    std::vector<Cluster> clusters;
    size_t next = 0;
    for (size_t size : NearEqualSizes(cells.size(), count))
    {
        clusters.emplace_back(order.begin() + static_cast<std::ptrdiff_t>(next),
                              order.begin() + static_cast<std::ptrdiff_t>(next + size));
        next += size;
    }
    return clusters;
}

std::vector<double> FlipScores(const Instance& instance,
                               const std::vector<std::vector<int32_t>>& relationsOfCell,
                               const std::vector<int32_t>& cells, const std::vector<double>& adjusted)
{
    auto weightedChange = [&](int32_t cell)
    { return instance.cells[cell].cost * std::fabs(adjusted[cell] - instance.cells[cell].value); };
    std::vector<double> relationChange(instance.RelationCount(), 0);
    for (size_t r = 0; r < instance.RelationCount(); ++r)
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            relationChange[r] += weightedChange(instance.termCell[t]);
    std::vector<double> scores;
    scores.reserve(cells.size());
    for (int32_t cell : cells)
    {
        const Cell& c = instance.cells[cell];
        const bool up = adjusted[cell] > c.value;
        const double own = weightedChange(cell);
        double score = own - c.cost * (up ? c.lpl : c.upl);
        for (int32_t r : relationsOfCell[cell])
        {
            const int64_t others = instance.termStart[r + 1] - instance.termStart[r] - 1;
            if (others > 0)
                score += (relationChange[r] - own) / static_cast<double>(others);
        }
        scores.push_back(score);
    }
    return scores;
}

Cluster DynamicBlock(const Instance& instance, const std::vector<int32_t>& cells,
                     const std::vector<double>& scores, size_t size, double candidatePercent,
                     double discardPercent, uint64_t seed)
{
    std::vector<size_t> order(cells.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return scores[a] > scores[b]; });
    const size_t candidates =
        cells.empty()
            ? 0
            : std::clamp<size_t>(static_cast<size_t>(std::ceil(cells.size() * candidatePercent / 100)), 1,
                                 cells.size());
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> percent(0, 100);
    std::vector<int32_t> kept, leftOut; // both in score order
    for (size_t k = 0; k < candidates; ++k)
        (percent(random) < discardPercent ? leftOut : kept).push_back(cells[order[k]]);
    // The block grows from the best-scored kept candidate along shared relations, so that its cells
    // can offset each other's changes; the next best-scored one seeds again where growth runs dry.
    Cluster block;
    if (!kept.empty())
        block = ClusterGrower(instance, kept, seed, true).Grow(std::min(size, kept.size()));
    for (size_t k = 0; k < leftOut.size() && block.size() < size; ++k)
        block.push_back(leftOut[k]);
    return block;
}

Cluster DynamicBlockBeside(const Instance& instance, const std::vector<int32_t>& cells,
                           const std::vector<double>& scores, const std::vector<Cluster>& taken, size_t size,
                           double candidatePercent, double discardPercent, uint64_t seed)
{
    if (taken.empty())
        return DynamicBlock(instance, cells, scores, std::min(size, cells.size()), candidatePercent,
                            discardPercent, seed);
    std::vector<char> inBlock(instance.cells.size(), 0);
    for (const Cluster& other : taken)
        for (int32_t cell : other)
            inBlock[cell] = 1;
    std::vector<int32_t> free;
    std::vector<double> freeScores;
    for (size_t k = 0; k < cells.size(); ++k)
        if (!inBlock[cells[k]])
        {
            free.push_back(cells[k]);
            freeScores.push_back(scores[k]);
        }
    if (free.empty())
        return {};
    return DynamicBlock(instance, free, freeScores, std::min(size, free.size()), candidatePercent,
                        discardPercent, seed);
}

void SortClustersByPromise(const std::vector<double>& scores, const std::vector<int32_t>& cells,
                           size_t cellCount, std::vector<Cluster>& clusters)
{
    std::vector<double> scoreOf(cellCount, 0);
    for (size_t k = 0; k < cells.size(); ++k)
        scoreOf[cells[k]] = scores[k];
    std::vector<std::pair<double, size_t>> order;
    for (size_t k = 0; k < clusters.size(); ++k)
    {
        double sum = 0;
        for (int32_t cell : clusters[k])
            sum += scoreOf[cell];
        order.emplace_back(-sum, k);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Cluster> sorted;
    for (const auto& entry : order)
        sorted.push_back(std::move(clusters[entry.second]));
    clusters = std::move(sorted);
}

} // namespace vrn
