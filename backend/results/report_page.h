// The report page BASE.html beside the .log and the .sol: what protection cost the table, in figures
// and pictures. One self-contained file (no script, nothing fetched from elsewhere) that any browser
// opens offline and that parses as XML; its size does not grow with the table (no line per cell).
#pragma once

#include "results/table_measures.h"

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace vrn
{

// What the page says about the run that made the table. Every text is shown escaped.
struct ReportRun
{
    std::string name;                                       // the result base's file name, for the title
    std::string instancePath;                               // as given to the run
    std::string madeBy;                                     // how the page came about, one sentence
    std::vector<std::pair<std::string, std::string>> facts; // solver, outcome, objective, bound, ...
    bool checkPassed = false;
    std::string checkVerdict;                               // what the solution check said, in a few words
    std::vector<std::string> checkLines;                    // its findings
    std::vector<std::string> optionLines;                   // the options in force; empty when not known
    std::vector<std::pair<std::string, double>> phaseTimes; // empty when not known
    double totalSeconds = NAN;                              // the run up to the page; NaN when not known
};

// BASE.html.
std::string ReportPagePath(const std::string& base);

std::string ReportPageHtml(const TableMeasures& measures, const ReportRun& run);

// Writes the page the way every result file is written: beside its place, then renamed into it.
bool WriteReportPage(const std::string& path, const TableMeasures& measures, const ReportRun& run,
                     std::string& error);

// The headline figures as lines for the log ("report: ...").
std::vector<std::string> HeadlineLines(const TableMeasures& measures);

// A relative change for people to read: three significant digits, whole from 100 up ("12.5 %",
// "0.0123 %", "250 %"); "undefined" for NaN.
std::string PercentText(double percent);

} // namespace vrn
