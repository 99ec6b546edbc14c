#include "output_area_stream_buf.h"

#include <wx/textctrl.h>

OutputAreaStreamBuf::OutputAreaStreamBuf(wxTextCtrl* outputArea) : m_outputArea(outputArea)
{
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

OutputAreaStreamBuf::~OutputAreaStreamBuf()
{
    AppendCollected();
}

OutputAreaStreamBuf::int_type OutputAreaStreamBuf::overflow(int_type ch)
{
    AppendCollected();
    if (!traits_type::eq_int_type(ch, traits_type::eof()))
    {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
        ScheduleAppend();
    }
    return traits_type::not_eof(ch);
}

std::streamsize OutputAreaStreamBuf::xsputn(const char_type* s, std::streamsize count)
{
    const std::streamsize written = std::streambuf::xsputn(s, count);
    ScheduleAppend();
    return written;
}

int OutputAreaStreamBuf::sync()
{
    AppendCollected();
    return 0;
}

void OutputAreaStreamBuf::AppendCollected()
{
    const std::ptrdiff_t size = pptr() - pbase();
    if (size == 0)
        return;
    const std::string text = m_decoder.Decode(pbase(), static_cast<std::size_t>(size));
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    if (!text.empty())
        m_outputArea->AppendText(wxString::FromUTF8(text.data(), text.size()));
}

// Text written without a flush must still show up: append it once the current event handler
// has returned, in one piece with whatever else it wrote.
void OutputAreaStreamBuf::ScheduleAppend()
{
    if (m_appendScheduled || pptr() == pbase())
        return;
    m_appendScheduled = true;
    m_outputArea->CallAfter(
        [this]
        {
            m_appendScheduled = false;
            AppendCollected();
        });
}
