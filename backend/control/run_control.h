// What every part of a run shares while the solver works: the stop request (from the "stop"
// command, SIGTERM or the time limit), the clock, and the current state for "status" and progress lines.
#pragma once

#include "control/ticker.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vrn
{

enum class StopReason
{
    None,
    Command, // "stop" on standard input
    Signal,  // SIGTERM, SIGINT or SIGHUP
    TimeLimit,
    FirstFeasible
};

std::string StopReasonText(StopReason reason);

class RunControl
{
public:
    // timeLimit: seconds of wall clock for the whole run, <= 0 for none.
    explicit RunControl(double timeLimit);

    // True once a stop was asked for or the time limit has passed. Cheap enough for solver callbacks.
    bool StopRequested();
    StopReason Reason() const { return static_cast<StopReason>(m_reason.load()); }
    void RequestStop(StopReason reason);
    // Takes back a stop for this reason: an inner search that wanted only a first table has it.
    void WithdrawStop(StopReason reason)
    {
        int expected = static_cast<int>(reason);
        m_reason.compare_exchange_strong(expected, 0);
    }

    double Elapsed() const;
    // Seconds left before the time limit; a large number without one.
    double Remaining() const;
    bool HasTimeLimit() const { return m_timeLimit > 0; }
    // The time the run needs after the solver to check and write its table: the solvers are stopped
    // this much before the limit (at most a tenth of it), so that the run ends at its limit.
    void ReserveForTheEnd(double seconds);

    // Objective values from the solver are multiplied by this (the model's scale) before they are shown.
    void SetObjectiveScale(double scale) { m_objectiveScale = scale; }
    void SetPhase(const std::string& phase);
    std::string Phase() const;
    void SetIncumbent(double scaledObjective);
    void SetBound(double scaledBound);
    bool HasIncumbent() const { return m_hasIncumbent.load(); }
    // The incumbent's column values, for a solver whose callback can give them: kept so that a run
    // whose solver ignores a stop can still write the table. Copies the values under the lock.
    void SetIncumbentColumns(std::vector<double> columns);
    // The latest columns delivered (empty before one came).
    std::vector<double> IncumbentColumns() const;
    // The incumbent as the table's adjusted values, for a solve whose columns belong to a model the
    // driver does not hold (the Fast heuristic's stages): kept so that a run whose solver ignores a stop
    // in a later stage can still write the table of the stage before.
    void SetIncumbentTable(std::vector<double> adjusted);
    std::vector<double> IncumbentTable() const;
    // For a solver that tells its incumbent only in its own log.
    void SetIncumbentHidden(bool hidden) { m_incumbentHidden = hidden; }
    bool IncumbentHidden() const { return m_incumbentHidden.load(); }
    std::string StatusLine() const;

private:
    std::chrono::steady_clock::time_point m_start;
    double m_timeLimit;
    std::atomic<double> m_reserve{0};
    std::atomic<int> m_reason{0};
    double m_objectiveScale = 1;
    mutable std::mutex m_mutex;
    std::string m_phase = "starting";
    std::atomic<bool> m_hasIncumbent{false};
    double m_incumbent = 0;
    double m_bound = 0;
    bool m_hasBound = false;
    std::vector<double> m_incumbentColumns;
    std::vector<double> m_incumbentTable;
    std::atomic<bool> m_incumbentHidden{false};
};

// SIGTERM, SIGINT and SIGHUP only set a flag, whatever handlers a solver library installs;
// RunControl::StopRequested picks it up. Call before any other thread starts.
void InstallStopSignalHandler();
bool StopSignalReceived();
const char* StopSignalName(); // of the signal that asked for the stop

// Cuts standard input into command lines. A line is kept to 1024 bytes: a longer one (or endless
// input without a line end) is not held in memory and comes out as kTooLong once its end arrives.
class CommandLineSplitter
{
public:
    static constexpr size_t kMaxLine = 1024;
    static const char* const kTooLong;
    static const char* const kTooLongAnswer;
    std::vector<std::string> Feed(const char* data, size_t size);

private:
    std::string m_pending;
    bool m_tooLong = false;
};

// Reads standard input line by line on its own thread and obeys "stop", "status" and "help".
// End of input is not a stop. The thread is detached: a blocked read must not hold up the exit.
void StartCommandWatcher(std::shared_ptr<RunControl> control);

// Answer to one typed line (what the watcher prints); "stop" also requests the stop.
std::string ObeyCommand(const std::string& line, RunControl& control);

// Prints the status line every `seconds` while the solver runs.
class ProgressPrinter
{
public:
    ProgressPrinter(std::shared_ptr<RunControl> control, double seconds);
    ~ProgressPrinter();
    ProgressPrinter(const ProgressPrinter&) = delete;
    ProgressPrinter& operator=(const ProgressPrinter&) = delete;

private:
    std::shared_ptr<RunControl> m_control;
    Ticker m_ticker; // last: it ticks once the members above exist
};

// Passes a stop of the run (command, signal, time limit) on to an inner control that carries a time
// limit of its own (a block's solve, a step of a search), checked every 50 ms on a thread of its own.
class StopRelay
{
public:
    StopRelay(RunControl& run, RunControl& inner);
    ~StopRelay();
    StopRelay(const StopRelay&) = delete;
    StopRelay& operator=(const StopRelay&) = delete;

private:
    RunControl& m_run;
    RunControl& m_inner;
    Ticker m_ticker;
    bool Pass();
};

// Guards against a solver that does not obey a stop (some do not look at the clock while they
// solve their first linear program): once a stop has been requested (or the time limit has passed)
// and the solver has not returned within `graceSeconds`, calls onOverrun (which ends the run).
class StopWatchdog
{
public:
    StopWatchdog(std::shared_ptr<RunControl> control, double graceSeconds, std::function<void()> onOverrun);
    ~StopWatchdog();
    // A shorter grace while the solver has reported no table (and hides none): ending then loses nothing.
    void SetGraceWithoutTable(double seconds) { m_graceWithoutTable = seconds; }
    StopWatchdog(const StopWatchdog&) = delete;
    StopWatchdog& operator=(const StopWatchdog&) = delete;

private:
    std::shared_ptr<RunControl> m_control;
    double m_grace;
    std::atomic<double> m_graceWithoutTable{-1};
    std::function<void()> m_onOverrun;
    double m_stopSeen = -1; // run time at which the stop was first seen; -1: no stop
    Ticker m_ticker;
    bool Check();
    double Grace() const;
};

} // namespace vrn
