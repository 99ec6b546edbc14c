#include "model/conflict.h"

#include "common/number_format.h"
#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vrn
{

namespace
{

// Residual the relation's changes must make up: rhs minus the original sum (additive), else 0.
double Needed(const Instance& in, size_t r, bool additive)
{
    if (!additive)
        return 0;
    double sum = 0;
    for (int64_t t = in.termStart[r]; t < in.termStart[r + 1]; ++t)
        sum += in.termCoef[t] * in.cells[in.termCell[t]].value;
    return in.rhs[r] - sum;
}

double LowestContribution(double coef, const ChangeRange& range)
{
    return coef > 0 ? coef * range.lo : coef * range.hi;
}

double HighestContribution(double coef, const ChangeRange& range)
{
    return coef > 0 ? coef * range.hi : coef * range.lo;
}

// The range of the sum of c_j * change_j over a relation's terms, leaving out the terms of one cell.
struct SumRange
{
    double lo = 0, hi = 0, magnitude = 0;
};

SumRange RelationSumRange(const Instance& in, size_t r, const std::vector<ChangeRange>& ranges, int without)
{
    SumRange sum;
    for (int64_t t = in.termStart[r]; t < in.termStart[r + 1]; ++t)
    {
        const int j = in.termCell[t];
        const double c = in.termCoef[t];
        sum.magnitude = std::max(sum.magnitude, std::fabs(c * in.cells[j].value));
        if (j == without)
            continue;
        sum.lo += LowestContribution(c, ranges[j]);
        sum.hi += HighestContribution(c, ranges[j]);
    }
    return sum;
}

struct Limit
{
    double most =
        0; // the largest move in the direction asked for (may be negative: it must go the other way)
    int relation = -1; // the relation that sets it, -1: the cell's own range
};

class Explainer
{
public:
    Explainer(const Instance& in, const std::vector<ChangeRange>& ranges, const ConflictSettings& settings)
        : m_in(in), m_ranges(ranges), m_set(settings), m_cellTerms(in.cells.size() + 1, 0)
    {
        for (const int32_t cell : in.termCell)
            ++m_cellTerms[static_cast<size_t>(cell) + 1];
        for (size_t i = 1; i < m_cellTerms.size(); ++i)
            m_cellTerms[i] += m_cellTerms[i - 1];
        m_terms.resize(in.TermCount());
        std::vector<int64_t> next(m_cellTerms.begin(), m_cellTerms.end() - 1);
        for (size_t r = 0; r < in.RelationCount(); ++r)
            for (int64_t t = in.termStart[r]; t < in.termStart[r + 1]; ++t)
                m_terms[next[in.termCell[t]]++] = {static_cast<int32_t>(r), in.termCoef[t]};
        m_needed.resize(in.RelationCount());
        m_sums.resize(in.RelationCount());
        for (size_t r = 0; r < in.RelationCount(); ++r)
        {
            m_needed[r] = Needed(in, r, settings.additive);
            m_sums[r] = RelationSumRange(in, r, ranges, -1);
        }
    }

    // The farthest cell i can move up (up) or down (!up): its own range and each relation alone.
    Limit Farthest(int i, bool up) const
    {
        Limit limit{up ? m_ranges[i].hi : -m_ranges[i].lo, -1};
        for (int64_t k = m_cellTerms[i]; k < m_cellTerms[i + 1]; ++k)
        {
            const int r = m_terms[k].first;
            // A cell written twice in a relation counts with the sum of its coefficients.
            double c = 0;
            SumRange others = m_sums[r];
            for (int64_t q = m_cellTerms[i]; q < m_cellTerms[i + 1]; ++q)
                if (m_terms[q].first == r)
                {
                    if (q < k)
                        c = std::nan("");
                    c += m_terms[q].second;
                    others.lo -= LowestContribution(m_terms[q].second, m_ranges[i]);
                    others.hi -= HighestContribution(m_terms[q].second, m_ranges[i]);
                }
            if (c == 0 || std::isnan(c))
                continue; // no coefficient, or this relation was handled at its first term
            // c * change_i = needed - (sum of the others), within [needed - hi, needed - lo].
            const double a = (m_needed[r] - others.hi) / c, b = (m_needed[r] - others.lo) / c;
            const double most = up ? std::max(a, b) : -std::min(a, b);
            if (most < limit.most)
                limit = {most, r};
        }
        return limit;
    }

    double Tolerance(int i) const
    {
        const Cell& cell = m_in.cells[i];
        return m_set.tolerance * std::max({1.0, std::fabs(cell.value), cell.lpl, cell.upl});
    }

    bool Blocked(int i, bool up) const
    {
        const Cell& cell = m_in.cells[i];
        return Farthest(i, up).most < (up ? cell.upl : cell.lpl) - Tolerance(i);
    }

    // "it can rise by at most 3: relation 4 ... " for a blocked direction.
    std::string BlockedText(int i, bool up) const
    {
        const Limit limit = Farthest(i, up);
        const std::string verb = up ? "rise" : "fall";
        std::string text = limit.most <= 0
                               ? "it cannot " + verb + " at all"
                               : "it can " + verb + " by at most " + LogNumber(std::max(0.0, limit.most));
        if (limit.relation < 0)
            return text + " (" + OwnLimitWords(i, up) + ")";
        return text + ": " + RelationWords(i, up, limit.relation);
    }

    std::string CellText(int i) const
    {
        const Cell& cell = m_in.cells[i];
        return "cell " + std::to_string(i) + " (value " + LogNumber(cell.value) + ")";
    }

    std::string UnprotectableText(int i) const
    {
        const Cell& cell = m_in.cells[i];
        return "sensitive " + CellText(i) + " must move down by at least " + LogNumber(cell.lpl) +
               " or up by at least " + LogNumber(cell.upl) + ", but " + BlockedText(i, false) + "; and " +
               BlockedText(i, true);
    }

    // Relation r cannot hold within its cells' ranges.
    bool RelationBlocked(size_t r, std::string& text) const
    {
        const SumRange sum = RelationSumRange(m_in, r, m_ranges, -1);
        const double tol = m_set.tolerance * std::max(1.0, sum.magnitude);
        if (m_needed[r] >= sum.lo - tol && m_needed[r] <= sum.hi + tol)
            return false;
        const bool allFixed = sum.lo == 0 && sum.hi == 0;
        text = "relation " + std::to_string(r + 1) + " needs its cells to change its sum by " +
               LogNumber(m_needed[r]) +
               (allFixed ? ", but none of its cells can change"
                         : ", but within their limits they can change it only between " + LogNumber(sum.lo) +
                               " and " + LogNumber(sum.hi));
        return true;
    }

private:
    const Instance& m_in;
    const std::vector<ChangeRange>& m_ranges;
    const ConflictSettings& m_set;
    std::vector<int64_t> m_cellTerms;
    std::vector<std::pair<int32_t, double>> m_terms;
    std::vector<double> m_needed;
    std::vector<SumRange> m_sums; // each relation's range over all its cells

    std::string OwnLimitWords(int i, bool up) const
    {
        const Cell& cell = m_in.cells[i];
        if (cell.status == 'z')
            return "status z";
        const double most = up ? m_ranges[i].hi : -m_ranges[i].lo;
        if (m_set.boundsWords && most == (up ? cell.ub - cell.value : cell.value - cell.lb))
            return std::string(up ? "upper" : "lower") + " bound " + LogNumber(up ? cell.ub : cell.lb);
        if (m_set.boundsWords)
            return "the largest change of a cell, --big";
        return "its limit";
    }

    // How far cell j can move the way that helps cell i's move in relation r, and in words.
    std::string OtherWords(int j, bool rises, double amount) const
    {
        const Cell& cell = m_in.cells[j];
        const std::string name = "cell " + std::to_string(j);
        if (cell.status == 'z')
            return name + " is fixed (z)";
        const std::string verb = rises ? "rise" : "fall";
        if (amount <= 0)
            return name + " cannot " + verb +
                   (m_set.boundsWords ? " (at its " + std::string(rises ? "upper" : "lower") + " bound " +
                                            LogNumber(rises ? cell.ub : cell.lb) + ")"
                                      : "");
        return name + " can " + verb + " by at most " + LogNumber(amount) +
               (m_set.boundsWords ? " (" + OwnLimitWords(j, rises) + ")" : "");
    }

    // "cells 7, 8 and 9" for the first `count` of them (at most ten named).
    template <class Other>
    static std::string CellList(const std::vector<Other>& others, size_t count)
    {
        std::string text = "cells";
        const size_t named = std::min<size_t>(count, 10);
        for (size_t k = 0; k < named; ++k)
            text += (k == 0                             ? " "
                     : k + 1 == named && named == count ? " and "
                                                        : ", ") +
                    std::to_string(others[k].cell);
        if (named < count)
            text += " and " + std::to_string(count - named) + " more";
        return text;
    }

    std::string RelationWords(int i, bool up, int r) const
    {
        // Cell i moving up with a positive coefficient needs the others' sum to fall, and so on.
        double ci = 0;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
            if (m_in.termCell[t] == i)
                ci += m_in.termCoef[t];
        const bool othersFall = (ci > 0) == up;
        struct Other
        {
            int cell;
            bool rises;
            double amount;
        };
        std::vector<Other> others;
        for (int64_t t = m_in.termStart[r]; t < m_in.termStart[r + 1]; ++t)
        {
            const int j = m_in.termCell[t];
            const double c = m_in.termCoef[t];
            if (j == i || c == 0)
                continue;
            const bool rises = (c > 0) != othersFall;
            others.push_back({j, rises, rises ? m_ranges[j].hi : -m_ranges[j].lo});
        }
        // The fixed cells and those that cannot move first: they are what boxes the cell in.
        std::stable_sort(others.begin(), others.end(),
                         [this](const Other& a, const Other& b)
                         {
                             const bool aMoves = m_in.cells[a.cell].status != 'z';
                             const bool bMoves = m_in.cells[b.cell].status != 'z';
                             return aMoves != bMoves ? !aMoves : a.amount < b.amount;
                         });
        std::string text = "relation " + std::to_string(r + 1) + " can absorb no more";
        if (m_needed[r] != 0)
            text += " (it is off by " + LogNumber(m_needed[r]) + " in the original table)";
        if (others.empty())
            return text + " (the cell is alone in it)";
        // The fixed cells in one phrase, then the others one by one up to the limit.
        size_t fixed = 0;
        while (fixed < others.size() && m_in.cells[others[fixed].cell].status == 'z')
            ++fixed;
        std::vector<std::string> parts;
        if (fixed == 1)
            parts.push_back(OtherWords(others[0].cell, others[0].rises, 0));
        else if (fixed > 1)
            parts.push_back(CellList(others, fixed) + " are fixed (z)");
        const size_t listedEnd = std::min(others.size(), fixed + m_set.listedOthers);
        for (size_t k = fixed; k < listedEnd; ++k)
            parts.push_back(OtherWords(others[k].cell, others[k].rises, others[k].amount));
        if (listedEnd < others.size())
        {
            double rest = 0;
            for (size_t k = listedEnd; k < others.size(); ++k)
                rest += std::max(0.0, others[k].amount);
            parts.push_back("and " + std::to_string(others.size() - listedEnd) +
                            " more cells can move by at most " + LogNumber(rest) + " in all");
        }
        text += " (";
        for (size_t k = 0; k < parts.size(); ++k)
            text += (k ? ", " : "") + parts[k];
        return text + ")";
    }
};

} // namespace

std::vector<ChangeRange> StdChangeRanges(const Instance& instance, double big)
{
    std::vector<ChangeRange> ranges(instance.cells.size());
    for (size_t i = 0; i < ranges.size(); ++i)
    {
        const Cell& cell = instance.cells[i];
        if (cell.status == 'z')
            continue;
        ranges[i].hi = std::max(0.0, std::min(cell.ub - cell.value, big));
        ranges[i].lo = -std::max(0.0, std::min(cell.value - cell.lb, big));
    }
    return ranges;
}

ConflictReport FindConflicts(const Instance& instance, const std::vector<ChangeRange>& ranges,
                             const ConflictSettings& settings)
{
    ConflictReport report;
    const Explainer explainer(instance, ranges, settings);
    auto list = [&](const std::string& line)
    {
        if (report.lines.size() < settings.listedCells)
            report.lines.push_back(line);
    };
    for (size_t r = 0; r < instance.RelationCount(); ++r)
        if (std::string text; explainer.RelationBlocked(r, text))
        {
            ++report.relations;
            list(text);
        }
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const int cell = static_cast<int>(i);
        if (!NeedsProtection(instance.cells[i]) || instance.cells[i].status == 'z')
            continue;
        if (explainer.Blocked(cell, false) && explainer.Blocked(cell, true))
        {
            ++report.cells;
            list(explainer.UnprotectableText(cell));
        }
    }
    const size_t total = static_cast<size_t>(report.cells + report.relations);
    if (total > report.lines.size())
        report.lines.push_back("... and " + std::to_string(total - report.lines.size()) + " more");
    return report;
}

std::string DirectionConflictText(const Instance& instance, const std::vector<ChangeRange>& ranges,
                                  const ConflictSettings& settings, int cell, Direction direction)
{
    const Explainer explainer(instance, ranges, settings);
    const bool up = direction == Direction::Up;
    return explainer.Blocked(cell, up) ? explainer.BlockedText(cell, up) : std::string();
}

} // namespace vrn
