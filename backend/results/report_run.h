// What the report page says about the run that made its table.
#pragma once

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

} // namespace vrn
