#include "bcd/background_blocks.h"

#include "bcd/side_by_side.h"
#include "model/checks.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace vrn
{

BcdStep TakeBackgroundTable(DescentIncumbent& best, const Instance& instance, int blocksPerCycle,
                            const BackgroundOutcome& got)
{
    BcdStep step{got.cycle, got.number, blocksPerCycle, got.block};
    step.movingCells = got.moved.size();
    step.hasTable = !got.table.empty();
    if (!step.hasTable)
        return step;
    // The tables differ from the ones they are measured against only at the block's moving cells.
    step.blockObjective = WeightedChangeAfter(instance, got.base, got.baseObjective, got.table, got.moved);
    const bool moved = best.Table() != got.base;
    const std::vector<double> combined = WithChangeAdded(best.Table(), got.table, got.base);
    step.improved =
        best.AcceptIfBetter(
            combined, WeightedChangeAfter(instance, best.Table(), best.Objective(), combined, got.moved)) ||
        (moved && best.AcceptIfBetter(got.table, step.blockObjective));
    step.notAdded = !step.improved && step.blockObjective < got.baseObjective;
    return step;
}

bool BackgroundBlocks::Start(BlockSubModel sub, const SolveParams& params, double childSeconds,
                             const Cluster& block, int cycle, int number, const std::vector<double>& base,
                             double baseObjective)
{
    auto started = std::make_unique<Block>();
    started->sub = std::move(sub);
    if (m_idle.empty())
        started->child = std::make_unique<ForkedSolve>();
    else
    {
        started->child = std::move(m_idle.back());
        m_idle.pop_back();
    }
    if (!started->child->Start(started->sub.model.mip, m_solver, params, childSeconds))
        return false;
    // The child keeps to its limit; past it and a grace it is killed.
    started->maxWait = (childSeconds > 0 ? childSeconds : 1e9) + 10;
    started->started = std::chrono::steady_clock::now();
    BackgroundOutcome& outcome = started->outcome;
    outcome.block = block;
    outcome.cycle = cycle;
    outcome.number = number;
    outcome.moved = started->sub.cellOf;
    outcome.base = base;
    outcome.baseObjective = baseObjective;
    m_blocks.push_back(std::move(started));
    return true;
}

int BackgroundBlocks::Answered() const
{
    for (size_t k = 0; k < m_blocks.size(); ++k)
        if (m_blocks[k]->child->Answering())
            return static_cast<int>(k);
    return -1;
}

size_t BackgroundBlocks::WaitForAnswer(const std::function<bool()>& abandon)
{
    for (;;)
    {
        if (const int answered = Answered(); answered >= 0)
            return static_cast<size_t>(answered);
        if (abandon())
            return 0;
        const auto now = std::chrono::steady_clock::now();
        for (size_t k = 0; k < m_blocks.size(); ++k)
            if (m_blocks[k]->child->Stalled(10) ||
                now - m_blocks[k]->started > std::chrono::duration<double>(m_blocks[k]->maxWait))
                return k; // Finish kills it
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

int BackgroundBlocks::Number(size_t k) const
{
    return m_blocks[k]->outcome.number;
}

size_t BackgroundBlocks::Cells(size_t k) const
{
    return m_blocks[k]->outcome.block.size();
}

BackgroundOutcome BackgroundBlocks::Finish(size_t k, const std::function<bool()>& abandon)
{
    std::unique_ptr<Block> block = std::move(m_blocks[k]);
    m_blocks.erase(m_blocks.begin() + static_cast<std::ptrdiff_t>(k));
    const std::optional<SolveResult> result = block->child->Finish(abandon, block->maxWait);
    BackgroundOutcome outcome = std::move(block->outcome);
    if (result && HasFullSolution(*result, block->sub.model.mip))
        outcome.table = PutBack(block->sub, result->solution, outcome.base);
    const ForkedSolve::End end = block->child->LastEnd();
    outcome.solveHere = !result && end == ForkedSolve::End::Stalled;
    if (block->child->Idle())
        m_idle.push_back(std::move(block->child));
    return outcome;
}

} // namespace vrn
