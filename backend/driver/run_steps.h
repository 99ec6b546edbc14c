// The run of mainVRN.exe as one object: its state and its steps. The step list, the command line,
// the log, reading and checking the instance are in backend_run.cpp; the Std steps in std_steps.cpp;
// the Fast steps in fast_steps.cpp; the table's check, the outcome and the result files (the report
// page among them) in run_finish.cpp. Only the driver includes this header.
#pragma once

#include "bcd/block_descent.h"
#include "cli/options.h"
#include "common/file_safety.h"
#include "common/run_log.h"
#include "control/run_control.h"
#include "driver/run_outcome.h"
#include "driver/run_report.h"
#include "instance/instance.h"
#include "model/checks.h"
#include "model/std_model.h"
#include "results/output_tee.h"
#include "results/report_page.h"
#include "results/result_files.h"
#include "solvers/solver_adapter.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vrn
{

// How long a solver may take to obey a stop or the time limit before the run ends without it. The
// run then checks and writes the best table it holds, which takes about a second on a large table,
// so that a stop ends the run within about 3 s whatever the solver does.
constexpr double kStopGraceSeconds = 1.5;
// How long a stop may wait before a solver starts (reading, checking, building the model).
constexpr double kEarlyStopSeconds = 1;
// Checking and writing a table after the solver, per cell: 1,000,000 cells took 2.5 s on 2 busy cores.
constexpr double kFinishSecondsPerCell = 3e-6;

// One run, step by step; each step returns false when the run ends there, with m_status set.
class BackendRun
{
public:
    BackendRun(int argc, char** argv, const BuildInfo& build) : m_argc(argc), m_argv(argv), m_build(build) {}

    int Run();

private:
    int m_argc;
    char** m_argv;
    const BuildInfo& m_build;
    BackendOptions m_opt;
    std::string m_base;
    ResultBaseLock m_lock; // declared before the log: released after it is closed
    OutputTee m_tee;
    std::vector<std::string> m_optionWarnings;
    std::unique_ptr<StopWatchdog> m_earlyGuard; // until the solver starts
    std::shared_ptr<RunControl> m_control;
    Instance m_instance;
    StdModel m_model;
    int m_status = kExitProtected;
    std::vector<std::pair<std::string, double>> m_phaseTimes;
    std::vector<double> m_start;          // the table the integer search starts from, as the model's columns
    std::vector<double> m_startTable;     // the same table's adjusted values
    bool m_falseInfeasible = false;       // the solver declared infeasible a model the start satisfies
    std::atomic<bool> m_startHeld{false}; // m_startTable is final (the early guard may write it)
    SolverAdapter* m_solver = nullptr;
    std::vector<std::pair<std::string, std::string>> m_repairHeader; // --repair: what the .sol header says
    // The table the .sol holds, for the report page written at the run's end (with the times).
    struct PublishedTable
    {
        std::vector<double> adjusted;
        SolutionHeader header;
        CheckReport check;
    };
    std::optional<PublishedTable> m_published;

    void Say(const std::string& line) { std::printf("%s\n", line.c_str()); }

    template <class F>
    bool Phase(const std::string& name, F&& work)
    {
        m_control->SetPhase(name);
        const double start = m_control->Elapsed();
        const bool go = work();
        m_phaseTimes.emplace_back(name, m_control->Elapsed() - start);
        return go;
    }

    // The step list, the command line, the log, reading and checking (backend_run.cpp).
    bool ParseOptions();
    const SolverEntry* Entry() const;
    bool HandOffIfElsewhere();
    bool LockBase();
    void ReportLogFailure();
    bool OpenLog();
    void Steps();
    void GuardBeforeTheSolve();
    bool SolverAvailable();
    bool ReadInstance();
    bool OptionsFitTheTable();
    void ReportOptions();
    bool CheckTheInput();
    void ReportStatistics() { Say(InstanceSummary(m_instance)); }

    // Std (std_steps.cpp).
    void StdSteps();
    bool WantsStartingTable() const;
    std::unique_ptr<SolverAdapter> LinearSolver() const;
    bool Repair(SolverAdapter& adapter);
    bool BuildModel(bool report);
    bool FindStart(SolverAdapter& lp, SolverAdapter* integerSolver);
    bool AddValidInequalities(SolverAdapter& adapter);
    bool SolverFits(const SolverAdapter& adapter);
    bool WriteLp();
    bool Solve(SolverAdapter& adapter, SolveResult& result);
    void ChooseDescent(BcdSettings& descent);
    void UseAutomaticBlocks(int clusters, BcdSettings& descent) const;
    bool DescendAfterAFalseInfeasible(const SolveResult& result, BcdSettings& descent);
    bool Descend(SolverAdapter& adapter, const BcdSettings& descent, SolveResult& result);
    bool SecureTable(SolverAdapter& lp, SolverAdapter* integerSolver, SolveResult& result);

    // Fast (fast_steps.cpp).
    void FastSteps();
    bool SecureFastTable(SolverAdapter& solver, SolverAdapter* integerSolver, SolveResult& result);
    std::unique_ptr<SolverAdapter> IntegerSolver(const SolverAdapter& own) const;

    // The log's lines, the table's check, the run's end and the result files (run_finish.cpp).
    void Warn(const std::string& line);
    RunLog Log();
    bool HoldsTable(const SolveResult& result) const;
    std::vector<double> PublishedValues(const std::vector<double>& solution) const;
    std::vector<double> WholeWhereNoise(std::vector<double> adjusted) const;
    bool PassesTheCheck(const std::vector<double>& columns) const;
    std::optional<std::vector<double>> RepairIfFailing(SolverAdapter& lp, SolverAdapter* integerSolver,
                                                       const SolveResult& result,
                                                       const std::string& announce);
    [[noreturn]] void EndEarly();
    void EndBeforeTheSolve(RunEnd end, const std::string& reason);
    void EndWithoutTable(int status, const std::string& outcome, const std::string& reason);
    bool WriteResult(const SolutionHeader& header, const std::vector<double>& adjusted);
    [[noreturn]] void EndOverrunWithTable(const std::string& solver, const std::vector<double>& table,
                                          const std::string& which = "the best table found so far");
    [[noreturn]] void EndOverrunWithValues(const std::string& solver, const std::vector<double>& adjusted,
                                           const std::string& which);
    [[noreturn]] void EndOverrun(const std::string& solver);
    RunFacts SolveFacts(const SolveResult& result) const;
    bool Finish(const SolveResult& result);
    void PublishTable(RunFacts facts, const std::vector<double>& adjusted, double bound);
    void ReportTimes();
    void WriteReport(bool withTimes);
    ReportRun DescribeRun(bool withTimes) const;
};

} // namespace vrn
