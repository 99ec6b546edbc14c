#include "results/output_tee.h"

#include <cerrno>
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

OutputTee::~OutputTee()
{
    Finish();
}

bool OutputTee::Start(const std::string& logPath, std::string& error)
{
    m_log = std::fopen(logPath.c_str(), "w");
    if (m_log == nullptr)
    {
        error = "cannot write the log file " + logPath + ": " + std::strerror(errno);
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
    m_savedStdout = dup(STDOUT_FILENO);
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
        pollfd wait = {m_readEnd, POLLIN, 0};
        if (poll(&wait, 1, -1) < 0 && errno != EINTR)
            break;
        std::lock_guard<std::mutex> lock(m_logMutex);
        if (!Drain())
            break;
    }
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
        const std::string shown = WithStreamLineEnds(buffer, static_cast<size_t>(n), m_lastByte);
        for (size_t done = 0; m_outputOpen && done < shown.size();)
        {
            const ssize_t w = write(m_savedStdout, shown.data() + done, shown.size() - done);
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                m_outputOpen = false;
            else
                done += static_cast<size_t>(w);
        }
        std::fwrite(buffer, 1, static_cast<size_t>(n), m_log);
        std::fflush(m_log);
    }
}

void OutputTee::WriteLogOnly(const std::string& text)
{
    std::fflush(stdout);
    std::lock_guard<std::mutex> lock(m_logMutex);
    if (m_readEnd >= 0)
        Drain();
    if (m_log)
    {
        std::fputs(text.c_str(), m_log);
        std::fflush(m_log);
    }
}

void OutputTee::Finish()
{
    if (m_readEnd >= 0)
    {
        std::cout.flush();
        std::fflush(stdout);
        dup2(m_savedStdout, STDOUT_FILENO); // the pipe's last write end closes: the copier sees its end
        m_thread.join();
        close(m_readEnd);
        close(m_savedStdout);
        m_readEnd = -1;
        m_savedStdout = -1;
    }
    if (m_log)
    {
        std::fclose(m_log);
        m_log = nullptr;
    }
}

} // namespace vrn
