#include "bcd/block_descent.h"

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
#include <cstdio>
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
          m_control(std::move(control)), m_settings(settings), m_hooks(hooks)
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
        m_incumbent = start;
        m_incumbentAdjusted = Adjusted(start);
        m_report.startObjective = m_incumbentObjective = WeightedChange(m_instance, m_incumbentAdjusted);
        Say("BCD: " + std::to_string(m_cells.size()) + " sensitive cells with a free direction, " +
            std::to_string(m_blocksPerCycle) + (m_settings.dynamic ? " dynamic blocks" : " clusters") +
            " per cycle, from the table of weighted change " + LogNumber(m_incumbentObjective) +
            "; stop after " + std::to_string(m_noGainLimit) + " blocks in a row without improvement" +
            (m_settings.noGainStop > 0 ? "" : " (adaptive)") + NeighbourhoodText(m_settings));
        m_control->SetIncumbent(ModelObjective(m_incumbent));
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
    std::vector<double> m_incumbent;         // the whole model's columns
    std::vector<double> m_incumbentAdjusted; // its table
    double m_incumbentObjective = 0;
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
                    return;
                // No more blocks side by side than may still run without a gain: the no-gain stop
                // ends the run after exactly its number of blocks.
                const int side = std::min(Workers(), m_noGainLimit - m_noGain);
                std::vector<Cluster> group;
                // The blocks of a group start from the same table: its flip scores serve them all.
                const std::vector<double> scores =
                    m_settings.dynamic
                        ? FlipScores(m_instance, m_relationsOfCell, m_cells, m_incumbentAdjusted)
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
        SortClustersByPromise(FlipScores(m_instance, m_relationsOfCell, m_cells, m_incumbentAdjusted),
                              m_cells, m_instance.cells.size(), clusters);
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
        else if (m_settings.hasObjectiveTarget && m_incumbentObjective <= m_settings.objectiveTarget)
            m_report.stopReason = "weighted change " + LogNumber(m_incumbentObjective) +
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
                              [this] { m_hooks.onOverrun(m_incumbent); });
        return SolveModel(mip, m_solver, params, blockControl);
    }

    // The table `adjusted` becomes the incumbent when it passes the check and changes less.
    bool AcceptIfBetter(const std::vector<double>& adjusted, double objective)
    {
        if (objective >= m_incumbentObjective - 1e-7 * std::max(1.0, std::fabs(m_incumbentObjective)))
            return false;
        const CheckReport check = CheckSolution(m_instance, adjusted, m_settings.additive,
                                                m_settings.integerCells, m_settings.tolerance);
        if (!check.passed)
        {
            Say("BCD: a block's table failed the solution check; the incumbent is kept");
            // The summary and the first findings; a block is rejected often enough to keep this short.
            for (size_t k = 0; k < std::min<size_t>(check.lines.size(), 8); ++k)
                Say("  " + check.lines[k]);
            return false;
        }
        m_incumbent = StdColumnsOf(m_instance, m_model, adjusted);
        m_incumbentAdjusted = adjusted;
        m_incumbentObjective = objective;
        m_control->SetIncumbent(ModelObjective(m_incumbent));
        return true;
    }

    // The block's table (empty when its solve found none) and, with sub-models, how many cells moved.
    struct BlockOutcome
    {
        std::vector<double> adjusted;
        size_t movingCells = 0;
    };

    double BlockSeconds() const
    {
        return BlockTimeLimit(m_settings, m_blocksPerCycle, m_control->HasTimeLimit(),
                              m_control->Remaining());
    }

    // The run's gap is shared out over the blocks of a cycle: each block stops within its share.
    double BlockGap() const { return m_params.mipGapPercent / m_blocksPerCycle; }

    // A block's share of the gap is of the whole table's objective; its own model holds only part of
    // that objective, so the same share is a larger percentage of it. (Without this a block of a
    // large table searches on for gains too small to matter.)
    double SubModelGap(const BlockSubModel& sub) const
    {
        const double own = sub.model.mip.ObjectiveAt(sub.start);
        const double whole = ModelObjective(m_incumbent);
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
        return BuildBlockSubModel(m_instance, m_model, m_relationsOfCell, block, m_incumbentAdjusted,
                                  subSettings);
    }

    BlockOutcome OutcomeOf(const BlockSubModel& sub, const SolveResult& result) const
    {
        BlockOutcome outcome;
        outcome.movingCells = sub.cellOf.size();
        if (HasFullSolution(result, sub.model.mip))
            outcome.adjusted = PutBack(sub, result.solution, m_incumbentAdjusted);
        return outcome;
    }

    BlockOutcome SolveOnSubModel(const Cluster& block)
    {
        const BlockSubModel sub = SubModelOf(block);
        return OutcomeOf(sub, SolveFrom(sub.model.mip, sub.start, BlockSeconds(), SubModelGap(sub)));
    }

    BlockOutcome SolveOnWholeModel(const Cluster& block)
    {
        m_bounds->FixAllBut(block, m_incumbent);
        const SolveResult result = SolveFrom(m_model.mip, m_incumbent, BlockSeconds(), BlockGap());
        BlockOutcome outcome;
        outcome.movingCells = m_instance.cells.size();
        if (HasFullSolution(result, m_model.mip))
            outcome.adjusted = Adjusted(result.solution);
        return outcome;
    }

    std::string BlockName(int cycle, int number) const
    {
        return "BCD cycle " + std::to_string(cycle) + ", block " + std::to_string(number) + " of " +
               std::to_string(m_blocksPerCycle);
    }

    void SolveBlock(const Cluster& block, int cycle, int number)
    {
        m_control->SetPhase(BlockName(cycle, number) + " (" + std::to_string(block.size()) + " cells)");
        const BlockOutcome outcome = m_settings.subModels ? SolveOnSubModel(block) : SolveOnWholeModel(block);
        BcdStep step{cycle, number, m_blocksPerCycle, block};
        step.hasTable = !outcome.adjusted.empty();
        step.movingCells = outcome.movingCells;
        step.blockObjective = step.hasTable ? WeightedChange(m_instance, outcome.adjusted) : 0;
        step.improved = step.hasTable && AcceptIfBetter(outcome.adjusted, step.blockObjective);
        RecordStep(step);
    }

    // Solves the blocks of `group` side by side from the same incumbent (side_by_side.h), then takes
    // their tables. (On the generated 100x100 table no sum was better than its best block's table, which
    // the group then keeps; keeping the first block's moving cells fixed in the second was measured too,
    // and the second block then never gained.)
    void SolveGroup(const std::vector<Cluster>& group, int cycle, int firstNumber)
    {
        // "BCD cycle 2, blocks 3 and 4 side by side: block 3 of 20 (25 cells)".
        const int last = firstNumber + static_cast<int>(group.size()) - 1;
        m_control->SetPhase("BCD cycle " + std::to_string(cycle) + ", blocks " + std::to_string(firstNumber) +
                            (group.size() == 2 ? " and " : " to ") + std::to_string(last) +
                            " side by side: block " + std::to_string(firstNumber) + " of " +
                            std::to_string(m_blocksPerCycle) + " (" + std::to_string(group.front().size()) +
                            " cells)");
        std::vector<BlockSubModel> subs;
        for (const Cluster& block : group)
            subs.push_back(SubModelOf(block));
        const double seconds = BlockSeconds();
        std::vector<SideBySideBlock> blocks;
        for (const BlockSubModel& sub : subs)
            blocks.push_back({&sub.model.mip, BlockParams(sub.start, SubModelGap(sub))});
        const std::vector<std::optional<SolveResult>> results = SolveSideBySide(
            blocks, m_solver, SolveLimit(seconds),
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
        const double startObjective = m_incumbentObjective;
        const std::vector<double> base = m_incumbentAdjusted; // the incumbent changes as tables are taken
        std::vector<BcdStep> steps;
        std::vector<std::vector<double>> tables;
        std::vector<double> objectives;
        for (size_t k = 0; k < group.size(); ++k)
        {
            BcdStep step{cycle, firstNumber + static_cast<int>(k), m_blocksPerCycle, group[k]};
            step.hasTable = !outcomes[k].adjusted.empty();
            step.movingCells = outcomes[k].movingCells;
            step.blockObjective = step.hasTable ? WeightedChange(m_instance, outcomes[k].adjusted) : 0;
            steps.push_back(step);
            tables.push_back(outcomes[k].adjusted);
            objectives.push_back(step.blockObjective);
        }
        const std::vector<SideBySideTake> takes = TakeSideBySide(
            base, tables, objectives,
            [this](const std::vector<double>& table)
            { return AcceptIfBetter(table, WeightedChange(m_instance, table)); },
            [this]() -> const std::vector<double>& { return m_incumbentAdjusted; });
        for (size_t k = 0; k < steps.size(); ++k)
        {
            steps[k].improved = takes[k].taken;
            steps[k].notAdded =
                takes[k].combined && !takes[k].taken && steps[k].blockObjective < startObjective;
            RecordStep(steps[k]);
        }
    }

    // Counts the block, says its progress line and tells the hook.
    void RecordStep(BcdStep& step)
    {
        step.incumbent = m_incumbentObjective;
        step.elapsed = m_control->Elapsed();
        m_noGain = step.improved ? 0 : m_noGain + 1;
        ++m_report.blocks;
        const Cluster& block = step.cells;
        Say("[vrn] " + BlockName(step.cycle, step.block) + ": " + std::to_string(block.size()) + " cells" +
            (m_settings.subModels ? " (" + std::to_string(step.movingCells) + " moving)" : std::string()) +
            ", block's table " + (step.hasTable ? LogNumber(step.blockObjective) : std::string("none")) +
            (step.improved   ? " (better)"
             : step.notAdded ? " (better, but not added to a better block's beside it)"
                             : " (no better)") +
            ", incumbent " + LogNumber(m_incumbentObjective) + ", " +
            LogNumber(std::round(step.elapsed * 10) / 10) + " s");
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
            LogNumber(m_incumbentObjective) + ", at most " + LogNumber(m_settings.finalSeconds) + " s");
        m_report.finalSearch = true;
        SolveResult result =
            SolveFrom(m_model.mip, m_incumbent, m_settings.finalSeconds, m_params.mipGapPercent);
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
            m_report.finalImproved = AcceptIfBetter(adjusted, WeightedChange(m_instance, adjusted));
        }
        if (std::isfinite(result.bound))
            m_bound = result.bound;
        if (result.status == SolveStatus::Optimal)
            m_status = SolveStatus::Optimal;
        Say("BCD: the final branch-and-cut " +
            std::string(m_report.finalImproved ? "found" : "did not find") + " a better table; incumbent " +
            LogNumber(m_incumbentObjective));
    }

    BcdReport Report()
    {
        m_report.objective = m_incumbentObjective;
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
        result.solution = m_incumbent;
        result.objective = ModelObjective(m_incumbent);
        result.bound = m_bound;
        if (m_report.stopReason.empty())
            m_report.stopReason = m_cells.empty() ? "no sensitive cell with a free direction" : "stopped";
        result.detail = "block coordinate descent: " + std::to_string(m_report.cycles) + " cycles, " +
                        std::to_string(m_report.blocks) + " blocks, weighted change " +
                        LogNumber(m_report.startObjective) + " -> " + LogNumber(m_incumbentObjective) +
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
