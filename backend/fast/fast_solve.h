// The whole Fast formulation of a run: directions fixed (at random, from the file, or by the
// heuristic with its repair), the Fast model built, the lexicographic loop solved, and an infeasible
// fixed model explained. backend_run.cpp calls it in place of the Std model's build and solve.
#pragma once

#include "cli/options.h"
#include "fast/fast_log.h"
#include "fast/fast_model.h"
#include "instance/instance.h"
#include "solvers/solver_adapter.h"

#include <functional>
#include <string>
#include <vector>

namespace vrn
{

struct FastOutcome
{
    bool solved = false; // false: the run ended before a solve, with the three fields below
    int exitStatus = 0;
    std::string outcome, reason;
    StdModel model;     // when solved: the model whose columns `result.solution` holds
    SolveResult result; // infeasible, no solution, or the last stage's table
    // A run that ends without a table: its closing lines (what is wrong, then what to change), for standard
    // error and the log.
    std::vector<std::string> endLines;
    // A protected table found on the way (the mended one, adjusted values), for a caller whose solve
    // was cut short before the model with its directions was solved; empty when none.
    std::vector<double> mendedTable;
};

// The Fast options in force, one line for the log.
std::string FastOptionsText(const BackendOptions& options);

// The heuristic: the balancing of directions.h (the Fast heuristic, no solver), or the Std model's LP
// relaxation rounded at one half (Classical or New as the options say).
enum class HeuristicRelaxation
{
    Balance,
    StdModel
};

// Directions for every sensitive cell as --fixdir asks, with the heuristic for what is left open.
// `end` is filled when the directions file has errors.
bool ChooseDirections(const Instance& instance, const BackendOptions& options, HeuristicRelaxation relaxation,
                      SolverAdapter& solver, RunControl& control, const FastLog& log, DirectionChoice& choice,
                      FastOutcome& end);

// The heuristic for the cells still free in `choice`. The relaxation keeps the non-sensitive cells within
// settings.pctBounds where it can. Without a relaxation solution every free cell goes up where it can.
void ChooseByHeuristic(const Instance& instance, const FastSettings& settings, HeuristicRelaxation relaxation,
                       StdModelKind kind, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control, DirectionChoice& choice);

// Cells whose fixed direction the table cannot satisfy together with the others (from the elastic
// model). `feasibleWithoutProtection` is false when even the relations and bounds cannot hold.
struct DirectionDiagnosis
{
    bool solved = false; // the elastic model was solved (or proven infeasible)
    bool feasibleWithoutProtection = true;
    std::vector<int> shortCells;
};

DirectionDiagnosis DiagnoseDirections(const Instance& instance, const FastSettings& settings,
                                      const DirectionChoice& choice, SolverAdapter& solver,
                                      const SolveParams& params, RunControl& control);

// `integerSolver` (optional, may be `solver`) solves the integer programs that look for other
// directions when the heuristic's cannot be met.
FastOutcome SolveFast(const Instance& instance, const BackendOptions& options, SolverAdapter& solver,
                      RunControl& control, const std::string& lpPath, const FastLog& log,
                      HeuristicRelaxation relaxation = HeuristicRelaxation::Balance,
                      SolverAdapter* integerSolver = nullptr);

// The same from directions already chosen.
FastOutcome SolveFastWithDirections(const Instance& instance, const BackendOptions& options,
                                    SolverAdapter& solver, RunControl& control, const std::string& lpPath,
                                    const FastLog& log, DirectionChoice choice,
                                    SolverAdapter* integerSolver = nullptr);

} // namespace vrn
