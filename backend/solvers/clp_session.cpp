#include "solvers/clp_session.h"

#include "solvers/clp_model.h"
#include "solvers/coin_matrix.h"

#include <ClpEventHandler.hpp>
#include <ClpSimplex.hpp>
#include <ClpSolve.hpp>

namespace vrn
{

namespace
{

// Returning 0 from an event ends CLP's solve at once. The run's control changes from solve to solve.
class SessionStopHandler : public ClpEventHandler
{
public:
    RunControl* control = nullptr;
    int event(Event) override { return control != nullptr && control->StopRequested() ? 0 : -1; }
    ClpEventHandler* clone() const override { return new SessionStopHandler(*this); }
};

class ClpLpSession : public LpSession
{
public:
    explicit ClpLpSession(const MipModel& model)
    {
        LoadIntoClp(m_clp, model);
        m_clp.setLogLevel(1);
        m_clp.passInEventHandler(&m_handler);
    }

    void SetObjective(const std::vector<double>& cost) override
    {
        m_clp.chgObjCoefficients(cost.data());
        m_objectiveChanged = true;
    }

    void SetColumnBounds(const std::vector<double>& lower, const std::vector<double>& upper) override
    {
        const std::vector<double> coinLower = CoinBounds(lower), coinUpper = CoinBounds(upper);
        m_clp.chgColumnLower(coinLower.data());
        m_clp.chgColumnUpper(coinUpper.data());
    }

    void AddRow(double lower, double upper, const std::vector<std::pair<int32_t, double>>& entries) override
    {
        std::vector<int> columns;
        std::vector<double> values;
        for (const auto& [column, value] : entries)
        {
            columns.push_back(column);
            values.push_back(value);
        }
        m_clp.addRow(static_cast<int>(columns.size()), columns.data(), values.data(),
                     lower == -kInfinity ? -COIN_DBL_MAX : lower, upper == kInfinity ? COIN_DBL_MAX : upper);
    }

    SolveResult Solve(const SolveParams& params, RunControl& control) override
    {
        m_handler.control = &control;
        SetClpLimits(m_clp, params, control);
        m_warm = m_solved;
        if (!m_solved)
        {
            // Presolve pays once, here; the later solves start from the basis this one leaves.
            ClpSolve options;
            options.setSolveType(ClpSolve::usePrimal);
            options.setPresolveType(ClpSolve::presolveOn);
            m_clp.initialSolve(options);
        }
        else if (m_objectiveChanged)
            m_clp.primal(); // the basis is still primal feasible where only the objective changed
        else
            m_clp.dual(); // bounds or rows changed: the basis stays dual feasible
        m_solved = true;
        m_objectiveChanged = false;
        m_handler.control = nullptr;
        return ClpSolveResult(m_clp);
    }

    bool LastSolveWasWarm() const override { return m_warm; }

private:
    ClpSimplex m_clp;
    SessionStopHandler m_handler;
    bool m_solved = false;
    bool m_warm = false;
    bool m_objectiveChanged = false;
};

} // namespace

std::unique_ptr<LpSession> OpenClpSession(const MipModel& model)
{
    return std::make_unique<ClpLpSession>(model);
}

} // namespace vrn
