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
    // One write for the line and its end (standard error is unbuffered): where standard output and
    // standard error share a file, a line from the other stream cannot land between them.
    const std::string whole = line + "\r\n";
    std::fwrite(whole.data(), 1, whole.size(), stream);
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
    std::fflush(stdout);
    std::fflush(stderr);
    std::cout.flush();
    for (Stream& stream : m_streams)
        if (!StartStream(stream, error))
        {
            Finish();
            return false;
        }
    m_started = true;
    m_thread = std::thread([this] { Copy(); });
    return true;
}

bool OutputTee::StartStream(Stream& stream, std::string& error)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
    {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    stream.saved = fcntl(stream.fd, F_DUPFD_CLOEXEC, 3);
    dup2(fds[1], stream.fd);
    close(fds[1]);
    stream.readEnd = fds[0];
    stream.ended = false;
    fcntl(stream.readEnd, F_SETFL, fcntl(stream.readEnd, F_GETFL) | O_NONBLOCK);
    return true;
}

void OutputTee::Copy()
{
    for (;;)
    {
        pollfd wait[4];
        nfds_t count = 0;
        for (const Stream& stream : m_streams)
        {
            if (!stream.ended)
                wait[count++] = {stream.readEnd, POLLIN, 0};
            if (stream.open && !stream.backlog.empty())
                wait[count++] = {stream.saved, POLLOUT, 0};
        }
        if (count == 0 || (poll(wait, count, -1) < 0 && errno != EINTR))
            break;
        std::lock_guard<std::mutex> lock(m_logMutex);
        bool more = false;
        for (Stream& stream : m_streams)
        {
            if (!stream.ended && !Drain(stream))
                stream.ended = true; // Finish closed its write end
            PushBacklog(stream);
            more = more || !stream.ended;
        }
        if (!more)
            break;
    }
    std::lock_guard<std::mutex> lock(m_logMutex);
    FlushBacklogs(2.0);
}

// Copies what the pipe holds now; false at its end. Called with m_logMutex held, so that a line
// written to the log directly comes after every line printed before it.
bool OutputTee::Drain(Stream& stream)
{
    char buffer[65536];
    for (;;)
    {
        const ssize_t n = read(stream.readEnd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (n <= 0)
            return false;
        // A front-end that has gone away closes the pipe: the run goes on and the log still gets everything.
        if (stream.open)
            stream.backlog += WithStreamLineEnds(buffer, static_cast<size_t>(n), stream.lastByte);
        if (stream.backlog.size() > kBacklogLimit)
        {
            const size_t cut = stream.backlog.size() - kBacklogLimit / 2;
            stream.dropped += cut;
            stream.backlog.erase(0, cut);
        }
        if (stream.logged)
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

// Hands the stream what its reader can take now, never waiting for it: pieces no larger than a
// pipe's atomic write, each only when poll says there is room.
void OutputTee::PushBacklog(Stream& stream)
{
    if (stream.dropped > 0 && stream.open && Writable(stream.saved, 0))
    {
        stream.backlog.insert(0, "[vrn] " + std::to_string(stream.dropped) +
                                     " bytes of output were left out here while it was not read" +
                                     (stream.logged ? "; the log has them" : "") + "\r\n");
        stream.dropped = 0;
    }
    size_t done = 0;
    while (stream.open && done < stream.backlog.size() && Writable(stream.saved, 0))
    {
        const size_t piece = std::min<size_t>(stream.backlog.size() - done, PIPE_BUF);
        const ssize_t w = write(stream.saved, stream.backlog.data() + done, piece);
        if (w < 0 && (errno == EINTR || errno == EAGAIN))
            break;
        if (w <= 0)
            stream.open = false;
        else
            done += static_cast<size_t>(w);
    }
    stream.backlog.erase(0, done);
    if (!stream.open)
        stream.backlog.clear();
}

// At the end of the run: what is still waiting gets a short while, then the run ends without it.
void OutputTee::FlushBacklogs(double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;)
    {
        pollfd wait[2];
        nfds_t count = 0;
        for (const Stream& stream : m_streams)
            if (stream.open && !stream.backlog.empty())
                wait[count++] = {stream.saved, POLLOUT, 0};
        if (count == 0 || std::chrono::steady_clock::now() >= end)
            return;
        poll(wait, count, 50);
        for (Stream& stream : m_streams)
            PushBacklog(stream);
    }
}

void OutputTee::WriteLogOnly(const std::string& text)
{
    std::fflush(stdout);
    std::lock_guard<std::mutex> lock(m_logMutex);
    Stream& output = m_streams[0];
    if (!output.ended && !Drain(output))
        output.ended = true;
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
    if (m_started || m_streams[0].saved >= 0 || m_streams[1].saved >= 0)
    {
        std::cout.flush();
        std::fflush(stdout);
        std::fflush(stderr);
        // The pipes' last write ends close: the copier sees their end. The streams themselves are back
        // only afterwards, so nothing printed meanwhile waits on a reader that may never come.
        const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        for (Stream& stream : m_streams)
            if (stream.saved >= 0)
                dup2(devNull >= 0 ? devNull : stream.saved, stream.fd);
        if (devNull >= 0)
            close(devNull);
        if (m_thread.joinable())
            m_thread.join();
        for (Stream& stream : m_streams)
            EndStream(stream);
        m_started = false;
    }
    if (m_log)
    {
        if (std::fclose(m_log) != 0 && m_logError == 0)
            m_logError = errno != 0 ? errno : EIO;
        m_log = nullptr;
    }
}

void OutputTee::EndStream(Stream& stream)
{
    if (stream.saved >= 0)
    {
        dup2(stream.saved, stream.fd);
        close(stream.saved);
        stream.saved = -1;
    }
    if (stream.readEnd >= 0)
        close(stream.readEnd);
    stream.readEnd = -1;
}

} // namespace vrn
