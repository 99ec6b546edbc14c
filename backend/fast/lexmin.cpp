#include "fast/lexmin.h"

#include "common/number_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vrn
{

std::string ObjectiveName(int objective)
{
    switch (objective)
    {
    case 1:
        return "total weighted change";
    case 2:
        return "total relative change";
    case 3:
        return "relative change of the totals";
    case 4:
        return "largest relative change";
    default:
        return "objective " + std::to_string(objective);
    }
}

namespace
{

} // namespace

double HeldLimit(double value, const LexminSettings& settings, const SolveParams& params)
{
    return std::max(value * (1 + settings.epsF), settings.epsRhs) +
           std::max(params.feasibility, 1e-9) * std::max(1.0, std::fabs(value));
}

void EndWithoutTable(LexminResult& lex, const LexminStage& stage, SolveResult result)
{
    lex.stages.push_back(stage);
    if (lex.stages.size() == 1)
        lex.last = std::move(result); // the reason the first stage found nothing
    else
        lex.last.detail = result.detail;
}

bool TakeStage(LexminResult& lex, const LexminStage& stage, SolveResult result, const FastModel& model,
               const LexminSettings& settings, RunControl& control)
{
    control.SetIncumbent(model.ObjectiveValue(1, result.solution) / model.base.scale);
    if (settings.stagePoint)
        settings.stagePoint(result.solution);
    lex.stages.push_back(stage);
    lex.last = std::move(result);
    return lex.last.status == SolveStatus::Optimal && !control.StopRequested();
}

LexminResult SolveLexicographic(FastModel& model, const LexminSettings& settings, SolverAdapter& solver,
                                const SolveParams& params, RunControl& control,
                                const std::function<void(const std::string&)>& say)
{
    LexminResult lex;
    const size_t stages = settings.order.size();
    for (size_t s = 0; s < stages; ++s)
    {
        const int objective = settings.order[s];
        model.base.mip.cost = model.ObjectiveCosts(objective);
        const std::string stageText = "objective " + std::to_string(objective) + " (" +
                                      ObjectiveName(objective) + "), stage " + std::to_string(s + 1) +
                                      " of " + std::to_string(stages);
        control.SetPhase("solving " + stageText); // the progress lines and "status" show the stage
        say(stageText + " ...");
        SolveResult result = SolveModel(model.base.mip, solver, params, control);
        LexminStage stage;
        stage.objective = objective;
        stage.status = result.status;
        if (!HasFullSolution(result, model.base.mip))
        {
            EndWithoutTable(lex, stage, std::move(result));
            return lex;
        }
        // The columns of the earlier stages' bounds stay; the solution covers every column of the model.
        stage.value = model.ObjectiveValue(objective, result.solution);
        stage.limit = HeldLimit(stage.value, settings, params);
        say("objective " + std::to_string(objective) + " (" + ObjectiveName(objective) + "): " +
            LogNumber(stage.value) + (result.status == SolveStatus::Optimal ? "" : " (not proven optimal)"));
        if (!TakeStage(lex, stage, std::move(result), model, settings, control))
            return lex; // a stopped or limited stage ends the loop with its solution
        if (s + 1 < stages)
            model.AddObjectiveBound(objective, stage.limit);
    }
    lex.complete = true;
    return lex;
}

} // namespace vrn
