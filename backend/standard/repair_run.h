// The repair and the explanation of an infeasible table within a Std run: what the run says, the
// repaired instance it writes beside the results and reads back, and how the run goes on.
#pragma once

#include "cli/options.h"
#include "fast/fast_log.h"
#include "fast/run_settings.h"
#include "model/conflict.h"
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
RepairRunResult RepairForRun(const Instance& instance, const BackendOptions& options, SolverAdapter& solver,
                             RunControl& control, const std::string& basePath, const FastLog& log);

// An infeasible Std table explained: the conflicts single relations and bounds prove, and, with a solver,
// the changes the least repair would make; then the advice to repair.
void ExplainInfeasibleTable(const Instance& instance, const BackendOptions& options, SolverAdapter* solver,
                            RunControl& control, const FastLog& log);

// The conflicts that single relations and bounds prove, for the input check; empty when none.
ConflictReport FindInputConflicts(const Instance& instance, const BackendOptions& options);

// The advice that ends the explanation of an infeasible Std table.
std::string RepairAdviceText();

// Says those conflicts, when there are any; true when it did.
bool SayProvenConflicts(const Instance& instance, const BackendOptions& options, const FastLog& log);

} // namespace vrn
