// Groups of sensitive cells that block coordinate descent re-optimises together: fixed clusters
// (grown along the table's relations, or drawn at random as the baseline) and the blocks of dynamic
// descent (the cells most likely to gain from changing direction).
#pragma once

#include "instance/instance.h"
#include "model/sub_model.h"

#include <cstdint>
#include <vector>

namespace vrn
{

// Splits `cells` into `count` clusters of near-equal size (sizes differ by at most one). Each
// cluster is grown from a seed cell, always taking next the free cell that shares the most
// relations with the cluster so far: on a 2-D table that grows a rectangle of rows and columns,
// whose cells offset each other's changes. `seed` picks the seed cells and breaks ties, so another
// seed regroups the cells differently.
std::vector<Cluster> RelationClusters(const Instance& instance, const std::vector<int32_t>& cells, int count,
                                      uint64_t seed);

// The baseline: the cells shuffled and cut into `count` clusters of near-equal size.
std::vector<Cluster> RandomClusters(const std::vector<int32_t>& cells, int count, uint64_t seed);

// How much a sensitive cell might gain from changing direction in the table `adjusted`: its own
// weighted change beyond the smaller of its two protection levels (what a move the other way could
// save at best), plus, for each of its relations, the weighted change of the relation's other
// cells divided by their number (the adjustment its direction may be forcing on its neighbours).
std::vector<double> FlipScores(const Instance& instance,
                               const std::vector<std::vector<int32_t>>& relationsOfCell,
                               const std::vector<int32_t>& cells, const std::vector<double>& adjusted);

// A block of dynamic descent: the `candidatePercent` % of `cells` with the highest scores are the
// candidates, and each is left out with probability `discardPercent` %. The block grows from the
// best-scored candidate kept, always taking next the kept candidate that shares the most relations
// with it (the next best-scored one where none does), so that its cells can offset each other's
// changes; when too few were kept, the left-out candidates fill it in score order. Always
// min(size, candidates) cells.
Cluster DynamicBlock(const Instance& instance, const std::vector<int32_t>& cells,
                     const std::vector<double>& scores, size_t size, double candidatePercent,
                     double discardPercent, uint64_t seed);

// The same from the cells that no block of `taken` holds (the blocks it is solved beside, from the same
// table); empty when every cell is taken.
Cluster DynamicBlockBeside(const Instance& instance, const std::vector<int32_t>& cells,
                           const std::vector<double>& scores, const std::vector<Cluster>& taken, size_t size,
                           double candidatePercent, double discardPercent, uint64_t seed);

// Orders `clusters` by the sum of their cells' `scores` (one per cell of `cells`, a table of
// `cellCount` cells), largest first; ties keep their order.
void SortClustersByPromise(const std::vector<double>& scores, const std::vector<int32_t>& cells,
                           size_t cellCount, std::vector<Cluster>& clusters);

} // namespace vrn
