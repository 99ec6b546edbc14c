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

namespace
{

// One Fast solve from directions chosen: the model with these directions, and while it is infeasible the
// directions mended, flipped or searched for again, until a table is found or the run says why none is.
class FastLoop
{
public:
    FastLoop(const Instance& instance, const FastRunSettings& run, SolverAdapter& solver, RunControl& control,
             const std::string& lpPath, const RunLog& log, DirectionChoice choice,
             SolverAdapter* integerSolver)
        : m_instance(instance), m_run(run), m_solver(solver), m_control(control), m_lpPath(lpPath),
          m_log(log), m_choice(std::move(choice)), m_startChoice(m_choice), m_integerSolver(integerSolver),
          m_settings(run.model), m_params(run.solve), m_lexmin(run.lexmin), m_flips(instance.cells.size(), 0),
          m_ties(instance, run.model.additive)
    {
        m_params.firstFeasible = false; // --first belongs to the Std formulation: every stage runs to its end
        m_mip = integerSolver != nullptr ? integerSolver : solver.SolvesIntegerPrograms() ? &solver : nullptr;
        m_ownDirections = run.fixDir != 'r' && run.fixDir != 'f';
        m_mayMend = m_ownDirections && m_mip != nullptr;
    }

    FastOutcome Run()
    {
        ChooseTheLpMethod();
        for (int round = 0;; ++round)
        {
            if (round == 0)
                MendBeforeTheFirstSolve();
            FastModel model = BuildFastModel(m_instance, m_settings, m_choice);
            if (round == 0)
                ReportAndWrite(model);
            // A stop during the mending (the end of the starting point's share, often) leaves no time for
            // the linear program: its solver would first presolve the whole model before it looks at the
            // stop, seconds on a large table.
            LexminResult lex = m_control.StopRequested() ? StoppedBeforeTheSolve() : SolveRound(model);
            if (lex.stages.front().status != SolveStatus::Infeasible)
                return TableOf(model, lex);
            if (m_control.StopRequested())
            {
                // Stopped (the run, or the end of the starting point's share): no time to look for others.
                lex.last.status = SolveStatus::NoSolution;
                lex.last.solution.clear();
                return TableOf(model, lex);
            }
            m_log.say("the model with these directions is infeasible; looking for the directions that cause "
                      "it ...");
            if (MendAfterAnInfeasibleRound())
                continue;
            const DirectionDiagnosis diagnosis =
                DiagnoseDirections(m_instance, m_settings, m_choice, m_solver, m_params, m_control);
            if (FlipTheShortCells(diagnosis, round))
                continue;
            if (!m_ownDirections)
                return EndOfFixedDirections(model, lex, diagnosis);
            // The program's own directions: before the run says "infeasible", an integer program looks for
            // others with the percent limits in place, and only the Std model itself may prove that no table
            // exists.
            const DirectionSearch found = SearchOtherDirections(diagnosis);
            if (found == DirectionSearch::Found)
                continue;
            return EndOfOwnDirections(model, diagnosis, found);
        }
    }

private:
    const Instance& m_instance;
    const FastRunSettings& m_run;
    SolverAdapter& m_solver;
    RunControl& m_control;
    const std::string& m_lpPath;
    const RunLog& m_log;
    DirectionChoice m_choice;
    const DirectionChoice m_startChoice;
    SolverAdapter* m_integerSolver;
    SolverAdapter* m_mip = nullptr; // what solves the integer programs of the mending and the search
    FastSettings m_settings;
    SolveParams m_params;
    LexminSettings m_lexmin;
    bool m_shared = false;
    bool m_ownDirections = true; // chosen by the program, not at random or from the file
    bool m_mayMend = false;
    bool m_pctCause = false; // the percent bounds, not the directions, break relations
    std::vector<int> m_flips;
    const DirectionTies m_ties;
    int m_searches = 0, m_mends = 0;
    int m_lastMendChanged = 0; // directions the last mending changed
    FastOutcome m_out;

    void ChooseTheLpMethod()
    {
        m_shared = SharesOneModel(m_instance, m_settings, m_lexmin, m_solver);
        if (m_shared)
        {
            m_settings.withMaxObjective = false; // its value becomes column bounds instead
            // Without big-M rows the linear program needs no scaling down, and it costs accuracy: with the
            // automatic scale of a 1,000,000-cell table (1e5) a cell of 1 is 1e-5, near the solver's
            // tolerance, and its points broke relations by up to 0.6 once held within their bounds. A table
            // of tiny values keeps its scaling up, which holds its levels above the solver's tolerances.
            if (!m_run.scaleGiven)
                m_settings.scale = std::min(m_settings.scale, 1.0);
            m_log.say(SharedModelNote(m_params, m_lexmin));
        }
        else if (m_settings.withMaxObjective && !m_params.simplex)
        {
            // Objective 4's bounding column sits in one row per cell, and neither CLP's nor GLPK's interior
            // point treats such a dense column: on a 300x300 table CLP's barrier took 215 s for 4-2-3-1, its
            // simplex 6.5 s (GLPK on 30x30: 9 s against 0.05 s).
            m_log.say("note: with objective 4 the Fast model is solved with the simplex method (the interior "
                      "point is far slower with the column that bounds every relative change)");
            m_params.simplex = true;
        }
    }

    void Mend()
    {
        ++m_mends;
        DirectionMend mend =
            MendDirections(m_instance, m_settings, m_choice, m_solver, *m_mip, m_params, m_control, m_log);
        if (!mend.table.empty())
            m_out.mendedTable = std::move(mend.table);
        m_lastMendChanged = mend.changed;
    }
    // Directions that a relation on its own shows impossible are mended before any solve: the linear
    // program would only say infeasible (and an interior point may not even say that in time).
    void MendBeforeTheFirstSolve()
    {
        if (!m_mayMend)
            return;
        if (const int broken = RelationsTheDirectionsBreak(m_instance, m_settings, m_choice); broken > 0)
            m_pctCause = PctBoundsAreTheCause(m_instance, m_settings, m_choice, broken);
        if (m_pctCause)
            return;
        if (const int broken = RelationsTheDirectionsBreak(m_instance, m_settings, m_choice); broken > 0)
        {
            m_log.say("directions: " + std::to_string(broken) +
                      " relations cannot add up with these directions, each on its own terms");
            Mend();
        }
    }

    void ReportAndWrite(FastModel& model)
    {
        ReportModel(model, m_settings, m_log);
        if (!m_run.writeLp)
            return;
        model.base.mip.cost = model.ObjectiveCosts(m_lexmin.order.front());
        std::string error;
        if (WriteLpFile(model.base.mip, m_lpPath, error))
            m_log.say("LP file written (objective " + std::to_string(m_lexmin.order.front()) +
                      "): " + m_lpPath);
        else
            m_log.warn("WARNING: " + error);
    }

    LexminResult SolveRound(FastModel& model)
    {
        m_control.SetObjectiveScale(model.base.scale);
        // Each stage's table, kept where a stop that the solver overruns in a later stage still finds it.
        m_lexmin.stagePoint = [&](const std::vector<double>& solution)
        { m_control.SetIncumbentTable(model.base.AdjustedValues(m_instance, solution)); };
        LexminResult lex =
            m_shared ? SolveLexicographicShared(
                           model, m_lexmin, [&](const MipModel& mip) { return m_solver.OpenLpSession(mip); },
                           m_params, m_control, m_log.say, ColumnBases(m_instance, model.base))
                     : SolveLexicographic(model, m_lexmin, m_solver, m_params, m_control, m_log.say);
        m_lexmin.stagePoint = nullptr; // it refers to this round's model
        return lex;
    }

    LexminResult StoppedBeforeTheSolve() const
    {
        LexminResult lex;
        lex.stages.push_back(LexminStage{m_lexmin.order.front(), 0, SolveStatus::NoSolution, 0});
        lex.last.status = SolveStatus::NoSolution;
        lex.last.detail = "stopped before the linear program was solved";
        return lex;
    }

    FastOutcome TableOf(FastModel& model, LexminResult& lex)
    {
        if (!lex.complete && lex.last.status == SolveStatus::Optimal)
            lex.last.status = SolveStatus::Feasible; // a later stage did not finish
        lex.last.bound = -kInfinity;                 // the Fast model bounds nothing about the Std problem
        ClipToBounds(model.base.mip, lex.last.solution);
        m_out.model = std::move(model.base);
        m_out.result = std::move(lex.last);
        m_out.solved = true;
        return std::move(m_out);
    }

    // The program's own directions are mended as a whole first: flipping them one conflict at a time
    // walks in circles where sensitive cells must balance each other exactly. True: solve again.
    bool MendAfterAnInfeasibleRound()
    {
        if (!m_mayMend || m_pctCause || m_mends >= kMends || m_control.StopRequested())
            return false;
        Mend();
        return m_lastMendChanged > 0 && !m_control.StopRequested();
    }

    bool FlipTheShortCells(const DirectionDiagnosis& diagnosis, int round)
    {
        const int flipped =
            round < kRepairRounds && diagnosis.solved
                ? FlipShortCells(m_instance, m_run.model.big, m_ties, diagnosis.shortCells, m_flips, m_choice)
                : 0;
        if (flipped == 0 || m_control.StopRequested())
            return false;
        m_log.say("repair: " + std::to_string(flipped) + " directions flipped; directions now " +
                  m_choice.Summary());
        return true;
    }

    DirectionSearch SearchOtherDirections(const DirectionDiagnosis& diagnosis)
    {
        if (m_searches >= kDirectionSearches || m_control.StopRequested())
            return DirectionSearch::Unknown;
        ++m_searches;
        return SearchDirections(m_instance, m_settings, diagnosis.shortCells, m_solver, m_integerSolver,
                                m_params, m_control, m_log, m_choice);
    }

    FastOutcome EndOfOwnDirections(FastModel& model, const DirectionDiagnosis& diagnosis,
                                   DirectionSearch found)
    {
        m_out.model = std::move(model.base);
        m_out.solved = true;
        if (found == DirectionSearch::Infeasible)
            EndProven(m_instance, m_settings, m_startChoice, m_solver, m_integerSolver, m_params, m_control,
                      m_log, m_out);
        else
        {
            // No proof either way: what the fixed directions show, and no table.
            ExplainInfeasible(m_instance, m_run, m_settings, m_choice, diagnosis, m_solver, m_control, m_log);
            m_out.result.status = SolveStatus::NoSolution;
            m_out.result.detail = found == DirectionSearch::NotTried
                                      ? "no directions that the table can meet were found, and no integer "
                                        "solver is at hand to look for others"
                                      : "no directions that the table can meet were found in the time given";
        }
        return std::move(m_out);
    }

    FastOutcome EndOfFixedDirections(FastModel& model, LexminResult& lex, const DirectionDiagnosis& diagnosis)
    {
        ExplainInfeasible(m_instance, m_run, m_settings, m_choice, diagnosis, m_solver, m_control, m_log);
        const PctAdvice advice =
            AdvisePctBounds(m_instance, m_settings, m_startChoice, m_solver, m_params, m_control);
        m_out.model = std::move(model.base);
        m_out.result = std::move(lex.last);
        m_out.result.detail =
            "no table meets the directions fixed " +
            std::string(m_run.fixDir == 'r' ? "at random" : "from the file") +
            (m_settings.pctBounds >= 0 ? " within --pct-bounds " + LogNumber(m_settings.pctBounds) : "");
        m_out.endLines.push_back("ERROR: " + m_out.result.detail);
        if (advice.found)
            m_out.endLines.push_back(PctAdviceLine(advice, m_settings.pctBounds));
        m_out.solved = true;
        return std::move(m_out);
    }
};

} // namespace

FastOutcome SolveFastWithDirections(const Instance& instance, const FastRunSettings& run,
                                    SolverAdapter& solver, RunControl& control, const std::string& lpPath,
                                    const RunLog& log, DirectionChoice choice, SolverAdapter* integerSolver)
{
    return FastLoop(instance, run, solver, control, lpPath, log, std::move(choice), integerSolver).Run();
}

} // namespace vrn
