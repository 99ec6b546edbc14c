// The parts of the report page, each as the HTML it adds to the page's <main> (report_page.cpp puts
// them in order and around them the document). Used by the report page only.
#pragma once

#include "results/report_run.h"
#include "results/table_measures.h"

#include <string>

namespace vrn::report
{

// The page's heading, the instance and the verdict of the solution check.
std::string Title(const TableMeasures& m, const ReportRun& run);
// What is wrong with the table, one warning each (nothing when all is well).
std::string Warnings(const TableMeasures& m, const ReportRun& run);
// The headline figures, one card each.
std::string Headline(const TableMeasures& m);
// The figures of each group of cells.
std::string Groups(const TableMeasures& m);
// The cells by relative change, and the quantiles of the changes.
std::string Distributions(const TableMeasures& m);
// The largest totals and the totals that moved most.
std::string Totals(const TableMeasures& m);
// How the sensitive cells moved past their protection levels.
std::string SensitiveCells(const TableMeasures& m);
// The run that made the table: its facts, the solution check, the options and the times.
std::string TheRun(const ReportRun& run);
// How the figures are made, and how the page came about.
std::string Notes(const TableMeasures& m, const ReportRun& run);

} // namespace vrn::report
