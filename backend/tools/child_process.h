// A program started from an argument vector (never a shell string) with its three standard
// streams on pipes; two threads collect standard output and standard error. The back-end's
// process tests and benchmarks run every child through it.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace vrn
{

// How the child's standard streams and limits are set up; the default reads both output streams.
struct ChildSetup
{
    bool outputGone = false; // the read end of standard output closed at once, like a front-end that has quit
    bool closeStdout = false;   // descriptor 1 closed when the program starts
    bool readStdout = true;     // false: nobody reads standard output (the pipe fills)
    bool readStderr = true;     // false: nobody reads standard error
    int stderrPipeBytes = 0;    // > 0: standard error's pipe holds this much (it fills sooner)
    long fileSizeLimit = -1;    // RLIMIT_FSIZE in bytes, SIGXFSZ ignored: writes fail as on a full disk
    bool dieWithParent = false; // killed when the process that started it ends, however it ends
};

class ChildProcess
{
public:
    // Starts `program` (looked up on PATH when it has no '/') with `args` as its whole argument
    // vector, element 0 included.
    ChildProcess(const std::string& program, const std::vector<std::string>& args, ChildSetup setup = {});
    // A child still running is killed.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    // Writes the whole text to standard input; false when the child no longer reads it.
    bool Send(const std::string& text);
    void CloseInput();
    void Signal(int sig);

    // True once the child has ended (its status not yet collected); never blocks.
    bool Ended();

    // Waits until standard output matches the regular expression `pattern`; false after `seconds`.
    bool WaitForOutput(const std::string& pattern, double seconds);

    // The exit status, 128 + the signal for a child that a signal ended, 127 when the program
    // could not be started.
    int Wait();
    // Waits at most `seconds`, then kills the child (a run that hangs fails its test, not the suite).
    int WaitAtMost(double seconds);
    // Wall time from the start to the exit, once Wait has returned.
    double Seconds() const { return m_seconds; }

    std::string Out();
    std::string Err();

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1; // the read ends of the output pipes that nobody reads, closed after the exit
    int m_stderr = -1;
    int m_status = -1;
    double m_seconds = 0;
    std::chrono::steady_clock::time_point m_start;
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
