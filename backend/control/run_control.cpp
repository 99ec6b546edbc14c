#include "control/run_control.h"

#include "common/number_format.h"

#include <cmath>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vrn
{

namespace
{
volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int)
{
    g_stopSignal = 1;
}

} // namespace

std::string StopReasonText(StopReason reason)
{
    switch (reason)
    {
    case StopReason::Command:
        return "stopped by the stop command";
    case StopReason::Signal:
        return "stopped by SIGTERM";
    case StopReason::TimeLimit:
        return "time limit reached";
    case StopReason::FirstFeasible:
        return "stopped at the first protected table (--first y)";
    default:
        return "";
    }
}

void InstallStopSignalHandler()
{
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalReceived()
{
    return g_stopSignal != 0;
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
    else if (m_timeLimit > 0 && Elapsed() >= m_timeLimit)
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
    return m_timeLimit > 0 ? std::max(0.0, m_timeLimit - Elapsed()) : 1e9;
}

void RunControl::SetPhase(const std::string& phase)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_phase = phase;
}

void RunControl::SetIncumbent(double scaledObjective)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_incumbent = scaledObjective * m_objectiveScale;
    m_hasIncumbent = true;
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
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%.1f s", Elapsed());
    std::string line = "[vrn] " + m_phase + ", " + elapsed;
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
    return "[vrn] unknown command '" + line + "'; the commands are stop, status and help";
}

void StartCommandWatcher(std::shared_ptr<RunControl> control)
{
    std::thread(
        [control]()
        {
            std::string pending;
            char buffer[4096];
            for (;;)
            {
                const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
                if (n <= 0)
                    return; // end of input (or no input at all) is not a stop
                pending.append(buffer, static_cast<size_t>(n));
                size_t newline;
                while ((newline = pending.find('\n')) != std::string::npos)
                {
                    const std::string answer = ObeyCommand(pending.substr(0, newline), *control);
                    pending.erase(0, newline + 1);
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

ProgressPrinter::ProgressPrinter(std::shared_ptr<RunControl> control, double seconds)
    : m_control(std::move(control)), m_seconds(seconds)
{
    m_thread = std::thread([this] { Loop(); });
}

ProgressPrinter::~ProgressPrinter()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ProgressPrinter::Loop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_done)
    {
        m_wake.wait_for(lock, std::chrono::duration<double>(m_seconds), [this] { return m_done; });
        if (m_done)
            break;
        std::printf("%s\n", m_control->StatusLine().c_str());
        std::fflush(stdout);
    }
}

StopWatchdog::StopWatchdog(std::shared_ptr<RunControl> control, double graceSeconds,
                           std::function<void()> onOverrun)
    : m_control(std::move(control)), m_grace(graceSeconds), m_onOverrun(std::move(onOverrun))
{
    m_thread = std::thread([this] { Loop(); });
}

StopWatchdog::~StopWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void StopWatchdog::Loop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    double stopSeen = -1;
    while (!m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_done; }))
    {
        if (!m_control->StopRequested())
            continue;
        if (stopSeen < 0)
            stopSeen = m_control->Elapsed();
        else if (m_control->Elapsed() - stopSeen >= m_grace)
        {
            m_onOverrun();
            return;
        }
    }
}

} // namespace vrn
