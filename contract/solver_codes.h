// The solvers as both programs know them: the front-end's choice index and problem class, the
// back-end's --solver code, the result files' suffix and the name the log shows.
#pragma once

#include <string>
#include <vector>

namespace vrn
{

struct SolverCodeEntry
{
    int index;       // the front-end's solver choice
    bool mipProblem; // the problem class the entry is for (one choice may name two solvers)
    char code;       // --solver
    const char* suffix;
    const char* displayName;
};

// Every solver, one row per (index, problem class) pair that names a different solver; choices
// whose solver does not depend on the class have one row for each class.
const std::vector<SolverCodeEntry>& SolverCodeTable();

// The row for a front-end choice, or nullptr for an index outside the table.
const SolverCodeEntry* FindSolverByIndex(int index, bool mipProblem);

// The row for a --solver code, or nullptr for an unknown code.
const SolverCodeEntry* FindSolverByCode(char code);

// Where the back-end writes its result files, without the extension: the folder, one separator
// unless the folder is empty or already ends in one, the instance file's name without directory
// (up to the last separator) and extension (from the last "."), and the solver suffix.
std::string ResultBasePath(const std::string& outputFolder, const std::string& instanceFile,
                           const std::string& solverSuffix, char separator);

} // namespace vrn
