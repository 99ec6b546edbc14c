#pragma once

#include "pipe_text_decoder.h"

#include <wx/process.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

class wxInputStream;

// One run of the back-end: the child process with its three redirected streams. Its output is
// read in blocks, only as far as it is already there, and written as text to the stream the
// owner names (the main window passes std::cout, which carries it into the output area). Typed
// lines wait here until the child's standard input takes them.
//
// The owner is told through `onEnded` once the child has ended and its output has been drained;
// the object then deletes itself. An owner that goes away first calls DetachFromOwner: the
// object stays alive until the child ends (deleting it earlier crashes the toolkit when the
// child ends) and then deletes itself without telling anyone.
class MyProcess : public wxProcess
{
public:
    using Clock = std::chrono::steady_clock;

    // `output` receives the child's text and must outlive this object's last notice.
    MyProcess(std::ostream& output, std::function<void()> onEnded);

    // Reads what the child wrote to its standard output, then to its standard error, into the
    // output stream, until nothing more is waiting or `deadline` passes. Returns true when output
    // may still be waiting (the deadline cut the reading short).
    bool ReadOutput(Clock::time_point deadline);

    // Queues a typed line (UTF-8) and its line feed for the child's standard input.
    void QueueInput(const std::string& utf8Line);

    // Writes as much queued input as the pipe takes now; the rest waits for the next call.
    void SendQueuedInput();
    bool HasQueuedInput() const { return !m_unsentInput.empty(); }

    // The owner is going away: no notice may reach it any more, and the child's output, which
    // nobody will read, is no longer taken from it (its writes fail instead of blocking).
    void DetachFromOwner();

    void OnTerminate(int pid, int status) override;

private:
    // Reads one stream until it has nothing more now, it ends, or `deadline` passes (at least
    // one block is read when something is waiting). Returns true when the deadline cut it short
    // while more may be waiting.
    bool ReadStream(wxInputStream* stream, vrn::PipeTextDecoder& decoder, Clock::time_point deadline);

    // Writes decoded text to the output stream.
    void Show(const std::string& text);

    std::ostream& m_output;
    std::function<void()> m_onEnded;
    vrn::PipeTextDecoder m_outputText;
    vrn::PipeTextDecoder m_errorText;
    std::string m_unsentInput;
};
