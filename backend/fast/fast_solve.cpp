#include "fast/fast_solve.h"

#include "common/exit_status.h"
#include "common/number_format.h"
#include "fast/direction_search.h"
#include "fast/direction_ties.h"
#include "fast/fast_explain.h"
#include "fast/lexmin.h"
#include "fast/lexmin_shared.h"
#include "fast/mend_directions.h"
#include "fast/pct_advice.h"
#include "instance/cell_rules.h"
#include "model/conflict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace vrn
{

namespace
{

constexpr int kRepairRounds = 8;
constexpr int kDirectionSearches = 2;
constexpr int kMends = 2;

// Flips the short cells whose directions the program chose itself and whose other way is open. Cells
// tied to a flipped cell follow it, and a group is flipped once per round (flipping two tied cells one
// after the other would leave them as they were towards each other).
int FlipShortCells(const Instance& instance, double big, const DirectionTies& ties,
                   const std::vector<int>& shortCells, std::vector<int>& flips, DirectionChoice& choice)
{
    int flipped = 0;
    std::vector<int> groupsDone;
    for (const int i : shortCells)
    {
        const DirectionSource source = choice.source[i];
        if (!ChosenByProgram(source) || flips[i] >= 2 ||
            std::find(groupsDone.begin(), groupsDone.end(), ties.Root(i)) != groupsDone.end())
            continue;
        const Cell& cell = instance.cells[i];
        const bool toUp = choice.direction[i] == Direction::Down;
        if (toUp ? !CanMoveUp(cell, big) : !CanMoveDown(cell, big))
            continue;
        const Direction now = toUp ? Direction::Up : Direction::Down;
        groupsDone.push_back(ties.Root(i));
        for (const int m : ties.Members(i).empty() ? std::vector<int>{i} : ties.Members(i))
        {
            const Direction want = ties.Implied(i, now, m);
            const DirectionSource own = choice.source[m];
            if (choice.direction[m] == want || !ChosenByProgram(own) ||
                (want == Direction::Up ? !CanMoveUp(instance.cells[m], big)
                                       : !CanMoveDown(instance.cells[m], big)))
                continue;
            choice.direction[m] = want;
            choice.source[m] = DirectionSource::Repaired;
            ++flips[m];
            ++flipped;
        }
    }
    return flipped;
}

// A solver's values may pass a column bound by its tolerance, which the scale magnifies: a cell of 18
// in a table scaled by 1e5 came out at -1.3e-6. Within the bounds the relations still hold to far less
// than the check's tolerance.
void ClipToBounds(const MipModel& mip, std::vector<double>& solution)
{
    for (size_t c = 0; c < solution.size(); ++c)
        solution[c] = std::min(std::max(solution[c], mip.colLower[c]), mip.colUpper[c]);
}

void ReportModel(const FastModel& model, const FastSettings& settings, const RunLog& log)
{
    const MipModel& mip = model.base.mip;
    log.say("model: Fast, scale " + LogNumber(model.base.scale) + ", largest change " +
            LogNumber(model.base.big) +
            (settings.pctBounds >= 0
                 ? ", non-sensitive cells within " + LogNumber(settings.pctBounds) + " % of their value"
                 : "") +
            ", relative changes divided by max(|value|, 1)^" + LogNumber(settings.expObj));
    log.say("  " + std::to_string(mip.ColumnCount()) + " columns (" + std::to_string(mip.IntegerCount()) +
            " integer), " + std::to_string(mip.RowCount()) + " rows, " + std::to_string(mip.EntryCount()) +
            " non-zeros; " + (mip.HasIntegers() ? "an integer program (integer cells)" : "a linear program"));
    for (const auto& note : model.base.notes)
        log.say("  " + note);
}

// With percent bounds, more relations that cannot add up than without them: the bounds are what stands in
// the way, no mending helps, and the run explains the bounds instead.
bool PctBoundsAreTheCause(const Instance& instance, const FastSettings& settings,
                          const DirectionChoice& choice, int broken)
{
    if (settings.pctBounds < 0)
        return false;
    FastSettings unbounded = settings;
    unbounded.pctBounds = -1;
    return RelationsTheDirectionsBreak(instance, unbounded, choice) < broken;
}

// The stages share one model where the solver keeps one loaded between solves and the model is a
// linear program with relations (a model without rows needs no solver).
bool SharesOneModel(const Instance& instance, const FastSettings& settings, const LexminSettings& lexmin,
                    SolverAdapter& solver)
{
    const bool severalStagesOrMax =
        lexmin.order.size() > 1 ||
        std::find(lexmin.order.begin(), lexmin.order.end(), 4) != lexmin.order.end();
    return severalStagesOrMax && !settings.integerCells && instance.RelationCount() > 0 &&
           solver.OpenLpSession(MipModel{}) != nullptr;
}

std::string SharedModelNote(const SolveParams& params, const LexminSettings& lexmin)
{
    const bool max = std::find(lexmin.order.begin(), lexmin.order.end(), 4) != lexmin.order.end();
    return std::string(
               "the stages share one model: the first solve uses the primal simplex with presolve, each "
               "later one starts from the basis of the one before") +
           (max ? "; objective 4 is found by bisection on its value with column bounds" : "") +
           (params.simplex ? ""
                           : " (the barrier leaves no basis to start from, so --method b does not apply)");
}

} // namespace

FastOutcome SolveFast(const Instance& instance, const FastRunSettings& run, SolverAdapter& solver,
                      RunControl& control, const std::string& lpPath, const RunLog& log,
                      HeuristicRelaxation relaxation, SolverAdapter* integerSolver)
{
    FastOutcome out;
    if (run.model.integerCells && !solver.SolvesIntegerPrograms())
    {
        log.warn("ERROR: " + solver.Name() +
                 " solves linear programs only, and integer cells (--intdev y) make "
                 "the Fast model an integer program; choose GLPK, CBC or SYMPHONY");
        out.exitStatus = kExitUnsupported;
        out.outcome = "solver cannot solve this model";
        out.reason = solver.Name() + " solves linear programs only";
        return out;
    }
    DirectionChoice choice;
    if (!ChooseDirections(instance, run, relaxation, solver, control, log, choice, out))
        return out;
    return SolveFastWithDirections(instance, run, solver, control, lpPath, log, std::move(choice),
                                   integerSolver);
}

FastOutcome SolveFastWithDirections(const Instance& instance, const FastRunSettings& run,
                                    SolverAdapter& solver, RunControl& control, const std::string& lpPath,
                                    const RunLog& log, DirectionChoice choice, SolverAdapter* integerSolver)
{
    FastOutcome out;
    FastSettings settings = run.model;
    SolveParams params = run.solve;
    params.firstFeasible = false; // --first belongs to the Std formulation: every stage runs to its end
    LexminSettings lexmin = run.lexmin;
    const bool shared = SharesOneModel(instance, settings, lexmin, solver);
    if (shared)
    {
        settings.withMaxObjective = false; // its value becomes column bounds instead
        // Without big-M rows the linear program needs no scaling down, and it costs accuracy: with the
        // automatic scale of a 1,000,000-cell table (1e5) a cell of 1 is 1e-5, near the solver's tolerance,
        // and its points broke relations by up to 0.6 once held within their bounds. A table of tiny
        // values keeps its scaling up, which holds its levels above the solver's tolerances.
        if (!run.scaleGiven)
            settings.scale = std::min(settings.scale, 1.0);
        log.say(SharedModelNote(params, lexmin));
    }
    else if (settings.withMaxObjective && !params.simplex)
    {
        // Objective 4's bounding column sits in one row per cell, and neither CLP's nor GLPK's interior point
        // treats such a dense column: on a 300x300 table CLP's barrier took 215 s for 4-2-3-1, its
        // simplex 6.5 s (GLPK on 30x30: 9 s against 0.05 s).
        log.say(
            "note: with objective 4 the Fast model is solved with the simplex method (the interior point is "
            "far slower with the column that bounds every relative change)");
        params.simplex = true;
    }
    const DirectionChoice startChoice = choice;
    std::vector<int> flips(instance.cells.size(), 0);
    const DirectionTies ties(instance, settings.additive);
    int searches = 0, mends = 0;
    SolverAdapter* mip = integerSolver != nullptr         ? integerSolver
                         : solver.SolvesIntegerPrograms() ? &solver
                                                          : nullptr;
    const bool mayMend = run.fixDir != 'r' && run.fixDir != 'f' && mip != nullptr;
    bool pctCause = false;
    for (int round = 0;; ++round)
    {
        // Directions that a relation on its own shows impossible are mended before any solve: the linear
        // program would only say infeasible (and an interior point may not even say that in time).
        if (round == 0 && mayMend)
            if (const int broken = RelationsTheDirectionsBreak(instance, settings, choice); broken > 0)
                pctCause = PctBoundsAreTheCause(instance, settings, choice, broken);
        if (round == 0 && mayMend && !pctCause)
            if (const int broken = RelationsTheDirectionsBreak(instance, settings, choice); broken > 0)
            {
                log.say("directions: " + std::to_string(broken) +
                        " relations cannot add up with these directions, each on its own terms");
                ++mends;
                DirectionMend mend =
                    MendDirections(instance, settings, choice, solver, *mip, params, control, log);
                if (!mend.table.empty())
                    out.mendedTable = std::move(mend.table);
            }
        FastModel model = BuildFastModel(instance, settings, choice);
        if (round == 0)
        {
            ReportModel(model, settings, log);
            if (run.writeLp)
            {
                model.base.mip.cost = model.ObjectiveCosts(lexmin.order.front());
                std::string error;
                if (WriteLpFile(model.base.mip, lpPath, error))
                    log.say("LP file written (objective " + std::to_string(lexmin.order.front()) +
                            "): " + lpPath);
                else
                    log.warn("WARNING: " + error);
            }
        }
        control.SetObjectiveScale(model.base.scale);
        // Each stage's table, kept where a stop that the solver overruns in a later stage still finds it.
        lexmin.stagePoint = [&](const std::vector<double>& solution)
        { control.SetIncumbentTable(model.base.AdjustedValues(instance, solution)); };
        LexminResult lex =
            shared ? SolveLexicographicShared(
                         model, lexmin, [&](const MipModel& mip) { return solver.OpenLpSession(mip); },
                         params, control, log.say, ColumnBases(instance, model.base))
                   : SolveLexicographic(model, lexmin, solver, params, control, log.say);
        lexmin.stagePoint = nullptr; // it refers to this round's model
        const bool infeasible = lex.stages.front().status == SolveStatus::Infeasible;
        if (!infeasible)
        {
            if (!lex.complete && lex.last.status == SolveStatus::Optimal)
                lex.last.status = SolveStatus::Feasible; // a later stage did not finish
            lex.last.bound = -kInfinity; // the Fast model bounds nothing about the Std problem
            ClipToBounds(model.base.mip, lex.last.solution);
            out.model = std::move(model.base);
            out.result = std::move(lex.last);
            out.solved = true;
            return out;
        }
        log.say(
            "the model with these directions is infeasible; looking for the directions that cause it ...");
        // The program's own directions are mended as a whole first: flipping them one conflict at a time
        // walks in circles where sensitive cells must balance each other exactly.
        if (mayMend && !pctCause && mends < kMends && !control.StopRequested())
        {
            ++mends;
            DirectionMend mend =
                MendDirections(instance, settings, choice, solver, *mip, params, control, log);
            if (!mend.table.empty())
                out.mendedTable = std::move(mend.table);
            if (mend.changed > 0 && !control.StopRequested())
                continue;
        }
        const DirectionDiagnosis diagnosis =
            DiagnoseDirections(instance, settings, choice, solver, params, control);
        const int flipped =
            round < kRepairRounds && diagnosis.solved
                ? FlipShortCells(instance, run.model.big, ties, diagnosis.shortCells, flips, choice)
                : 0;
        if (flipped > 0 && !control.StopRequested())
        {
            log.say("repair: " + std::to_string(flipped) + " directions flipped; directions now " +
                    choice.Summary());
            continue;
        }
        // The program's own directions: before the run says "infeasible", an integer program looks for
        // others with the percent limits in place, and only the Std model itself may prove that no table
        // exists.
        if (run.fixDir != 'r' && run.fixDir != 'f')
        {
            DirectionSearch found = DirectionSearch::Unknown;
            if (searches < kDirectionSearches && !control.StopRequested())
            {
                ++searches;
                found = SearchDirections(instance, settings, diagnosis.shortCells, solver, integerSolver,
                                         params, control, log, choice);
                if (found == DirectionSearch::Found)
                    continue;
            }
            out.model = std::move(model.base);
            out.solved = true;
            if (found == DirectionSearch::Infeasible)
                EndProven(instance, settings, startChoice, solver, integerSolver, params, control, log, out);
            else
            {
                // No proof either way: what the fixed directions show, and no table.
                ExplainInfeasible(instance, run, settings, choice, diagnosis, solver, control, log);
                out.result.status = SolveStatus::NoSolution;
                out.result.detail =
                    found == DirectionSearch::NotTried
                        ? "no directions that the table can meet were found, and no integer solver is at "
                          "hand to look for others"
                        : "no directions that the table can meet were found in the time given";
            }
            return out;
        }
        ExplainInfeasible(instance, run, settings, choice, diagnosis, solver, control, log);
        const PctAdvice advice = AdvisePctBounds(instance, settings, startChoice, solver, params, control);
        out.model = std::move(model.base);
        out.result = std::move(lex.last);
        out.result.detail =
            "no table meets the directions fixed " +
            std::string(run.fixDir == 'r' ? "at random" : "from the file") +
            (settings.pctBounds >= 0 ? " within --pct-bounds " + LogNumber(settings.pctBounds) : "");
        out.endLines.push_back("ERROR: " + out.result.detail);
        if (advice.found)
            out.endLines.push_back(PctAdviceLine(advice, settings.pctBounds));
        out.solved = true;
        return out;
    }
}

} // namespace vrn
