// Bytes that came from outside (file names, instance text, typed commands) shown safely on one line.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vrn
{

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
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\t')
            shown += "\\t";
        else
        {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            shown += hex;
        }
    }
    return shown;
}

} // namespace vrn
