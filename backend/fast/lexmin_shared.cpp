#include "fast/lexmin_shared.h"

#include "common/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vrn
{

namespace
{

std::string Seconds(double v)
{
    return FixedPoint(v, 2) + " s";
}

// Halving the bracket this often takes it below any tolerance the search asks for.
constexpr int kMostBisectionSteps = 64;

} // namespace

double CellLimits::Measure(const std::vector<double>& x) const
{
    double t = 0;
    for (size_t k = 0; k < slope.size(); ++k)
    {
        const double change = std::fabs(x[plus[k]] - x[minus[k]]);
        if (slope[k] > 0)
            t = std::max(t, change / slope[k]);
    }
    return t;
}

double CellLimits::LowerBound(const std::vector<double>& lower) const
{
    double t = 0;
    for (size_t k = 0; k < slope.size(); ++k)
        if (slope[k] > 0)
            t = std::max(t, std::max(lower[plus[k]], lower[minus[k]]) / slope[k]);
    return t;
}

std::vector<double> CellLimits::Capped(double t, const std::vector<double>& upper) const
{
    std::vector<double> capped(upper);
    for (size_t k = 0; k < slope.size(); ++k)
        for (const int c : {plus[k], minus[k]})
            capped[c] = std::min(capped[c], t * slope[k]);
    return capped;
}

CellLimits RelativeChangeLimits(const FastModel& model)
{
    CellLimits limits;
    for (size_t i = 0; i < model.weight.size(); ++i)
        if (model.base.colPlus[i] >= 0 && model.base.colMinus[i] >= 0)
        {
            limits.plus.push_back(model.base.colPlus[i]);
            limits.minus.push_back(model.base.colMinus[i]);
            limits.slope.push_back(1 / (model.weight[i] * model.base.scale));
        }
    return limits;
}

void KeepNetChanges(const StdModel& model, std::vector<double>& x)
{
    for (size_t i = 0; i < model.colPlus.size(); ++i)
    {
        const int p = model.colPlus[i], m = model.colMinus[i];
        if (p < 0 || m < 0)
            continue;
        const double net = x[p] - x[m];
        // Only where both moved: a column fixed above 0 (a protected direction) keeps its value.
        if (x[p] > 0 && x[m] > 0 && model.mip.colLower[p] <= 0 && model.mip.colLower[m] <= 0)
        {
            x[p] = std::max(net, 0.0);
            x[m] = std::max(-net, 0.0);
        }
    }
}

std::vector<double> ColumnBases(const Instance& instance, const StdModel& model)
{
    std::vector<double> base(static_cast<size_t>(model.mip.ColumnCount()), 0);
    for (size_t i = 0; i < instance.cells.size(); ++i)
        for (const int c : {model.colPlus[i], model.colMinus[i], model.colValue[i]})
            if (c >= 0)
                base[c] = std::fabs(instance.cells[i].value) / model.scale;
    return base;
}

PointCheck CheckPoint(const MipModel& model, const std::vector<double>& x, double tolerance,
                      const std::vector<double>& columnBase)
{
    PointCheck check;
    for (int r = 0; r < model.RowCount(); ++r)
    {
        double activity = 0, magnitude = 1;
        for (int64_t e = model.rowStart[r]; e < model.rowStart[r + 1]; ++e)
        {
            const int c = model.entryCol[e];
            activity += model.entryValue[e] * x[c];
            const double base = columnBase.empty() ? 0 : columnBase[c];
            magnitude = std::max(magnitude, std::fabs(model.entryValue[e]) * (std::fabs(x[c]) + base));
        }
        for (const double bound : {model.rowLower[r], model.rowUpper[r]})
            if (std::isfinite(bound))
                magnitude = std::max(magnitude, std::fabs(bound));
        const double excess = std::max(model.rowLower[r] - activity, activity - model.rowUpper[r]);
        if (excess > tolerance * magnitude)
        {
            ++check.rowsOff;
            check.largestExcess = std::max(check.largestExcess, excess);
        }
    }
    for (int c = 0; c < model.ColumnCount(); ++c)
    {
        const double excess = std::max(model.colLower[c] - x[c], x[c] - model.colUpper[c]);
        if (excess > tolerance * std::max(1.0, std::fabs(x[c])))
        {
            ++check.columnsOff;
            check.largestExcess = std::max(check.largestExcess, excess);
        }
    }
    return check;
}

LimitSearch FindLeastLimit(LpSession& session, const CellLimits& limits, const std::vector<double>& lower,
                           const std::vector<double>& upper, double relativeTolerance,
                           const SolveParams& params, RunControl& control,
                           const std::function<void(const std::string&)>& phase)
{
    LimitSearch search;
    const int columns = static_cast<int>(upper.size());
    auto solveAt = [&](double t)
    {
        if (std::isfinite(t))
            session.SetColumnBounds(lower, limits.Capped(t, upper));
        ++search.solves;
        return session.Solve(params, control);
    };
    auto keep = [&](SolveResult result)
    {
        search.value = limits.Measure(result.solution);
        search.result = std::move(result);
    };
    // Without a limit first: whether any t works, and a point whose t bounds the search from above.
    phase("without a limit");
    SolveResult first = solveAt(kInfinity);
    if (!HasFullSolution(first, columns))
    {
        search.status = first.status == SolveStatus::Feasible ? SolveStatus::NoSolution : first.status;
        search.result = std::move(first);
        return search;
    }
    keep(std::move(first));
    search.lowerBound = limits.LowerBound(lower);
    // The bracket: no t below lowerBound works, `top` does. A point reached at t is kept when it is the best
    // so far; the bracket shrinks to t whatever the point's own measure (a solver's point may pass its
    // caps by its tolerance), so the search ends.
    double top = search.value;
    auto closeEnough = [&] { return top <= search.lowerBound * (1 + relativeTolerance) + 1e-12; };
    // The lower bound itself often holds (a protection level that no other cell's change exceeds).
    bool triedLowerBound = false;
    for (int step = 0; step < kMostBisectionSteps && !closeEnough() && !control.StopRequested(); ++step)
    {
        const double t = triedLowerBound ? (search.lowerBound + top) / 2 : search.lowerBound;
        triedLowerBound = true;
        phase("trying " + LogNumber(t) + " (least " + LogNumber(search.lowerBound) + ", reached " +
              LogNumber(search.value) + ")");
        SolveResult trial = solveAt(t);
        if (HasFullSolution(trial, columns) && trial.status == SolveStatus::Optimal)
        {
            top = std::min(t, limits.Measure(trial.solution));
            if (limits.Measure(trial.solution) < search.value)
                keep(std::move(trial));
        }
        else if (trial.status == SolveStatus::Infeasible)
            search.lowerBound = t;
        else
            break; // stopped or failed: the best point so far stands
    }
    search.status = closeEnough() ? SolveStatus::Optimal : SolveStatus::Feasible;
    session.SetColumnBounds(lower, limits.Capped(search.value, upper));
    return search;
}

namespace
{

// The loop's state: the model (kept equal to what the session holds), the session, and the log.
class SharedLoop
{
public:
    SharedLoop(FastModel& model, const LexminSettings& settings, const LpSessionOpener& open,
               const SolveParams& params, RunControl& control,
               const std::function<void(const std::string&)>& say, const std::vector<double>& columnBase)
        : m_model(model), m_settings(settings), m_open(open), m_params(params), m_control(control),
          m_say(say), m_limits(RelativeChangeLimits(model)), m_columnBase(columnBase)
    {
    }

    LexminResult Run()
    {
        const std::vector<int>& order = m_settings.order;
        MipModel& mip = m_model.base.mip;
        mip.cost = CostsOf(0);
        m_session = m_open(mip);
        for (size_t s = 0; s < order.size(); ++s)
        {
            const double started = m_control.Elapsed();
            m_stageText = "objective " + std::to_string(order[s]) + " (" + ObjectiveName(order[s]) +
                          "), stage " + std::to_string(s + 1) + " of " + std::to_string(order.size());
            m_control.SetPhase("solving " + m_stageText);
            m_say(m_stageText + " ...");
            if (!SolveStage(s, started))
                return m_lex;
        }
        m_lex.complete = true;
        return m_lex;
    }

private:
    FastModel& m_model;
    const LexminSettings& m_settings;
    const LpSessionOpener& m_open;
    const SolveParams& m_params;
    RunControl& m_control;
    const std::function<void(const std::string&)>& m_say;
    CellLimits m_limits;
    const std::vector<double>& m_columnBase;
    std::unique_ptr<LpSession> m_session;
    LexminResult m_lex;
    std::string m_stageText;

    // The costs the session solves stage s with. Objective 4 has none of its own: its search runs with
    // the next stage's costs, so that the next stage starts from a basis already optimal for them.
    std::vector<double> CostsOf(size_t s) const
    {
        const std::vector<int>& order = m_settings.order;
        for (size_t k = s; k < order.size(); ++k)
            if (order[k] != 4)
                return m_model.ObjectiveCosts(order[k]);
        return m_model.ObjectiveCosts(2);
    }

    // A point as the table takes it: within its columns' bounds (the solver's tolerance acts on its own
    // scaled copy of the model, so a value may pass a bound by more than the tolerance here) and with
    // net changes only. The rows are checked after this.
    void Tidy(std::vector<double>& x) const
    {
        const MipModel& mip = m_model.base.mip;
        for (size_t c = 0; c < x.size(); ++c)
            x[c] = std::min(std::max(x[c], mip.colLower[c]), mip.colUpper[c]);
        KeepNetChanges(m_model.base, x);
    }

    SolveResult SolveOnce(int objective, double& value)
    {
        MipModel& mip = m_model.base.mip;
        if (objective != 4)
        {
            SolveResult result = m_session->Solve(m_params, m_control);
            if (HasFullSolution(result, mip.ColumnCount()))
                Tidy(result.solution);
            value = HasFullSolution(result, mip.ColumnCount())
                        ? m_model.ObjectiveValue(objective, result.solution)
                        : 0;
            return result;
        }
        const double tolerance = std::clamp(m_settings.epsF / 10, 1e-7, 1e-3);
        LimitSearch search = FindLeastLimit(
            *m_session, m_limits, mip.colLower, mip.colUpper, tolerance, m_params, m_control,
            [&](const std::string& step) { m_control.SetPhase("solving " + m_stageText + ", " + step); });
        if (HasFullSolution(search.result, mip.ColumnCount()))
        {
            Tidy(search.result.solution);
            search.result.status = search.status;
            search.value = m_limits.Measure(search.result.solution);
        }
        value = search.value;
        return std::move(search.result);
    }

    // Solves stage s; false when the loop ends there.
    bool SolveStage(size_t s, double started)
    {
        const int objective = m_settings.order[s];
        MipModel& mip = m_model.base.mip;
        const std::vector<double> costs = CostsOf(s);
        if (costs != mip.cost)
        {
            mip.cost = costs;
            m_session->SetObjective(costs);
        }
        double value = 0;
        SolveResult result = SolveOnce(objective, value);
        const bool warm = m_session->LastSolveWasWarm();
        if (HasFullSolution(result, mip.ColumnCount()))
            if (const PointCheck check = CheckPoint(mip, result.solution, m_params.feasibility, m_columnBase);
                !check.Passed())
            {
                // Never the table: the stage is solved again from nothing.
                m_say("stage " + std::to_string(s + 1) + ": the point " +
                      (warm ? "reached from the previous stage's basis" : "the solver returned") +
                      " breaks " + std::to_string(check.rowsOff) + " rows and " +
                      std::to_string(check.columnsOff) + " column bounds (by up to " +
                      LogNumber(check.largestExcess * m_model.base.scale) + "); solving the stage afresh");
                m_session = m_open(mip);
                result = SolveOnce(objective, value);
                if (HasFullSolution(result, mip.ColumnCount()) &&
                    !CheckPoint(mip, result.solution, m_params.feasibility, m_columnBase).Passed())
                {
                    m_say("stage " + std::to_string(s + 1) + ": the fresh solve breaks the model too; " +
                          (s == 0 ? "no table is written (a smaller --scale may help)"
                                  : "the table of the stage before is kept"));
                    m_lex.stages.push_back({objective, 0, SolveStatus::Failed, 0});
                    if (s == 0)
                        m_lex.last.detail = "the solver's points break the model's relations";
                    return false;
                }
            }
        LexminStage stage{objective, value, result.status, 0};
        if (!HasFullSolution(result, mip.ColumnCount()))
        {
            EndWithoutTable(m_lex, stage, std::move(result));
            return false;
        }
        stage.limit = HeldLimit(value, m_settings, m_params);
        m_say("objective " + std::to_string(objective) + " (" + ObjectiveName(objective) + "): " +
              LogNumber(value) + (result.status == SolveStatus::Optimal ? "" : " (not proven optimal)") +
              " (stage " + std::to_string(s + 1) + " of " + std::to_string(m_settings.order.size()) + ", " +
              Seconds(m_control.Elapsed() - started) + ")");
        if (!TakeStage(m_lex, stage, std::move(result), m_model, m_settings, m_control))
            return false;
        if (s + 1 < m_settings.order.size())
            Hold(objective, stage.limit);
        return true;
    }

    // The reached value becomes a bound for the stages after it, in the model and in the session.
    void Hold(int objective, double limit)
    {
        MipModel& mip = m_model.base.mip;
        if (objective == 4)
        {
            mip.colUpper = m_limits.Capped(limit, mip.colUpper); // t in the table's units
            m_session->SetColumnBounds(mip.colLower, mip.colUpper);
            return;
        }
        const int rows = mip.RowCount();
        m_model.AddObjectiveBound(objective, limit);
        if (mip.RowCount() == rows)
            return;
        std::vector<std::pair<int32_t, double>> entries;
        for (int64_t e = mip.rowStart[rows]; e < mip.rowStart[rows + 1]; ++e)
            entries.emplace_back(mip.entryCol[e], mip.entryValue[e]);
        m_session->AddRow(mip.rowLower[rows], mip.rowUpper[rows], entries);
    }
};

} // namespace

LexminResult SolveLexicographicShared(FastModel& model, const LexminSettings& settings,
                                      const LpSessionOpener& open, const SolveParams& params,
                                      RunControl& control, const std::function<void(const std::string&)>& say,
                                      const std::vector<double>& columnBase)
{
    return SharedLoop(model, settings, open, params, control, say, columnBase).Run();
}

} // namespace vrn
