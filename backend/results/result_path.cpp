#include "result_path.h"

namespace vrn
{

std::string SolverSuffix(char solver)
{
    switch (solver)
    {
    case 'c':
        return "_cplex";
    case 'x':
        return "_xpress";
    case 'g':
        return "_glpk";
    case 'b':
        return "_cbc";
    case 'l':
        return "_clp";
    case 's':
        return "_sym";
    default:
        return "";
    }
}

std::string SolverName(char solver)
{
    switch (solver)
    {
    case 'c':
        return "Cplex";
    case 'x':
        return "Xpress";
    case 'g':
        return "GLPK";
    case 'b':
        return "CBC";
    case 'l':
        return "CLP";
    case 's':
        return "SYMPHONY";
    default:
        return "?";
    }
}

std::string ResultBasePath(const std::string& folder, const std::string& instancePath, char solver,
                           char separator)
{
    std::string base = folder;
    if (!base.empty() && base.back() != separator)
        base += separator;
    std::string stem = instancePath;
    const size_t slash = stem.rfind(separator);
    if (slash != std::string::npos)
        stem.erase(0, slash + 1);
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos)
        stem.erase(dot);
    return base + stem + SolverSuffix(solver);
}

} // namespace vrn
