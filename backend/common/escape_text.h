// Bytes that came from outside (file names, instance text, typed commands) shown safely on one line,
// in a message or on the report page.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vrn
{

namespace escape_detail
{

// A character and the text written in its place.
struct Replaced
{
    char c;
    const char* shown;
};

inline constexpr Replaced kControlNames[] = {{'\n', "\\n"}, {'\r', "\\r"}, {'\t', "\\t"}};
inline constexpr Replaced kMarkupEntities[] = {
    {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&#39;"}};

// What `table` writes in the place of `c`, or nullptr when it leaves `c` alone.
template <size_t N>
const char* Replacement(char c, const Replaced (&table)[N])
{
    for (const Replaced& entry : table)
        if (entry.c == c)
            return entry.shown;
    return nullptr;
}

// "\x1b": a byte that has no name of its own.
inline std::string HexEscape(unsigned char byte)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", byte);
    return hex;
}

} // namespace escape_detail

// `text` with every control byte (below 0x20, and 0x7f) written as \n, \r, \t or \xHH, so that a
// name or a quoted token can never end a line, forge a line of its own, or cut a message short
// (a NUL byte). Other bytes, backslashes included, are kept as they are.
inline std::string EscapeControl(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f)
            shown += c;
        else if (const char* named = escape_detail::Replacement(c, escape_detail::kControlNames))
            shown += named;
        else
            shown += escape_detail::HexEscape(byte);
    }
    return shown;
}

// The length of the well-formed UTF-8 sequence at the start of `text` (1 to 4), or 0 when the bytes
// there are not one (a stray continuation byte, an overlong form, a surrogate, a cut sequence, or
// U+FFFE and U+FFFF, which no XML text may hold).
inline size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    if (lead < 0x80)
        length = 1;
    else if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef)
        length = 3;
    else if (lead >= 0xf0 && lead <= 0xf4)
        length = 4;
    if (length == 0 || text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xc0) != 0x80)
            return 0;
    const bool overlong = (lead == 0xe0 && byte(1) < 0xa0) || (lead == 0xf0 && byte(1) < 0x90);
    const bool beyond = (lead == 0xed && byte(1) >= 0xa0) || (lead == 0xf4 && byte(1) >= 0x90);
    const bool nonCharacter = lead == 0xef && byte(1) == 0xbf && byte(2) >= 0xbe;
    return overlong || beyond || nonCharacter ? 0 : length;
}

// `text` for an HTML (and XML) page: the markup characters as entities, control bytes as in
// EscapeControl, and bytes that are not UTF-8 as \xHH, so that a file name can neither add markup
// nor make the page something a strict reader refuses.
inline std::string EscapeHtml(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size();)
    {
        const char c = text[i];
        const size_t length = Utf8SequenceLength(text.substr(i));
        if (length > 1)
            shown.append(text.substr(i, length));
        else if (const char* entity = escape_detail::Replacement(c, escape_detail::kMarkupEntities))
            shown += entity;
        else if (length == 1)
            shown += EscapeControl(text.substr(i, 1));
        else
            shown += escape_detail::HexEscape(static_cast<unsigned char>(c));
        i += length > 1 ? length : 1;
    }
    return shown;
}

} // namespace vrn
