#include "results/result_path.h"

namespace vrn
{

std::string SolverSuffix(char solver)
{
    const SolverCodeEntry* entry = FindSolverByCode(solver);
    return entry ? entry->suffix : "";
}

std::string SolverName(char solver)
{
    const SolverCodeEntry* entry = FindSolverByCode(solver);
    return entry ? entry->displayName : "?";
}

std::string ResultBasePath(const std::string& folder, const std::string& instancePath, char solver,
                           char separator)
{
    return ResultBasePath(folder, instancePath, SolverSuffix(solver), separator);
}

} // namespace vrn
