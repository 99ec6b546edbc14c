#include "standard/valid_inequalities.h"

#include "common/number_format.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace vrn
{

namespace
{

constexpr int kMaxRounds = 8;
constexpr double kLeastGain = 1e-3;

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
    Generator(const Instance& in, const StdModel& model, bool additive, const std::function<bool(int)>& hop)
        : m_in(in), m_model(model), m_hop(hop), m_relationsOf(in.cells.size()), m_residual(in.RelationCount())
    {
        for (size_t r = 0; r < in.RelationCount(); ++r)
        {
            double original = 0;
            for (int64_t t = in.termStart[r]; t < in.termStart[r + 1]; ++t)
            {
                original += in.termCoef[t] * in.cells[in.termCell[t]].value;
                auto& of = m_relationsOf[in.termCell[t]];
                if (of.empty() || of.back() != static_cast<int>(r))
                    of.push_back(static_cast<int>(r));
            }
            m_residual[r] = additive ? S(in.rhs[r] - original) : 0;
        }
    }

    std::vector<ValidInequality> Run()
    {
        for (size_t i = 0; i < m_in.cells.size(); ++i)
            if (m_model.colDir[i] >= 0)
                for (const int r : m_relationsOf[i])
                    ForCellInRelation(static_cast<int>(i), r);
        return std::move(m_out);
    }

private:
    const Instance& m_in;
    const StdModel& m_model;
    const std::function<bool(int)>& m_hop;
    std::vector<std::vector<int>> m_relationsOf;
    std::vector<double> m_residual; // per relation, in the model's units
    std::vector<ValidInequality> m_out;

    double S(double v) const { return v / m_model.scale; }

    double CoefficientIn(int r, int cell) const
    {
        double c = 0;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
            if (m_in.termCell[t] == cell)
                c += m_in.termCoef[t];
        return c;
    }

    void ForCellInRelation(int i, int r)
    {
        const double ci = CoefficientIn(r, i);
        if (ci == 0)
            return;
        const double s = ci > 0 ? 1 : -1;
        const Cell& cell = m_in.cells[i];
        // Up: c_i * change_i >= |c_i| upl (sign s), so the others' changes sum to at most residual - that:
        // their part of sign -s is at least |c_i| upl - s * residual.
        Add(i, r, true, std::fabs(ci) * S(cell.upl) - s * m_residual[r], s, false);
        // Down: the others' part of sign s is at least |c_i| lpl + s * residual.
        Add(i, r, false, std::fabs(ci) * S(cell.lpl) + s * m_residual[r], s, true);
    }

    // A relation of cell j other than r and without cell i, through which j's change must be made up
    // by further cells; -1 when there is none.
    int OtherRelation(int j, int r, int i) const
    {
        for (const int q : m_relationsOf[j])
            if (q != r && CoefficientIn(q, j) != 0 && CoefficientIn(q, i) == 0)
                return q;
        return -1;
    }

    // Cell j's change counted through relation q: |c_qj| |change_j| <= sum_{k != j} |c_qk| (p_k + m_k) +
    // |residual_q|. Returns what the right-hand side loses.
    double AddThrough(int j, int q, double weight, std::map<int32_t, double>& entries) const
    {
        const double factor = weight / std::fabs(CoefficientIn(q, j));
        for (int64_t t = m_in.termStart[q]; t < m_in.termStart[q + 1]; ++t)
            if (const int k = m_in.termCell[t]; k != j && m_in.termCoef[t] != 0 && m_model.colPlus[k] >= 0)
            {
                entries[m_model.colPlus[k]] += factor * std::fabs(m_in.termCoef[t]);
                entries[m_model.colMinus[k]] += factor * std::fabs(m_in.termCoef[t]);
            }
        return factor * std::fabs(m_residual[q]);
    }

    void Add(int i, int r, bool up, double need, double s, bool sameWay)
    {
        std::map<int32_t, double> entries;
        int hops = 0;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
        {
            const int j = m_in.termCell[t];
            const double c = m_in.termCoef[t];
            if (j == i || c == 0)
                continue;
            const int q = m_hop && m_hop(j) ? OtherRelation(j, r, i) : -1;
            if (q >= 0)
            {
                need -= AddThrough(j, q, std::fabs(c), entries);
                ++hops;
            }
            else
                AddMove(m_model, j, c, s, sameWay, entries);
        }
        if (m_hop && hops == 0)
            return; // the same row as without `hop`
        if (need <= 1e-9)
            return; // the residuals alone provide it: nothing to ask of the others
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
    lp.simplex = true; // measured on a 12x12x12 table: the simplex takes a fraction of the barrier's time
    return SolveModel(relaxed, solver, lp, control);
}

bool Solved(const SolveResult& result, const MipModel& mip)
{
    return result.status == SolveStatus::Optimal && HasFullSolution(result, mip);
}

} // namespace

std::vector<ValidInequality> CompensationInequalities(const Instance& instance, const StdModel& model,
                                                      bool additive, const std::function<bool(int)>& hop)
{
    return Generator(instance, model, additive, hop).Run();
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
    double previousBound = 0;
    int unpaidRounds = 0;
    for (int round = 0; round < kMaxRounds && !control.StopRequested(); ++round)
    {
        const SolveResult lp = SolveRelaxation(model.mip, solver, params, control);
        if (!Solved(lp, model.mip))
            break;
        const double bound = lp.objective * unit + model.mip.objectiveOffset;
        std::vector<size_t> which;
        const Violations violated = ViolatedBy(all, lp.solution, params.feasibility, &which);
        // Cells that the relaxation moves up and down at once are counted through their other relations.
        const std::vector<double>& x = lp.solution;
        const auto bothWays = [&](int j)
        {
            const int p = model.colPlus[j];
            return p >= 0 && x[p] > 1e-6 && x[model.colMinus[j]] > 1e-6;
        };
        const std::vector<ValidInequality> chains =
            CompensationInequalities(instance, model, additive, bothWays);
        std::vector<size_t> chainWhich;
        const Violations chainViolated = ViolatedBy(chains, x, params.feasibility, &chainWhich);
        if (round == 0)
        {
            report.relaxationSolved = true;
            report.boundBefore = bound;
            report.atStart = violated;
            report.chainsAtStart = chainViolated;
        }
        report.boundAfter = bound;
        say("valid inequalities: round " + std::to_string(round + 1) + ", relaxation bound " +
            LogNumber(bound) + ", " + std::to_string(violated.count) + " of " + std::to_string(all.size()) +
            " violated" +
            (violated.count ? " (largest by " + LogNumber(violated.largest * unit) + ", in all " +
                                  LogNumber(violated.total * unit) + ")"
                            : "") +
            ", " + std::to_string(chainViolated.count) + " through other relations");
        which.erase(std::remove_if(which.begin(), which.end(), [&](size_t k) { return added[k] != 0; }),
                    which.end());
        // Rounds that raise the bound by less than a thousandth do not pay for the rows they add; one such
        // round is allowed, since a degenerate relaxation may move the same slack to other cells first.
        const bool paid =
            round == 0 || bound > previousBound + kLeastGain * std::max(1.0, std::fabs(previousBound));
        unpaidRounds = paid ? 0 : unpaidRounds + 1;
        if (paid)
            previousBound = bound;
        if (!add || which.size() + chainWhich.size() == 0 || unpaidRounds >= 2)
            break;
        AddInequalityRows(model.mip, all, which);
        AddInequalityRows(model.mip, chains, chainWhich);
        for (const size_t k : which)
            added[k] = 1;
        report.added += static_cast<int>(which.size() + chainWhich.size());
        report.rounds = round + 1;
    }
    return report;
}

} // namespace vrn
