// Copies everything the process writes to standard output (its own lines and the solver
// libraries' logs alike) into the run's .log file as well, by putting a pipe under file
// descriptor 1 and a thread that copies from it.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace vrn
{

class OutputTee
{
public:
    OutputTee() = default;
    ~OutputTee();
    OutputTee(const OutputTee&) = delete;
    OutputTee& operator=(const OutputTee&) = delete;

    // Opens the log file and starts copying. False (with a reason) when the log cannot be written.
    bool Start(const std::string& logPath, std::string& error);
    // Flushes, restores standard output and closes the log.
    void Finish();
    // Writes text to the log only (for lines that go to standard error).
    void WriteLogOnly(const std::string& text);

private:
    FILE* m_log = nullptr;
    int m_savedStdout = -1;
    int m_readEnd = -1;
    std::thread m_thread;
    std::mutex m_logMutex;
    bool m_outputOpen = true;
    void Copy();
    bool Drain();
};

} // namespace vrn
