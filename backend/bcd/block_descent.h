// Block coordinate descent on the Std model: a protected table (the incumbent) is improved one
// block of sensitive cells at a time. By default each block is solved on its own small model (the
// block's cells, their relations' cells and the cells the incumbent changed beside those move,
// every other cell keeps the incumbent's value);
// otherwise on the whole model, the directions of the cells outside the block fixed at the
// incumbent's (their binaries' bounds). Either way the solver starts from the incumbent, so a block
// never returns a worse table, and the incumbent is replaced only by a better table that passes
// the solution check of the whole table.
#pragma once

#include "bcd/clusters.h"
#include "cli/options.h"
#include "fast/starting_point.h"
#include "model/std_model.h"
#include "solvers/solver_adapter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vrn
{

enum class BcdCycle : char
{
    One = 'o',     // one pass over the clusters
    Same = 's',    // repeat the same clusters
    Changing = 'c' // repeat, grouping the cells differently each cycle
};

struct BcdSettings
{
    int clusters = 1;         // blocks per cycle; 1: no descent
    double blockSeconds = -1; // each block's time limit; <= 0: adaptive (BlockTimeLimit)
    bool hasObjectiveTarget = false;
    double objectiveTarget = 0; // stop once the incumbent's weighted change is at or below it
    double finalSeconds = -1;   // > 0: a branch-and-cut on the whole model from the final table
    BcdCycle cycle = BcdCycle::Same;
    int noGainStop = -1; // consecutive blocks without improvement before stopping; -1: adaptive
    bool dynamic = false;
    double candidatePercent = 50; // dynamic: share of the sensitive cells that are candidates
    double discardPercent = 50;   // dynamic: probability that a candidate is left out
    bool randomClusters = false;  // the baseline grouping (for measurements)
    // Each block on its own small model (the cells within `radius` relations of the block move,
    // the rest stay at the incumbent's values); false: on the whole model with bounds changed.
    // A negative radius: as many relations out as keep `movingBudget` cells, at least one.
    bool subModels = true;
    int radius = -1;
    size_t movingBudget = 12000;
    // Own models hold the block, its relations' cells and the incumbent's changed cells near them
    // (LeaningCells) instead of whole rings of relations (`radius` then unused).
    bool leaning = true;
    // Each cycle's clusters solved in order of the gain their cells' flips promise (FlipScores).
    bool sortClusters = true;
    // Blocks solved at once, from the same incumbent, each but the first in a child process (own
    // models only); their changes are combined where the combination passes the check.
    int workers = 1;
    uint64_t seed = 1;
    bool additive = true;
    bool integerCells = false;
    double tolerance = 1e-6; // of the solution check
};

// The descent's settings from the run's options; `workers` is the machine's cores (at most four).
BcdSettings BcdSettingsFromOptions(const BackendOptions& options);
bool BcdWanted(const BackendOptions& options);

// The default Std run's own choice where the options name no cluster count: beyond
// WholeModelDirections(solver) directions the descent, with blocks of about
// AutomaticBlockCells sensitive cells; 0 below. On a count table of 53,151 cells and 14,814 directions
// CBC's search from the starting table found nothing better in 55 s, the descent gained 12 % in 55 s.
bool BcdClustersGiven(const BackendOptions& options);
// Blocks CBC solves well in a run's time are larger than GLPK's and SYMPHONY's: on that table, 60 s,
// CBC 25,013 with blocks of 300 cells and 25,417 with 150; GLPK 26,401 with 50 cells and 26,869 with
// 300; SYMPHONY 26,735 with 50 and 27,850 with 300 (it found no table in most blocks of 300 within their
// time).
int AutomaticBlockCells(char solver);
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

// A block's time limit when none is given: with a run's time limit, its remaining time shared over
// the blocks of a cycle (at most ten shares, at least `floor` seconds), so that one block whose
// search drags on cannot take the run's time from the others; without one, none (<= 0).
double BlockTimeLimit(const BcdSettings& settings, int blocksPerCycle, bool runHasLimit, double remaining,
                      double floor = 2);

// A lower bound on the weighted change of every protected table: each sensitive cell moves at least
// its smaller protection level. Found without a solve, it is as good as the Std model's LP relaxation
// on the generated tables measured (equal on small ones, higher on a 300x300 one).
double LeastWeightedChange(const Instance& instance);

struct BcdStep
{
    int cycle = 0, block = 0, blocksInCycle = 0;
    Cluster cells;          // the block's sensitive cells
    bool hasTable = false;  // the block's solve returned a table
    size_t movingCells = 0; // cells free to change in the block's solve
    double blockObjective = 0;
    bool improved = false;
    // Side by side: better than the table the blocks started from, but its change did not add to
    // that of a better block beside it.
    bool notAdded = false;
    double incumbent = 0; // weighted change of the incumbent after the block
    double elapsed = 0;
};

struct BcdReport
{
    SolveResult result; // the incumbent, in the model's columns
    int cycles = 0, blocks = 0;
    double startObjective = 0, objective = 0; // weighted change, table units
    std::string stopReason;
    bool finalSearch = false;   // the final branch-and-cut ran
    bool finalImproved = false; // ... and found a better table
};

struct BcdHooks
{
    std::function<void(const std::string&)> say;
    std::function<void(const BcdStep&)> onBlock; // after each block (tests watch the descent)
    // The solver ignored a stop of the run; gets the incumbent's columns (and ends the run).
    std::function<void(const std::vector<double>&)> onOverrun;
    double stopGraceSeconds = 20;
};

// Runs the descent from `start` (the Std model's columns of a protected table). `model`'s bounds
// are changed while it runs and restored before it returns.
BcdReport RunBlockDescent(const Instance& instance, StdModel& model, SolverAdapter& solver,
                          const SolveParams& params, std::shared_ptr<RunControl> control,
                          const BcdSettings& settings, const std::vector<double>& start,
                          const BcdHooks& hooks);

} // namespace vrn
