#include "results/output_tee.h"

#include "common/file_safety.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <unistd.h>

namespace vrn
{

std::string WithStreamLineEnds(const char* text, std::size_t size, char& lastByte)
{
    std::string out;
    out.reserve(size + size / 32);
    for (std::size_t i = 0; i < size; ++i)
    {
        if (text[i] == '\n' && lastByte != '\r')
            out += '\r';
        out += text[i];
        lastByte = text[i];
    }
    return out;
}

void WriteStreamLine(std::FILE* stream, const std::string& line)
{
    std::fputs(line.c_str(), stream);
    std::fputs("\r\n", stream);
}

namespace
{

// Standard output left unread keeps at most this much waiting; older text is left out there.
constexpr size_t kBacklogLimit = size_t(8) << 20;

bool Writable(int fd, int timeoutMs)
{
    pollfd wait = {fd, POLLOUT, 0};
    return poll(&wait, 1, timeoutMs) > 0 && (wait.revents & POLLOUT) != 0;
}

} // namespace

OutputTee::~OutputTee()
{
    Finish();
}

bool OutputTee::Start(const std::string& logPath, std::string& error)
{
    m_log = CreateFreshFile(logPath, error);
    if (m_log == nullptr)
    {
        error = "the log file cannot be written: " + error;
        return false;
    }
    int fds[2];
    std::fflush(stdout);
    std::cout.flush();
    if (pipe(fds) != 0)
    {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    m_savedStdout = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    dup2(fds[1], STDOUT_FILENO);
    close(fds[1]);
    m_readEnd = fds[0];
    fcntl(m_readEnd, F_SETFL, fcntl(m_readEnd, F_GETFL) | O_NONBLOCK);
    m_thread = std::thread([this] { Copy(); });
    return true;
}

void OutputTee::Copy()
{
    for (;;)
    {
        pollfd wait[2] = {{m_readEnd, POLLIN, 0}, {m_savedStdout, POLLOUT, 0}};
        const bool waiting = m_outputOpen && !m_backlog.empty();
        if (poll(wait, waiting ? 2 : 1, -1) < 0 && errno != EINTR)
            break;
        std::lock_guard<std::mutex> lock(m_logMutex);
        const bool more = Drain();
        PushBacklog();
        if (!more)
            break;
    }
    std::lock_guard<std::mutex> lock(m_logMutex);
    FlushBacklog(2.0);
}

// Copies what the pipe holds now; false at its end. Called with m_logMutex held, so that a line
// written to the log directly comes after every line printed before it.
bool OutputTee::Drain()
{
    char buffer[65536];
    for (;;)
    {
        const ssize_t n = read(m_readEnd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n <= 0)
            return false;
        // A front-end that has gone away closes the pipe: the run goes on and the log still gets everything.
        if (m_outputOpen)
            m_backlog += WithStreamLineEnds(buffer, static_cast<size_t>(n), m_lastByte);
        if (m_backlog.size() > kBacklogLimit)
        {
            const size_t cut = m_backlog.size() - kBacklogLimit / 2;
            m_dropped += cut;
            m_backlog.erase(0, cut);
        }
        WriteLog(buffer, static_cast<size_t>(n));
    }
}

void OutputTee::WriteLog(const char* data, size_t size)
{
    if (m_log == nullptr || m_logError != 0)
        return;
    errno = 0;
    if (std::fwrite(data, 1, size, m_log) != size || std::fflush(m_log) != 0)
        m_logError = errno != 0 ? errno : EIO;
}

// Hands standard output what its reader can take now, never waiting for it: pieces no larger than
// a pipe's atomic write, each only when poll says there is room.
void OutputTee::PushBacklog()
{
    if (m_dropped > 0 && m_outputOpen && Writable(m_savedStdout, 0))
    {
        m_backlog.insert(0, "[vrn] " + std::to_string(m_dropped) +
                                " bytes of output were left out here while it was not read; the log has "
                                "them\r\n");
        m_dropped = 0;
    }
    size_t done = 0;
    while (m_outputOpen && done < m_backlog.size() && Writable(m_savedStdout, 0))
    {
        const size_t piece = std::min<size_t>(m_backlog.size() - done, PIPE_BUF);
        const ssize_t w = write(m_savedStdout, m_backlog.data() + done, piece);
        if (w < 0 && (errno == EINTR || errno == EAGAIN))
            break;
        if (w <= 0)
            m_outputOpen = false;
        else
            done += static_cast<size_t>(w);
    }
    m_backlog.erase(0, done);
    if (!m_outputOpen)
        m_backlog.clear();
}

// At the end of the run: what is still waiting gets a short while, then the run ends without it.
void OutputTee::FlushBacklog(double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (m_outputOpen && !m_backlog.empty() && std::chrono::steady_clock::now() < end)
    {
        Writable(m_savedStdout, 50);
        PushBacklog();
    }
}

void OutputTee::WriteLogOnly(const std::string& text)
{
    std::fflush(stdout);
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (m_readEnd >= 0)
        Drain();
    WriteLog(text.data(), text.size());
}

bool OutputTee::LogWriteFailed(std::string& why) const
{
    if (m_logError != 0)
        why = std::strerror(m_logError);
    return m_logError != 0;
}

void OutputTee::Finish()
{
    if (m_readEnd >= 0)
    {
        std::cout.flush();
        std::fflush(stdout);
        // The pipe's last write end closes: the copier sees its end. Standard output itself is back
        // only afterwards, so nothing printed meanwhile waits on a reader that may never come.
        const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        dup2(devNull >= 0 ? devNull : m_savedStdout, STDOUT_FILENO);
        if (devNull >= 0)
            close(devNull);
        m_thread.join();
        dup2(m_savedStdout, STDOUT_FILENO);
        close(m_readEnd);
        close(m_savedStdout);
        m_readEnd = -1;
        m_savedStdout = -1;
    }
    if (m_log)
    {
        if (std::fclose(m_log) != 0 && m_logError == 0)
            m_logError = errno != 0 ? errno : EIO;
        m_log = nullptr;
    }
}

} // namespace vrn
