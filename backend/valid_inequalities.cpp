#include "valid_inequalities.h"

#include "lexmin.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace vrn
{

namespace
{

constexpr int kMaxRounds = 8;

std::string Num(double v)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", v);
    return buffer;
}

// Adds |c| on the column that moves cell j against (`against` true) or with the sign s of a change.
void AddMove(const StdModel& model, int j, double c, double s, bool sameWay,
             std::map<int32_t, double>& entries)
{
    // sameWay: the part of j's change whose contribution c * change has the sign s.
    const bool rises = (c * s > 0) == sameWay;
    const int32_t col = rises ? model.colPlus[j] : model.colMinus[j];
    if (col >= 0)
        entries[col] += std::fabs(c);
}

class Generator
{
public:
    Generator(const Instance& in, const StdModel& model, bool additive)
        : m_in(in), m_model(model), m_additive(additive)
    {
    }

    std::vector<ValidInequality> Run()
    {
        std::vector<std::vector<int>> relationsOf(m_in.cells.size());
        for (size_t r = 0; r < m_in.RelationCount(); ++r)
            for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
                if (const int i = m_in.termCell[t];
                    m_model.colDir[i] >= 0 &&
                    (relationsOf[i].empty() || relationsOf[i].back() != static_cast<int>(r)))
                    relationsOf[i].push_back(static_cast<int>(r));
        for (size_t i = 0; i < m_in.cells.size(); ++i)
            for (const int r : relationsOf[i])
                ForCellInRelation(static_cast<int>(i), r);
        return std::move(m_out);
    }

private:
    const Instance& m_in;
    const StdModel& m_model;
    bool m_additive;
    std::vector<ValidInequality> m_out;

    double S(double v) const { return v / m_model.scale; }

    void ForCellInRelation(int i, int r)
    {
        double ci = 0, original = 0;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
        {
            original += m_in.termCoef[t] * m_in.cells[m_in.termCell[t]].value;
            if (m_in.termCell[t] == i)
                ci += m_in.termCoef[t];
        }
        if (ci == 0)
            return;
        const double residual = m_additive ? S(m_in.rhs[r] - original) : 0;
        const double s = ci > 0 ? 1 : -1;
        const Cell& cell = m_in.cells[i];
        // Up: c_i * change_i >= |c_i| upl (sign s), so the others' changes sum to at most residual - that:
        // their part of sign -s is at least |c_i| upl - s * residual.
        Add(i, r, true, std::fabs(ci) * S(cell.upl) - s * residual, s, false);
        // Down: the others' part of sign s is at least |c_i| lpl + s * residual.
        Add(i, r, false, std::fabs(ci) * S(cell.lpl) + s * residual, s, true);
    }

    void Add(int i, int r, bool up, double need, double s, bool sameWay)
    {
        if (need <= 1e-9 * std::max(1.0, std::fabs(need)))
            return; // the residual alone provides it: nothing to ask of the others
        std::map<int32_t, double> entries;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
            if (const int j = m_in.termCell[t]; j != i && m_in.termCoef[t] != 0)
                AddMove(m_model, j, m_in.termCoef[t], s, sameWay, entries);
        ValidInequality row;
        row.cell = i;
        row.relation = r;
        row.up = up;
        row.entries.assign(entries.begin(), entries.end());
        // up: others >= need * y; down: others >= need * (1 - y).
        const int32_t y = m_model.colDir[i];
        row.entries.emplace_back(y, up ? -need : need);
        row.lower = up ? 0 : need;
        m_out.push_back(std::move(row));
    }
};

double Activity(const ValidInequality& row, const std::vector<double>& x)
{
    double sum = 0;
    for (const auto& [col, value] : row.entries)
        sum += value * x[col];
    return sum;
}

SolveResult SolveRelaxation(const MipModel& mip, SolverAdapter& solver, const SolveParams& params,
                            RunControl& control)
{
    MipModel relaxed = mip;
    std::fill(relaxed.isInteger.begin(), relaxed.isInteger.end(), 0);
    SolveParams lp = params;
    lp.firstFeasible = false;
    lp.start.clear();
    return SolveModel(relaxed, solver, lp, control);
}

bool Solved(const SolveResult& result, const MipModel& mip)
{
    return result.status == SolveStatus::Optimal &&
           result.solution.size() == static_cast<size_t>(mip.ColumnCount());
}

} // namespace

std::vector<ValidInequality> CompensationInequalities(const Instance& instance, const StdModel& model,
                                                      bool additive)
{
    return Generator(instance, model, additive).Run();
}

Violations ViolatedBy(const std::vector<ValidInequality>& inequalities, const std::vector<double>& x,
                      double tolerance, std::vector<size_t>* which)
{
    Violations v;
    for (size_t k = 0; k < inequalities.size(); ++k)
    {
        const ValidInequality& row = inequalities[k];
        double scale = std::fabs(row.lower);
        for (const auto& entry : row.entries)
            scale = std::max(scale, std::fabs(entry.second));
        const double by = row.lower - Activity(row, x);
        if (by <= tolerance * std::max(1.0, scale))
            continue;
        ++v.count;
        v.largest = std::max(v.largest, by);
        v.total += by;
        if (which)
            which->push_back(k);
    }
    return v;
}

void AddInequalityRows(MipModel& mip, const std::vector<ValidInequality>& inequalities,
                       const std::vector<size_t>& which)
{
    for (const size_t k : which)
    {
        const ValidInequality& row = inequalities[k];
        mip.AddRow(row.lower, kInfinity, row.entries,
                   std::string(row.up ? "vu" : "vd") + std::to_string(row.cell) + "_" +
                       std::to_string(row.relation + 1));
    }
}

ValidInequalityReport ApplyValidInequalities(const Instance& instance, StdModel& model, bool additive,
                                             bool add, SolverAdapter& solver, const SolveParams& params,
                                             RunControl& control,
                                             const std::function<void(const std::string&)>& say)
{
    ValidInequalityReport report;
    const std::vector<ValidInequality> all = CompensationInequalities(instance, model, additive);
    report.candidates = static_cast<int>(all.size());
    std::vector<char> added(all.size(), 0);
    const double unit = model.scale;
    for (int round = 0; round < kMaxRounds && !control.StopRequested(); ++round)
    {
        const SolveResult lp = SolveRelaxation(model.mip, solver, params, control);
        if (!Solved(lp, model.mip))
            break;
        const double bound = lp.objective * unit + model.mip.objectiveOffset;
        std::vector<size_t> which;
        const Violations violated = ViolatedBy(all, lp.solution, params.feasibility, &which);
        if (round == 0)
        {
            report.relaxationSolved = true;
            report.boundBefore = bound;
            report.atStart = violated;
        }
        report.boundAfter = bound;
        say("valid inequalities: round " + std::to_string(round + 1) + ", relaxation bound " + Num(bound) +
            ", " + std::to_string(violated.count) + " of " + std::to_string(all.size()) + " violated" +
            (violated.count ? " (largest by " + Num(violated.largest * unit) + ", in all " +
                                  Num(violated.total * unit) + ")"
                            : ""));
        which.erase(std::remove_if(which.begin(), which.end(), [&](size_t k) { return added[k] != 0; }),
                    which.end());
        if (!add || which.empty())
            break;
        AddInequalityRows(model.mip, all, which);
        for (const size_t k : which)
            added[k] = 1;
        report.added += static_cast<int>(which.size());
        report.rounds = round + 1;
    }
    return report;
}

} // namespace vrn
