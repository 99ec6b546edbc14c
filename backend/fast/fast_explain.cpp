#include "fast/fast_explain.h"

#include "common/number_format.h"
#include "fast/direction_search.h"
#include "fast/fast_model.h"
#include "fast/mend_directions.h"
#include "instance/cell_rules.h"
#include "model/conflict.h"

#include <algorithm>

namespace vrn
{

namespace
{

constexpr size_t kListedCells = 10;

std::string SourceWords(DirectionSource source)
{
    switch (source)
    {
    case DirectionSource::Forced:
        return "forced by its bounds";
    case DirectionSource::Random:
        return "at random";
    case DirectionSource::File:
        return "from the file";
    case DirectionSource::Heuristic:
        return "by the heuristic";
    case DirectionSource::Repaired:
        return "flipped by the repair";
    case DirectionSource::Table:
        return "read from a table";
    default:
        return "";
    }
}

std::string CellDirectionText(const Instance& instance, const DirectionChoice& choice, int i)
{
    const Cell& cell = instance.cells[i];
    const bool up = choice.direction[i] == Direction::Up;
    return "cell " + std::to_string(i) + " (value " + LogNumber(cell.value) + ") " +
           (up ? "up by " : "down by ") + LogNumber(up ? cell.upl : cell.lpl) + " (" +
           SourceWords(choice.source[i]) + ")";
}

// The advice of the formulation in use: the repair of the bounds belongs to the Std formulation.
std::string FastRepairAdvice()
{
    return "to find the least change of bounds (and, where that cannot help, of protection levels) that "
           "makes the table protectable, choose the Std formulation and check \"Repair infeasibility\" "
           "(--repair y)";
}

// Which relations the percent bounds make impossible for the directions chosen, each on its own terms, as
// the end of the run's error line; empty when none does.
std::string PctBrokenRelationsText(const Instance& instance, const FastSettings& settings,
                                   const DirectionChoice& choice)
{
    const std::vector<int> broken = BrokenRelations(instance, settings, choice);
    if (broken.empty())
        return {};
    std::string names;
    for (size_t k = 0; k < broken.size() && k < 3; ++k)
        names += (k == 0                                        ? ""
                  : k + 1 == std::min<size_t>(broken.size(), 3) ? " and "
                                                                : ", ") +
                 std::to_string(broken[k] + 1);
    return "; with the directions chosen, relation" + std::string(broken.size() > 1 ? "s " : " ") + names +
           (broken.size() > 3 ? " (" + std::to_string(broken.size()) + " in all)" : "") +
           " cannot add up: their other cells may not move enough within it";
}

// What the fixed model lets every cell change: the fixed directions and the percent limits included.
std::vector<ChangeRange> FixedModelRanges(const Instance& instance, const FastSettings& settings,
                                          const DirectionChoice& choice)
{
    const StdModel model = BuildFastModel(instance, settings, choice).base;
    std::vector<ChangeRange> ranges(instance.cells.size());
    for (size_t i = 0; i < ranges.size(); ++i)
        if (const int p = model.colPlus[i], m = model.colMinus[i]; p >= 0)
            ranges[i] = {(model.mip.colLower[p] - model.mip.colUpper[m]) * model.scale,
                         (model.mip.colUpper[p] - model.mip.colLower[m]) * model.scale};
    return ranges;
}

ConflictSettings FastConflictSettings(const FastRunSettings& run)
{
    ConflictSettings words;
    words.additive = run.model.additive;
    words.tolerance = run.tolerance;
    words.boundsWords = false; // the limits come from the percent bounds and the directions as well
    return words;
}

} // namespace

// The percentage that would work for the directions a new run starts with (the repair flips only
// where the percentage is not the cause); nothing found when no percentage helps.
PctAdvice AdvisePctBounds(const Instance& instance, const FastSettings& settings,
                          const DirectionChoice& startChoice, SolverAdapter& solver,
                          const SolveParams& params, RunControl& control)
{
    if (settings.pctBounds < 0 || control.StopRequested())
        return {};
    PctAdvice advice = LeastWorkablePct(instance, settings, startChoice, solver, params, control);
    advice.found = advice.found && advice.suggested > settings.pctBounds;
    return advice;
}

// The heuristic's run after the Std model, every direction open, has shown that no table exists within
// the run's limits: with percent limits, the least value that directions a table can meet need (or the
// proof that no table exists at all); without them, no table exists.
void EndProven(const Instance& instance, const FastSettings& settings, const DirectionChoice& startChoice,
               SolverAdapter& solver, SolverAdapter* integerSolver, const SolveParams& params,
               RunControl& control, const RunLog& log, FastOutcome& out)
{
    out.result.status = SolveStatus::Infeasible;
    out.result.solution.clear();
    const std::string pct = LogNumber(settings.pctBounds);
    WorkablePct workable;
    if (settings.pctBounds >= 0)
    {
        // Directions that a table meets without the limit, mended from the start's: their least value is a
        // value that works, found in seconds where the Std model's own search may take minutes.
        DirectionChoice mended = startChoice;
        bool mendedWork = false;
        if (SolverAdapter* mip = integerSolver != nullptr ? integerSolver : &solver;
            mip->SolvesIntegerPrograms())
        {
            FastSettings unbounded = settings;
            unbounded.pctBounds = -1;
            const DirectionMend mend =
                MendDirections(instance, unbounded, mended, solver, *mip, params, control, log);
            mendedWork = mend.solved && mend.stillShort.empty();
        }
        workable = SearchWorkablePct(instance, settings, mendedWork ? mended : startChoice, solver,
                                     integerSolver, params, control, log, mendedWork);
    }
    if (settings.pctBounds < 0 || workable.status == DirectionSearch::Infeasible)
    {
        out.result.detail =
            "no table satisfies the relations, bounds and protection (the Std model, with every "
            "direction open, has none)";
        out.endLines = {"ERROR: the problem is infeasible: " + out.result.detail, FastRepairAdvice()};
        return;
    }
    out.result.detail = "no table keeps every non-sensitive cell within " + pct +
                        " % of its value (the Std model, with every direction open, has none)";
    out.endLines.push_back("ERROR: " + out.result.detail +
                           PctBrokenRelationsText(instance, settings, startChoice));
    if (workable.advice.found)
        out.endLines.push_back(PctAdviceLine(workable.advice, settings.pctBounds));
    else
        out.endLines.push_back(
            "the search for the least \"% cells bounds\" (--pct-bounds) that works did not "
            "finish; a larger value, or none, may work");
}

// Says why the fixed model is infeasible, as far as the elastic model can tell.
void ExplainInfeasible(const Instance& instance, const FastRunSettings& run, const FastSettings& settings,
                       const DirectionChoice& choice, const DirectionDiagnosis& diagnosis,
                       SolverAdapter& solver, RunControl& control, const RunLog& log)
{
    const SolveParams& params = run.solve;
    const std::string pct = "--pct-bounds " + LogNumber(settings.pctBounds);
    FastSettings unbounded = settings;
    unbounded.pctBounds = -1;
    if (!diagnosis.solved)
    {
        log.warn(
            "the model with these directions is infeasible; which directions cause it could not be found "
            "(the search for them did not finish)");
        return;
    }
    if (!diagnosis.feasibleWithoutProtection)
    {
        const bool pctGuilty = settings.pctBounds >= 0 &&
                               DiagnoseDirections(instance, unbounded, choice, solver, params, control)
                                   .feasibleWithoutProtection;
        log.warn(pctGuilty
                     ? "even without the protection levels the table cannot add up with " + pct +
                           ": the non-sensitive cells may not move enough; raise --pct-bounds"
                     : "even without the protection levels the relations and bounds cannot hold together; "
                       "the directions are not the cause");
        const ConflictReport relations =
            FindConflicts(instance, FixedModelRanges(instance, settings, choice), FastConflictSettings(run));
        for (size_t k = 0; k < relations.lines.size() && k < 3 && relations.relations > 0; ++k)
            if (relations.lines[k].rfind("relation ", 0) == 0)
                log.warn("  " + relations.lines[k]);
        return;
    }
    const std::vector<int>& cells = diagnosis.shortCells;
    if (cells.empty())
    {
        log.warn("the model with these directions is infeasible, yet every direction can be met on its own "
                 "terms: the solver's tolerances may be the cause (try --feasibility or --scale)");
        return;
    }
    log.warn(std::to_string(cells.size()) + " fixed directions cannot be met together with the others:");
    // Each with what single relations and limits prove, where they do.
    const std::vector<ChangeRange> ranges = FixedModelRanges(instance, settings, choice);
    for (size_t k = 0; k < cells.size() && k < kListedCells; ++k)
    {
        const std::string why = DirectionConflictText(instance, ranges, FastConflictSettings(run), cells[k],
                                                      choice.direction[cells[k]]);
        log.warn("  " + CellDirectionText(instance, choice, cells[k]) + (why.empty() ? "" : ": " + why));
    }
    if (cells.size() > kListedCells)
        log.warn("  ... and " + std::to_string(cells.size() - kListedCells) + " more");
    if (settings.pctBounds >= 0 &&
        DiagnoseDirections(instance, unbounded, choice, solver, params, control).shortCells.empty())
        log.warn("without " + pct +
                 " these directions can be met: the other cells may not move enough to "
                 "compensate; raise --pct-bounds");
    else if (run.fixDir != 's')
        log.warn("the heuristic (--fixdir s) looks for directions the bounds and relations can satisfy");
}

} // namespace vrn
