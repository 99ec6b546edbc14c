#include "bcd/block_descent.h"

#include "bcd/background_blocks.h"
#include "bcd/descent_incumbent.h"
#include "bcd/descent_lines.h"
#include "bcd/direction_bounds.h"
#include "bcd/side_by_side.h"
#include "common/number_format.h"
#include "control/run_control.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "model/sub_model.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace vrn
{

namespace
{

class BlockDescent
{
public:
    BlockDescent(const Instance& instance, StdModel& model, SolverAdapter& solver, const SolveParams& params,
                 std::shared_ptr<RunControl> control, const BcdSettings& settings, const BcdHooks& hooks)
        : m_instance(instance), m_model(model), m_solver(solver), m_params(params),
          m_control(std::move(control)), m_settings(settings), m_hooks(hooks),
          m_best(instance, model, m_settings, *m_control, [this](const std::string& line) { Say(line); })
    {
        const MipModel& mip = model.mip;
        for (size_t i = 0; i < instance.cells.size(); ++i)
        {
            const int col = model.colDir[i];
            if (col >= 0 && mip.colLower[col] < mip.colUpper[col])
                m_cells.push_back(static_cast<int32_t>(i));
        }
        m_bounds.emplace(model, m_cells);
        m_blocksPerCycle = std::max(1, std::min<int>(settings.clusters, static_cast<int>(m_cells.size())));
        m_noGainLimit = settings.noGainStop > 0 ? settings.noGainStop : AdaptiveNoGainStop(settings);
        if (settings.dynamic || settings.subModels || settings.sortClusters)
            m_relationsOfCell = RelationsOfCells(instance);
    }

    ~BlockDescent() { m_bounds->Restore(); }

    BcdReport Run(const std::vector<double>& start)
    {
        m_best.Start(start);
        m_report.startObjective = m_best.Objective();
        Say("BCD: " + std::to_string(m_cells.size()) + " sensitive cells with a free direction, " +
            std::to_string(m_blocksPerCycle) + (m_settings.dynamic ? " dynamic blocks" : " clusters") +
            " per cycle, from the table of weighted change " + LogNumber(m_best.Objective()) +
            "; stop after " + std::to_string(m_noGainLimit) + " blocks in a row without improvement" +
            (m_settings.noGainStop > 0 ? "" : " (adaptive)") + NeighbourhoodText(m_settings));
        Descend();
        m_bounds->Restore();
        if (m_settings.finalSeconds > 0)
            FinalSearch();
        return Report();
    }

private:
    const Instance& m_instance;
    StdModel& m_model;
    SolverAdapter& m_solver;
    SolveParams m_params;
    std::shared_ptr<RunControl> m_control;
    BcdSettings m_settings;
    BcdHooks m_hooks;
    std::vector<int32_t> m_cells;            // sensitive cells whose direction is a free binary
    std::optional<DirectionBounds> m_bounds; // of the cells above, saved before the descent changes them
    std::vector<std::vector<int32_t>> m_relationsOfCell;
    int m_blocksPerCycle = 1, m_noGainLimit = 1, m_noGain = 0;
    BackgroundBlocks m_background{m_solver}; // blocks solved in children while this process goes on
    SideBySideChildren m_sideBySide;         // the children of the groups solved side by side
    bool m_abandonBackground = false;        // the descent ends: children still at work are killed
    DescentIncumbent m_best;
    BcdReport m_report;
    SolveStatus m_status = SolveStatus::Feasible;
    double m_bound = -kInfinity;

    void Say(const std::string& line) const
    {
        if (m_hooks.say)
            m_hooks.say(line);
    }

    std::vector<double> Adjusted(const std::vector<double>& columns) const
    {
        return m_model.AdjustedValues(m_instance, columns);
    }

    double ModelObjective(const std::vector<double>& columns) const
    {
        return m_model.mip.ObjectiveAt(columns);
    }

    void Descend()
    {
        std::vector<Cluster> clusters;
        for (int cycle = 1; !m_cells.empty(); ++cycle)
        {
            if (!m_settings.dynamic && (cycle == 1 || m_settings.cycle == BcdCycle::Changing))
            {
                clusters = MakeClusters(cycle);
                if (m_settings.sortClusters)
                    SortByPromise(clusters);
            }
            m_report.cycles = cycle;
            for (int b = 0; b < m_blocksPerCycle;)
            {
                if (Stopped())
                {
                    m_abandonBackground = true;
                    return TakeEveryBackground();
                }
                if (Rolling())
                {
                    b = RollOn(clusters, cycle, b);
                    continue;
                }
                // No more blocks side by side than may still run without a gain: the no-gain stop
                // ends the run after exactly its number of blocks.
                const int side = std::min(Workers(), m_noGainLimit - m_noGain);
                std::vector<Cluster> group;
                // The blocks of a group start from the same table: its flip scores serve them all.
                const std::vector<double> scores =
                    m_settings.dynamic ? FlipScores(m_instance, m_relationsOfCell, m_cells, m_best.Table())
                                       : std::vector<double>();
                for (int k = b; k < std::min(b + side, m_blocksPerCycle); ++k)
                {
                    group.push_back(m_settings.dynamic ? NextDynamicBlock(cycle, k, scores, group)
                                                       : clusters[k]);
                    if (group.back().empty() && group.size() > 1)
                    {
                        group.pop_back(); // every cell is in a block beside it already
                        break;
                    }
                }
                if (group.size() == 1)
                    SolveBlock(group.front(), cycle, b + 1);
                else
                    SolveGroup(group, cycle, b + 1);
                b += static_cast<int>(group.size());
            }
            TakeEveryBackground(); // the next cycle regroups the clusters from the incumbent
            if (m_settings.cycle == BcdCycle::One)
            {
                m_report.stopReason = "one cycle done";
                return;
            }
        }
    }

    std::vector<Cluster> MakeClusters(int cycle) const
    {
        const uint64_t seed = m_settings.seed + static_cast<uint64_t>(cycle - 1) * 7919;
        return m_settings.randomClusters ? RandomClusters(m_cells, m_blocksPerCycle, seed)
                                         : RelationClusters(m_instance, m_cells, m_blocksPerCycle, seed);
    }

    // The clusters whose cells' flips promise the most come first: a run cut short by its time limit
    // has then spent it where the table changes most.
    void SortByPromise(std::vector<Cluster>& clusters) const
    {
        SortClustersByPromise(FlipScores(m_instance, m_relationsOfCell, m_cells, m_best.Table()), m_cells,
                              m_instance.cells.size(), clusters);
    }

    // Blocks solved side by side: the settings' workers, with own models only (the whole model's
    // bounds are changed for each block).
    int Workers() const { return m_settings.subModels ? std::max(1, m_settings.workers) : 1; }

    // The next dynamic block, by the cells' `scores` (FlipScores of the incumbent), from the cells not
    // already in a block of `taken` (the blocks it is solved beside, from the same table).
    Cluster NextDynamicBlock(int cycle, int block, const std::vector<double>& scores,
                             const std::vector<Cluster>& taken) const
    {
        const size_t size = (m_cells.size() + static_cast<size_t>(m_blocksPerCycle) - 1) /
                            static_cast<size_t>(m_blocksPerCycle);
        const uint64_t seed = m_settings.seed * 1000003 + static_cast<uint64_t>(cycle) * 7919 + block;
        return DynamicBlockBeside(m_instance, m_cells, scores, taken, size, m_settings.candidatePercent,
                                  m_settings.discardPercent, seed);
    }

    bool Stopped()
    {
        if (m_control->StopRequested())
            m_report.stopReason = StopReasonText(m_control->Reason());
        else if (m_settings.hasObjectiveTarget && m_best.Objective() <= m_settings.objectiveTarget)
            m_report.stopReason = "weighted change " + LogNumber(m_best.Objective()) +
                                  " at or below the target " + LogNumber(m_settings.objectiveTarget) +
                                  " (--bcd-objf)";
        else if (m_noGain >= m_noGainLimit)
            m_report.stopReason = std::to_string(m_noGain) + " blocks in a row without improvement";
        else
            return false;
        return true;
    }

    // A solve's time limit: `seconds` (<= 0: none) within the run's remaining time; <= 0 for none.
    double SolveLimit(double seconds) const
    {
        const double remaining = m_control->Remaining();
        const double limit =
            seconds > 0 ? std::min(seconds, remaining) : (m_control->HasTimeLimit() ? remaining : -1);
        return m_control->HasTimeLimit() || seconds > 0 ? std::max(limit, 0.01) : -1;
    }

    SolveParams BlockParams(const std::vector<double>& start, double gapPercent) const
    {
        SolveParams params = m_params;
        params.start = start;
        params.mipGapPercent = gapPercent;
        params.firstFeasible = false;
        return params;
    }

    SolveResult SolveFrom(const MipModel& mip, const std::vector<double>& start, double seconds,
                          double gapPercent)
    {
        RunControl blockControl(SolveLimit(seconds));
        const SolveParams params = BlockParams(start, gapPercent);
        StopRelay relay(*m_control, blockControl);
        if (!m_hooks.onOverrun)
            return SolveModel(mip, m_solver, params, blockControl);
        StopWatchdog watchdog(m_control, m_hooks.stopGraceSeconds,
                              [this] { m_hooks.onOverrun(m_best.Columns()); });
        return SolveModel(mip, m_solver, params, blockControl);
    }

    // The block's table (empty when its solve found none) and, with sub-models, how many cells moved.
    struct BlockOutcome
    {
        std::vector<double> adjusted;
        size_t movingCells = 0;
    };

    // The time limit of block `number` (from 1) of its cycle.
    double BlockSeconds(int number) const
    {
        const CyclePosition position{m_blocksPerCycle, std::max(1, m_blocksPerCycle - number + 1), Workers()};
        return BlockTimeLimit(m_settings, position, m_control->HasTimeLimit(), m_control->Remaining());
    }

    // The run's gap is shared out over the blocks of a cycle: each block stops within its share.
    double BlockGap() const { return m_params.mipGapPercent / m_blocksPerCycle; }

    // A block's share of the gap is of the whole table's objective; its own model holds only part of
    // that objective, so the same share is a larger percentage of it. (Without this a block of a
    // large table searches on for gains too small to matter.)
    double SubModelGap(const BlockSubModel& sub) const
    {
        const double own = sub.model.mip.ObjectiveAt(sub.start);
        const double whole = ModelObjective(m_best.Columns());
        if (own <= 0)
            return BlockGap();
        return std::min(100.0, BlockGap() * std::max(whole, own) / own);
    }

    BlockSubModel SubModelOf(const Cluster& block) const
    {
        SubModelSettings subSettings;
        subSettings.radius = m_settings.radius;
        subSettings.movingBudget = m_settings.movingBudget;
        subSettings.leaning = m_settings.leaning;
        subSettings.integerCells = m_settings.integerCells;
        return BuildBlockSubModel(m_instance, m_model, m_relationsOfCell, block, m_best.Table(), subSettings);
    }

    BlockOutcome OutcomeOf(const BlockSubModel& sub, const SolveResult& result) const
    {
        BlockOutcome outcome;
        outcome.movingCells = sub.cellOf.size();
        if (HasFullSolution(result, sub.model.mip))
            outcome.adjusted = PutBack(sub, result.solution, m_best.Table());
        return outcome;
    }

    BlockOutcome SolveOnSubModel(const Cluster& block, int number)
    {
        const BlockSubModel sub = SubModelOf(block);
        return OutcomeOf(sub, SolveFrom(sub.model.mip, sub.start, BlockSeconds(number), SubModelGap(sub)));
    }

    BlockOutcome SolveOnWholeModel(const Cluster& block, int number)
    {
        m_bounds->FixAllBut(block, m_best.Columns());
        const SolveResult result = SolveFrom(m_model.mip, m_best.Columns(), BlockSeconds(number), BlockGap());
        BlockOutcome outcome;
        outcome.movingCells = m_instance.cells.size();
        if (HasFullSolution(result, m_model.mip))
            outcome.adjusted = Adjusted(result.solution);
        return outcome;
    }

    void SolveBlock(const Cluster& block, int cycle, int number)
    {
        m_control->SetPhase(PhaseOf(cycle, number, block.size()));
        const BlockOutcome outcome =
            m_settings.subModels ? SolveOnSubModel(block, number) : SolveOnWholeModel(block, number);
        BcdStep step{cycle, number, m_blocksPerCycle, block};
        step.hasTable = !outcome.adjusted.empty();
        step.movingCells = outcome.movingCells;
        step.blockObjective = step.hasTable ? WeightedChange(m_instance, outcome.adjusted) : 0;
        step.improved = step.hasTable && m_best.AcceptIfBetter(outcome.adjusted, step.blockObjective);
        RecordStep(step);
    }

    // The status line's phase: with a block in the background, that block first.
    std::string PhaseOf(int cycle, int number, size_t cells) const
    {
        return m_background.Count() == 0 ? BlockPhase(cycle, number, m_blocksPerCycle, cells)
                                         : SideBySidePhase(cycle, m_background.Number(0), number, true,
                                                           m_blocksPerCycle, m_background.Cells(0));
    }

    // Fixed clusters side by side without pairs, each in a child (background_blocks.h): with GLPK's blocks
    // of 50 cells on a 99,561-cell table pairs left 41 % of two cores idle. Dynamic blocks are chosen per
    // group (SolveGroup).
    bool Rolling() const { return Workers() > 1 && !m_settings.dynamic; }

    // The next step of a cycle from cluster `b`; the next cluster's index.
    int RollOn(const std::vector<Cluster>& clusters, int cycle, int b)
    {
        // Blocks that may still be counted before the no-gain stop (which then ends the run after exactly
        // its number of blocks), those in the background among them.
        const int room = m_noGainLimit - m_noGain - static_cast<int>(m_background.Count());
        if (room <= 0 || static_cast<int>(m_background.Count()) >= Workers())
        {
            TakeBackground(m_background.WaitForAnswer([this] { return m_control->StopRequested(); }));
            return b;
        }
        if (!StartInBackground(clusters[b], cycle, b + 1))
            SolveBlock(clusters[b], cycle, b + 1);
        return b + 1;
    }

    bool StartInBackground(const Cluster& block, int cycle, int number)
    {
        m_control->SetPhase(PhaseOf(cycle, number, block.size()));
        BlockSubModel sub = SubModelOf(block);
        const SolveParams params = BlockParams(sub.start, SubModelGap(sub));
        return m_background.Start(std::move(sub), params, SolveLimit(BlockSeconds(number)), block, cycle,
                                  number, m_best.Table(), m_best.Objective());
    }

    // A child that stalled has its block solved here instead.
    void TakeBackground(size_t k)
    {
        const BackgroundOutcome got =
            m_background.Finish(k, [this] { return m_abandonBackground || m_control->StopRequested(); });
        if (got.solveHere && !m_abandonBackground && !m_control->StopRequested())
            return SolveBlock(got.block, got.cycle, got.number);
        RecordStep(TakeBackgroundTable(m_best, m_instance, m_blocksPerCycle, got));
    }

    void TakeEveryBackground()
    {
        while (m_background.Count() > 0)
            TakeBackground(0);
    }

    // Solves the blocks of `group` side by side from the same incumbent (side_by_side.h), then takes
    // their tables. (On the generated 100x100 table no sum was better than its best block's table, which
    // the group then keeps; keeping the first block's moving cells fixed in the second was measured too,
    // and the second block then never gained.)
    void SolveGroup(const std::vector<Cluster>& group, int cycle, int firstNumber)
    {
        // "BCD cycle 2, blocks 3 and 4 side by side: block 3 of 20 (25 cells)".
        const int last = firstNumber + static_cast<int>(group.size()) - 1;
        m_control->SetPhase(SideBySidePhase(cycle, firstNumber, last, group.size() == 2, m_blocksPerCycle,
                                            group.front().size()));
        std::vector<BlockSubModel> subs;
        for (const Cluster& block : group)
            subs.push_back(SubModelOf(block));
        const double seconds = BlockSeconds(firstNumber);
        std::vector<SideBySideBlock> blocks;
        for (const BlockSubModel& sub : subs)
            blocks.push_back({&sub.model.mip, BlockParams(sub.start, SubModelGap(sub))});
        const std::vector<std::optional<SolveResult>> results = SolveSideBySide(
            blocks, m_solver, m_sideBySide, SolveLimit(seconds),
            [&](size_t k)
            { return SolveFrom(subs[k].model.mip, subs[k].start, seconds, SubModelGap(subs[k])); },
            [this] { return m_control->StopRequested(); });
        std::vector<BlockOutcome> outcomes(group.size());
        for (size_t k = 0; k < group.size(); ++k)
            if (results[k])
                outcomes[k] = OutcomeOf(subs[k], *results[k]);
        TakeGroup(group, outcomes, cycle, firstNumber);
    }

    // The blocks' tables taken into the incumbent, and their steps recorded.
    void TakeGroup(const std::vector<Cluster>& group, const std::vector<BlockOutcome>& outcomes, int cycle,
                   int firstNumber)
    {
        std::vector<BcdStep> steps;
        std::vector<std::vector<double>> tables;
        for (size_t k = 0; k < group.size(); ++k)
        {
            steps.push_back({cycle, firstNumber + static_cast<int>(k), m_blocksPerCycle, group[k]});
            steps.back().movingCells = outcomes[k].movingCells;
            tables.push_back(outcomes[k].adjusted);
        }
        for (const BcdStep& step : TakeGroupTables(m_best, m_instance, std::move(steps), tables))
            RecordStep(step);
    }

    // Counts the block, says its progress line and tells the hook.
    void RecordStep(BcdStep step)
    {
        step.incumbent = m_best.Objective();
        step.elapsed = m_control->Elapsed();
        m_noGain = step.improved ? 0 : m_noGain + 1;
        ++m_report.blocks;
        Say(BlockStepLine(step, m_settings.subModels));
        if (m_hooks.onBlock)
            m_hooks.onBlock(step);
    }

    // A branch-and-cut on the whole model from the descent's table, when the run was not stopped.
    void FinalSearch()
    {
        if (m_control->StopRequested())
            return;
        m_control->SetPhase("BCD final branch-and-cut");
        Say("BCD: branch-and-cut on the whole model from the table of weighted change " +
            LogNumber(m_best.Objective()) + ", at most " + LogNumber(m_settings.finalSeconds) + " s");
        m_report.finalSearch = true;
        SolveResult result =
            SolveFrom(m_model.mip, m_best.Columns(), m_settings.finalSeconds, m_params.mipGapPercent);
        if (result.status == SolveStatus::Infeasible)
        {
            // "Infeasible" for a model that the incumbent satisfies proves nothing: SYMPHONY said so of a
            // count table's model where CBC and GLPK found tables 12 % better. No better table, no bound.
            Say("BCD: the final branch-and-cut declared the model infeasible, which the incumbent is not: no "
                "better table found, and no bound claimed");
            return;
        }
        if (HasFullSolution(result, m_model.mip))
        {
            const std::vector<double> adjusted = Adjusted(result.solution);
            m_report.finalImproved = m_best.AcceptIfBetter(adjusted, WeightedChange(m_instance, adjusted));
        }
        if (std::isfinite(result.bound))
            m_bound = result.bound;
        if (result.status == SolveStatus::Optimal)
            m_status = SolveStatus::Optimal;
        Say("BCD: the final branch-and-cut " +
            std::string(m_report.finalImproved ? "found" : "did not find") + " a better table; incumbent " +
            LogNumber(m_best.Objective()));
    }

    BcdReport Report()
    {
        m_report.objective = m_best.Objective();
        // The bound: the final search's, or what every protected table changes at least (in the model's
        // units, as the solvers report theirs), whichever is higher.
        const double least = LeastWeightedChange(m_instance);
        const double leastInModel = (least - m_model.mip.objectiveOffset) / m_model.scale;
        if (!std::isfinite(m_bound) || m_bound < leastInModel)
        {
            m_bound = leastInModel;
            Say("BCD: every protected table changes at least " + LogNumber(least) +
                " (each sensitive cell its smaller protection level), the bound reported");
        }
        SolveResult& result = m_report.result;
        result.status = m_status;
        result.solution = m_best.Columns();
        result.objective = ModelObjective(m_best.Columns());
        result.bound = m_bound;
        if (m_report.stopReason.empty())
            m_report.stopReason = m_cells.empty() ? "no sensitive cell with a free direction" : "stopped";
        result.detail = "block coordinate descent: " + std::to_string(m_report.cycles) + " cycles, " +
                        std::to_string(m_report.blocks) + " blocks, weighted change " +
                        LogNumber(m_report.startObjective) + " -> " + LogNumber(m_best.Objective()) +
                        "; ended: " + m_report.stopReason;
        return m_report;
    }
};

} // namespace

BcdReport RunBlockDescent(const Instance& instance, StdModel& model, SolverAdapter& solver,
                          const SolveParams& params, std::shared_ptr<RunControl> control,
                          const BcdSettings& settings, const std::vector<double>& start,
                          const BcdHooks& hooks)
{
    BlockDescent descent(instance, model, solver, params, std::move(control), settings, hooks);
    return descent.Run(start);
}

} // namespace vrn
