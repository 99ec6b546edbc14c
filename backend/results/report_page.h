// The report page BASE.html beside the .log and the .sol: what protection cost the table, in figures
// and pictures. One self-contained file (no script, nothing fetched from elsewhere) that any browser
// opens offline and that parses as XML; its size does not grow with the table (no line per cell).
#pragma once

#include "results/report_run.h"
#include "results/table_measures.h"

#include <string>
#include <vector>

namespace vrn
{

// BASE.html.
std::string ReportPagePath(const std::string& base);

std::string ReportPageHtml(const TableMeasures& measures, const ReportRun& run);

// Writes the page the way every result file is written: beside its place, then renamed into it.
bool WriteReportPage(const std::string& path, const TableMeasures& measures, const ReportRun& run,
                     std::string& error);

// The headline figures as lines for the log ("report: ...").
std::vector<std::string> HeadlineLines(const TableMeasures& measures);

} // namespace vrn
