// The lexicographic loop on one model kept loaded in the solver: each stage changes the objective
// and adds the hold of the stage before (a row, or column bounds for the largest relative change),
// and starts from the basis the previous stage ended with. The largest relative change has no
// column of its own here: a limit t on it is a bound t * slope on each cell's deviation columns, and
// its least value is found by bisection on t with bound changes only. Every stage's point is
// checked against the model (relations, bounds, holds); one that fails is solved again from nothing
// and never becomes the table.
#pragma once

#include "fast/fast_model.h"
#include "fast/lexmin.h"
#include "solvers/lp_session.h"

#include <functional>
#include <string>
#include <vector>

namespace vrn
{

// Limits on how far cells may move, all proportional to one number t: the deviation columns of cell k
// each at most t * slope[k] (model units). A slope of 0 keeps the cell where it is.
struct CellLimits
{
    std::vector<int> plus, minus;
    std::vector<double> slope;

    // The least t at which a point stays within the limits: max |p - m| / slope.
    double Measure(const std::vector<double>& x) const;
    // t can be no smaller than this with the columns' lower bounds (a protection level, for instance).
    double LowerBound(const std::vector<double>& lower) const;
    // `upper` with every limited column capped at t * slope.
    std::vector<double> Capped(double t, const std::vector<double>& upper) const;
};

// Objective 4: the relative change of each cell, max(|a|, 1)^-e times its change, in the table's units.
CellLimits RelativeChangeLimits(const FastModel& model);

// A cell's deviation columns carry its net change only: p = max(p - m, 0), m = max(m - p, 0). Keeps
// every bound and relation and lowers no objective's value.
void KeepNetChanges(const StdModel& model, std::vector<double>& x);

// How far a point is off the model: rows (relations and holds) and column bounds, each against the
// tolerance relative to the magnitudes involved. A deviation column's magnitude includes its cell's value
// (`columnBase`, model units; empty for none), as the solution check measures the adjusted table.
struct PointCheck
{
    int rowsOff = 0;
    int columnsOff = 0;
    double largestExcess = 0; // in the model's units
    bool Passed() const { return rowsOff == 0 && columnsOff == 0; }
};
PointCheck CheckPoint(const MipModel& model, const std::vector<double>& x, double tolerance,
                      const std::vector<double>& columnBase = {});

// Per column: the magnitude of its cell's value in model units (0 for columns of no cell).
std::vector<double> ColumnBases(const Instance& instance, const StdModel& model);

// The least t for which the session's model is feasible with `limits` capping `upper`. The session
// holds `lower` and `upper` as its bounds when called, and holds the caps of the result afterwards.
struct LimitSearch
{
    SolveStatus status = SolveStatus::NoSolution; // Optimal: found within the tolerance; Feasible: cut short
    double value = kInfinity;                     // t of `result`'s point
    double lowerBound = 0;                        // no t below this is feasible
    SolveResult result;                           // the best point found
    int solves = 0;
};
LimitSearch FindLeastLimit(LpSession& session, const CellLimits& limits, const std::vector<double>& lower,
                           const std::vector<double>& upper, double relativeTolerance,
                           const SolveParams& params, RunControl& control,
                           const std::function<void(const std::string&)>& phase);

// `columnBase` as from ColumnBases, for the check of each stage's point.
LexminResult SolveLexicographicShared(FastModel& model, const LexminSettings& settings,
                                      const LpSessionOpener& open, const SolveParams& params,
                                      RunControl& control, const std::function<void(const std::string&)>& say,
                                      const std::vector<double>& columnBase);

} // namespace vrn
