// The parts of the report page, in the order the page shows them: what each says of the table, and
// the charts and tables that show it.
#include "results/report_sections.h"

#include "common/escape_text.h"
#include "results/report_charts.h"
#include "results/report_html.h"

#include <cmath>

namespace vrn::report
{

namespace
{

constexpr const char* kQuantileNames[] = {"smallest", "10 %", "25 %", "median",
                                          "75 %",     "90 %", "99 %", "largest"};
static_assert(sizeof kQuantileNames / sizeof kQuantileNames[0] == kQuantileLevels.size());

constexpr const char* kBlue = "#4e79a7";
constexpr const char* kOrange = "#f28e2b";
constexpr const char* kGrey = "#bab0ac";
constexpr const char* kRed = "#d64545";

void GroupRow(HtmlTable& table, const std::string& name, const GroupMeasures& g, const char* cls = nullptr)
{
    table.Row({name, Count(g.cells), Count(g.changed), Share(g.changed, g.cells), Num(g.totalChange),
               Num(g.weightedChange), Num(g.largestChange),
               g.withValue > 0 ? PercentText(g.meanPercent) : "-"},
              cls);
}

std::vector<std::string> BinLabels()
{
    std::vector<std::string> labels = {"0"};
    for (const double upper : kBinUpperPercents)
        labels.push_back("\u2264 " + Num(upper) + " %");
    labels.push_back("> " + Num(kBinUpperPercents.back()) + " %");
    return labels;
}

std::string DistributionChart(const TableMeasures& m)
{
    BarChart chart;
    chart.description = "Cells by relative change";
    chart.labels = BinLabels();
    chart.labels.push_back("value 0");
    BarSeries others{"not sensitive", kBlue, {m.bins.others.begin(), m.bins.others.end()}};
    BarSeries sensitive{"sensitive", kOrange, {m.bins.sensitive.begin(), m.bins.sensitive.end()}};
    BarSeries zero{"value 0 (relative change undefined)", kGrey, std::vector<size_t>(kBinCount, 0)};
    others.counts.push_back(0);
    sensitive.counts.push_back(0);
    zero.counts.push_back(m.bins.zeroValueChanged + m.bins.zeroValueUnchanged);
    chart.series = {others, sensitive, zero};
    chart.breakableBar = 0;
    return BarChartSvg(chart);
}

std::string DistributionTable(const TableMeasures& m)
{
    HtmlTable table({"Relative change", "Not sensitive", "Sensitive", "All"});
    const std::vector<std::string> labels = BinLabels();
    for (size_t k = 0; k < kBinCount; ++k)
        table.Row({k == 0 ? "0 (not changed)" : labels[k], Count(m.bins.others[k]),
                   Count(m.bins.sensitive[k]), Count(m.bins.others[k] + m.bins.sensitive[k])});
    table.Row({"value 0: not changed", "", "", Count(m.bins.zeroValueUnchanged)});
    table.Row({"value 0: changed", "", "", Count(m.bins.zeroValueChanged)});
    return table.Html();
}

std::string QuantileTable(const TableMeasures& m)
{
    HtmlTable table({"Quantile", "Absolute change (" + Count(m.absolute.count) + " changed cells)",
                     "Relative change (" + Count(m.relative.count) + " of them of a value other than 0)"});
    for (size_t level = 0; level < kQuantileLevels.size(); ++level)
        table.Row({kQuantileNames[level], QuantileText(m.absolute, level, false),
                   QuantileText(m.relative, level, true)});
    return table.Html();
}

void TotalRow(HtmlTable& table, const std::string& name, const CellChange& c)
{
    table.Row({name, Num(c.original), Num(c.adjusted), Signed(c.Change()), SignedPercentText(c)});
}

std::string LargestTotals(const TableMeasures& m)
{
    HtmlTable table({"Total", "Original", "Published", "Change", "Relative change"});
    std::vector<SignedBar> bars;
    for (size_t i = 0; i < m.largestTotals.size(); ++i)
    {
        const CellChange& c = m.largestTotals[i];
        const std::string name = CellName(c) + (i == 0 ? " (grand total)" : "");
        TotalRow(table, name, c);
        bars.push_back({name, c.original == 0 ? 0 : SignedPercent(c), SignedPercentText(c)});
    }
    return "<h3>The largest totals, the grand total first</h3>" + table.Html() +
           SignedBarChartSvg("Relative change of the largest totals", bars, kMovedTotalPercent, " %");
}

std::string MovedTotals(const TableMeasures& m)
{
    const std::string limit = Num(kMovedTotalPercent) + " %";
    std::string html = "<h3>Totals that moved more than " + EscapeHtml(limit) + "</h3>";
    if (m.movedTotalCount == 0)
        html += Element("p", "None: every total moved by at most " + limit + ".");
    else
    {
        HtmlTable table({"Total", "Original", "Published", "Change", "Relative change"});
        for (const CellChange& c : m.movedTotals)
            TotalRow(table, CellName(c), c);
        html += Element("p", Count(m.movedTotalCount) + " of " + Count(m.totals) +
                                 " totals, the most moved first:") +
                table.Html();
        if (m.movedTotalCount > m.movedTotals.size())
            html += Element("p", "... and " + Count(m.movedTotalCount - m.movedTotals.size()) + " more.");
    }
    if (m.zeroValueTotalsChanged > 0)
        html += Element("p", Counted(m.zeroValueTotalsChanged, "total", "totals") +
                                 " of value 0 changed (a relative change is undefined there).");
    return html;
}

std::string BeyondChart(const SensitiveMeasures& s)
{
    BarChart chart;
    chart.description = "Sensitive cells by how far they moved past their protection level";
    chart.labels = {"at the level"};
    for (const double share : kBeyondUpperShares)
        chart.labels.push_back("\u2264 " + Num(100 * share) + " % past");
    chart.labels.push_back("more");
    BarSeries at{"exactly at the level", kRed, std::vector<size_t>(kBeyondBinCount, 0)};
    BarSeries past{"past the level", kBlue, {s.beyondBins.begin(), s.beyondBins.end()}};
    at.counts[0] = s.beyondBins[0];
    past.counts[0] = 0;
    chart.series = {at, past};
    return BarChartSvg(chart);
}

} // namespace

std::string Title(const TableMeasures& m, const ReportRun& run)
{
    std::string html = "<h1>What protection cost the table</h1>";
    html += Element("p",
                    run.name + " \u2014 instance " + run.instancePath + " \u2014 " +
                        Counted(m.cells, "cell", "cells"),
                    "sub");
    return html + "<p><span class=\"verdict " + (run.checkPassed ? "ok" : "bad") + "\" id=\"check\">" +
           EscapeHtml("solution check: " + run.checkVerdict) + "</span></p>";
}

std::string Warnings(const TableMeasures& m, const ReportRun& run)
{
    std::string html;
    if (!run.checkPassed)
        html += Warning("The table did not pass the solution check: " + run.checkVerdict +
                        ". It must not be published as protected (see \u201cThe run\u201d below).");
    const GroupMeasures& fixed = m.Group(CellGroup::Fixed);
    if (fixed.changed > 0)
        html +=
            Warning(Counted(fixed.changed, "fixed (z) cell changed; it", "fixed (z) cells changed; they") +
                    " must keep their values.");
    if (m.sensitive.shortOfLevel > 0)
        html += Warning(Counted(m.sensitive.shortOfLevel, "sensitive cell", "sensitive cells") +
                        " moved by less than the protection level.");
    if (m.sensitive.AtLevel() > 0)
        html +=
            Warning(Counted(m.sensitive.AtLevel(), "sensitive cell sits", "sensitive cells sit") +
                    " exactly at the original value plus or minus the protection "
                    "level. One who knows the levels (or the rule that sets them) can undo their protection: "
                    "from the published value, the true one is one of two numbers.");
    if (m.sensitive.unmoved > 0)
        html += Warning(Counted(m.sensitive.unmoved, "sensitive cell is", "sensitive cells are") +
                        " published at the original value (allowed only where the protection level in one "
                        "direction is 0).");
    return html;
}

std::string Headline(const TableMeasures& m)
{
    const bool any = m.changed > 0;
    const std::string relative = !m.hasRelative ? "every cell has the value 0"
                                 : any          ? CellName(m.largestRelative) + ": " + Move(m.largestRelative)
                                                : "no cell changed";
    std::string html = "<section id=\"headline\"><h2>Headline</h2><div class=\"cards\">";
    html += Card("objective", "Weighted change (the objective)", Num(m.weightedChange),
                 "the sum of cost \u00d7 |change| over every cell");
    html += Card("total-change", "Total change, unweighted", Num(m.totalChange),
                 "the sum of |change| over every cell");
    html += Card("cells-changed", "Cells changed", Count(m.changed) + " of " + Count(m.cells),
                 Share(m.changed, m.cells) + " of the cells; a change above " + Num(m.tolerance) +
                     " (1e-9 of the largest value) counts");
    html += Card("largest-change", "Largest change", Signed(m.largest.Change()),
                 any ? CellName(m.largest) + ": " + Move(m.largest) : "no cell changed");
    html += Card("largest-relative", "Largest relative change",
                 m.hasRelative ? PercentText(m.largestRelative.RelativePercent()) : "undefined", relative);
    html +=
        Card("mean-percent", "Mean change of the cells not sensitive", PercentText(m.nonSensitiveMeanPercent),
             "the mean of |change| / |value| over the " + Counted(m.nonSensitiveWithValue, "cell", "cells") +
                 " not sensitive whose value is not 0");
    return html + "</div></section>";
}

std::string Groups(const TableMeasures& m)
{
    HtmlTable table({"Group", "Cells", "Changed", "Share changed", "Total change", "Weighted change",
                     "Largest change", "Mean relative change"});
    GroupRow(table, "Sensitive (status u, a protection level above 0)", m.Group(CellGroup::Sensitive));
    GroupRow(table, "Other cells that may change", m.Group(CellGroup::Changeable));
    const GroupMeasures& fixed = m.Group(CellGroup::Fixed);
    GroupRow(table, "Fixed (status z)", fixed, fixed.changed > 0 ? "bad gap" : "gap");
    GroupRow(table, "Totals (a negative coefficient in some relation)", m.Group(CellGroup::Total));
    GroupRow(table, "Inner cells", m.Group(CellGroup::Inner));
    return "<section id=\"groups\"><h2>By group</h2>" + table.Html() +
           Element(
               "p",
               "Mean relative change: the mean of |change| / |value| over the group's cells whose value is "
               "not 0, unchanged cells included.",
               "caption") +
           "</section>";
}

std::string Distributions(const TableMeasures& m)
{
    return "<section id=\"distributions\"><h2>Distributions</h2>" + DistributionChart(m) +
           Element(
               "p",
               "Cells by relative change |change| / |value|; \u201c0\u201d holds the cells that did not "
               "change. A bar cut by two white slants is taller than drawn: its count is written above it.",
               "caption") +
           DistributionTable(m) + "<h3>Quantiles of the changes</h3>" + QuantileTable(m) +
           Element("p", "Quantiles by nearest rank: each is the change of one cell.", "caption") +
           "</section>";
}

std::string Totals(const TableMeasures& m)
{
    std::string html = "<section id=\"totals\"><h2>Totals</h2>";
    if (m.totals == 0)
        return html +
               Element("p", "The table has no totals: no cell has a negative coefficient in a relation.") +
               "</section>";
    html += Element("p", Counted(m.totals, "cell is a total", "cells are totals") +
                             " (a negative coefficient in some relation).");
    return html + LargestTotals(m) + MovedTotals(m) + "</section>";
}

std::string SensitiveCells(const TableMeasures& m)
{
    const SensitiveMeasures& s = m.sensitive;
    std::string html = "<section id=\"sensitive\"><h2>Sensitive cells</h2>";
    if (s.cells == 0)
        return html + Element("p", "The table has no sensitive cells to protect.") + "</section>";
    html += "<ul>" + Element("li", Counted(s.cells, "sensitive cell", "sensitive cells") + ": " +
                                       Count(s.up) + " moved up, " + Count(s.down) + " moved down, " +
                                       Count(s.unmoved) + " did not move");
    html += Element("li", Counted(s.AtLevel(), "sits", "sit") +
                              " exactly at the original value plus or minus the level");
    if (s.shortOfLevel > 0)
        html += Element("li", Count(s.shortOfLevel) + " moved by less than the level");
    html +=
        "</ul>" + BeyondChart(s) +
        Element("p",
                "How far each cell that moved went past its protection level in the direction it moved, as "
                "a share of that level.",
                "caption");
    HtmlTable table({"Quantile", "Distance past the level (" + Counted(s.beyond.count, "cell", "cells") +
                                     " that moved)"});
    for (size_t level = 0; level < kQuantileLevels.size(); ++level)
        table.Row({kQuantileNames[level], QuantileText(s.beyond, level, false)});
    return html + table.Html() + "</section>";
}

std::string TheRun(const ReportRun& run)
{
    std::string html = "<section id=\"run\"><h2>The run</h2>";
    HtmlTable facts({}, "facts");
    facts.Row({"instance", run.instancePath});
    for (const auto& [name, value] : run.facts)
        facts.Row({name, value});
    facts.Row({"solution check", run.checkVerdict});
    html += facts.Html();
    if (!run.checkLines.empty())
        html += "<h3>The solution check</h3>" + List(run.checkLines);
    html +=
        "<h3>Options in force</h3>" +
        (run.optionLines.empty() ? Element("p", "Not known: the .sol does not say.") : List(run.optionLines));
    html += "<h3>Times</h3>";
    if (run.phaseTimes.empty())
        html += Element("p", "Not known: the .sol does not say.");
    else
    {
        HtmlTable times({"Phase", "Time"});
        for (const auto& [phase, seconds] : run.phaseTimes)
            times.Row({phase, Seconds(seconds)});
        if (std::isfinite(run.totalSeconds))
            times.Row({"total, up to the page", Seconds(run.totalSeconds)});
        html += times.Html();
    }
    return html + "</section>";
}

std::string Notes(const TableMeasures& m, const ReportRun& run)
{
    return "<footer>" +
           List({"A cell changed when its published value differs from its original by more than " +
                     Num(m.tolerance) + " (1e-9 of the largest value of the table, original or published).",
                 "Relative change: |change| / |value| in percent; it is undefined for a cell of value 0, and "
                 "such "
                 "cells are counted apart.",
                 "Totals: the cells with a negative coefficient in some relation (the total of its parts); "
                 "the "
                 "grand total is the total of the largest absolute value.",
                 "Sensitive: status u with a protection level above 0.", run.madeBy}) +
           "</footer>";
}

} // namespace vrn::report
