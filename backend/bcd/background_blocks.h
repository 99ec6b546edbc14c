// Blocks solved in child processes, one per core, a new one started as soon as one answers, so that no
// core waits for the slower block of a pair: each block keeps the table it started from, and when its
// child answers, its change from that table is added to the incumbent as it then stands (the relations
// are linear, so the sum still adds up; the solution check decides the rest).
#pragma once

#include "bcd/block_descent.h"
#include "bcd/descent_incumbent.h"
#include "bcd/forked_solve.h"
#include "model/sub_model.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace vrn
{

// What a background block gave back.
struct BackgroundOutcome
{
    Cluster block;
    int cycle = 0, number = 0;
    std::vector<int32_t> moved; // the cells the block's model could move: the others keep `base`'s values
    std::vector<double> table;  // the block's table, adjusted values from `base`; empty: none
    std::vector<double> base;   // the incumbent's table when the block started
    double baseObjective = 0;   // its weighted change
    // The child stalled: the block is still to be solved. (One that died gives no table: the solver
    // itself failed on the block, and would abort the program too.)
    bool solveHere = false;
};

// The step of a background block whose child answered: its change from the table it started from added
// to the incumbent as it now stands, else (where tables were taken since) the table as it is, each
// taken when it changes less and passes the check.
BcdStep TakeBackgroundTable(DescentIncumbent& best, const Instance& instance, int blocksPerCycle,
                            const BackgroundOutcome& got);

class BackgroundBlocks
{
public:
    explicit BackgroundBlocks(SolverAdapter& solver) : m_solver(solver) {}

    size_t Count() const { return m_blocks.size(); }

    // Starts solving `sub` (the model of `block`, block `number` of `cycle`) in a child within
    // `childSeconds` (<= 0: none); false when no child could be started.
    bool Start(BlockSubModel sub, const SolveParams& params, double childSeconds, const Cluster& block,
               int cycle, int number, const std::vector<double>& base, double baseObjective);

    // The first block whose child has answered (or died); -1 when none has.
    int Answered() const;

    // Waits for a block whose child has answered, died, stalled or run past its limit and grace, or
    // until `abandon()`; that block's index (the first block's when abandoned).
    size_t WaitForAnswer(const std::function<bool()>& abandon);

    // The number and size of block `k`, for the progress lines.
    int Number(size_t k) const;
    size_t Cells(size_t k) const;

    // Waits for block `k`'s child (killed as soon as `abandon()`), and removes the block.
    BackgroundOutcome Finish(size_t k, const std::function<bool()>& abandon);

private:
    struct Block
    {
        BlockSubModel sub;
        BackgroundOutcome outcome;
        std::unique_ptr<ForkedSolve> child;
        double maxWait = 0;
        std::chrono::steady_clock::time_point started;
    };
    SolverAdapter& m_solver;
    std::vector<std::unique_ptr<Block>> m_blocks;
    // Children that answered and wait for the next block, so that a block needs no fork of its own.
    std::vector<std::unique_ptr<ForkedSolve>> m_idle;
};

} // namespace vrn
