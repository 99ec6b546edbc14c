// One interface for every solver. Each adapter loads the MipModel, maps the run's limits to the
// solver's parameters, polls RunControl from the solver's callback to stop cleanly, and returns
// the best solution it has.
#pragma once

#include "control/run_control.h"
#include "model/mip_model.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vrn
{

struct SolveParams
{
    double mipGapPercent = 5;
    double feasibility = 1e-6;
    double integrality = -1; // -1: the solver's own
    double lpTolerance = -1; // -1: the solver's own
    bool firstFeasible = false;
    int seed = 1;
    bool simplex = false; // LP method: false barrier, true simplex
    bool crossover = true;
    // A linear program: the solver picks its own method (CLP: a crash, then the simplex that suits). On a
    // 3-D magnitude table of 52,762 cells it took 12.5 s where the barrier took 34 s and the primal simplex
    // 475 s. Solvers without such a choice follow `simplex`.
    bool solverChoosesMethod = false;
    // A linear program by the method its shape suits, before `solverChoosesMethod`. CLP: the barrier where
    // the model has at least one row per ten columns (the fixed directions of a count table of 53,151
    // cells, 40 % of them fixed zeros: 0.75 s, the dual simplex 3.6 s, CLP's own choice 6 s), else CLP's
    // own choice (a 3-D magnitude table of 52,762 cells, 4,275 rows: 5 s, the dual 15 s, the barrier
    // 21 s; a 1,000,000-cell 2-D table: 15 s, the dual more than 50 s). GLPK: its simplex (the barrier
    // was numerically unstable on these tables). The barrier is followed by a crossover as `crossover` says.
    bool lpMethodByShape = false;
    // A protected table to start the integer search from, one value per column; empty for none.
    std::vector<double> start;
};

enum class SolveStatus
{
    Optimal,    // optimal within the gap
    Feasible,   // a solution, search ended early (limit or stop)
    Infeasible, // proven infeasible
    NoSolution, // ended without a solution and without a proof
    Failed      // the solver reported an error
};

struct SolveResult
{
    SolveStatus status = SolveStatus::NoSolution;
    std::vector<double> solution; // one value per column when there is a solution
    double objective = kInfinity; // in the model's units
    double bound = -kInfinity;    // best bound where the solver gives one
    std::string detail;           // the solver's own words about how it ended
    // Infeasible by the solver's presolve, before any method ran: the bounds and rows contradict each
    // other outright, which no other method will dispute.
    bool infeasibleByPresolve = false;
};

// A result that holds a table: optimal or feasible, with a value for every one of the model's columns.
inline bool HasFullSolution(const SolveResult& result, int columns)
{
    return (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible) &&
           result.solution.size() == static_cast<size_t>(columns);
}

inline bool HasFullSolution(const SolveResult& result, const MipModel& model)
{
    return HasFullSolution(result, model.ColumnCount());
}

class LpSession;

class SolverAdapter
{
public:
    virtual ~SolverAdapter() = default;
    virtual std::string Name() const = 0;
    virtual bool SolvesIntegerPrograms() const = 0;
    // Solves until done, the stop request or the remaining time of `control`.
    virtual SolveResult Solve(const MipModel& model, const SolveParams& params, RunControl& control) = 0;
    // A linear program kept loaded between solves (lp_session.h); null when the solver has none.
    virtual std::unique_ptr<LpSession> OpenLpSession(const MipModel& model);
};

// The solvers one executable holds, and how to hand a run over to the sibling executable that
// holds another (the licences keep GLPK and the COIN-OR solvers apart).
struct SolverEntry
{
    char code;
    std::function<std::unique_ptr<SolverAdapter>()> make;
};

struct BuildInfo
{
    std::string programName;
    std::vector<SolverEntry> solvers;
    // Replaces this process with the executable that holds `code`; returns only on failure, with the reason.
    std::function<std::string(char code, int argc, char** argv)> handOff;
    std::string availableSolvers; // for messages: "g GLPK, b CBC, l CLP, s SYMPHONY"
    // A program of ours that finds the Std run's starting table faster than this executable's own linear
    // programs can (mainVRN.exe beside mainVRN-glpk, driver/sibling_start.h); empty for none.
    std::string startSibling;
};

// At least one row per ten columns (the rule of `lpMethodByShape`).
bool ManyRowsForColumns(const MipModel& model);

// Seconds as the solvers take them (a very large number when there is no limit).
double SolverTimeLimit(const RunControl& control);

} // namespace vrn
