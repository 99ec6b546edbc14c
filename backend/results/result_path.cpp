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

} // namespace vrn
