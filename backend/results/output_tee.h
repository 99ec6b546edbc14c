// Copies everything the process writes to standard output (its own lines and the solver
// libraries' logs alike) into the run's .log file as well, by putting a pipe under file
// descriptor 1 and a thread that copies from it.
//
// A reader of standard output that stops reading never holds up the run: what it has not taken
// waits in memory (up to a limit; the log keeps everything) and the run goes on.
//
// Lines on the standard streams end in CR LF, the line end the front-end shows as a line of its
// own (a line feed alone continues the same line there); the .log file keeps plain line feeds.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

namespace vrn
{

// `text` with every line feed that no carriage return precedes turned into CR LF. `lastByte` is
// the last byte of the text before this piece (0 at the start) and is updated, so that a CR LF
// split between two pieces stays as it is.
std::string WithStreamLineEnds(const char* text, std::size_t size, char& lastByte);

// Writes one line and its CR LF to a standard stream.
void WriteStreamLine(std::FILE* stream, const std::string& line);

class OutputTee
{
public:
    OutputTee() = default;
    ~OutputTee();
    OutputTee(const OutputTee&) = delete;
    OutputTee& operator=(const OutputTee&) = delete;

    // Creates the log file afresh (never through a link) and starts copying. False (with a reason)
    // when the log cannot be created.
    bool Start(const std::string& logPath, std::string& error);
    // Flushes, restores standard output and closes the log.
    void Finish();
    // Writes text to the log only (for lines that go to standard error).
    void WriteLogOnly(const std::string& text);
    // After Finish: true when a write to the log failed (a full disk, a file size limit), with the reason.
    bool LogWriteFailed(std::string& why) const;

private:
    FILE* m_log = nullptr;
    int m_savedStdout = -1;
    int m_readEnd = -1;
    std::thread m_thread;
    std::mutex m_logMutex;
    bool m_outputOpen = true;
    char m_lastByte = 0;
    int m_logError = 0;    // errno of the first failed write to the log
    std::string m_backlog; // for standard output, waiting for its reader
    size_t m_dropped = 0;  // bytes left out of standard output while its reader did not keep up
    void Copy();
    bool Drain();
    void WriteLog(const char* data, size_t size);
    void PushBacklog();
    void FlushBacklog(double seconds);
};

} // namespace vrn
