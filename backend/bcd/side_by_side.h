// Blocks solved side by side from the same incumbent, each but the first in a child process, and their
// tables taken together. The relations are linear, so the sum of the blocks' changes stays additive;
// where the blocks changed different cells the sum is protected and gains both blocks' gains, where they
// changed the same cells the weighted change and the solution check decide.
#pragma once

#include "bcd/block_descent.h"
#include "bcd/descent_incumbent.h"
#include "bcd/forked_solve.h"
#include "solvers/solver_adapter.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vrn
{

// One block of a group: its own small model and the parameters of its solve (its start among them).
struct SideBySideBlock
{
    const MipModel* model = nullptr;
    SolveParams params;
};

// Solves the blocks at once: the first by `solveHere` in this process, the others each in a child
// within `childSeconds` (<= 0: none); a block whose child could not be started is solved by `solveHere`
// after the first, unless `stopped()`, and so is a block whose child stalled (a child that died gives no
// result). A child that does not answer within its limit and a grace is killed, and so is every child once
// `stopped()`. No result: the block's solve gave nothing back. `children` are kept from call to call: one
// that answered solves the next call's block in its place without a new fork.
using SideBySideChildren = std::vector<std::unique_ptr<ForkedSolve>>;
std::vector<std::optional<SolveResult>> SolveSideBySide(const std::vector<SideBySideBlock>& blocks,
                                                        SolverAdapter& solver, SideBySideChildren& children,
                                                        double childSeconds,
                                                        const std::function<SolveResult(size_t)>& solveHere,
                                                        const std::function<bool()>& stopped);

// `incumbent` with the change from `base` to `table` added (tables of the same cells).
std::vector<double> WithChangeAdded(const std::vector<double>& incumbent, const std::vector<double>& table,
                                    const std::vector<double>& base);

// How a block's table was taken into the incumbent.
struct SideBySideTake
{
    bool taken = false;    // the table (or the change) became the incumbent
    bool combined = false; // offered as its change added to a better block's table, not as it is
};

// Takes the blocks' tables (empty: none) into the incumbent, the least weighted change first: tables as
// they are until one is taken, then each other block's change from `base` (the table they all started
// from) added to the incumbent as it then stands. `offer(table)` makes a table the incumbent when it
// passes the check and changes less, and says whether it did; `incumbent()` is the incumbent's table.
std::vector<SideBySideTake> TakeSideBySide(const std::vector<double>& base,
                                           const std::vector<std::vector<double>>& tables,
                                           const std::vector<double>& objectives,
                                           const std::function<bool(const std::vector<double>&)>& offer,
                                           const std::function<const std::vector<double>&()>& incumbent);

// The steps of a group (each with its block and moving cells) once its `tables` (empty: none) are taken
// into `best` by TakeSideBySide, from the incumbent they all started from.
std::vector<BcdStep> TakeGroupTables(DescentIncumbent& best, const Instance& instance,
                                     std::vector<BcdStep> steps,
                                     const std::vector<std::vector<double>>& tables);

} // namespace vrn
