#include "contract/solver_codes.h"

namespace vrn
{

const std::vector<SolverCodeEntry>& SolverCodeTable()
{
    static const std::vector<SolverCodeEntry> table = {
        {0, true, 'c', "_cplex", "Cplex"},   {0, false, 'c', "_cplex", "Cplex"},
        {1, true, 'x', "_xpress", "Xpress"}, {1, false, 'x', "_xpress", "Xpress"},
        {2, true, 'g', "_glpk", "GLPK"},     {2, false, 'g', "_glpk", "GLPK"},
        {3, true, 'b', "_cbc", "CBC"},       {3, false, 'l', "_clp", "CLP"},
        {4, true, 's', "_sym", "SYMPHONY"},  {4, false, 's', "_sym", "SYMPHONY"},
    };
    return table;
}

const SolverCodeEntry* FindSolverByIndex(int index, bool mipProblem)
{
    for (const SolverCodeEntry& entry : SolverCodeTable())
        if (entry.index == index && entry.mipProblem == mipProblem)
            return &entry;
    return nullptr;
}

const SolverCodeEntry* FindSolverByCode(char code)
{
    for (const SolverCodeEntry& entry : SolverCodeTable())
        if (entry.code == code)
            return &entry;
    return nullptr;
}

std::string ResultBasePath(const std::string& outputFolder, const std::string& instanceFile,
                           const std::string& solverSuffix, char separator)
{
    std::string base = outputFolder;
    if (!base.empty() && base.back() != separator)
        base += separator;

    std::string stem = instanceFile;
    const std::size_t lastSeparator = stem.rfind(separator);
    if (lastSeparator != std::string::npos)
        stem.erase(0, lastSeparator + 1);
    const std::size_t lastDot = stem.rfind('.');
    if (lastDot != std::string::npos)
        stem.erase(lastDot);

    return base + stem + solverSuffix;
}

} // namespace vrn
