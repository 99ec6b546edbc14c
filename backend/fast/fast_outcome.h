// How a Fast solve ends: a table of the model it solved, or the run's end without one and why.
#pragma once

#include "model/std_model.h"
#include "solvers/solver_adapter.h"

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

} // namespace vrn
