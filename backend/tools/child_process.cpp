#include "tools/child_process.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <regex>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vrn
{

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args, ChildSetup setup)
{
    // Everything the child needs is built before the fork: after it, only async-signal-safe calls.
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return;
    if (setup.stderrPipeBytes > 0)
        fcntl(err[0], F_SETPIPE_SZ, setup.stderrPipeBytes);
    m_start = std::chrono::steady_clock::now();
    m_pid = fork();
    if (m_pid == 0)
    {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        if (setup.closeStdout)
            close(1);
        if (setup.dieWithParent)
            prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (setup.fileSizeLimit >= 0)
        {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit = {static_cast<rlim_t>(setup.fileSizeLimit),
                                  static_cast<rlim_t>(setup.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    m_stdin = in[1];
    if (setup.outputGone)
        close(out[0]);
    else if (setup.readStdout)
        m_outThread = std::thread([this, fd = out[0]] { Collect(fd, m_out); });
    else
        m_stdout = out[0];
    if (setup.readStderr)
        m_errThread = std::thread([this, fd = err[0]] { Collect(fd, m_err); });
    else
        m_stderr = err[0];
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

bool ChildProcess::Send(const std::string& text)
{
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t n = write(m_stdin, text.data() + done, text.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
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
        m_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        if (m_outThread.joinable())
            m_outThread.join();
        if (m_errThread.joinable())
            m_errThread.join();
        for (int* fd : {&m_stdout, &m_stderr})
            if (*fd >= 0)
            {
                close(*fd);
                *fd = -1;
            }
    }
    return m_status;
}

bool ChildProcess::Ended()
{
    if (m_pid <= 0 || m_status != -1)
        return true;
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == m_pid;
}

int ChildProcess::WaitAtMost(double seconds)
{
    if (m_pid <= 0)
        return 127;
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (m_status == -1 && std::chrono::steady_clock::now() < end)
    {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == m_pid)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (m_status == -1 && std::chrono::steady_clock::now() >= end)
        kill(m_pid, SIGKILL);
    return Wait();
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
    ChildProcess child(program, args);
    child.CloseInput();
    ChildResult result;
    result.status = child.Wait();
    result.seconds = child.Seconds();
    result.out = child.Out();
    result.err = child.Err();
    return result;
}

} // namespace vrn
