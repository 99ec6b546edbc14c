// Copies everything the process writes to standard output (its own lines and the solver
// libraries' logs alike) into the run's .log file as well, by putting a pipe under file
// descriptor 1 and a thread that copies from it. Standard error goes through a pipe of its own
// to the same thread, but not into the log (the run writes its warnings there itself).
//
// A reader of either stream that stops reading never holds up the run: what it has not taken
// waits in memory (up to a limit per stream; the log keeps everything) and the run goes on.
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
    // One standard stream while the tee runs: the pipe the process writes into, the stream's own
    // descriptor, and what its reader has not taken yet.
    struct Stream
    {
        Stream(int streamFd, bool toLog) : fd(streamFd), logged(toLog) {}
        int fd;              // 1 (standard output) or 2 (standard error)
        bool logged;         // copied into the log as well
        int saved = -1;      // the stream as the run found it
        int readEnd = -1;    // of the pipe under fd
        bool ended = true;   // the pipe has ended (or never started)
        bool open = true;    // false once its reader has gone
        char lastByte = 0;   // for the CR LF conversion
        std::string backlog; // waiting for the reader
        size_t dropped = 0;  // bytes left out while its reader did not keep up
    };

    FILE* m_log = nullptr;
    bool m_started = false;
    Stream m_streams[2] = {Stream(1, true), Stream(2, false)};
    std::thread m_thread;
    std::mutex m_logMutex;
    int m_logError = 0; // errno of the first failed write to the log
    bool StartStream(Stream& stream, std::string& error);
    void Copy();
    bool Drain(Stream& stream);
    void WriteLog(const char* data, size_t size);
    void PushBacklog(Stream& stream);
    void FlushBacklogs(double seconds);
    void EndStream(Stream& stream);
};

} // namespace vrn
