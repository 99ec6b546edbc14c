#include "pipe_text_decoder.h"

#include <cstring>

namespace vrn
{

std::string PipeTextDecoder::Decode(const char* data, std::size_t size)
{
    std::string text;
    const char* const end = data + size;
    while (data != end)
    {
        const void* found = std::memchr(data, '\n', static_cast<std::size_t>(end - data));
        if (found == nullptr)
        {
            text += m_decoder.Decode(data, static_cast<std::size_t>(end - data));
            break;
        }
        const char* lineFeed = static_cast<const char*>(found);
        text += m_decoder.Decode(data, static_cast<std::size_t>(lineFeed - data));
        text += m_decoder.Flush();
        data = lineFeed + 1;
    }
    return text;
}

} // namespace vrn
