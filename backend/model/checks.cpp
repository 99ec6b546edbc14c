#include "model/checks.h"

#include "common/number_format.h"
#include "instance/cell_rules.h"
#include "model/std_model.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

namespace
{

// Residual of relation r for the values x, and the largest magnitude among its terms.
double Residual(const Instance& in, size_t r, const std::vector<double>& x, double& magnitude)
{
    double sum = 0;
    magnitude = std::fabs(in.rhs[r]);
    for (int64_t t = in.termStart[r]; t < in.termStart[r + 1]; ++t)
    {
        const double term = in.termCoef[t] * x[in.termCell[t]];
        sum += term;
        magnitude = std::max(magnitude, std::fabs(term));
    }
    return sum - in.rhs[r];
}

std::vector<double> OriginalValues(const Instance& in)
{
    std::vector<double> a(in.cells.size());
    for (size_t i = 0; i < a.size(); ++i)
        a[i] = in.cells[i].value;
    return a;
}

// Keeps a list of examples short: the count goes in the summary line.
void Example(std::vector<std::string>& lines, int& count, const std::string& text)
{
    if (++count <= 5)
        lines.push_back("  " + text);
}

} // namespace

double WeightedChange(const Instance& instance, const std::vector<double>& adjusted)
{
    double total = 0;
    for (size_t i = 0; i < adjusted.size(); ++i)
        total += instance.cells[i].cost * std::fabs(adjusted[i] - instance.cells[i].value);
    return total;
}

double WeightedChangeAfter(const Instance& instance, const std::vector<double>& before, double beforeChange,
                           const std::vector<double>& after, const std::vector<int32_t>& cells)
{
    double correction = 0;
    for (const int32_t i : cells)
    {
        const Cell& cell = instance.cells[i];
        correction += cell.cost * (std::fabs(after[i] - cell.value) - std::fabs(before[i] - cell.value));
    }
    return beforeChange + correction;
}

CheckReport CheckInput(const Instance& in, bool additive, double big, double tolerance)
{
    CheckReport report;
    const std::vector<double> a = OriginalValues(in);
    int withResidual = 0, unrepairable = 0, stuck = 0;
    double largest = 0;
    std::vector<std::string> examples;
    for (size_t r = 0; r < in.RelationCount(); ++r)
    {
        double magnitude = 0;
        const double residual = Residual(in, r, a, magnitude);
        if (std::fabs(residual) <= tolerance * std::max(1.0, magnitude))
            continue;
        ++withResidual;
        largest = std::max(largest, std::fabs(residual));
        bool canChange = false;
        for (int64_t t = in.termStart[r]; t < in.termStart[r + 1]; ++t)
            canChange = canChange || (in.cells[in.termCell[t]].status != 'z' && in.termCoef[t] != 0);
        if (additive && !canChange)
            Example(examples, unrepairable,
                    "relation " + std::to_string(r + 1) + " is off by " + LogNumber(residual) +
                        " and all its cells have status z: it cannot hold");
    }
    report.lines.push_back(
        "relations off their right-hand side in the original table: " + std::to_string(withResidual) +
        (withResidual ? ", largest residual " + LogNumber(largest) : ""));
    if (withResidual > 0)
        report.lines.push_back(
            additive ? "  the adjusted table will satisfy the relations as written (--additive y)"
                     : "  the adjusted table keeps the original residuals (--additive n)");
    for (size_t i = 0; i < in.cells.size(); ++i)
    {
        const Cell& cell = in.cells[i];
        if (!NeedsProtection(cell))
            continue;
        if (!CanMoveDown(cell, big) && !CanMoveUp(cell, big))
            Example(examples, stuck,
                    "sensitive cell " + std::to_string(i) + " (value " + LogNumber(cell.value) +
                        ") can move neither down by " + LogNumber(cell.lpl) + " nor up by " +
                        LogNumber(cell.upl) + " within its bounds [" + LogNumber(cell.lb) + ", " +
                        LogNumber(cell.ub) + "]");
    }
    if (unrepairable > 0)
        report.lines.push_back("relations that no cell can repair: " + std::to_string(unrepairable));
    if (stuck > 0)
        report.lines.push_back("sensitive cells that cannot be protected: " + std::to_string(stuck));
    report.lines.insert(report.lines.end(), examples.begin(), examples.end());
    report.passed = unrepairable == 0 && stuck == 0;
    return report;
}

double DataMagnitude(const Instance& in)
{
    double largest = 0;
    for (const Cell& cell : in.cells)
        largest = std::max(largest, std::fabs(cell.value));
    return largest > 0 ? largest : 1;
}

bool ProtectionShortfall(const Cell& cell, double original, double adjusted, double magnitude)
{
    // The check's own tolerance, never a solver's: a rounding error of the arithmetic on the table's
    // numbers, and a billionth of the level itself. A cell that moved visibly less than its level is
    // unprotected however the solver was tuned.
    const double rounding = kProtectionRoundingFloor * std::max({magnitude, std::fabs(original)});
    const double downEnough = original - cell.lpl * (1 - kProtectionRelativeTolerance) + rounding;
    const double upEnough = original + cell.upl * (1 - kProtectionRelativeTolerance) - rounding;
    return adjusted > downEnough && adjusted < upEnough;
}

CheckReport CheckSolution(const Instance& in, const std::vector<double>& x, bool additive, bool integerCells,
                          double tolerance)
{
    CheckReport report;
    std::vector<std::string> examples;
    const std::vector<double> a = OriginalValues(in);
    // Magnitudes below a thousandth of the table's largest value are measured against that thousandth,
    // the precision to which the automatic scale hands the table to a solver: a relation among small
    // cells is held to the table's precision, not to an absolute 1 that a table of tiny numbers
    // would never reach.
    const double magnitude = DataMagnitude(in);
    const double floor = 1e-3 * magnitude;
    int relations = 0, bounds = 0, protection = 0, zCells = 0, fractional = 0;
    double worst = 0;
    for (size_t r = 0; r < in.RelationCount(); ++r)
    {
        double termMagnitude = 0, originalMagnitude = 0;
        double residual = Residual(in, r, x, termMagnitude);
        if (!additive)
            residual -= Residual(in, r, a, originalMagnitude);
        const double allowed = tolerance * std::max({floor, termMagnitude, originalMagnitude});
        worst = std::max(worst, std::fabs(residual));
        if (!(std::fabs(residual) <= allowed))
            Example(examples, relations,
                    "relation " + std::to_string(r + 1) + " is off by " + LogNumber(residual));
    }
    for (size_t i = 0; i < x.size(); ++i)
    {
        const Cell& cell = in.cells[i];
        const double slack = tolerance * std::max(floor, std::fabs(x[i]));
        // The cell's name is spelled only for a cell that fails: formatting two numbers for each of a
        // million cells would make the check the slowest step of a stopped run.
        const auto name = [&]
        { return "cell " + std::to_string(i) + " (" + LogNumber(a[i]) + " -> " + LogNumber(x[i]) + ")"; };
        if (x[i] < cell.lb - slack || x[i] > cell.ub + slack || !std::isfinite(x[i]))
            Example(examples, bounds,
                    name() + " is outside its bounds [" + LogNumber(cell.lb) + ", " + LogNumber(cell.ub) +
                        "]");
        if (cell.status == 'z' && x[i] != a[i])
            Example(examples, zCells, name() + " has status z but changed");
        if (NeedsProtection(cell) && cell.status != 'z' && ProtectionShortfall(cell, a[i], x[i], magnitude))
            Example(examples, protection,
                    name() + " moved by less than its protection (" + LogNumber(cell.lpl) + " down, " +
                        LogNumber(cell.upl) + " up)");
        if (integerCells && x[i] != std::round(x[i]))
            Example(examples, fractional, name() + " is not a whole number");
    }
    report.lines.push_back("relations: " + std::string(relations ? "FAILED" : "ok") + " (" +
                           std::to_string(relations) + " off, largest residual " + LogNumber(worst) + ")");
    report.lines.push_back("bounds: " +
                           std::string(bounds ? "FAILED (" + std::to_string(bounds) + " cells)" : "ok"));
    report.lines.push_back(
        "protection: " +
        std::string(protection ? "FAILED (" + std::to_string(protection) + " cells)" : "ok"));
    report.lines.push_back("unchanged z cells: " +
                           std::string(zCells ? "FAILED (" + std::to_string(zCells) + " cells)" : "ok"));
    if (integerCells)
        report.lines.push_back(
            "whole values: " +
            std::string(fractional ? "FAILED (" + std::to_string(fractional) + " cells)" : "ok"));
    report.lines.insert(report.lines.end(), examples.begin(), examples.end());
    report.passed = relations + bounds + protection + zCells + fractional == 0;
    return report;
}

} // namespace vrn
