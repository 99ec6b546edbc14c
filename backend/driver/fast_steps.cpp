#include "cli/run_settings.h"
#include "common/number_format.h"
#include "driver/run_steps.h"
#include "fast/fast_solve.h"
#include "fast/starting_point.h"
#include "model/checks.h"

namespace vrn
{

// Fast: directions, model and the lexicographic loop in fast_solve.cpp; the result files as in Std.
void BackendRun::FastSteps()
{
    auto adapter = Entry()->make();
    auto integerSolver = IntegerSolver(*adapter);
    const RunLog log = Log();
    FastOutcome fast;
    Phase("solving the Fast formulation with " + adapter->Name(),
          [&]
          {
              ProgressPrinter progress(m_control, m_opt.progressSeconds > 0 ? m_opt.progressSeconds : 5);
              // Before its first stage ends the Fast solve holds no table: a stop then ends the run
              // at once (a barrier solve does not look at the clock).
              StopWatchdog watchdog(m_control, kStopGraceSeconds, [&] { EndOverrun(adapter->Name()); });
              watchdog.SetGraceWithoutTable(kEarlyStopSeconds + 1);
              fast =
                  SolveFast(m_instance, FastRunSettingsFromOptions(m_instance, m_opt), *adapter, *m_control,
                            m_base + ".lp", log, HeuristicRelaxation::Balance, integerSolver.get());
              return true;
          });
    if (!fast.solved)
        EndWithoutTable(fast.exitStatus, fast.outcome, fast.reason);
    else
    {
        m_model = std::move(fast.model);
        for (const std::string& line : fast.endLines)
            Warn(line);
        Phase("checking the table",
              [&] { return SecureFastTable(*adapter, integerSolver.get(), fast.result); });
        Phase("writing the solution", [&] { return Finish(fast.result); });
    }
    ReportTimes();
}

// A Fast table that fails the check (the solver's tolerance acts on its scaled copy of the model) is
// solved again with its directions at a tight tolerance before it is written.
bool BackendRun::SecureFastTable(SolverAdapter& solver, SolverAdapter* integerSolver, SolveResult& result)
{
    const std::optional<std::vector<double>> failing = RepairIfFailing(
        solver, integerSolver, result,
        "the table fails the solution check; solving again with its directions at a tight tolerance ...");
    if (!failing)
        return true;
    const std::vector<double>& repaired = *failing;
    if (repaired.empty())
    {
        Say("repair: none found; the table is written as it is");
        return true;
    }
    Say("repair: a checked table with total weighted change " +
        LogNumber(WeightedChange(m_instance, repaired)));
    result.solution = StdColumnsOf(m_instance, m_model, repaired);
    return true;
}

// An integer solver of this executable for the searches of the Fast heuristic: the run's own when it
// solves integer programs, else the first that does (CBC beside CLP).
std::unique_ptr<SolverAdapter> BackendRun::IntegerSolver(const SolverAdapter& own) const
{
    if (own.SolvesIntegerPrograms())
        return nullptr;
    for (const auto& entry : m_build.solvers)
        if (auto adapter = entry.make(); adapter->SolvesIntegerPrograms())
            return adapter;
    return nullptr;
}

} // namespace vrn
