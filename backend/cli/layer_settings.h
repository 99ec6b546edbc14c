// The settings every layer's entry point takes: plain values, resolved from the run's options by
// cli/run_settings.h (the largest change and the scale already worked out), so that no layer but the
// command line and the driver needs to know the options.
#pragma once

#include "model/model_kind.h"
#include "solvers/solver_adapter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vrn
{

// The Fast model: the Std model with every sensitive cell's direction fixed.
struct FastSettings
{
    bool additive = true;
    double scale = 1;
    double big = -1; // -1: automatic
    bool integerCells = false;
    double pctBounds = -1; // -1: none; else the largest change of a non-sensitive cell, percent of its value
    double expObj = 0.5;
    bool withMaxObjective = false; // objective 4 needs an extra column and one row per cell
};

// The lexicographic loop of the Fast formulation.
struct LexminSettings
{
    std::vector<int> order{1}; // objective numbers 1 to 4
    double epsF = 1e-4;        // relative slack on a reached objective
    double epsRhs = 0;         // the least limit a reached objective is held at (table's units)
    // Called with each stage's point (the model's columns) as it is reached; may be empty.
    std::function<void(const std::vector<double>& solution)> stagePoint;
};

// A whole Fast run: its model, its loop, its solver parameters and how it fixes the directions.
struct FastRunSettings
{
    FastSettings model;
    LexminSettings lexmin;
    SolveParams solve;
    StdModelKind kind = StdModelKind::Classical; // the Std model whose relaxation a heuristic may round
    char fixDir = 's';                           // r: at random, f: from `fixDirFile`, s: the heuristic
    std::string fixDirFile;
    uint64_t seed = 1;
    bool scaleGiven = false; // --scale was given: a shared linear program keeps it
    bool writeLp = false;
    double tolerance = 1e-6; // the solution check's, also the conflicts' words'
    // The starting point of a Std run: its heuristic (c: the Std model's relaxation rounded, s: the
    // balancing) and whether the command line named the LP method.
    char startingPoint = 's';
    bool lpMethodGiven = false;
};

// The same run as a single stage that finds or mends a table for another run (its start or its repair):
// objective 1, the heuristic's directions, no percent bounds, no LP file, every stage to its end.
FastRunSettings OneStageFast(FastRunSettings run);

// The repair of a table that cannot be protected, and the explanation of an infeasible one.
struct RepairSettings
{
    bool additive = true;
    double scale = 1;
    double big = -1;         // largest change of a cell, original units; -1: automatic
    double tolerance = 1e-6; // changes smaller than this (relative) are none
};

struct RepairRunSettings
{
    RepairSettings model;   // the elastic model's
    std::string repairFile; // the prices; empty: price 1 per unit everywhere
    SolveParams solve;
};

// Block coordinate descent on the Std model.
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

} // namespace vrn
