// mainVRN.exe: the back-end with the COIN-OR solvers (CBC, CLP, SYMPHONY). A run asked for GLPK
// continues in the sibling executable mainVRN-glpk, which replaces this process (same process id,
// pipes and process group, so the front-end sees one program).
#include "driver/backend_run.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/symphony_solver.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{

std::string HandOffToGlpk(char, int, char** argv)
{
    const std::string sibling = vrn::ExecutableDirectory() + "/mainVRN-glpk";
    execv(sibling.c_str(), argv);
    return "cannot start " + sibling + ": " + std::strerror(errno);
}

} // namespace

int main(int argc, char** argv)
{
    vrn::BuildInfo build;
    build.programName = "mainVRN.exe with CBC, CLP and SYMPHONY; GLPK through mainVRN-glpk";
    build.solvers = {{'b', vrn::MakeCbcSolver}, {'l', vrn::MakeClpSolver}, {'s', vrn::MakeSymphonySolver}};
    build.handOff = HandOffToGlpk;
    build.availableSolvers = "g GLPK, b CBC, l CLP, s SYMPHONY";
    return vrn::RunBackend(argc, argv, build);
}
