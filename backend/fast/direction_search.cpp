#include "fast/direction_search.h"

#include "fast/direction_ties.h"
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
    StdModelSettings std;
    std.additive = settings.additive;
    std.scale = settings.scale;
    std.big = settings.big;
    std.kind = StdModelKind::Classical;
    std.integerCells = settings.integerCells;
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

bool HasTable(const SolveResult& result, const MipModel& mip)
{
    return (result.status == SolveStatus::Optimal || result.status == SolveStatus::Feasible) &&
           result.solution.size() == static_cast<size_t>(mip.ColumnCount());
}

} // namespace

DirectionSearch SearchDirections(const Instance& instance, const FastSettings& settings,
                                 const std::vector<int>& conflict, SolverAdapter& solver,
                                 SolverAdapter* integerSolver, const SolveParams& params, RunControl& control,
                                 const FastLog& log, DirectionChoice& choice)
{
    SolverAdapter* mip = integerSolver != nullptr ? integerSolver : &solver;
    if (!mip->SolvesIntegerPrograms())
        return DirectionSearch::NotTried;
    const std::vector<int> open = ConflictNeighbourhood(instance, settings.additive, conflict);
    const double big = settings.big > 0 ? settings.big : AutomaticBig(instance);
    SolveParams search = params;
    search.start.clear();
    // Two tries: the conflict's neighbourhood alone, then every direction (the Std model itself).
    for (const std::vector<int>* free :
         {conflict.empty() ? nullptr : &open, static_cast<const std::vector<int>*>(nullptr)})
    {
        if (control.StopRequested())
            return DirectionSearch::Unknown;
        const StdModel model = ModelWithOpenDirections(instance, settings, choice, free);
        log.say("directions: searching with " + mip->Name() + " for directions that the table can meet (" +
                (free ? std::to_string(free->size()) + " directions left to an integer program"
                      : std::string("the Std model, every direction open")) +
                ") ...");
        // Any table will do: the linear program with its directions finds the least change after it.
        search.firstFeasible = true;
        const SolveResult result = SolveModel(model.mip, *mip, search, control);
        control.WithdrawStop(StopReason::FirstFeasible);
        if (HasTable(result, model.mip))
        {
            ReadDirectionsFromTable(instance, model.AdjustedValues(instance, result.solution), big, true,
                                    choice);
            log.say("directions: found; directions now " + choice.Summary());
            return DirectionSearch::Found;
        }
        if (result.status != SolveStatus::Infeasible)
            return DirectionSearch::Unknown;
        if (free == nullptr)
        {
            log.warn("the Std model, with every direction open, has no table either: no table satisfies "
                     "the relations, bounds and protection" +
                     std::string(settings.pctBounds >= 0 ? " within the percent bounds" : ""));
            return DirectionSearch::Infeasible;
        }
    }
    return DirectionSearch::Unknown;
}

} // namespace vrn
