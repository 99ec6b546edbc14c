#include "standard/repair.h"

#include "common/number_format.h"
#include "instance/cell_rules.h"
#include "model/std_model.h"
#include "solvers/solve_model.h"
#include "solvers/start_rule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace vrn
{

namespace
{

constexpr size_t kLb = static_cast<size_t>(RepairWhat::Lb);
constexpr size_t kUb = static_cast<size_t>(RepairWhat::Ub);
constexpr size_t kLpl = static_cast<size_t>(RepairWhat::Lpl);
constexpr size_t kUpl = static_cast<size_t>(RepairWhat::Upl);
// The held first stage may exceed its optimum by this fraction (the solvers' own arithmetic).
constexpr double kHoldSlack = 1e-6;

// The coarsest step of ten (1, 0.1, ... 1e-6) on which every value, bound and level of the table lies; 0 for
// none.
double DataStep(const Instance& in)
{
    for (double step = 1; step >= 1e-6; step /= 10)
    {
        const auto onGrid = [step](double v)
        {
            const double units = v / step;
            return std::fabs(units - std::round(units)) <= 1e-6 * std::max(1.0, std::fabs(units) * 1e-9);
        };
        if (std::all_of(in.cells.begin(), in.cells.end(),
                        [&](const Cell& c) {
                            return onGrid(c.value) && onGrid(c.lb) && onGrid(c.ub) && onGrid(c.lpl) &&
                                   onGrid(c.upl);
                        }))
            return step;
    }
    return 0;
}

// A change the solver found, made a little larger where it is not exact, so that the repaired instance
// is protectable also in exact arithmetic: up to the table's own step (whole units for a table of whole
// numbers), else to six significant digits. What lies within the solvers' noise of a step (they may stop
// short by their tolerance) is that step.
double RoundedUp(double amount, double step)
{
    if (step > 0)
        return std::ceil(amount / step - 1e-3) * step;
    const double digits = std::pow(10.0, std::floor(std::log10(amount)) - 5);
    return std::ceil(amount * (1 + 2e-6) / digits) * digits;
}

// The room a cell has within its bounds, each way, in the model's units (0 for z cells).
double Room(const RepairModel& model, size_t j, bool up)
{
    const int32_t col = up ? model.colPlus[j] : model.colMinus[j];
    return col >= 0 ? model.mip.colUpper[col] : 0;
}

class ModelBuilder
{
public:
    ModelBuilder(const Instance& in, const RepairSettings& set, const RepairPrices& prices)
        : m_in(in), m_set(set), m_prices(prices)
    {
    }

    RepairModel Build()
    {
        m_model.scale = m_set.scale;
        m_model.big = LargestChange(m_set.big, m_in);
        const size_t n = m_in.cells.size();
        m_model.colPlus.assign(n, -1);
        m_model.colMinus.assign(n, -1);
        m_model.colChange.assign(n, {-1, -1, -1, -1});
        m_model.colDir.assign(n, -1);
        for (size_t i = 0; i < n; ++i)
            AddCellColumns(i);
        AddRelationRows();
        for (size_t i = 0; i < n; ++i)
            AddProtection(i);
        AddShortfallRows();
        return std::move(m_model);
    }

private:
    const Instance& m_in;
    const RepairSettings& m_set;
    const RepairPrices& m_prices;
    RepairModel m_model;

    double S(double v) const { return v / m_model.scale; }

    // A column for a change priced per unit in original units; the model's objective is then in
    // original units too.
    int32_t ChangeColumn(size_t i, size_t what, double upper, const std::string& name)
    {
        const double price = m_prices.price[i][what];
        if (price == kFixedPrice || upper <= 0)
            return -1;
        return m_model.mip.AddColumn(0, S(upper), price * m_model.scale, false, name + std::to_string(i));
    }

    void AddCellColumns(size_t i)
    {
        const Cell& cell = m_in.cells[i];
        if (cell.status == 'z')
            return;
        const double big = m_model.big;
        const double up = std::clamp(cell.ub - cell.value, 0.0, big);
        const double down = std::clamp(cell.value - cell.lb, 0.0, big);
        const std::string id = std::to_string(i);
        m_model.colPlus[i] = m_model.mip.AddColumn(0, S(up), 0, false, "p" + id);
        m_model.colMinus[i] = m_model.mip.AddColumn(0, S(down), 0, false, "m" + id);
        // Widening a bound lets the cell move past it, up to the largest change in all.
        m_model.colChange[i][kUb] = ChangeColumn(i, kUb, big - up, "wu");
        m_model.colChange[i][kLb] = ChangeColumn(i, kLb, big - down, "wl");
    }

    // The columns that move cell i up (+1) or down (-1).
    void MoveEntries(size_t i, double coef, std::vector<std::pair<int32_t, double>>& entries) const
    {
        for (const auto& [col, sign] :
             {std::pair{m_model.colPlus[i], 1.0}, std::pair{m_model.colMinus[i], -1.0},
              std::pair{m_model.colChange[i][kUb], 1.0}, std::pair{m_model.colChange[i][kLb], -1.0}})
            if (col >= 0)
                entries.emplace_back(col, sign * coef);
    }

    void AddRelationRows()
    {
        std::vector<std::pair<int32_t, double>> entries;
        for (size_t r = 0; r < m_in.RelationCount(); ++r)
        {
            entries.clear();
            double original = 0, magnitude = std::fabs(m_in.rhs[r]);
            for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
            {
                const size_t cell = static_cast<size_t>(m_in.termCell[t]);
                const double coef = m_in.termCoef[t];
                original += coef * m_in.cells[cell].value;
                magnitude = std::max(magnitude, std::fabs(coef * m_in.cells[cell].value));
                if (coef != 0)
                    MoveEntries(cell, coef, entries);
            }
            const double residual = m_set.additive ? m_in.rhs[r] - original : 0;
            if (entries.empty())
            {
                if (std::fabs(residual) > m_set.tolerance * std::max(1.0, magnitude))
                    m_model.unrepairable.push_back(static_cast<int>(r));
                continue;
            }
            m_model.mip.AddRow(S(residual), S(residual), entries, "r" + std::to_string(r + 1));
        }
    }

    void AddProtection(size_t i)
    {
        const Cell& cell = m_in.cells[i];
        if (!NeedsProtection(cell) || m_model.colPlus[i] < 0)
            return;
        MipModel& mip = m_model.mip;
        const std::string id = std::to_string(i);
        const int32_t y = mip.AddColumn(0, 1, 0, true, "y" + id);
        m_model.colDir[i] = y;
        m_model.colChange[i][kUpl] = ChangeColumn(i, kUpl, cell.upl, "eu");
        m_model.colChange[i][kLpl] = ChangeColumn(i, kLpl, cell.lpl, "el");
        const double upl = S(cell.upl), lpl = S(cell.lpl), big = S(m_model.big);
        std::vector<std::pair<int32_t, double>> up, down;
        MoveEntries(i, 1, up); // +p +wu -m -wl: split into the up and down parts below
        std::vector<std::pair<int32_t, double>> rise, fall;
        for (const auto& [col, sign] : up)
            (sign > 0 ? rise : fall).emplace_back(col, 1.0);
        // y = 1: the cell rises by at least its (lowered) upper level and does not fall; y = 0: the reverse.
        auto with = [](std::vector<std::pair<int32_t, double>> entries, int32_t col, double value)
        {
            if (col >= 0)
                entries.emplace_back(col, value);
            return entries;
        };
        mip.AddRow(0, kInfinity, with(with(rise, m_model.colChange[i][kUpl], 1), y, -upl), "pu" + id);
        mip.AddRow(-kInfinity, 0, with(rise, y, -big), "pU" + id);
        mip.AddRow(lpl, kInfinity, with(with(fall, m_model.colChange[i][kLpl], 1), y, lpl), "pl" + id);
        mip.AddRow(-kInfinity, big, with(fall, y, big), "pL" + id);
    }

    // What the room within the bounds cannot give must come from widened bounds or a lowered level, in the
    // direction the binary chooses: for the cell itself, and for the other cells of each of its relations.
    // Each row is the convex hull of the two directions, where the rows above let the relaxation use the
    // same room for half a move each way and widen nothing.
    void AddShortfallRows()
    {
        std::vector<std::vector<int>> relationsOf(m_in.cells.size());
        for (size_t r = 0; r < m_in.RelationCount(); ++r)
            for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
                if (auto& of = relationsOf[m_in.termCell[t]]; of.empty() || of.back() != static_cast<int>(r))
                    of.push_back(static_cast<int>(r));
        for (size_t i = 0; i < m_in.cells.size(); ++i)
        {
            if (m_model.colDir[i] < 0)
                continue;
            const Cell& cell = m_in.cells[i];
            for (const bool up : {true, false})
            {
                const double level = S(up ? cell.upl : cell.lpl);
                std::vector<std::pair<int32_t, double>> own;
                AddIf(own, m_model.colChange[i][up ? kUb : kLb], 1);
                ShortfallRow(i, up, level - Room(m_model, i, up), own);
                for (const int r : relationsOf[i])
                    RelationShortfall(i, up, level, r);
            }
        }
    }

    static void AddIf(std::vector<std::pair<int32_t, double>>& entries, int32_t col, double value)
    {
        if (col >= 0)
            entries.emplace_back(col, value);
    }

    // entries + lowering of i's level >= shortfall * (y or 1 - y), when the shortfall is positive.
    void ShortfallRow(size_t i, bool up, double shortfall, std::vector<std::pair<int32_t, double>> entries,
                      double levelWeight = 1)
    {
        if (shortfall <= 1e-9 * std::max(1.0, shortfall))
            return;
        AddIf(entries, m_model.colChange[i][up ? kUpl : kLpl], levelWeight);
        const int32_t y = m_model.colDir[i];
        const std::string id =
            (up ? "su" : "sd") + std::to_string(i) + "_" + std::to_string(m_model.mip.RowCount());
        if (up)
            m_model.mip.AddRow(0, kInfinity, (entries.emplace_back(y, -shortfall), entries), id);
        else
            m_model.mip.AddRow(shortfall, kInfinity, (entries.emplace_back(y, shortfall), entries), id);
    }

    void RelationShortfall(size_t i, bool up, double level, int r)
    {
        double ci = 0, original = 0, room = 0;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
        {
            original += m_in.termCoef[t] * m_in.cells[m_in.termCell[t]].value;
            if (static_cast<size_t>(m_in.termCell[t]) == i)
                ci += m_in.termCoef[t];
        }
        if (ci == 0)
            return;
        const double s = ci > 0 ? 1 : -1;
        const double residual = m_set.additive ? S(m_in.rhs[r] - original) : 0;
        // i moving up (s > 0) needs the others' part of sign -s: cells with c > 0 falling, c < 0 rising.
        const double wanted = up ? -s : s;
        std::map<int32_t, double> widen;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
        {
            const size_t j = static_cast<size_t>(m_in.termCell[t]);
            const double c = m_in.termCoef[t];
            if (j == i || c == 0)
                continue;
            const bool rises = (c > 0) == (wanted > 0);
            room += std::fabs(c) * Room(m_model, j, rises);
            if (const int32_t col = m_model.colChange[j][rises ? kUb : kLb]; col >= 0)
                widen[col] += std::fabs(c);
        }
        const double need = std::fabs(ci) * level + (up ? -s : s) * residual;
        ShortfallRow(i, up, need - room, {widen.begin(), widen.end()}, std::fabs(ci));
    }
};

// Costs of the protection columns only (protection), or of the bound columns only.
std::vector<double> StageCosts(const RepairModel& model, const std::vector<double>& prices, bool protection)
{
    std::vector<double> costs(prices.size(), 0.0);
    for (const auto& columns : model.colChange)
        for (size_t what = 0; what < 4; ++what)
        {
            const bool isProtection = what == kLpl || what == kUpl;
            if (const int32_t c = columns[what]; c >= 0 && isProtection == protection)
                costs[c] = prices[c];
        }
    return costs;
}

double Value(const std::vector<double>& costs, const std::vector<double>& x)
{
    double sum = 0;
    for (size_t c = 0; c < costs.size(); ++c)
        sum += costs[c] * x[c];
    return sum;
}

class Repairer
{
public:
    Repairer(const Instance& in, const RepairSettings& set, const RepairPrices& prices, SolverAdapter& solver,
             const SolveParams& params, RunControl& control,
             const std::function<void(const std::string&)>& say)
        : m_in(in), m_set(set), m_prices(prices), m_solver(solver), m_params(params), m_control(control),
          m_say(say)
    {
    }

    RepairOutcome Run()
    {
        RepairModel model = BuildRepairModel(m_in, m_set, m_prices);
        if (!model.unrepairable.empty())
            return Impossible("relation " + std::to_string(model.unrepairable.front() + 1) +
                              " does not hold and none of its cells may change (all have status z)");
        m_say("repair: elastic model of " + std::to_string(model.mip.ColumnCount()) + " columns (" +
              std::to_string(model.mip.IntegerCount()) + " integer), " +
              std::to_string(model.mip.RowCount()) + " rows");
        const std::vector<double> allCosts = model.mip.cost;
        SolveResult result;
        if (m_prices.protectionPriced)
        {
            m_say("repair: every change at its price in one sum (the repair file prices protection levels) "
                  "...");
            if (!Stage(model.mip, allCosts, result))
                return m_outcome;
        }
        else
        {
            m_say("repair: stage 1 of 2, the least lowering of protection levels (bounds may widen freely) "
                  "...");
            const std::vector<double> protection = StageCosts(model, allCosts, true);
            if (!Stage(model.mip, protection, result))
                return m_outcome;
            const double lowered = Value(protection, result.solution);
            m_say("repair: protection levels lowered by " + LogNumber(lowered) + " (priced)");
            HoldProtection(model, protection, lowered);
            m_say("repair: stage 2 of 2, the least widening of bounds with that held ...");
            m_params.start = result.solution; // still feasible: it meets the hold
            if (!Stage(model.mip, StageCosts(model, allCosts, false), result))
                return m_outcome;
        }
        return Changes(model, result.solution);
    }

private:
    const Instance& m_in;
    const RepairSettings& m_set;
    const RepairPrices& m_prices;
    SolverAdapter& m_solver;
    SolveParams m_params;
    RunControl& m_control;
    const std::function<void(const std::string&)>& m_say;
    RepairOutcome m_outcome;

    RepairOutcome Impossible(const std::string& why)
    {
        m_outcome.status = RepairStatus::Impossible;
        m_outcome.detail = why;
        return m_outcome;
    }

    // Solves with these costs; false (with m_outcome set) when there is no solution to go on with.
    bool Stage(MipModel& mip, const std::vector<double>& costs, SolveResult& result)
    {
        mip.cost = costs;
        SolveParams params = m_params;
        params.firstFeasible = false;
        result = SolveModel(mip, m_solver, params, m_control);
        // A solver that prunes every node against the start (SYMPHONY) reports no table: the start stands.
        KeepStartingPoint(mip, params.start, result);
        if (result.status == SolveStatus::Infeasible)
        {
            Impossible("no change of bounds and protection levels that the prices allow makes the table "
                       "protectable (fixed cells, relations and levels that may not change conflict)");
            return false;
        }
        if (!HasFullSolution(result, mip))
        {
            m_outcome.status = RepairStatus::NotFound;
            m_outcome.detail = "the solver ended without a repair" +
                               (result.detail.empty() ? std::string() : " (" + result.detail + ")");
            return false;
        }
        if (result.status != SolveStatus::Optimal)
            m_outcome.proven = false;
        return true;
    }

    void HoldProtection(RepairModel& model, const std::vector<double>& protection, double lowered)
    {
        MipModel& mip = model.mip;
        if (lowered <= m_set.tolerance)
        {
            // Nothing needs lowering: the levels stay as they are.
            for (size_t c = 0; c < protection.size(); ++c)
                if (protection[c] != 0)
                    mip.colUpper[c] = 0;
            return;
        }
        std::vector<std::pair<int32_t, double>> entries;
        for (size_t c = 0; c < protection.size(); ++c)
            if (protection[c] != 0)
                entries.emplace_back(static_cast<int32_t>(c), protection[c]);
        mip.AddRow(-kInfinity, lowered * (1 + kHoldSlack) + m_set.tolerance, entries, "hold");
    }

    RepairOutcome Changes(const RepairModel& model, const std::vector<double>& x)
    {
        const double step = DataStep(m_in);
        for (size_t i = 0; i < m_in.cells.size(); ++i)
            for (size_t what = 0; what < 4; ++what)
                if (const int32_t c = model.colChange[i][what]; c >= 0)
                    AddChange(static_cast<int>(i), static_cast<RepairWhat>(what), x[c] * model.scale, step);
        m_outcome.status = m_outcome.changes.empty() ? RepairStatus::NothingToChange : RepairStatus::Repaired;
        if (!m_outcome.changes.empty())
            m_outcome.repaired = ApplyRepair(m_in, m_outcome.changes);
        return m_outcome;
    }

    void AddChange(int i, RepairWhat what, double amount, double step)
    {
        const Cell& cell = m_in.cells[i];
        const double from = what == RepairWhat::Lb    ? cell.lb
                            : what == RepairWhat::Ub  ? cell.ub
                            : what == RepairWhat::Lpl ? cell.lpl
                                                      : cell.upl;
        if (amount <= m_set.tolerance * std::max(1.0, std::fabs(from)))
            return;
        amount = RoundedUp(amount, step);
        RepairChange change{i, what, from, 0, m_prices.Of(static_cast<size_t>(i), what)};
        if (what == RepairWhat::Lb)
            change.to = from - amount;
        else if (what == RepairWhat::Ub)
            change.to = from + amount;
        else
            change.to = std::max(0.0, from - amount);
        if (step > 0)
        {
            // On the table's own grid exactly: 85, not 84.99999999999999.
            const double perUnit = std::round(1 / step);
            change.to = std::round(change.to * perUnit) / perUnit;
        }
        const double size = std::fabs(change.to - from) * change.price;
        (what == RepairWhat::Lb || what == RepairWhat::Ub ? m_outcome.boundsTotal
                                                          : m_outcome.protectionTotal) += size;
        m_outcome.changes.push_back(change);
    }
};

} // namespace

RepairModel BuildRepairModel(const Instance& instance, const RepairSettings& settings,
                             const RepairPrices& prices)
{
    return ModelBuilder(instance, settings, prices).Build();
}

std::string RepairChangeText(const RepairChange& change)
{
    static const char* const words[] = {"lower bound", "upper bound", "lower protection level",
                                        "upper protection level"};
    return "cell " + std::to_string(change.cell) + ": " + words[static_cast<int>(change.what)] + " " +
           LogNumber(change.from) + " -> " + LogNumber(change.to) + " (price " + LogNumber(change.price) +
           " per unit)";
}

Instance ApplyRepair(const Instance& instance, const std::vector<RepairChange>& changes)
{
    Instance repaired = instance;
    for (const RepairChange& change : changes)
    {
        Cell& cell = repaired.cells[static_cast<size_t>(change.cell)];
        double* field[] = {&cell.lb, &cell.ub, &cell.lpl, &cell.upl};
        *field[static_cast<int>(change.what)] = change.to;
    }
    return repaired;
}

RepairOutcome RepairInstance(const Instance& instance, const RepairSettings& settings,
                             const RepairPrices& prices, SolverAdapter& solver, const SolveParams& params,
                             RunControl& control, const std::function<void(const std::string&)>& say)
{
    return Repairer(instance, settings, prices, solver, params, control, say).Run();
}

} // namespace vrn
