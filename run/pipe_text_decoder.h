#pragma once

#include "utf8_decoder.h"

#include <cstddef>
#include <string>

namespace vrn
{

// Turns the bytes of one of the back-end's output streams, read in blocks of any size, into the
// text the output area shows. Line feeds end a line and are not shown; a carriage return is
// kept, so CR LF line ends show as one line break and LF alone joins lines. A character cut at
// the end of a block is held back for the next block; one cut by a line feed, and bytes that are
// not UTF-8 at all, show as U+FFFD, and the rest of the line is kept.
class PipeTextDecoder
{
public:
    // The text to show for `size` more bytes of the stream.
    std::string Decode(const char* data, std::size_t size);
    std::string Decode(const std::string& bytes) { return Decode(bytes.data(), bytes.size()); }

    // The stream has ended: an incomplete character still held back comes out as U+FFFD.
    std::string Flush() { return m_decoder.Flush(); }

private:
    Utf8Decoder m_decoder;
};

} // namespace vrn
