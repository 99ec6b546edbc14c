// A program started from an argument vector (never a shell string) with its three standard
// streams on pipes; two threads collect standard output and standard error. The back-end's
// process tests and benchmarks run every child through it.
#pragma once

#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace vrn
{

class ChildProcess
{
public:
    // Starts `program` (looked up on PATH when it has no '/') with `args` as its whole argument
    // vector, element 0 included. With outputGone, the read end of standard output is closed at
    // once, like a front-end that has quit.
    ChildProcess(const std::string& program, const std::vector<std::string>& args, bool outputGone = false);
    // A child still running is killed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    void Send(const std::string& text);
    void CloseInput();
    void Signal(int sig);

    // Waits until standard output matches the regular expression `pattern`; false after `seconds`.
    bool WaitForOutput(const std::string& pattern, double seconds);

    // The exit status, 128 + the signal for a child that a signal ended, 127 when the program
    // could not be started.
    int Wait();

    std::string Out();
    std::string Err();

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_status = -1;
    std::mutex m_mutex;
    std::string m_out, m_err;
    std::thread m_outThread, m_errThread;

    void Collect(int fd, std::string& into);
};

struct ChildResult
{
    int status = -1;
    std::string out, err;
    double seconds = 0; // wall time from the start to the exit
};

// Runs to the end with standard input closed at once (end of input is not a stop).
ChildResult RunChild(const std::string& program, const std::vector<std::string>& args);

} // namespace vrn
