#include "model/std_model.h"

#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

std::vector<double> StdModel::AdjustedValues(const Instance& instance,
                                             const std::vector<double>& solution) const
{
    std::vector<double> x(instance.cells.size());
    for (size_t i = 0; i < x.size(); ++i)
    {
        const double a = instance.cells[i].value;
        if (colValue[i] >= 0)
            x[i] = solution[colValue[i]] * scale;
        else if (colPlus[i] >= 0)
            x[i] = a + (solution[colPlus[i]] - solution[colMinus[i]]) * scale;
        else
            x[i] = a;
    }
    return x;
}

namespace
{

bool IsWhole(double v)
{
    return std::fabs(v - std::round(v)) <= 1e-9 * std::max(1.0, std::fabs(v));
}

class Builder
{
public:
    Builder(const Instance& instance, const StdModelSettings& settings) : m_in(instance), m_set(settings) {}

    StdModel Build()
    {
        m_model.scale = m_set.integerCells ? 1 : m_set.scale;
        if (m_set.integerCells && m_set.scale != 1)
            m_model.notes.push_back("integer cells: the model is not scaled");
        m_model.big = LargestChange(m_set.big, m_in);
        m_model.kind = m_set.kind == StdModelKind::New ? StdModelKind::New : StdModelKind::Classical;
        const size_t n = m_in.cells.size();
        m_model.colPlus.assign(n, -1);
        m_model.colMinus.assign(n, -1);
        m_model.colDir.assign(n, -1);
        m_model.colValue.assign(n, -1);
        for (size_t i = 0; i < n; ++i)
            AddCellColumns(static_cast<int>(i));
        AddRelationRows();
        for (size_t i = 0; i < n; ++i)
            AddProtection(static_cast<int>(i));
        return std::move(m_model);
    }

private:
    const Instance& m_in;
    const StdModelSettings& m_set;
    StdModel m_model;

    double S(double v) const { return v / m_model.scale; }

    Direction FixedDirection(int i) const
    {
        const Cell& cell = m_in.cells[i];
        if (static_cast<size_t>(i) < m_set.directions.size() && m_set.directions[i] != Direction::Free)
            return m_set.directions[i];
        if (m_set.prepSens)
        {
            const bool down = CanMoveDown(cell, m_model.big);
            const bool up = CanMoveUp(cell, m_model.big);
            if (down && !up)
                return Direction::Down;
            if (up && !down)
                return Direction::Up;
        }
        return Direction::Free;
    }

    void AddCellColumns(int i)
    {
        const Cell& cell = m_in.cells[i];
        if (cell.status == 'z')
            return;
        double up = std::min(cell.ub - cell.value, m_model.big);
        double down = std::min(cell.value - cell.lb, m_model.big);
        if (static_cast<size_t>(i) < m_set.roomUp.size() && static_cast<size_t>(i) < m_set.roomDown.size())
        {
            up = std::min(up, m_set.roomUp[i]);
            down = std::min(down, m_set.roomDown[i]);
        }
        const std::string id = std::to_string(i);
        const bool integerDeviation = m_set.integerCells && IsWhole(cell.value);
        if (integerDeviation)
        {
            // Whole steps from a whole value: a bound of 154.5 allows 154 at most (GLPK refuses fractional
            // bounds).
            up = std::floor(up + 1e-9);
            down = std::floor(down + 1e-9);
        }
        m_model.colPlus[i] = m_model.mip.AddColumn(0, S(std::max(up, 0.0)), S(cell.cost) * m_model.scale,
                                                   integerDeviation, "p" + id);
        m_model.colMinus[i] = m_model.mip.AddColumn(0, S(std::max(down, 0.0)), S(cell.cost) * m_model.scale,
                                                    integerDeviation, "m" + id);
        if (m_set.integerCells && !integerDeviation)
        {
            // A value that is not whole cannot move by whole steps: its adjusted value gets its own
            // integer column, tied to the deviations.
            m_model.colValue[i] = m_model.mip.AddColumn(std::ceil(cell.value - down),
                                                        std::floor(cell.value + up), 0, true, "x" + id);
            m_model.mip.AddRow(cell.value, cell.value,
                               {{m_model.colValue[i], 1}, {m_model.colPlus[i], -1}, {m_model.colMinus[i], 1}},
                               "int" + id);
        }
    }

    void AddRelationRows()
    {
        std::vector<std::pair<int32_t, double>> entries;
        for (size_t r = 0; r < m_in.RelationCount(); ++r)
        {
            entries.clear();
            double original = 0;
            for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
            {
                const int cell = m_in.termCell[t];
                const double coef = m_in.termCoef[t];
                original += coef * m_in.cells[cell].value;
                if (m_model.colPlus[cell] >= 0 && coef != 0)
                {
                    entries.emplace_back(m_model.colPlus[cell], coef);
                    entries.emplace_back(m_model.colMinus[cell], -coef);
                }
            }
            const double rhs = m_set.additive ? S(m_in.rhs[r] - original) : 0;
            if (entries.empty())
                continue; // nothing can change: the input check reports a residual it cannot repair
            m_model.mip.AddRow(rhs, rhs, entries, "r" + std::to_string(r + 1));
        }
    }

    void AddProtection(int i)
    {
        const Cell& cell = m_in.cells[i];
        if (!NeedsProtection(cell) || m_model.colPlus[i] < 0)
            return;
        ++m_model.sensitiveCount;
        const int p = m_model.colPlus[i];
        const int m = m_model.colMinus[i];
        MipModel& mip = m_model.mip;
        const Direction fixed = FixedDirection(i);
        if (fixed == Direction::Up)
        {
            ++m_model.fixedUp;
            mip.colLower[p] = S(cell.upl);
            mip.colUpper[m] = 0;
            return;
        }
        if (fixed == Direction::Down)
        {
            ++m_model.fixedDown;
            mip.colLower[m] = S(cell.lpl);
            mip.colUpper[p] = 0;
            return;
        }
        const double up = S(mip.colUpper[p] * m_model.scale);
        const double down = S(mip.colUpper[m] * m_model.scale);
        const std::string id = std::to_string(i);
        const int y = mip.AddColumn(0, 1, 0, true, "y" + id);
        m_model.colDir[i] = y;
        const double upl = S(cell.upl);
        const double lpl = S(cell.lpl);
        if (m_model.kind == StdModelKind::Classical)
        {
            // y = 1: up by at least upl, no move down; y = 0: down by at least lpl, no move up.
            mip.AddRow(0, kInfinity, {{p, 1}, {y, -upl}}, "pu" + id);
            mip.AddRow(-kInfinity, 0, {{p, 1}, {y, -up}}, "pU" + id);
            mip.AddRow(lpl, kInfinity, {{m, 1}, {y, lpl}}, "pl" + id);
            mip.AddRow(-kInfinity, down, {{m, 1}, {y, down}}, "pL" + id);
        }
        else
        {
            // On the net change d = p - m: y = 1 gives upl <= d <= up, y = 0 gives -down <= d <= -lpl.
            mip.AddRow(-down, kInfinity, {{p, 1}, {m, -1}, {y, -(down + upl)}}, "nu" + id);
            mip.AddRow(-kInfinity, -lpl, {{p, 1}, {m, -1}, {y, -(up + lpl)}}, "nl" + id);
        }
    }
};

} // namespace

StdModel BuildStdModel(const Instance& instance, const StdModelSettings& settings)
{
    return Builder(instance, settings).Build();
}

std::vector<double> StdColumnsOf(const Instance& instance, const StdModel& model,
                                 const std::vector<double>& adjusted)
{
    const MipModel& mip = model.mip;
    std::vector<double> columns(static_cast<size_t>(mip.ColumnCount()), 0);
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const int p = model.colPlus[i];
        if (p < 0)
            continue;
        const double change = (adjusted[i] - instance.cells[i].value) / model.scale;
        const int m = model.colMinus[i];
        columns[p] = std::max(change, 0.0);
        columns[m] = std::max(-change, 0.0);
        for (const int c : {p, m})
            if (mip.isInteger[c])
                columns[c] = std::round(columns[c]);
        if (model.colValue[i] >= 0)
            columns[model.colValue[i]] = std::round(adjusted[i]);
        if (model.colDir[i] >= 0)
            columns[model.colDir[i]] = change > 0 ? 1 : 0;
    }
    return columns;
}

} // namespace vrn
