#include "fast/fast_solve.h"

#include "common/exit_status.h"
#include "common/number_format.h"
#include "fast/direction_search.h"
#include "fast/direction_ties.h"
#include "fast/lexmin.h"
#include "fast/lexmin_shared.h"
#include "fast/mend_directions.h"
#include "fast/pct_advice.h"
#include "fast/run_settings.h"
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
constexpr size_t kListedCells = 10;

int FreeCount(const Instance& instance, const DirectionChoice& choice)
{
    int n = 0;
    for (size_t i = 0; i < instance.cells.size(); ++i)
        n += IsProtectable(instance.cells[i]) && choice.direction[i] == Direction::Free;
    return n;
}

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

void ReportModel(const FastModel& model, const FastSettings& settings, const FastLog& log)
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

} // namespace

std::string FastOptionsText(const BackendOptions& options)
{
    std::string order;
    for (const int objective : options.order)
        order += (order.empty() ? "" : "-") + std::to_string(objective);
    const char* fixDir = options.fixDir == 'r'   ? "at random"
                         : options.fixDir == 'f' ? "from a file"
                                                 : "by the heuristic";
    return "order " + (order.empty() ? std::string("4-2-3-1 (default)") : order) + ", directions " + fixDir +
           ", expobj " + LogNumber(options.expObj) + ", epsf " + LogNumber(options.epsF) + ", epsrhs " +
           LogNumber(options.epsRhs) +
           (options.pctBounds >= 0 ? ", pct-bounds " + LogNumber(options.pctBounds) + " %" : "") +
           ", LP method " +
           (options.simplex     ? "simplex"
            : options.crossover ? "barrier with crossover"
                                : "barrier without crossover");
}

namespace
{

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
    const double big = settings.big > 0 ? settings.big : AutomaticBig(instance);
    for (size_t i = 0; i < instance.cells.size(); ++i)
        if (IsProtectable(instance.cells[i]) && choice.direction[i] == Direction::Free)
        {
            choice.direction[i] = CanMoveUp(instance.cells[i], big) ? Direction::Up : Direction::Down;
            choice.source[i] = DirectionSource::Heuristic;
        }
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

bool ChooseDirections(const Instance& instance, const BackendOptions& options, HeuristicRelaxation relaxation,
                      SolverAdapter& solver, RunControl& control, const FastLog& log, DirectionChoice& choice,
                      FastOutcome& end)
{
    const double big = BigFromOptions(instance, options);
    choice = ForcedDirections(instance, big);
    if (options.fixDir == 'r')
    {
        ChooseAtRandom(instance, static_cast<uint64_t>(options.seed), choice);
        log.say("directions: fixed at random with seed " + std::to_string(options.seed));
    }
    else if (options.fixDir == 'f')
    {
        DirectionsFileResult file = ReadDirectionsFile(options.fixDirFile, instance, big);
        if (!file.errors.empty())
        {
            for (const FormatError& error : file.errors)
                log.warn(FormatErrorText(options.fixDirFile, error));
            end.exitStatus = kExitInstance;
            end.outcome = "directions file errors";
            end.reason =
                std::to_string(file.errors.size()) + " errors in the directions file " + options.fixDirFile;
            return false;
        }
        choice = std::move(file.choice);
        log.say("directions: " + std::to_string(file.given) + " read from " + options.fixDirFile);
    }
    if (const int open = FreeCount(instance, choice); open > 0)
    {
        if (options.fixDir == 'f')
            log.say("directions: " + std::to_string(open) +
                    " sensitive cells the file omits take the heuristic's direction");
        log.say("directions: the heuristic " + HeuristicText(relaxation, options.model) + " (" +
                std::to_string(open) + " cells) ...");
        ChooseByHeuristic(instance, FastSettingsFromOptions(instance, options), relaxation, options.model,
                          solver, SolveParamsFromOptions(options), control, choice);
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

namespace
{

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

// The heuristic's run after the Std model, every direction open, has shown that no table exists within
// the run's limits: with percent limits, the least value that directions a table can meet need (or the
// proof that no table exists at all); without them, no table exists.
void EndProven(const Instance& instance, const FastSettings& settings, const DirectionChoice& startChoice,
               SolverAdapter& solver, SolverAdapter* integerSolver, const SolveParams& params,
               RunControl& control, const FastLog& log, FastOutcome& out)
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

ConflictSettings FastConflictSettings(const BackendOptions& options)
{
    ConflictSettings words;
    words.additive = options.additive;
    words.tolerance = options.feasibility;
    words.boundsWords = false; // the limits come from the percent bounds and the directions as well
    return words;
}

void ExplainInfeasible(const Instance& instance, const BackendOptions& options, const FastSettings& settings,
                       const DirectionChoice& choice, const DirectionDiagnosis& diagnosis,
                       SolverAdapter& solver, RunControl& control, const FastLog& log)
{
    const SolveParams params = SolveParamsFromOptions(options);
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
        const ConflictReport relations = FindConflicts(instance, FixedModelRanges(instance, settings, choice),
                                                       FastConflictSettings(options));
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
        const std::string why = DirectionConflictText(instance, ranges, FastConflictSettings(options),
                                                      cells[k], choice.direction[cells[k]]);
        log.warn("  " + CellDirectionText(instance, choice, cells[k]) + (why.empty() ? "" : ": " + why));
    }
    if (cells.size() > kListedCells)
        log.warn("  ... and " + std::to_string(cells.size() - kListedCells) + " more");
    if (settings.pctBounds >= 0 &&
        DiagnoseDirections(instance, unbounded, choice, solver, params, control).shortCells.empty())
        log.warn("without " + pct +
                 " these directions can be met: the other cells may not move enough to "
                 "compensate; raise --pct-bounds");
    else if (options.fixDir != 's')
        log.warn("the heuristic (--fixdir s) looks for directions the bounds and relations can satisfy");
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
bool SharesOneModel(const Instance& instance, const BackendOptions& options, const LexminSettings& lexmin,
                    SolverAdapter& solver)
{
    const bool severalStagesOrMax =
        lexmin.order.size() > 1 ||
        std::find(lexmin.order.begin(), lexmin.order.end(), 4) != lexmin.order.end();
    return severalStagesOrMax && !options.integerCells && instance.RelationCount() > 0 &&
           solver.OpenLpSession(MipModel{}) != nullptr;
}

std::string SharedModelNote(const BackendOptions& options, const LexminSettings& lexmin)
{
    const bool max = std::find(lexmin.order.begin(), lexmin.order.end(), 4) != lexmin.order.end();
    return std::string(
               "the stages share one model: the first solve uses the primal simplex with presolve, each "
               "later one starts from the basis of the one before") +
           (max ? "; objective 4 is found by bisection on its value with column bounds" : "") +
           (options.simplex ? ""
                            : " (the barrier leaves no basis to start from, so --method b does not apply)");
}

} // namespace

FastOutcome SolveFast(const Instance& instance, const BackendOptions& options, SolverAdapter& solver,
                      RunControl& control, const std::string& lpPath, const FastLog& log,
                      HeuristicRelaxation relaxation, SolverAdapter* integerSolver)
{
    FastOutcome out;
    if (options.integerCells && !solver.SolvesIntegerPrograms())
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
    if (!ChooseDirections(instance, options, relaxation, solver, control, log, choice, out))
        return out;
    return SolveFastWithDirections(instance, options, solver, control, lpPath, log, std::move(choice),
                                   integerSolver);
}

FastOutcome SolveFastWithDirections(const Instance& instance, const BackendOptions& options,
                                    SolverAdapter& solver, RunControl& control, const std::string& lpPath,
                                    const FastLog& log, DirectionChoice choice, SolverAdapter* integerSolver)
{
    FastOutcome out;
    FastSettings settings = FastSettingsFromOptions(instance, options);
    SolveParams params = SolveParamsFromOptions(options);
    params.firstFeasible = false; // --first belongs to the Std formulation: every stage runs to its end
    LexminSettings lexmin = LexminSettingsFromOptions(options);
    const bool shared = SharesOneModel(instance, options, lexmin, solver);
    if (shared)
    {
        settings.withMaxObjective = false; // its value becomes column bounds instead
        // Without big-M rows the linear program needs no scaling down, and it costs accuracy: with the
        // automatic scale of a 1,000,000-cell table (1e5) a cell of 1 is 1e-5, near the solver's tolerance,
        // and its points broke relations by up to 0.6 once held within their bounds. A table of tiny
        // values keeps its scaling up, which holds its levels above the solver's tolerances.
        if (options.scale <= 0)
            settings.scale = std::min(settings.scale, 1.0);
        log.say(SharedModelNote(options, lexmin));
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
    const bool mayMend = options.fixDir != 'r' && options.fixDir != 'f' && mip != nullptr;
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
            if (options.writeLp)
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
        const int flipped = round < kRepairRounds && diagnosis.solved
                                ? FlipShortCells(instance, BigFromOptions(instance, options), ties,
                                                 diagnosis.shortCells, flips, choice)
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
        if (options.fixDir != 'r' && options.fixDir != 'f')
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
                ExplainInfeasible(instance, options, settings, choice, diagnosis, solver, control, log);
                out.result.status = SolveStatus::NoSolution;
                out.result.detail =
                    found == DirectionSearch::NotTried
                        ? "no directions that the table can meet were found, and no integer solver is at "
                          "hand to look for others"
                        : "no directions that the table can meet were found in the time given";
            }
            return out;
        }
        ExplainInfeasible(instance, options, settings, choice, diagnosis, solver, control, log);
        const PctAdvice advice = AdvisePctBounds(instance, settings, startChoice, solver, params, control);
        out.model = std::move(model.base);
        out.result = std::move(lex.last);
        out.result.detail =
            "no table meets the directions fixed " +
            std::string(options.fixDir == 'r' ? "at random" : "from the file") +
            (settings.pctBounds >= 0 ? " within --pct-bounds " + LogNumber(settings.pctBounds) : "");
        out.endLines.push_back("ERROR: " + out.result.detail);
        if (advice.found)
            out.endLines.push_back(PctAdviceLine(advice, settings.pctBounds));
        out.solved = true;
        return out;
    }
}

} // namespace vrn
