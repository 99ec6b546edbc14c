// The report page as one document: its head and style, the parts in order (report_sections.h), and
// the file and the log lines the run writes of it.
#include "results/report_page.h"

#include "common/file_safety.h"
#include "common/number_format.h"
#include "results/report_html.h"
#include "results/report_sections.h"

#include <cstdio>

namespace vrn
{

namespace
{

constexpr const char* kStyle = R"(
body { margin: 0; background: #eef1f5; color: #1f2933;
  font-family: "DejaVu Sans", "Segoe UI", Helvetica, Arial, sans-serif; font-size: 15px; line-height: 1.45; }
main { max-width: 1000px; margin: 0 auto; padding: 24px 36px 40px; background: #fff; }
h1 { font-size: 1.6em; margin: 0 0 4px; }
h2 { font-size: 1.2em; margin: 30px 0 10px; padding-bottom: 4px; border-bottom: 2px solid #4e79a7; }
h3 { font-size: 1em; margin: 18px 0 6px; }
.sub { color: #52606d; margin: 0 0 12px; overflow-wrap: anywhere; }
.verdict { display: inline-block; padding: 2px 10px; border-radius: 10px; font-weight: 600; }
.verdict.ok { background: #e3f4e5; color: #1e6b2e; }
.verdict.bad { background: #fbe3e3; color: #a61b1b; }
.cards { display: grid; grid-template-columns: repeat(3, 1fr); gap: 12px; }
.card { border: 1px solid #d9e2ec; border-radius: 6px; padding: 10px 14px; background: #f8fafc; }
.card .label { font-size: 0.85em; color: #52606d; }
.card .value { font-size: 1.55em; font-weight: 600; margin: 2px 0; font-variant-numeric: tabular-nums; }
.card .note { font-size: 0.82em; color: #52606d; overflow-wrap: anywhere; }
.warn { border-left: 4px solid #d64545; background: #fdf1f1; padding: 8px 12px; margin: 10px 0; }
table { border-collapse: collapse; margin: 8px 0 12px; font-size: 0.92em; }
th, td { padding: 4px 10px; border-bottom: 1px solid #e4e7eb; text-align: right; vertical-align: top; }
th { background: #f0f4f8; font-weight: 600; }
th.l, td.l { text-align: left; }
td { font-variant-numeric: tabular-nums; }
tr.bad td { color: #a61b1b; font-weight: 600; }
tr.gap td { border-bottom: 2px solid #bcccdc; }
table.facts td { text-align: left; overflow-wrap: anywhere; }
table.facts th { text-align: left; white-space: nowrap; }
.caption { color: #52606d; font-size: 0.88em; margin: 2px 0 8px; }
svg.chart { display: block; margin: 6px 0; }
svg.chart text { font-size: 11px; fill: #334e68; }
svg.chart text.count { font-weight: 600; fill: #1f2933; }
svg.chart line.axis { stroke: #52606d; stroke-width: 1; }
svg.chart line.grid { stroke: #e4e7eb; stroke-width: 1; }
svg.chart path.cut { stroke: #fff; stroke-width: 3; }
ul { margin: 4px 0 10px; padding-left: 22px; }
footer { margin-top: 34px; padding-top: 10px; border-top: 1px solid #d9e2ec; font-size: 0.85em; color: #52606d; }
)";

} // namespace

std::string ReportPagePath(const std::string& base)
{
    return base + ".html";
}

std::string ReportPageHtml(const TableMeasures& m, const ReportRun& run)
{
    std::string html =
        "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
        "<meta charset=\"utf-8\"/>\n<meta name=\"viewport\" content=\"width=device-width\"/>\n";
    html += report::Element("title", "What protection cost the table: " + run.name) + "\n<style>" + kStyle +
            "</style>\n</head>\n<body>\n<main>\n";
    html += report::Title(m, run) + report::Warnings(m, run) + "\n" + report::Headline(m) + "\n" +
            report::Groups(m) + "\n" + report::Distributions(m) + "\n" + report::Totals(m) + "\n" +
            report::SensitiveCells(m) + "\n" + report::TheRun(run) + "\n" + report::Notes(m, run) + "\n";
    return html + "</main>\n</body>\n</html>\n";
}

bool WriteReportPage(const std::string& path, const TableMeasures& measures, const ReportRun& run,
                     std::string& error)
{
    const std::string html = ReportPageHtml(measures, run);
    if (WriteFileAtomically(
            path,
            [&html](std::FILE* f) { return std::fwrite(html.data(), 1, html.size(), f) == html.size(); },
            error))
        return true;
    error = "the report page was not written: " + error;
    return false;
}

std::vector<std::string> HeadlineLines(const TableMeasures& m)
{
    using report::CellName, report::Count, report::Counted, report::Num, report::Share, report::Signed;
    std::vector<std::string> lines;
    lines.push_back("report: weighted change " + Num(m.weightedChange) + " (the objective), total change " +
                    Num(m.totalChange) + "; " + Count(m.changed) + " of " +
                    Counted(m.cells, "cell", "cells") + " changed (" + Share(m.changed, m.cells) + ")");
    std::string largest = "report: largest change " + Signed(m.largest.Change());
    if (m.changed > 0)
        largest += " (" + CellName(m.largest) + ", " + Num(m.largest.original) + " -> " +
                   Num(m.largest.adjusted) + "), largest relative change " +
                   (m.hasRelative ? PercentText(m.largestRelative.RelativePercent()) + " (" +
                                        CellName(m.largestRelative) + ")"
                                  : std::string("undefined"));
    lines.push_back(largest + "; cells not sensitive: mean change " + PercentText(m.nonSensitiveMeanPercent));
    const SensitiveMeasures& s = m.sensitive;
    if (s.cells > 0)
        lines.push_back("report: " + Counted(s.cells, "sensitive cell", "sensitive cells") + ": " +
                        Count(s.up) + " up, " + Count(s.down) + " down, " + Count(s.unmoved) +
                        " not moved; " + Count(s.AtLevel()) + " exactly at the protection level");
    return lines;
}

} // namespace vrn
