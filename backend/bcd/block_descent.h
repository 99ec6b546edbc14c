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
#include "bcd/descent_rules.h"
#include "cli/layer_settings.h"
#include "model/std_model.h"
#include "solvers/solver_adapter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vrn
{

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
