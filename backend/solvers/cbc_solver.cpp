#include "solvers/cbc_solver.h"

#include "common/number_format.h"
#include "solvers/clp_model.h"

#include <CbcEventHandler.hpp>
#include <CbcModel.hpp>
#include <CbcSolver.hpp>
#include <ClpEventHandler.hpp>
#include <ClpSimplex.hpp>
#include <OsiClpSolverInterface.hpp>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace vrn
{

namespace
{

// A number as CBC's command parser reads it back exactly (std::to_string has six decimals and
// turns a tolerance of 1e-7 into 0).
std::string ExactNumber(double value)
{
    return FormatNumber(value, 17);
}

// Polled by CBC between steps of its search. A stop sets CBC's time limit to zero: CBC then ends
// soon with its incumbent, where a plain stop request waits for the root node to finish.
class CbcStopHandler : public CbcEventHandler
{
public:
    CbcStopHandler(RunControl& control, bool firstFeasible, int columns, double startObjective,
                   std::atomic<bool>& ownTable)
        : m_control(control), m_firstFeasible(firstFeasible), m_columns(columns),
          m_startObjective(startObjective), m_ownTable(ownTable)
    {
    }

    CbcAction event(CbcEvent whichEvent) override
    {
        if (model_ == nullptr)
            return noAction;
        if (whichEvent == solution || whichEvent == heuristicSolution)
        {
            m_control.SetIncumbent(model_->getObjValue());
            if (model_->getObjValue() < m_startObjective - 1e-9 * std::max(1.0, std::fabs(m_startObjective)))
                m_ownTable = true;
            if (m_firstFeasible)
                m_control.RequestStop(StopReason::FirstFeasible);
        }
        if (whichEvent == node || whichEvent == treeStatus)
            m_control.SetBound(model_->getBestPossibleObjValue());
        KeepIncumbentColumns();
        if (m_control.StopRequested())
            model_->setMaximumSeconds(0);
        return noAction;
    }

    CbcEventHandler* clone() const override { return new CbcStopHandler(*this); }

private:
    RunControl& m_control;
    bool m_firstFeasible;
    int m_columns;                     // of the model as loaded
    double m_startObjective;           // of the table handed in as the start, HUGE_VAL without one
    std::atomic<bool>& m_ownTable;     // CBC holds a table better than the start
    double m_keptObjective = HUGE_VAL; // of the incumbent whose columns the control holds

    // The incumbent's columns for a run whose search does not return after a stop. CBC tells of a
    // new solution before it stores it, so every event looks for a new one. A preprocessed model
    // has other columns: its incumbent is not kept.
    void KeepIncumbentColumns()
    {
        const double* best = model_->bestSolution();
        const double objective = model_->getObjValue();
        if (best == nullptr || objective == m_keptObjective || model_->getNumCols() != m_columns)
            return;
        m_control.SetIncumbentColumns(std::vector<double>(best, best + m_columns));
        m_keptObjective = objective;
    }
};

// CBC checks its limits only between the steps of its search; on a big table its first linear
// program alone can take many minutes. Until CBC has a table of its own, a stop ends that LP as well
// (the run keeps the start it handed in). Once it has one, the LP is left alone: a stopped LP under
// CBC makes it report "infeasible" and drop it.
class ClpUnderCbcStopHandler : public ClpEventHandler
{
public:
    ClpUnderCbcStopHandler(RunControl& control, const std::atomic<bool>& ownTable, bool started,
                           std::atomic<bool>& cutShort)
        : m_control(control), m_ownTable(ownTable), m_started(started), m_cutShort(cutShort)
    {
    }
    int event(Event) override
    {
        const bool nothingToLose = m_started ? !m_ownTable.load() : !m_control.HasIncumbent();
        if (!m_control.StopRequested() || !nothingToLose)
            return -1;
        m_cutShort = true;
        return 0;
    }
    ClpEventHandler* clone() const override { return new ClpUnderCbcStopHandler(*this); }

private:
    RunControl& m_control;
    const std::atomic<bool>& m_ownTable;
    bool m_started;                // a start was handed in
    std::atomic<bool>& m_cutShort; // an LP was ended before its optimum
};

int NoCallBack(CbcModel*, int)
{
    return 0;
}

class CbcSolverAdapter : public SolverAdapter
{
public:
    std::string Name() const override { return "CBC"; }
    bool SolvesIntegerPrograms() const override { return true; }

    SolveResult Solve(const MipModel& model, const SolveParams& params, RunControl& control) override
    {
        OsiClpSolverInterface lp;
        LoadIntoClp(lp, model);
        for (int c = 0; c < model.ColumnCount(); ++c)
            if (model.isInteger[c])
                lp.setInteger(c);
        std::atomic<bool> ownTable{false};
        const bool started = !params.start.empty();
        std::atomic<bool> cutShort{false};
        ClpUnderCbcStopHandler lpStop(control, ownTable, started, cutShort);
        lp.getModelPtr()->passInEventHandler(&lpStop);
        CbcModel cbc(lp);
        CbcSolverUsefulData data;
        CbcMain0(cbc, data);
        if (started)
            PassStart(cbc, model, params.start);
        CbcStopHandler handler(control, params.firstFeasible, model.ColumnCount(),
                               started ? model.ObjectiveAt(params.start) : HUGE_VAL, ownTable);
        cbc.passInEventHandler(&handler);

        std::vector<std::string> args = {"mainVRN",
                                         "-timeMode",
                                         "elapsed",
                                         "-seconds",
                                         std::to_string(SolverTimeLimit(control)),
                                         "-ratioGap",
                                         ExactNumber(params.mipGapPercent / 100),
                                         "-primalTolerance",
                                         ExactNumber(params.feasibility),
                                         "-randomSeed",
                                         std::to_string(params.seed),
                                         "-randomCbcSeed",
                                         std::to_string(params.seed)};
        if (params.integrality >= 0)
            args.insert(args.end(), {"-integerTolerance", ExactNumber(params.integrality)});
        if (params.lpTolerance > 0)
            args.insert(args.end(), {"-dualTolerance", ExactNumber(params.lpTolerance)});
        args.insert(args.end(), {"-solve", "-quit"});
        std::vector<const char*> argv;
        for (const auto& arg : args)
            argv.push_back(arg.c_str());
        CbcMain1(static_cast<int>(argv.size()), argv.data(), cbc, NoCallBack, data);
        SolveResult result = Collect(cbc, model, control);
        if (cutShort)
        {
            result.bound = -kInfinity; // CBC takes its incumbent for the bound of an LP it did not finish
            if (started && result.solution.empty())
            {
                // CBC drops its incumbent when an LP is cut short; the search found nothing better.
                result.solution = params.start;
                result.objective = model.ObjectiveAt(params.start);
                result.status = SolveStatus::Feasible;
                result.detail += "; the starting solution is returned";
            }
        }
        return result;
    }

private:
    // The starting solution becomes CBC's first incumbent. (Its driver's own way, a start by column
    // names, makes CBC 2.10 crash in the presolve of its final clean-up solve.)
    static void PassStart(CbcModel& cbc, const MipModel& model, const std::vector<double>& start)
    {
        cbc.setBestSolution(start.data(), model.ColumnCount(), model.ObjectiveAt(start), true);
    }

    SolveResult Collect(CbcModel& cbc, const MipModel& model, RunControl& control)
    {
        SolveResult result;
        result.bound = cbc.getBestPossibleObjValue();
        if (cbc.bestSolution() != nullptr && cbc.getNumCols() == model.ColumnCount())
        {
            result.solution.assign(cbc.bestSolution(), cbc.bestSolution() + model.ColumnCount());
            result.objective = cbc.getObjValue();
            result.status = cbc.isProvenOptimal() ? SolveStatus::Optimal : SolveStatus::Feasible;
            if (result.status == SolveStatus::Optimal && control.StopRequested())
            {
                // A stop that lands in the root's cut generation makes CBC find its cuts "infeasible"
                // and call the incumbent optimal; neither the claim nor its bound is a proof then.
                result.status = SolveStatus::Feasible;
                result.bound = -kInfinity;
            }
        }
        else if (cbc.isProvenInfeasible() && !control.StopRequested())
            result.status =
                SolveStatus::Infeasible; // after a stop, "infeasible" only means the LP was cut short
        else
            result.status = SolveStatus::NoSolution;
        result.detail = "CBC status " + std::to_string(cbc.status()) + ", secondary status " +
                        std::to_string(cbc.secondaryStatus()) + ", " + std::to_string(cbc.getNodeCount()) +
                        " nodes";
        if (!std::isfinite(result.bound) || std::fabs(result.bound) >= 1e50)
            result.bound = -kInfinity;
        return result;
    }
};

} // namespace

std::unique_ptr<SolverAdapter> MakeCbcSolver()
{
    return std::make_unique<CbcSolverAdapter>();
}

} // namespace vrn
