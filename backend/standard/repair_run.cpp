#include "standard/repair_run.h"

#include "common/exit_status.h"
#include "common/file_safety.h"
#include "common/number_format.h"
#include "instance/cell_rules.h"
#include "model/std_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>

namespace vrn
{

namespace
{

constexpr size_t kListedChanges = 20;
constexpr size_t kListedNames = 10;

bool NeedsIntegers(const Instance& instance)
{
    return std::any_of(instance.cells.begin(), instance.cells.end(),
                       [](const Cell& cell) { return NeedsProtection(cell) && cell.status != 'z'; });
}

std::string NameList(const std::string& what, const std::set<int>& items, int offset)
{
    std::string text = what;
    size_t k = 0;
    for (const int item : items)
    {
        if (k == kListedNames)
        {
            text += " and " + std::to_string(items.size() - kListedNames) + " more";
            break;
        }
        text += (k++ ? ", " : " ") + std::to_string(item + offset);
    }
    return text;
}

void ListChanges(const RepairOutcome& repair, const RunLog& log)
{
    for (size_t k = 0; k < repair.changes.size() && k < kListedChanges; ++k)
        log.say("  " + RepairChangeText(repair.changes[k]));
    if (repair.changes.size() > kListedChanges)
        log.say("  ... and " + std::to_string(repair.changes.size() - kListedChanges) +
                " more (all of them are in the repaired instance)");
}

std::string RepairSizeText(const RepairOutcome& repair)
{
    const size_t n = repair.changes.size();
    return std::to_string(n) + (n == 1 ? " change" : " changes") + ": bounds widened by " +
           LogNumber(repair.boundsTotal) + ", protection levels lowered by " +
           LogNumber(repair.protectionTotal) + " (price x change)";
}

RepairRunResult EndRun(int status, const std::string& outcome, const std::string& reason)
{
    RepairRunResult result;
    result.goOn = false;
    result.exitStatus = status;
    result.outcome = outcome;
    result.reason = reason;
    return result;
}

// Writes the repaired instance and reads it back: the run protects what the file holds.
bool WriteRepaired(const Instance& repaired, const std::string& path, Instance& readBack, std::string& error)
{
    // Like every result file: a temporary file beside it, renamed into place, never through a link.
    std::ostringstream text;
    WriteInstance(text, repaired);
    const std::string bytes = text.str();
    std::string why;
    if (!WriteFileAtomically(
            path, [&](std::FILE* f) { return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size(); },
            why))
    {
        error = "cannot write the repaired instance " + path + ": " + why;
        return false;
    }
    ReadResult read = ReadInstanceFile(path, false);
    if (!read.errors.empty())
    {
        error = FormatErrorText(path, read.errors.front());
        return false;
    }
    readBack = std::move(read.instance);
    return true;
}

} // namespace

std::string RepairAdviceText()
{
    return "to find the least change of bounds (and, where that cannot help, of protection levels) that "
           "makes the table protectable, check \"Repair infeasibility\" (--repair y)";
}

bool SayProvenConflicts(const Instance& instance, const RepairRunSettings& run, const RunLog& log)
{
    const ConflictReport conflicts = FindInputConflicts(instance, run);
    if (conflicts.Proven())
    {
        log.say("why: what single relations and bounds allow proves it:");
        for (const std::string& line : conflicts.lines)
            log.say("  " + line);
    }
    return conflicts.Proven();
}

ConflictReport FindInputConflicts(const Instance& instance, const RepairRunSettings& run)
{
    ConflictSettings settings;
    settings.additive = run.model.additive;
    settings.tolerance = run.model.tolerance;
    return FindConflicts(instance, StdChangeRanges(instance, run.model.big), settings);
}

RepairRunResult RepairForRun(const Instance& instance, const RepairRunSettings& run, SolverAdapter& solver,
                             RunControl& control, const std::string& basePath, const RunLog& log)
{
    RepairFileResult file = ReadRepairFile(run.repairFile, instance);
    if (!file.errors.empty())
    {
        for (const FormatError& error : file.errors)
            log.warn(FormatErrorText(run.repairFile, error));
        return EndRun(kExitInstance, "repair file errors",
                      std::to_string(file.errors.size()) + " errors in the repair file " + run.repairFile);
    }
    log.say(run.repairFile.empty()
                ? "repair: every bound and protection level may change, at price 1 per unit (no repair file)"
                : "repair: prices from " + run.repairFile + " (" + std::to_string(file.prices.linesRead) +
                      " lines), price 1 per unit for the rest");
    if (NeedsIntegers(instance) && !solver.SolvesIntegerPrograms())
    {
        log.warn("ERROR: " + solver.Name() +
                 " solves linear programs only, and the repair chooses the direction of every sensitive cell "
                 "with an integer column; choose GLPK, CBC or SYMPHONY");
        return EndRun(kExitUnsupported, "solver cannot solve this model",
                      solver.Name() + " solves linear programs only");
    }
    control.SetObjectiveScale(1); // the elastic model's objective is in the table's units
    const RepairOutcome repair =
        RepairInstance(instance, run.model, file.prices, solver, run.solve, control, log.say);
    RepairRunResult result;
    switch (repair.status)
    {
    case RepairStatus::NothingToChange:
        log.say("repair: the table can be protected as it stands; the repair changes nothing");
        result.instance = instance;
        result.header.emplace_back("repaired", "no (nothing to change)");
        return result;
    case RepairStatus::Impossible:
        log.warn("ERROR: no repair makes the table protectable: " + repair.detail);
        SayProvenConflicts(instance, run, log);
        return EndRun(kExitInfeasible, "infeasible", "no repair makes the table protectable");
    case RepairStatus::NotFound:
        log.warn("ERROR: no repair was found: " + repair.detail);
        return EndRun(kExitNoSolution, "no solution", repair.detail);
    default:
        break;
    }
    log.say("repair: " + RepairSizeText(repair) +
            (repair.proven ? "" : " (the least repair was not proven: the solver stopped early)"));
    ListChanges(repair, log);
    const std::string path = basePath + "_repaired.csp";
    std::string error;
    if (!WriteRepaired(repair.repaired, path, result.instance, error))
    {
        log.warn("ERROR: " + error);
        return EndRun(kExitResultFiles, "no solution", error);
    }
    log.say("repaired instance written: " + path + "; the run protects it");
    result.repaired = true;
    result.header.emplace_back("repaired", RepairSizeText(repair));
    result.header.emplace_back("repaired instance", path);
    return result;
}

void ExplainInfeasibleTable(const Instance& instance, const RepairRunSettings& run, SolverAdapter* solver,
                            RunControl& control, const RunLog& log)
{
    if (!SayProvenConflicts(instance, run, log) && solver != nullptr && solver->SolvesIntegerPrograms())
    {
        // No relation alone proves it: the elastic model finds the least change, and so the cells in
        // conflict.
        log.say("why: no single relation proves it; looking for the least change that would make it "
                "protectable ...");
        const auto quiet = [](const std::string&) {};
        const RepairOutcome repair = RepairInstance(instance, run.model, DefaultRepairPrices(instance),
                                                    *solver, run.solve, control, quiet);
        if (repair.status == RepairStatus::Repaired)
        {
            std::set<int> cells, relations;
            for (const RepairChange& change : repair.changes)
                cells.insert(change.cell);
            for (size_t r = 0; r < instance.RelationCount(); ++r)
                for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
                    if (cells.count(instance.termCell[t]))
                        relations.insert(static_cast<int>(r));
            log.say("why: " + NameList("cells", cells, 0) + " and " + NameList("relations", relations, 1) +
                    " conflict; the least change that makes the table protectable:");
            ListChanges(repair, log);
        }
        else if (repair.status == RepairStatus::Impossible)
            log.say("why: " + repair.detail);
        else if (repair.status == RepairStatus::NothingToChange)
            log.say("why: the least change that would make it protectable is within the solvers' tolerances "
                    "(try --feasibility or --scale)");
        else
            log.say("why: the search for the cells in conflict did not finish");
    }
    log.warn(RepairAdviceText());
}

} // namespace vrn
