#include "control/run_control.h"

#include "common/escape_text.h"
#include "common/number_format.h"

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <unistd.h>

namespace vrn
{

namespace
{
// The signal that asked for a stop (SIGTERM, SIGINT or SIGHUP), 0 before one came.
std::atomic<int> g_stopSignal{0};

} // namespace

std::string StopReasonText(StopReason reason)
{
    switch (reason)
    {
    case StopReason::Command:
        return "stopped by the stop command";
    case StopReason::Signal:
        return std::string("stopped by ") + StopSignalName();
    case StopReason::TimeLimit:
        return "time limit reached";
    case StopReason::FirstFeasible:
        return "stopped at the first protected table (--first y)";
    default:
        return "";
    }
}

// The stop signals are blocked in every thread (the mask is inherited by each thread started later)
// and taken by one thread with sigwait: a handler that a solver library installs for itself (one
// prompts on the terminal on SIGINT and reads the answer from standard input) never runs.
void InstallStopSignalHandler()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread(
        [set]
        {
            for (;;)
            {
                int sig = 0;
                if (sigwait(&set, &sig) == 0)
                {
                    int none = 0;
                    g_stopSignal.compare_exchange_strong(none, sig);
                }
            }
        })
        .detach();
}

bool StopSignalReceived()
{
    return g_stopSignal.load() != 0;
}

const char* StopSignalName()
{
    switch (g_stopSignal.load())
    {
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "SIGTERM";
    }
}

RunControl::RunControl(double timeLimit) : m_start(std::chrono::steady_clock::now()), m_timeLimit(timeLimit)
{
}

bool RunControl::StopRequested()
{
    if (m_reason.load() != 0)
        return true;
    if (StopSignalReceived())
        RequestStop(StopReason::Signal);
    else if (m_timeLimit > 0 && Elapsed() >= m_timeLimit - m_reserve.load())
        RequestStop(StopReason::TimeLimit);
    return m_reason.load() != 0;
}

void RunControl::RequestStop(StopReason reason)
{
    int none = 0;
    m_reason.compare_exchange_strong(none, static_cast<int>(reason));
}

double RunControl::Elapsed() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
}

double RunControl::Remaining() const
{
    return m_timeLimit > 0 ? std::max(0.0, m_timeLimit - m_reserve.load() - Elapsed()) : 1e9;
}

void RunControl::ReserveForTheEnd(double seconds)
{
    m_reserve = std::max(0.0, std::min(seconds, m_timeLimit / 10));
}

void RunControl::SetPhase(const std::string& phase)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_phase = phase;
}

std::string RunControl::Phase() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_phase;
}

void RunControl::SetIncumbent(double scaledObjective)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_incumbent = scaledObjective * m_objectiveScale;
    m_hasIncumbent = true;
}

void RunControl::SetIncumbentColumns(std::vector<double> columns)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_incumbentColumns = std::move(columns);
}

std::vector<double> RunControl::IncumbentColumns() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_incumbentColumns;
}

void RunControl::SetIncumbentTable(std::vector<double> adjusted)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_incumbentTable = std::move(adjusted);
}

std::vector<double> RunControl::IncumbentTable() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_incumbentTable;
}

void RunControl::SetBound(double scaledBound)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bound = scaledBound * m_objectiveScale;
    m_hasBound = std::isfinite(m_bound);
}

std::string RunControl::StatusLine() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::string line = "[vrn] " + m_phase + ", " + FixedPoint(Elapsed(), 1) + " s";
    if (m_incumbentHidden && !m_hasIncumbent)
        line += ", the best table so far shows in the solver's own progress lines";
    else
        line += m_hasIncumbent ? ", best table found: objective " + LogNumber(m_incumbent)
                               : ", no protected table yet";
    if (m_hasBound)
        line += ", bound " + LogNumber(m_bound);
    if (m_hasIncumbent && m_hasBound && m_incumbent != 0)
        line += ", gap " +
                LogNumber(std::round(1000 * std::fabs(m_incumbent - m_bound) / std::fabs(m_incumbent)) / 10) +
                " %";
    return line;
}

std::string ObeyCommand(const std::string& rawLine, RunControl& control)
{
    std::string line = rawLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    line = first == std::string::npos ? "" : line.substr(first);
    if (line == "stop")
    {
        control.RequestStop(StopReason::Command);
        return "[vrn] stop: ending the solve, the best table found so far will be written";
    }
    if (line == "status")
        return control.StatusLine();
    if (line == "help")
        return "[vrn] commands: stop (end the solve and keep the best table found), status (the current "
               "state), "
               "help (this list)";
    if (line.empty())
        return "";
    const std::string shown = line.size() > 60 ? line.substr(0, 60) + "..." : line;
    return "[vrn] unknown command '" + EscapeControl(shown) + "'; the commands are stop, status and help";
}

void StartCommandWatcher(std::shared_ptr<RunControl> control)
{
    std::thread(
        [control]()
        {
            CommandLineSplitter splitter;
            char buffer[4096];
            for (;;)
            {
                const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
                if (n <= 0)
                    return; // end of input (or no input at all) is not a stop
                for (const std::string& line : splitter.Feed(buffer, static_cast<size_t>(n)))
                {
                    const std::string answer = line == CommandLineSplitter::kTooLong
                                                   ? CommandLineSplitter::kTooLongAnswer
                                                   : ObeyCommand(line, *control);
                    if (!answer.empty())
                    {
                        std::printf("%s\n", answer.c_str());
                        std::fflush(stdout);
                    }
                }
            }
        })
        .detach();
}

const char* const CommandLineSplitter::kTooLong = "\x01too long";
const char* const CommandLineSplitter::kTooLongAnswer =
    "[vrn] a command line longer than 1024 bytes was ignored; the commands are stop, status and help";

std::vector<std::string> CommandLineSplitter::Feed(const char* data, size_t size)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < size; ++i)
    {
        if (data[i] == '\n')
        {
            lines.push_back(m_tooLong ? std::string(kTooLong) : m_pending);
            m_pending.clear();
            m_tooLong = false;
        }
        else if (m_pending.size() < kMaxLine)
            m_pending += data[i];
        else
            m_tooLong = true;
    }
    return lines;
}

ProgressPrinter::ProgressPrinter(std::shared_ptr<RunControl> control, double seconds)
    : m_control(std::move(control)), m_ticker(seconds,
                                              [this]
                                              {
                                                  std::printf("%s\n", m_control->StatusLine().c_str());
                                                  std::fflush(stdout);
                                                  return true;
                                              })
{
}

ProgressPrinter::~ProgressPrinter() = default;

StopWatchdog::StopWatchdog(std::shared_ptr<RunControl> control, double graceSeconds,
                           std::function<void()> onOverrun)
    : m_control(std::move(control)), m_grace(graceSeconds), m_onOverrun(std::move(onOverrun)),
      m_ticker(0.1, [this] { return Check(); })
{
}

StopWatchdog::~StopWatchdog() = default;

double StopWatchdog::Grace() const
{
    const double withoutTable = m_graceWithoutTable.load();
    const bool noTable = !m_control->HasIncumbent() && !m_control->IncumbentHidden();
    return withoutTable >= 0 && noTable ? std::min(withoutTable, m_grace) : m_grace;
}

bool StopWatchdog::Check()
{
    // A stop that was withdrawn (the first-table stop of a search that found its table) ends its grace:
    // the next stop gets a grace of its own.
    if (!m_control->StopRequested())
    {
        m_stopSeen = -1;
        return true;
    }
    if (m_stopSeen < 0)
        m_stopSeen = m_control->Elapsed();
    else if (m_control->Elapsed() - m_stopSeen >= Grace())
    {
        m_onOverrun();
        return false;
    }
    return true;
}

StopRelay::StopRelay(RunControl& run, RunControl& inner)
    : m_run(run), m_inner(inner), m_ticker(0.05, [this] { return Pass(); })
{
    Pass(); // a stop that came before the relay reaches the inner control at once
}

StopRelay::~StopRelay() = default;

bool StopRelay::Pass()
{
    if (m_run.StopRequested())
        m_inner.RequestStop(m_run.Reason());
    return true;
}

} // namespace vrn
