#include "bcd/block_descent.h"

#include "common/number_format.h"
#include "control/run_control.h"
#include "fast/starting_point.h"
#include "model/checks.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace vrn
{

BcdSettings BcdSettingsFromOptions(const BackendOptions& options)
{
    BcdSettings s;
    s.clusters = static_cast<int>(std::min(std::floor(options.bcdClusters), 1e9));
    s.blockSeconds = options.bcdTime;
    s.hasObjectiveTarget = options.bcdObjFGiven;
    s.objectiveTarget = options.bcdObjF;
    s.finalSeconds = options.bcdEndBc;
    s.cycle = static_cast<BcdCycle>(options.bcdCycle);
    s.noGainStop = options.bcdNstop > 0 ? static_cast<int>(std::min(options.bcdNstop, 1e9)) : -1;
    s.dynamic = options.dynamic;
    s.candidatePercent = options.dynSprop;
    s.discardPercent = options.dynPerturb;
    s.seed = static_cast<uint64_t>(options.seed);
    s.additive = options.additive;
    s.integerCells = options.integerCells;
    s.tolerance = options.feasibility;
    return s;
}

bool BcdWanted(const BackendOptions& options)
{
    return options.formulation() == Formulation::Std && options.bcdClusters >= 2;
}

int AdaptiveNoGainStop(const BcdSettings& settings)
{
    const int perCycle = std::max(1, settings.clusters);
    return settings.cycle == BcdCycle::Same && !settings.dynamic ? perCycle : 2 * perCycle;
}

namespace
{

// Passes a stop of the run (command, signal, time limit) on to a block's own control, which also
// carries the block's time limit.
class StopRelay
{
public:
    StopRelay(RunControl& run, RunControl& block) : m_run(run), m_block(block), m_thread([this] { Loop(); })
    {
    }
    ~StopRelay()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    StopRelay(const StopRelay&) = delete;
    StopRelay& operator=(const StopRelay&) = delete;

private:
    RunControl& m_run;
    RunControl& m_block;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread;

    void Loop()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_done)
        {
            if (m_run.StopRequested())
                m_block.RequestStop(m_run.Reason());
            m_wake.wait_for(lock, std::chrono::milliseconds(50));
        }
    }
};

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
        for (int32_t cell : m_cells)
            m_savedBounds.emplace_back(mip.colLower[model.colDir[cell]], mip.colUpper[model.colDir[cell]]);
        m_blocksPerCycle = std::max(1, std::min<int>(settings.clusters, static_cast<int>(m_cells.size())));
        m_noGainLimit = settings.noGainStop > 0 ? settings.noGainStop : AdaptiveNoGainStop(settings);
        if (settings.dynamic)
            m_relationsOfCell = RelationsOfCells(instance);
    }

    ~BlockDescent() { RestoreBounds(); }

    BcdReport Run(const std::vector<double>& start)
    {
        m_incumbent = start;
        m_report.startObjective = m_incumbentObjective = WeightedChange(m_instance, Adjusted(start));
        Say("BCD: " + std::to_string(m_cells.size()) + " sensitive cells with a free direction, " +
            std::to_string(m_blocksPerCycle) + (m_settings.dynamic ? " dynamic blocks" : " clusters") +
            " per cycle, from the table of weighted change " + LogNumber(m_incumbentObjective) +
            "; stop after " + std::to_string(m_noGainLimit) + " blocks in a row without improvement" +
            (m_settings.noGainStop > 0 ? "" : " (adaptive)"));
        m_control->SetIncumbent(ModelObjective(m_incumbent));
        Descend();
        RestoreBounds();
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
    std::vector<int32_t> m_cells; // sensitive cells whose direction is a free binary
    std::vector<std::pair<double, double>> m_savedBounds;
    std::vector<std::vector<int32_t>> m_relationsOfCell;
    int m_blocksPerCycle = 1, m_noGainLimit = 1, m_noGain = 0;
    std::vector<double> m_incumbent;
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
        double objective = 0;
        for (int c = 0; c < m_model.mip.ColumnCount(); ++c)
            objective += m_model.mip.cost[c] * columns[c];
        return objective;
    }

    void Descend()
    {
        std::vector<Cluster> clusters;
        for (int cycle = 1; !m_cells.empty(); ++cycle)
        {
            if (!m_settings.dynamic && (cycle == 1 || m_settings.cycle == BcdCycle::Changing))
                clusters = MakeClusters(cycle);
            m_report.cycles = cycle;
            for (int b = 0; b < m_blocksPerCycle; ++b)
            {
                if (Stopped())
                    return;
                const Cluster block = m_settings.dynamic ? NextDynamicBlock(cycle, b) : clusters[b];
                SolveBlock(block, cycle, b + 1);
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

    Cluster NextDynamicBlock(int cycle, int block) const
    {
        const size_t size = (m_cells.size() + static_cast<size_t>(m_blocksPerCycle) - 1) /
                            static_cast<size_t>(m_blocksPerCycle);
        const std::vector<double> scores =
            FlipScores(m_instance, m_relationsOfCell, m_cells, Adjusted(m_incumbent));
        const uint64_t seed = m_settings.seed * 1000003 + static_cast<uint64_t>(cycle) * 7919 + block;
        return DynamicBlock(m_cells, scores, size, m_settings.candidatePercent, m_settings.discardPercent,
                            seed);
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

    // Outside the block every free direction is fixed at the incumbent's; inside it is free again.
    void FixAllBut(const Cluster& block)
    {
        MipModel& mip = m_model.mip;
        for (int32_t cell : m_cells)
        {
            const int col = m_model.colDir[cell];
            mip.colLower[col] = mip.colUpper[col] = std::round(m_incumbent[col]);
        }
        for (int32_t cell : block)
        {
            const int col = m_model.colDir[cell];
            mip.colLower[col] = 0;
            mip.colUpper[col] = 1;
        }
    }

    void RestoreBounds()
    {
        for (size_t k = 0; k < m_cells.size(); ++k)
        {
            const int col = m_model.colDir[m_cells[k]];
            m_model.mip.colLower[col] = m_savedBounds[k].first;
            m_model.mip.colUpper[col] = m_savedBounds[k].second;
        }
    }

    // Solves the model as its bounds stand, from the incumbent, within `seconds` (<= 0: the run's).
    SolveResult SolveFromIncumbent(double seconds, double gapPercent)
    {
        const double remaining = m_control->Remaining();
        const double limit =
            seconds > 0 ? std::min(seconds, remaining) : (m_control->HasTimeLimit() ? remaining : -1);
        RunControl blockControl(m_control->HasTimeLimit() || seconds > 0 ? std::max(limit, 0.01) : -1);
        SolveParams params = m_params;
        params.start = m_incumbent;
        params.mipGapPercent = gapPercent;
        params.firstFeasible = false;
        StopRelay relay(*m_control, blockControl);
        if (!m_hooks.onOverrun)
            return SolveModel(m_model.mip, m_solver, params, blockControl);
        StopWatchdog watchdog(m_control, m_hooks.stopGraceSeconds,
                              [this] { m_hooks.onOverrun(m_incumbent); });
        return SolveModel(m_model.mip, m_solver, params, blockControl);
    }

    // The solution becomes the incumbent when its table passes the check and changes less.
    bool AcceptIfBetter(const SolveResult& result, double& objective)
    {
        const bool hasTable =
            (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible) &&
            result.solution.size() == static_cast<size_t>(m_model.mip.ColumnCount());
        if (!hasTable)
            return false;
        const std::vector<double> adjusted = Adjusted(result.solution);
        objective = WeightedChange(m_instance, adjusted);
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
        m_incumbentObjective = objective;
        m_control->SetIncumbent(ModelObjective(m_incumbent));
        return true;
    }

    void SolveBlock(const Cluster& block, int cycle, int number)
    {
        const std::string name = "BCD cycle " + std::to_string(cycle) + ", block " + std::to_string(number) +
                                 " of " + std::to_string(m_blocksPerCycle);
        m_control->SetPhase(name + " (" + std::to_string(block.size()) + " cells)");
        FixAllBut(block);
        // The run's gap is shared out over the blocks of a cycle: each block stops within its share of
        // the whole table's objective.
        const SolveResult result =
            SolveFromIncumbent(m_settings.blockSeconds, m_params.mipGapPercent / m_blocksPerCycle);
        BcdStep step{cycle, number, m_blocksPerCycle, block};
        double objective = 0;
        step.improved = AcceptIfBetter(result, objective);
        step.hasTable = !result.solution.empty();
        step.blockObjective =
            step.hasTable
                ? (step.improved ? objective : WeightedChange(m_instance, Adjusted(result.solution)))
                : 0;
        step.incumbent = m_incumbentObjective;
        step.elapsed = m_control->Elapsed();
        m_noGain = step.improved ? 0 : m_noGain + 1;
        ++m_report.blocks;
        Say("[vrn] " + name + ": " + std::to_string(block.size()) + " cells, block's table " +
            (step.hasTable ? LogNumber(step.blockObjective) : std::string("none")) +
            (step.improved ? " (better)" : " (no better)") + ", incumbent " +
            LogNumber(m_incumbentObjective) + ", " + LogNumber(std::round(step.elapsed * 10) / 10) + " s");
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
        SolveResult result = SolveFromIncumbent(m_settings.finalSeconds, m_params.mipGapPercent);
        if (result.status == SolveStatus::Infeasible)
        {
            // A search that prunes every node against the start proves that no table beats it.
            m_status = SolveStatus::Optimal;
            m_bound = ModelObjective(m_incumbent);
            return;
        }
        double objective = 0;
        m_report.finalImproved = AcceptIfBetter(result, objective);
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
