#include "fast/local_repair.h"

#include "fast/fast_model.h"
#include "instance/cell_rules.h"
#include "model/sub_model.h"
#include "solvers/solve_model.h"

#include <algorithm>

namespace vrn
{

namespace
{

// A group is looked for among this many cells around its first cell per cell it may hold.
constexpr size_t kRegionCellsPerShortCell = 6;

} // namespace

std::vector<std::vector<int32_t>> ShortCellGroups(const Instance& instance,
                                                  const std::vector<std::vector<int32_t>>& relationsOfCell,
                                                  const std::vector<int>& shortCells, size_t groupCells)
{
    std::vector<char> open(instance.cells.size(), 0);
    for (const int i : shortCells)
        open[i] = 1;
    std::vector<std::vector<int32_t>> groups;
    for (const int seed : shortCells)
    {
        if (!open[seed])
            continue;
        // The short cells of the seed's compact neighbourhood, in the order it reaches them.
        const std::vector<int32_t> region =
            CompactMovingCells(instance, relationsOfCell, {seed}, kRegionCellsPerShortCell * groupCells);
        std::vector<int32_t> group{seed};
        open[seed] = 0;
        for (const int32_t cell : region)
            if (group.size() < groupCells && open[cell])
            {
                open[cell] = 0;
                group.push_back(cell);
            }
        groups.push_back(std::move(group));
    }
    return groups;
}

namespace
{

class LocalRepair
{
public:
    LocalRepair(const Instance& instance, const StdModel& whole, std::vector<double> adjusted,
                const std::vector<int>& shortCells, SolverAdapter& mip, const SolveParams& params,
                RunControl& control, const LocalRepairSettings& settings)
        : m_instance(instance), m_whole(whole), m_mip(mip), m_params(params), m_control(control),
          m_settings(settings), m_relationsOfCell(RelationsOfCells(instance)),
          m_isShort(instance.cells.size(), 0)
    {
        m_result.adjusted = std::move(adjusted);
        for (const int i : shortCells)
            m_isShort[i] = 1;
        m_params.start.clear(); // the table is not protected: no start for the programs
        m_params.firstFeasible = false;
        m_params.mipGapPercent = std::min(m_params.mipGapPercent, 1.0);
    }

    LocalRepairResult Run(const std::vector<int>& shortCells)
    {
        std::vector<int> left = shortCells;
        for (int pass = 0; pass < m_settings.passes && !left.empty(); ++pass)
        {
            // A later pass groups the cells still short afresh, around a table that the other groups'
            // programs have changed: a neighbour fixed the wrong way before may have moved since.
            RepairGroups(left);
            std::vector<int> still = StillShort(shortCells);
            const bool protectedSome = still.size() < left.size();
            left = std::move(still);
            if (m_control.StopRequested() || !protectedSome)
                break;
        }
        m_result.stillShort = std::move(left);
        return std::move(m_result);
    }

private:
    const Instance& m_instance;
    const StdModel& m_whole;
    SolverAdapter& m_mip;
    SolveParams m_params;
    RunControl& m_control;
    const LocalRepairSettings& m_settings;
    const std::vector<std::vector<int32_t>> m_relationsOfCell;
    std::vector<char> m_isShort;
    LocalRepairResult m_result;

    // One program per group of `shortCells`, until the repair is stopped or gives up: group after group
    // without a table, the table's limits leave these cells no way (percent bounds, say), and the caller
    // explains that better than more programs would.
    void RepairGroups(const std::vector<int>& shortCells)
    {
        int failedInARow = 0;
        for (const auto& group :
             ShortCellGroups(m_instance, m_relationsOfCell, shortCells, m_settings.groupCells))
        {
            if (m_control.StopRequested() || failedInARow >= m_settings.failuresToGiveUp)
                return;
            failedInARow = RepairGroup(group) ? 0 : failedInARow + 1;
        }
    }

    std::vector<int> StillShort(const std::vector<int>& shortCells) const
    {
        std::vector<int> still;
        for (const int i : shortCells)
            if (m_isShort[i])
                still.push_back(i);
        return still;
    }

    // True when the group's cells are protected (or were already).
    bool RepairGroup(std::vector<int32_t> block)
    {
        block.erase(std::remove_if(block.begin(), block.end(), [this](int32_t i) { return !m_isShort[i]; }),
                    block.end());
        if (block.empty())
            return true;
        for (int attempt = 0; attempt < m_settings.tries; ++attempt)
        {
            if (m_control.StopRequested())
                return false;
            if (attempt > 0)
            {
                OpenProtectedNeighbours(block);
                ++m_result.widened;
            }
            if (SolveBlock(block,
                           CompactMovingCells(m_instance, m_relationsOfCell, block, MovingBudget(attempt))))
                return true;
        }
        return false;
    }

    // The first try moves a few hundred cells, each wider one four times as many.
    size_t MovingBudget(int attempt) const
    {
        size_t budget = m_settings.movingBudget;
        for (int k = attempt; k < m_settings.tries - 1; ++k)
            budget /= 4;
        return std::max<size_t>(budget, 64);
    }

    // The protected sensitive cells that share a relation with the block choose their directions again
    // (a partner fixed the wrong way can leave the block no way at all).
    void OpenProtectedNeighbours(std::vector<int32_t>& block) const
    {
        std::vector<char> in(m_instance.cells.size(), 0);
        for (const int32_t cell : block)
            in[cell] = 1;
        const size_t size = block.size();
        for (size_t k = 0; k < size; ++k)
            for (const int32_t r : m_relationsOfCell[block[k]])
                for (int64_t t = m_instance.termStart[r]; t < m_instance.termStart[r + 1]; ++t)
                    if (const int32_t other = m_instance.termCell[t];
                        !in[other] && !m_isShort[other] && NeedsProtection(m_instance.cells[other]) &&
                        m_whole.colDir[other] >= 0)
                    {
                        in[other] = 1;
                        block.push_back(other);
                    }
    }

    // Whether the table moves the cell by its protection level one way (a solver's tolerance aside: the
    // caller solves the linear program with these directions afterwards).
    bool Protected(int32_t cell) const
    {
        const Cell& c = m_instance.cells[cell];
        const double change = m_result.adjusted[cell] - c.value;
        const double slack = 1e-6 * std::max({c.lpl, c.upl, 1e-9});
        return change >= c.upl - slack || -change >= c.lpl - slack;
    }

    bool SolveBlock(const std::vector<int32_t>& block, std::vector<int32_t> moving)
    {
        BlockSubModel sub =
            BuildBlockSubModelOn(m_instance, m_whole, m_relationsOfCell, block, std::move(moving),
                                 m_result.adjusted, m_settings.integerCells, &m_isShort);
        if (m_settings.pctBounds >= 0)
            ApplyPctBounds(sub.instance, m_settings.pctBounds, sub.model);
        RunControl program(std::min(m_settings.programSeconds, std::max(0.01, m_control.Remaining())));
        SolveResult result;
        {
            const StopRelay relay(m_control, program);
            result = SolveModel(sub.model.mip, m_mip, m_params, program);
        }
        ++m_result.programs;
        if (!HasFullSolution(result, sub.model.mip))
            return false;
        m_result.adjusted = PutBack(sub, result.solution, std::move(m_result.adjusted));
        for (const int32_t cell : sub.cellOf)
            if (NeedsProtection(m_instance.cells[cell]))
                m_isShort[cell] = !Protected(cell);
        return true;
    }
};

} // namespace

LocalRepairResult RepairLocally(const Instance& instance, const StdModel& whole, std::vector<double> adjusted,
                                const std::vector<int>& shortCells, SolverAdapter& mip,
                                const SolveParams& params, RunControl& control,
                                const LocalRepairSettings& settings)
{
    return LocalRepair(instance, whole, std::move(adjusted), shortCells, mip, params, control, settings)
        .Run(shortCells);
}

} // namespace vrn
