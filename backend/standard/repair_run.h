// The repair and the explanation of an infeasible table within a Std run: what the run says, the
// repaired instance it writes beside the results and reads back, and how the run goes on.
#pragma once

#include "cli/layer_settings.h"
#include "common/run_log.h"
#include "instance/instance.h"
#include "model/conflict.h"
#include "solvers/solver_adapter.h"
#include "standard/repair.h"

#include <string>
#include <utility>
#include <vector>

namespace vrn
{

struct RepairRunResult
{
    bool goOn = true; // false: the run ends here without a table, with the three fields below
    int exitStatus = 0;
    std::string outcome, reason;
    bool repaired = false; // `instance` is the repaired instance, as read back from its file
    Instance instance;
    std::vector<std::pair<std::string, std::string>> header; // lines for the .sol header
};

// `--repair y`: reads the repair file, solves the elastic model, lists every change, writes
// BASE_repaired.csp and reads it back.
RepairRunResult RepairForRun(const Instance& instance, const RepairRunSettings& run, SolverAdapter& solver,
                             RunControl& control, const std::string& basePath, const RunLog& log);

// An infeasible Std table explained: the conflicts single relations and bounds prove, and, with a solver,
// the changes the least repair would make; then the advice to repair.
void ExplainInfeasibleTable(const Instance& instance, const RepairRunSettings& run, SolverAdapter* solver,
                            RunControl& control, const RunLog& log);

// The conflicts that single relations and bounds prove, for the input check; empty when none.
ConflictReport FindInputConflicts(const Instance& instance, const RepairRunSettings& run);

// The advice that ends the explanation of an infeasible Std table.
std::string RepairAdviceText();

// Says those conflicts, when there are any; true when it did.
bool SayProvenConflicts(const Instance& instance, const RepairRunSettings& run, const RunLog& log);

} // namespace vrn
