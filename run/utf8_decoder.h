#pragma once

#include <cstddef>
#include <string>

namespace vrn
{

// Turns a byte stream that arrives in arbitrary pieces (pipe reads, stream-buffer flushes) into
// valid UTF-8 text. A character cut at the end of a piece is held back until the next piece
// completes it, so no text is lost or garbled at piece boundaries. Bytes that can never form
// valid UTF-8 come out as U+FFFD, one per maximal invalid subsequence, and decoding goes on
// with the following byte.
class Utf8Decoder
{
public:
    // Decodes `size` more bytes; returns the text that is complete so far.
    std::string Decode(const char* data, std::size_t size);
    std::string Decode(const std::string& bytes) { return Decode(bytes.data(), bytes.size()); }

    // Ends the stream: an incomplete character still held back comes out as U+FFFD.
    std::string Flush();

    // True while an incomplete character is held back.
    bool HasPending() const { return !m_pending.empty(); }

private:
    std::string m_pending;
};

} // namespace vrn
