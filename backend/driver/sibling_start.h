// The starting table of a GLPK run from mainVRN.exe beside mainVRN-glpk. GLPK's simplex takes tens of
// seconds for the linear programs of the start on large count tables (53,151 cells, 40 % of them empty:
// 22 s for the elastic model by its dual simplex, 45 s by its primal, 13 s for the model of the mended
// directions; CLP's barrier 3 s and 0.7 s), which would leave the search no time. The licences keep CLP
// out of this executable, so the sibling program finds the table: a Fast run of objective 1 with the
// heuristic's directions (mended where they must be, CBC beside CLP), on the run's own table written to
// a private folder, within the start's share of the time. Its .sol comes back and is checked here like
// any other table; a stop of the run stops it.
#pragma once

#include "cli/options.h"
#include "common/run_log.h"
#include "control/run_control.h"
#include "instance/instance.h"

#include <string>
#include <vector>

namespace vrn
{

// The arguments after the instance and the folder: the Fast run, and the options of this run that
// shape the table (the rule of the relations, integer cells, scale, largest change, tolerances, seed).
std::vector<std::string> SiblingStartOptions(const BackendOptions& options, double seconds);

// The adjusted values of a checked protected table, empty when the sibling gave none (`log` says why).
std::vector<double> StartingTableFromSibling(const std::string& program, const Instance& instance,
                                             const BackendOptions& options, double seconds,
                                             RunControl& control, const RunLog& log);

} // namespace vrn
