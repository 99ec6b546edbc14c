#include "fast/pct_advice.h"

#include "common/number_format.h"
#include "fast/lexmin_shared.h"
#include "instance/cell_rules.h"
#include "solvers/solve_model.h"

#include <cmath>
#include <cstdio>

namespace vrn
{

namespace
{

// For a solver that keeps no model: every solve loads the model as it stands now.
class ColdSession : public LpSession
{
public:
    ColdSession(const MipModel& model, SolverAdapter& solver) : m_model(model), m_solver(solver) {}
    void SetObjective(const std::vector<double>& cost) override { m_model.cost = cost; }
    void SetColumnBounds(const std::vector<double>& lower, const std::vector<double>& upper) override
    {
        m_model.colLower = lower;
        m_model.colUpper = upper;
    }
    void AddRow(double lower, double upper, const std::vector<std::pair<int32_t, double>>& entries) override
    {
        m_model.AddRow(lower, upper, entries, "r" + std::to_string(m_model.RowCount()));
    }
    SolveResult Solve(const SolveParams& params, RunControl& control) override
    {
        return SolveModel(m_model, m_solver, params, control);
    }
    bool LastSolveWasWarm() const override { return false; }

private:
    MipModel m_model;
    SolverAdapter& m_solver;
};

std::unique_ptr<LpSession> OpenSession(const MipModel& model, SolverAdapter& solver)
{
    if (!model.HasIntegers() && model.RowCount() > 0)
        if (std::unique_ptr<LpSession> session = solver.OpenLpSession(model))
            return session;
    return std::make_unique<ColdSession>(model, solver);
}

// The caps of `percent` as the model with --pct-bounds would have them: whole steps for integer columns.
std::vector<double> CapsAt(const CellLimits& limits, double percent, const MipModel& mip)
{
    std::vector<double> upper = limits.Capped(percent, mip.colUpper);
    for (size_t c = 0; c < upper.size(); ++c)
        if (mip.isInteger[c] && std::isfinite(upper[c]))
            upper[c] = std::floor(upper[c] + 1e-9);
    return upper;
}

bool WorksAt(LpSession& session, const CellLimits& limits, double percent, const MipModel& mip,
             const SolveParams& params, RunControl& control)
{
    session.SetColumnBounds(mip.colLower, CapsAt(limits, percent, mip));
    const SolveResult result = session.Solve(params, control);
    return result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible;
}

} // namespace

CellLimits PercentLimits(const Instance& instance, const StdModel& model)
{
    CellLimits limits;
    for (size_t i = 0; i < instance.cells.size(); ++i)
        if (model.colPlus[i] >= 0 && model.colMinus[i] >= 0 && !IsProtectable(instance.cells[i]))
        {
            limits.plus.push_back(model.colPlus[i]);
            limits.minus.push_back(model.colMinus[i]);
            limits.slope.push_back(std::fabs(instance.cells[i].value) / 100 / model.scale);
        }
    return limits;
}

std::string RoundUpForField(double value, size_t width)
{
    std::string text;
    for (int decimals = 3; decimals >= 0; --decimals)
    {
        const double unit = std::pow(10.0, -decimals);
        // A hair below the next step counts as that step; the caller checks that the value works.
        const double up = std::ceil(value / unit - 1e-9) * unit;
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, up);
        text = buffer;
        if (text.find('.') != std::string::npos)
        {
            text.erase(text.find_last_not_of('0') + 1);
            if (text.back() == '.')
                text.pop_back();
        }
        if (text.size() <= width)
            return text;
    }
    return text;
}

PctAdvice LeastWorkablePct(const Instance& instance, const FastSettings& settings,
                           const DirectionChoice& choice, SolverAdapter& solver, const SolveParams& params,
                           RunControl& control)
{
    PctAdvice advice;
    FastSettings unlimited = settings;
    unlimited.pctBounds = -1;
    unlimited.withMaxObjective = false;
    const FastModel model = BuildFastModel(instance, unlimited, choice);
    const MipModel& mip = model.base.mip;
    const CellLimits limits = PercentLimits(instance, model.base);
    std::unique_ptr<LpSession> session = OpenSession(mip, solver);
    SolveParams lp = params;
    lp.firstFeasible = false;
    const LimitSearch search = FindLeastLimit(*session, limits, mip.colLower, mip.colUpper, 1e-4, lp, control,
                                              [](const std::string&) {});
    if (search.status == SolveStatus::Infeasible)
    {
        advice.noneWorks = true;
        return advice;
    }
    if (search.status != SolveStatus::Optimal && search.status != SolveStatus::Feasible)
        return advice;
    advice.least = search.value;
    // Typing the printed value must work: the rounded value is tried, and raised a little until it does.
    double candidate = search.value;
    for (int attempt = 0; attempt < 6 && !control.StopRequested(); ++attempt)
    {
        const double typed = std::stod(RoundUpForField(candidate));
        if (WorksAt(*session, limits, typed, mip, lp, control))
        {
            advice.found = true;
            advice.suggested = typed;
            return advice;
        }
        candidate = typed * 1.02 + 1e-9;
    }
    return advice;
}

std::string PctAdviceLine(const PctAdvice& advice, double given)
{
    const std::string value = RoundUpForField(advice.suggested);
    return "\"% cells bounds\" " + LogNumber(given) + " (--pct-bounds " + LogNumber(given) +
           ") is too tight for these directions: the smallest value that works is " + value +
           " (\"% cells bounds\" " + value + ", --pct-bounds " + value + ")";
}

} // namespace vrn
