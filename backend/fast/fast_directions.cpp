#include "fast/fast_directions.h"

#include "common/exit_status.h"
#include "fast/balance_directions.h"
#include "fast/direction_ties.h"
#include "fast/fast_model.h"
#include "instance/cell_rules.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <functional>

namespace vrn
{

namespace
{

int FreeCount(const Instance& instance, const DirectionChoice& choice)
{
    int n = 0;
    for (size_t i = 0; i < instance.cells.size(); ++i)
        n += IsProtectable(instance.cells[i]) && choice.direction[i] == Direction::Free;
    return n;
}

// A solution of the relaxation with the percent limits, or else without them.
SolveResult SolveRelaxation(const std::function<MipModel(double pct)>& build, double pct,
                            SolverAdapter& solver, const SolveParams& params, RunControl& control)
{
    SolveParams lp = params;
    lp.firstFeasible = false;
    const MipModel limited = build(pct);
    SolveResult result = SolveModel(limited, solver, lp, control);
    if (pct >= 0 && result.solution.size() != static_cast<size_t>(limited.ColumnCount()))
        result = SolveModel(build(-1), solver, lp, control);
    if (result.solution.size() != static_cast<size_t>(limited.ColumnCount()))
        result.solution.clear();
    return result;
}

std::string HeuristicText(HeuristicRelaxation relaxation, StdModelKind kind)
{
    switch (relaxation)
    {
    case HeuristicRelaxation::Balance:
        return "balances the sensitive cells' moves within their relations";
    default:
        return std::string("rounds the LP relaxation of the ") +
               (kind == StdModelKind::New ? "New" : "Classical") + " Std model";
    }
}

} // namespace

void ChooseByHeuristic(const Instance& instance, const FastSettings& settings, HeuristicRelaxation relaxation,
                       StdModelKind kind, SolverAdapter& solver, const SolveParams& params,
                       RunControl& control, DirectionChoice& choice)
{
    if (relaxation == HeuristicRelaxation::Balance)
        ChooseByBalancing(instance, choice, settings.additive);
    else
    {
        StdModelSettings std;
        std.additive = settings.additive;
        std.scale = settings.scale;
        std.big = settings.big;
        std.kind = kind == StdModelKind::New ? StdModelKind::New : StdModelKind::Classical;
        std.directions = choice.direction;
        StdModel model = BuildStdModel(instance, std);
        std::fill(model.mip.isInteger.begin(), model.mip.isInteger.end(), 0);
        auto build = [&](double pct)
        {
            StdModel limited = model;
            if (pct >= 0)
                ApplyPctBounds(instance, pct, limited);
            return limited.mip;
        };
        const SolveResult result = SolveRelaxation(build, settings.pctBounds, solver, params, control);
        if (!result.solution.empty())
            ChooseFromRelaxation(model, result.solution, choice);
    }
    const double big = LargestChange(settings.big, instance);
    for (size_t i = 0; i < instance.cells.size(); ++i)
        if (IsProtectable(instance.cells[i]) && choice.direction[i] == Direction::Free)
        {
            choice.direction[i] = CanMoveUp(instance.cells[i], big) ? Direction::Up : Direction::Down;
            choice.source[i] = DirectionSource::Heuristic;
        }
}

bool ChooseDirections(const Instance& instance, const FastRunSettings& run, HeuristicRelaxation relaxation,
                      SolverAdapter& solver, RunControl& control, const RunLog& log, DirectionChoice& choice,
                      FastOutcome& end)
{
    const double big = run.model.big;
    choice = ForcedDirections(instance, big);
    if (run.fixDir == 'r')
    {
        ChooseAtRandom(instance, run.seed, choice);
        log.say("directions: fixed at random with seed " + std::to_string(run.seed));
    }
    else if (run.fixDir == 'f')
    {
        DirectionsFileResult file = ReadDirectionsFile(run.fixDirFile, instance, big);
        if (!file.errors.empty())
        {
            for (const FormatError& error : file.errors)
                log.warn(FormatErrorText(run.fixDirFile, error));
            end.exitStatus = kExitInstance;
            end.outcome = "directions file errors";
            end.reason =
                std::to_string(file.errors.size()) + " errors in the directions file " + run.fixDirFile;
            return false;
        }
        choice = std::move(file.choice);
        log.say("directions: " + std::to_string(file.given) + " read from " + run.fixDirFile);
    }
    if (const int open = FreeCount(instance, choice); open > 0)
    {
        if (run.fixDir == 'f')
            log.say("directions: " + std::to_string(open) +
                    " sensitive cells the file omits take the heuristic's direction");
        log.say("directions: the heuristic " + HeuristicText(relaxation, run.kind) + " (" +
                std::to_string(open) + " cells) ...");
        ChooseByHeuristic(instance, run.model, relaxation, run.kind, solver, run.solve, control, choice);
    }
    log.say("directions fixed: " + choice.Summary());
    return true;
}

DirectionDiagnosis DiagnoseDirections(const Instance& instance, const FastSettings& settings,
                                      const DirectionChoice& choice, SolverAdapter& solver,
                                      const SolveParams& params, RunControl& control)
{
    DirectionDiagnosis diagnosis;
    const ElasticModel elastic = BuildElasticModel(instance, settings, choice);
    SolveParams lp = params;
    lp.firstFeasible = false;
    const SolveResult result = SolveModel(elastic.base.mip, solver, lp, control);
    if (result.status == SolveStatus::Infeasible)
    {
        diagnosis.solved = true;
        diagnosis.feasibleWithoutProtection = false;
    }
    else if (result.solution.size() == static_cast<size_t>(elastic.base.mip.ColumnCount()))
    {
        diagnosis.solved = true;
        diagnosis.shortCells = ShortCells(elastic, result.solution);
    }
    return diagnosis;
}

} // namespace vrn
