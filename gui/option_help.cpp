#include "option_help.h"

#include <iterator>

namespace vrn
{
namespace
{

// Indexed by HelpTopic. The wording (including "objectives functions" and the full stop after
// "2, 3 and 4") is the program's established text and must not be "corrected".
constexpr const char* kHelpTexts[] = {
    "Name of instance file in csp format",
    "Directory for output files",
    "Formulation to solve VRN problem. Std VRN uses a MILP model with better solutions and Fast VRN uses a "
    "LP "
    "model with better timing",
    "Force output cells to be integer",
    "Solver to be used",
    "VRN optimization model to be used",
    "Make table additive if not originally",
    "Check all the format errors or stop at first",
    "Scale factor",
    "Check input table and solution",
    "Show progress of optimization procedure on screen at most every indicated seconds (only for Xpress and "
    "Cplex)",
    "Big value to be used, at most, for bounds on deviations. -1 -> automatically set by the code",
    "Selects the order of the objectives functions for the lexmin approach",
    "The bounds of cells will be the selected % above and below the cells values",
    "Initial limit time in seconds for optimization",
    "Stop at first feasible solution",
    "Optimality % gap required",
    "Lp optimality tolerance required",
    "Feasibility tolerance, e >= 1.0e-9",
    "Integrality tolerance, 1 >= i >= 0",
    "Apply repair infeasibility procedure",
    "File with information for repair infeasibility tool",
    "Number of clusters for Coordinated Descent, 1 -> no BCD",
    "Maximum time in seconds that can use each BCD cluster",
    "Stop if objective function is lower than F",
    "When BCD ends do a global B&C, select maximum seconds of execution",
    "One cycle or Repeat the same cycle indefinitely or Repeat the cycle changing the clusters",
    "Active dynamic BCD",
    "% sens vars to consider in dynamic bcd",
    "% probability discard sens var to be included in dynamic bcd",
    "Number of consecutive subproblem executions before stopping if the objective value has not improved",
    "Preprocess sensitive cells",
    "Write problem in lp file",
    "Seed to use in random methods",
    "Valid inequalities",
    "Starting point",
    "Fix the direction of the cells perturbations",
    "epsF is used to calculate the rhs of the new restrictions where the rhs is max(objF*(1+epsF), epsrhs)",
    "Select the exponent for objective 2, 3 and 4.",
    "epsrhs is used to calculate the rhs of the new restrictions where the rhs is max(objF*(1+epsF), epsrhs)",
    "Name of directions file, for each fixed cell a line with the cell index and the direction (0, lower or "
    "1, "
    "upper)",
    "Mipemphasis for CPLEX",
    "Emphasis for XPRESS",
    "Variable selection criteria in CPLEX",
    "Integrality tolerance to round the output cells in the solution file when intdev is used",
    "Select the method to solve the problem",
    "Crossover after barrier method",
};
static_assert(std::size(kHelpTexts) == kHelpTopicCount, "one text per help topic");

} // namespace

const char* HelpText(HelpTopic topic)
{
    const auto index = static_cast<std::size_t>(topic);
    return index < kHelpTopicCount ? kHelpTexts[index] : "";
}

} // namespace vrn
