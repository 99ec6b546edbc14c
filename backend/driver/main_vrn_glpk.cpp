// mainVRN-glpk: the back-end with GLPK, started by mainVRN.exe for --solver g. It holds no
// COIN-OR solver (the two licences do not mix in one executable).
#include "driver/backend_run.h"
#include "solvers/glpk_solver.h"

#include <string>

int main(int argc, char** argv)
{
    vrn::BuildInfo build;
    build.programName = "mainVRN-glpk with GLPK";
    build.solvers = {{'g', vrn::MakeGlpkSolver}};
    build.handOff = [](char, int, char**) -> std::string
    { return "this executable holds GLPK only; run mainVRN.exe for the other solvers"; };
    build.availableSolvers = "g GLPK (mainVRN.exe has b CBC, l CLP, s SYMPHONY)";
    build.startSibling = vrn::ExecutableDirectory() + "/mainVRN.exe";
    return vrn::RunBackend(argc, argv, build);
}
