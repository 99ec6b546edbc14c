#include "my_process.h"

#include <wx/log.h>
#include <wx/stream.h>

namespace
{

constexpr std::size_t kReadBlockSize = 64 * 1024;

} // namespace

MyProcess::MyProcess(std::ostream& output, std::function<void()> onEnded)
    : wxProcess(wxPROCESS_REDIRECT), m_output(output), m_onEnded(std::move(onEnded))
{
}

void MyProcess::Show(const std::string& text)
{
    if (!text.empty())
        m_output.write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool MyProcess::ReadStream(wxInputStream* stream, vrn::PipeTextDecoder& decoder, Clock::time_point deadline)
{
    if (stream == nullptr)
        return false;
    static char block[kReadBlockSize];
    // Only after CanRead: a block read then returns what is there without waiting for more.
    while (!stream->Eof() && stream->CanRead())
    {
        stream->Read(block, sizeof block);
        const std::size_t got = stream->LastRead();
        Show(decoder.Decode(block, got));
        if (got == 0)
            break;
        // Time is up: a full block means the writer may well be ahead of us.
        if (Clock::now() >= deadline)
            return got == sizeof block || stream->CanRead();
    }
    // The end of the stream: a character still held back can never be completed.
    if (stream->Eof())
        Show(decoder.Flush());
    return false;
}

bool MyProcess::ReadOutput(Clock::time_point deadline)
{
    // Standard error waits while standard output still has text: all of one pass's standard
    // output comes first, even when the pass is cut short and the rest comes in the next one.
    if (ReadStream(GetInputStream(), m_outputText, deadline))
        return true;
    return ReadStream(GetErrorStream(), m_errorText, deadline);
}

void MyProcess::QueueInput(const std::string& utf8Line)
{
    m_unsentInput += utf8Line;
    m_unsentInput += '\n';
}

void MyProcess::SendQueuedInput()
{
    wxOutputStream* stream = GetOutputStream();
    if (stream == nullptr || m_unsentInput.empty())
        return;
    // A child that has ended makes the toolkit log the failed write as an error dialog; the line
    // is lost without notice instead.
    wxLogNull noDialogs;
    // The pipe is non-blocking: a write may take only part of the text; the rest goes later.
    stream->Write(m_unsentInput.data(), m_unsentInput.size());
    const std::size_t written = stream->LastWrite();
    if (written > 0)
        m_unsentInput.erase(0, written);
    else if (stream->GetLastError() == wxSTREAM_WRITE_ERROR)
        m_unsentInput.clear(); // the child no longer reads: a full pipe is no error, an ended one is
}

void MyProcess::DetachFromOwner()
{
    m_onEnded = nullptr;
    // Nobody will read the child's output any more: close our ends of its pipes, so that a
    // back-end that goes on writing gets an error instead of waiting forever for a reader.
    CloseOutput();
    delete m_inputStream;
    m_inputStream = nullptr;
    delete m_errorStream;
    m_errorStream = nullptr;
    Detach();
}

void MyProcess::OnTerminate(int WXUNUSED(pid), int WXUNUSED(status))
{
    if (m_onEnded)
    {
        // Everything the child wrote is shown before the window goes idle.
        ReadOutput(Clock::time_point::max());
        Show(m_outputText.Flush());
        Show(m_errorText.Flush());
        m_output.flush();
        m_onEnded();
    }
    // The toolkit does not touch the process object after this notice.
    delete this;
}
