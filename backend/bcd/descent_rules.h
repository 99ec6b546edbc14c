// The descent's rules that need no solve: when the default Std run descends and with how many blocks,
// when a descent stops for want of gains, each block's share of the time, and a bound of every table.
#pragma once

#include "cli/layer_settings.h"
#include "instance/instance.h"
#include "solvers/solve_model.h"

#include <string>

namespace vrn
{

// The default Std run's own choice where the options name no cluster count: beyond
// WholeModelDirections(solver) directions the descent, with blocks of about
// AutomaticBlockCells sensitive cells; 0 below. On a count table of 53,151 cells and 14,814 directions
// CBC's search from the starting table found nothing better in 55 s, the descent gained 12 % in 55 s.
// Blocks CBC solves well in a run's time are larger than GLPK's and SYMPHONY's: on that table, 60 s,
// CBC 25,013 with blocks of 300 cells and 25,417 with 150; GLPK 26,401 with 50 cells and 26,869 with
// 300; SYMPHONY 26,735 with 50 and 27,850 with 300 (it found no table in most blocks of 300 within their
// time). CBC's blocks grow beyond 300 cells where that would make more than kCbcBlocksPerCycle blocks:
// a minute then covers only part of a cycle, and larger blocks gain more per second. On a count table of
// 99,561 cells and 27,800 directions, 60 s: 49,784 with blocks of 300 cells, 49,477 with 450, 48,821
// with 600, 50,403 with 900; on one of 50,316 cells and 14,001 directions 23,780.5 with 300 and 23,838
// with 600.
constexpr int kCbcBlocksPerCycle = 48;
// GLPK's and SYMPHONY's blocks are small and their own models too: on the 99,561-cell count table,
// 60 s, GLPK 51,286 with blocks of 50 cells on up to 12,000 moving cells (329 blocks solved), 50,357
// with 50 on 1,000 (647), 49,834 with 30 on 800 (2,549), 51,328 with 20 on 300; 52,567 with 100 on
// 1,000; SYMPHONY 51,754 with 50 on 12,000, 50,319 with 30 on 800. On the 50,316-cell one GLPK 24,930
// against 24,589, on a 52,762-cell 3-D magnitude table the same. CBC gained nothing from a smaller
// budget (48,614.5 on 12,000, 49,014.7 on 5,000).
constexpr int kSmallBlockCells = 30;
constexpr size_t kSmallBlockMovingCells = 800;
int AutomaticBlockCells(int directions, char solver);
// The most cells a block's own model moves in the run's own descent.
size_t AutomaticMovingBudget(char solver);
// CBC's whole-model search from the start gains little beyond about a thousand directions: on a count
// table of 5,019 cells and 1,343 directions, 60 s, it kept the starting table (2,657) where 5 blocks
// reached 2,251. GLPK's whole-model search did better there than its descents (2,334 against 2,376 at
// best), so GLPK's and SYMPHONY's limit stays at kWholeModelDirections.
constexpr int kWholeModelDirectionsCbc = 1000;
int WholeModelDirections(char solver);
// Blocks of about AutomaticBlockCells sensitive cells over `directions` (at least 2), whatever their count.
int AutomaticBlockCount(int directions, char solver);
int AutomaticClusters(int directions, char solver);

// The adaptive stop: one cycle's worth of blocks without a gain when the same clusters repeat (the
// next cycle would solve the same blocks from the same table again), five cycles' worth when the
// blocks change (regrouped clusters, dynamic blocks), where a later block may still find a gain: on
// the 100x100 table, 20 clusters regrouped, gains came after 47 and 70 blocks without one.
int AdaptiveNoGainStop(const BcdSettings& settings);

// Where a block stands in its cycle: the cycle's blocks, those still to solve (this one among them)
// and how many are solved at once.
struct CyclePosition
{
    int blocksPerCycle = 1;
    int blocksLeft = 1;
    int lanes = 1;
};

// A block's time limit when none is given: with a run's time limit, its remaining time shared over
// the blocks of a cycle (at most ten shares), and no more than lets the rest of the cycle fit in the
// remaining time, at least `floor` seconds; so that one block whose search drags on cannot take the
// run's time from the others, and a minute covers the whole table. Without one, none (<= 0). On the
// 99,561-cell count table (48 blocks, two side by side, 60 s) blocks of a tenth of the remaining
// time covered 35 blocks (48,907); 2 s each the whole cycle (48,168), 1.5 s 47,693 and 48,198, 1 s
// 49,588 (too short for CBC to gain in most blocks).
double BlockTimeLimit(const BcdSettings& settings, const CyclePosition& position, bool runHasLimit,
                      double remaining, double floor = 2);

// A lower bound on the weighted change of every protected table: each sensitive cell moves at least
// its smaller protection level. Found without a solve, it is as good as the Std model's LP relaxation
// on the generated tables measured (equal on small ones, higher on a 300x300 one).
double LeastWeightedChange(const Instance& instance);

// Where each block is solved, for the descent's first line in the log ("; each block solved on ...").
std::string NeighbourhoodText(const BcdSettings& settings);

} // namespace vrn
