#pragma once

#include "utf8_decoder.h"

#include <array>
#include <streambuf>

class wxTextCtrl;

// The stream buffer behind std::cout and std::cerr while the main window lives: it collects the
// bytes written to the stream, decodes them as UTF-8 and appends whole pieces of text to the
// output area. A character cut between two flushes is held back until it is complete.
//
// Text reaches the area at every flush (std::endl, std::flush, std::cerr after each output
// operation) and, for text written without a flush, when the event loop next runs.
class OutputAreaStreamBuf : public std::streambuf
{
public:
    explicit OutputAreaStreamBuf(wxTextCtrl* outputArea);
    ~OutputAreaStreamBuf() override;

    OutputAreaStreamBuf(const OutputAreaStreamBuf&) = delete;
    OutputAreaStreamBuf& operator=(const OutputAreaStreamBuf&) = delete;

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char_type* s, std::streamsize count) override;
    int sync() override;

private:
    // Appends everything collected so far to the output area.
    void AppendCollected();
    void ScheduleAppend();

    wxTextCtrl* m_outputArea;
    vrn::Utf8Decoder m_decoder;
    std::array<char, 64 * 1024> m_buffer;
    bool m_appendScheduled = false;
};
