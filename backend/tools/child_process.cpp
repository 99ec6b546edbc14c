#include "tools/child_process.h"

#include <chrono>
#include <csignal>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

namespace vrn
{

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args, bool outputGone)
{
    // Everything the child needs is built before the fork: after it, only async-signal-safe calls.
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return;
    m_pid = fork();
    if (m_pid == 0)
    {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    m_stdin = in[1];
    if (outputGone)
        close(out[0]);
    else
        m_outThread = std::thread([this, fd = out[0]] { Collect(fd, m_out); });
    m_errThread = std::thread([this, fd = err[0]] { Collect(fd, m_err); });
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 && m_status == -1)
    {
        kill(m_pid, SIGKILL);
        Wait();
    }
    CloseInput();
}

void ChildProcess::Send(const std::string& text)
{
    (void)!write(m_stdin, text.data(), text.size());
}

void ChildProcess::CloseInput()
{
    if (m_stdin >= 0)
        close(m_stdin);
    m_stdin = -1;
}

void ChildProcess::Signal(int sig)
{
    if (m_pid > 0)
        kill(m_pid, sig);
}

bool ChildProcess::WaitForOutput(const std::string& pattern, double seconds)
{
    const std::regex re(pattern);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end)
    {
        if (std::regex_search(Out(), re))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

int ChildProcess::Wait()
{
    if (m_pid <= 0)
        return 127;
    if (m_status == -1)
    {
        int raw = 0;
        waitpid(m_pid, &raw, 0);
        m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        if (m_outThread.joinable())
            m_outThread.join();
        if (m_errThread.joinable())
            m_errThread.join();
    }
    return m_status;
}

std::string ChildProcess::Out()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_out;
}

std::string ChildProcess::Err()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_err;
}

void ChildProcess::Collect(int fd, std::string& into)
{
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        into.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
}

ChildResult RunChild(const std::string& program, const std::vector<std::string>& args)
{
    const auto start = std::chrono::steady_clock::now();
    ChildProcess child(program, args);
    child.CloseInput();
    ChildResult result;
    result.status = child.Wait();
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.out = child.Out();
    result.err = child.Err();
    return result;
}

} // namespace vrn
