#include "fast/direction_search.h"

#include "common/number_format.h"
#include "control/run_control.h"
#include "fast/direction_ties.h"
#include "fast/pct_advice.h"
#include "instance/cell_rules.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

std::vector<int> ConflictNeighbourhood(const Instance& instance, bool additive,
                                       const std::vector<int>& conflict)
{
    const size_t n = instance.cells.size();
    const DirectionTies ties(instance, additive);
    std::vector<char> inConflict(n, 0), chosen(n, 0);
    for (const int i : conflict)
    {
        inConflict[i] = 1;
        for (const int m : ties.Members(i))
            inConflict[m] = 1;
    }
    for (size_t r = 0; r < instance.RelationCount(); ++r)
    {
        bool touches = false;
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1] && !touches; ++t)
            touches = inConflict[instance.termCell[t]] != 0;
        if (!touches)
            continue;
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            chosen[instance.termCell[t]] = 1;
    }
    std::vector<int> cells;
    for (size_t i = 0; i < n; ++i)
        if ((chosen[i] || inConflict[i]) && IsProtectable(instance.cells[i]))
            cells.push_back(static_cast<int>(i));
    return cells;
}

namespace
{

// The Std model (Classical) with the directions of `open` left to the solver and every other direction
// as in `choice`; the percent bounds of the Fast run apply.
StdModel ModelWithOpenDirections(const Instance& instance, const FastSettings& settings,
                                 const DirectionChoice& choice, const std::vector<int>* open)
{
    StdModelSettings std = ClassicalStdSettings(settings);
    std.directions = choice.direction;
    if (open == nullptr)
        std::fill(std.directions.begin(), std.directions.end(), Direction::Free);
    else
        for (const int i : *open)
            std.directions[i] = Direction::Free;
    // Forced directions stay: the bounds leave no other way.
    for (size_t i = 0; i < choice.source.size(); ++i)
        if (choice.source[i] == DirectionSource::Forced)
            std.directions[i] = choice.direction[i];
    StdModel model = BuildStdModel(instance, std);
    if (settings.pctBounds >= 0)
        ApplyPctBounds(instance, settings.pctBounds, model);
    return model;
}

constexpr int kPctSteps = 8;
// Each step of the bisection on the percent limit may take this many times the search without the limit,
// within these seconds, and all steps together at most kPctSearchSeconds: a step only looks for a smaller
// value than one already found (an integer search of the Std model with integer cells took 26 s on the
// 448-cell counts table to find its first table, and a step that long would leave the user waiting).
constexpr double kPctStepFactor = 2;
constexpr double kPctStepSeconds = 2;
constexpr double kPctStepMaxSeconds = 10;
constexpr double kPctSearchSeconds = 20;

// One integer solve of the Std model with the directions of `free` open (every direction when null) and
// the limits of `settings`; any table will do: the linear program with its directions finds the least
// change after it. The solve has a control of its own, ended by the solver at its first table or after
// `seconds` (when > 0), and reached by every stop of the run through a relay: the run's guard against a
// solver that ignores a stop watches the run's own stops only (a search that took longer than the guard's
// grace to come back from its first table ended the run without a table).
DirectionSearch SearchOnce(const Instance& instance, const FastSettings& settings,
                           const std::vector<int>* free, SolverAdapter& mip, const SolveParams& params,
                           RunControl& control, const RunLog& log, DirectionChoice& choice,
                           double seconds = 0)
{
    if (control.StopRequested())
        return DirectionSearch::Unknown;
    const double big = LargestChange(settings.big, instance);
    SolveParams search = params;
    search.start.clear();
    search.firstFeasible = true;
    const StdModel model = ModelWithOpenDirections(instance, settings, choice, free);
    log.say("directions: searching with " + mip.Name() + " for directions that the table can meet (" +
            (free ? std::to_string(free->size()) + " directions left to an integer program"
                  : std::string("the Std model, every direction open")) +
            (settings.pctBounds >= 0 ? ", cells within " + LogNumber(settings.pctBounds) + " %" : "") +
            ") ...");
    double limit = control.HasTimeLimit() ? control.Remaining() : 0;
    if (seconds > 0)
        limit = limit > 0 ? std::min(limit, seconds) : seconds;
    RunControl own(limit > 0 ? std::max(0.01, limit) : 0);
    SolveResult result;
    {
        const StopRelay relay(control, own);
        result = SolveModel(model.mip, mip, search, own);
    }
    if (HasFullSolution(result, model.mip))
    {
        ReadDirectionsFromTable(instance, model.AdjustedValues(instance, result.solution), big, true, choice);
        log.say("directions: found; directions now " + choice.Summary());
        return DirectionSearch::Found;
    }
    return result.status == SolveStatus::Infeasible ? DirectionSearch::Infeasible : DirectionSearch::Unknown;
}

} // namespace

DirectionSearch SearchDirections(const Instance& instance, const FastSettings& settings,
                                 const std::vector<int>& conflict, SolverAdapter& solver,
                                 SolverAdapter* integerSolver, const SolveParams& params, RunControl& control,
                                 const RunLog& log, DirectionChoice& choice)
{
    SolverAdapter* mip = integerSolver != nullptr ? integerSolver : &solver;
    if (!mip->SolvesIntegerPrograms())
        return DirectionSearch::NotTried;
    const std::vector<int> open = ConflictNeighbourhood(instance, settings.additive, conflict);
    // Two tries: the conflict's neighbourhood alone, then every direction (the Std model itself).
    for (const std::vector<int>* free :
         {conflict.empty() ? nullptr : &open, static_cast<const std::vector<int>*>(nullptr)})
    {
        const DirectionSearch found =
            SearchOnce(instance, settings, free, *mip, params, control, log, choice);
        if (found != DirectionSearch::Infeasible)
            return found;
        if (free == nullptr)
        {
            log.say("the Std model, with every direction open, has no table either: no table satisfies "
                    "the relations, bounds and protection" +
                    std::string(settings.pctBounds >= 0 ? " within the percent bounds" : ""));
            return DirectionSearch::Infeasible;
        }
    }
    return DirectionSearch::Unknown;
}

WorkablePct SearchWorkablePct(const Instance& instance, const FastSettings& settings,
                              const DirectionChoice& startChoice, SolverAdapter& solver,
                              SolverAdapter* integerSolver, const SolveParams& params, RunControl& control,
                              const RunLog& log, bool startWorks)
{
    WorkablePct out;
    SolverAdapter* mip = integerSolver != nullptr ? integerSolver : &solver;
    if (settings.pctBounds < 0 || !mip->SolvesIntegerPrograms())
        return out;
    auto consider = [&](const DirectionChoice& choice)
    {
        const PctAdvice advice = LeastWorkablePct(instance, settings, choice, solver, params, control);
        if (advice.found && (!out.advice.found || advice.suggested < out.advice.suggested ||
                             (advice.suggested == out.advice.suggested && advice.least < out.advice.least)))
        {
            out.advice = advice;
            out.choice = choice;
        }
    };
    // The directions the run started with may need a larger limit only.
    consider(startChoice);
    // Directions of a table without the limit: whether any table exists at all.
    FastSettings unlimited = settings;
    unlimited.pctBounds = -1;
    DirectionChoice choice = startChoice;
    log.say("\"% cells bounds\": looking for the least value that directions the table can meet need ...");
    const double began = control.Elapsed();
    out.status = startWorks ? DirectionSearch::Found
                            : SearchOnce(instance, unlimited, nullptr, *mip, params, control, log, choice);
    const double stepSeconds =
        std::min(kPctStepMaxSeconds, std::max(kPctStepSeconds, kPctStepFactor * (control.Elapsed() - began)));
    if (out.status == DirectionSearch::Infeasible)
        return out;
    if (out.status == DirectionSearch::Found)
        consider(choice);
    if (!out.advice.found)
        return out;
    out.status = DirectionSearch::Found;
    // Bisection on the limit: below `lower` the Std model has no table (or none was found within a step's
    // time); a table found at a limit proves that its directions work within it. Only the best directions
    // are given their own least value at the end (with integer cells each such value is a series of
    // integer programs).
    double lower = settings.pctBounds, upper = out.advice.least;
    bool better = false;
    DirectionChoice best;
    const double bisectionStart = control.Elapsed();
    for (int step = 0; step < kPctSteps && !control.StopRequested(); ++step)
    {
        const double left = kPctSearchSeconds - (control.Elapsed() - bisectionStart);
        if (left <= 0.5)
            break;
        if (RoundUpForField(lower * (1 + 1e-9) + 1e-12) == RoundUpForField(upper) || upper - lower < 1e-6)
            break;
        FastSettings at = settings;
        at.pctBounds = (lower + upper) / 2;
        DirectionChoice tried = out.choice;
        const DirectionSearch found =
            SearchOnce(instance, at, nullptr, *mip, params, control, log, tried, std::min(stepSeconds, left));
        if (found == DirectionSearch::Found)
        {
            upper = at.pctBounds;
            best = std::move(tried);
            better = true;
        }
        else if (control.StopRequested())
            break;
        else
            lower = at.pctBounds;
    }
    if (better)
        consider(best);
    return out;
}

} // namespace vrn
