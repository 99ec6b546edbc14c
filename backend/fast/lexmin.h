// The lexicographic loop of the Fast formulation: the objectives in the order given, each one held
// near its optimum while the next is solved.
#pragma once

#include "cli/layer_settings.h"
#include "fast/fast_model.h"
#include "solvers/solve_model.h"
#include "solvers/solver_adapter.h"

#include <functional>
#include <string>
#include <vector>

namespace vrn
{

struct LexminStage
{
    int objective = 0;
    double value = 0; // in the table's units
    SolveStatus status = SolveStatus::NoSolution;
    double limit = 0; // what it is held at for the stages after it
};

struct LexminResult
{
    SolveResult last;                // the solution of the last stage that has one (status of that stage)
    std::vector<LexminStage> stages; // the stages that were solved, in order
    bool complete = false;           // every stage reached its optimum
};

std::string ObjectiveName(int objective);

// The limit a reached objective value is held at in the later stages: its optimum with the relative
// slack, never below epsrhs, and the tolerance of the solver's own arithmetic on top, so that holding a
// reached value stays feasible.
double HeldLimit(double value, const LexminSettings& settings, const SolveParams& params);

// A stage that found no table ends the loop: the first stage's result is kept as the reason.
void EndWithoutTable(LexminResult& lex, const LexminStage& stage, SolveResult result);

// A stage's table becomes the incumbent (its total weighted change for the progress lines and "status")
// and the loop's last result. False when the loop ends here: the stage was stopped or limited.
bool TakeStage(LexminResult& lex, const LexminStage& stage, SolveResult result, const FastModel& model,
               const LexminSettings& settings, RunControl& control);

// Solves a model whose columns hold no objective yet; `say` gets each objective's value as it is
// reached. Stops after a stage without an optimum (infeasible, stopped, time limit): `last` keeps the
// previous stage's solution.
LexminResult SolveLexicographic(FastModel& model, const LexminSettings& settings, SolverAdapter& solver,
                                const SolveParams& params, RunControl& control,
                                const std::function<void(const std::string&)>& say);

} // namespace vrn
