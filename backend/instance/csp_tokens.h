// The tokens of a .csp file: free-format words, with the line of each token kept for messages, and the
// two kinds of number a word may hold. Used by the .csp reader only.
#pragma once

#include "common/escape_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace vrn::csp
{

struct Token
{
    std::string_view text; // empty at end of file
    int line = 0;
    bool AtEnd() const { return text.empty(); }
};

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

inline bool IsPunct(char c)
{
    return c == '(' || c == ')' || c == ':';
}

// Splits the text into tokens: runs of non-blank characters, with "(", ")" and ":" always
// tokens of their own so that "3(1)" and "3 ( 1 )" read the same.
class Tokenizer
{
public:
    explicit Tokenizer(std::string_view text) : m_pos(text.data()), m_end(text.data() + text.size()) {}

    Token Next()
    {
        Token token = Peek();
        m_pos = m_peekEnd;
        m_line = token.line;
        m_peeked = false;
        return token;
    }

    const Token& Peek()
    {
        if (!m_peeked)
        {
            const char* p = m_pos;
            int line = m_line;
            while (p < m_end && IsBlank(*p))
            {
                if (*p == '\n')
                    ++line;
                ++p;
            }
            const char* start = p;
            if (p < m_end && IsPunct(*p))
                ++p;
            else
                while (p < m_end && !IsBlank(*p) && !IsPunct(*p))
                    ++p;
            // The end of the file is reported on the line of the last token, not on a trailing empty line.
            m_peekToken = Token{std::string_view(start, static_cast<size_t>(p - start)),
                                start == m_end ? m_line : line};
            m_peekEnd = p;
            m_peeked = true;
        }
        return m_peekToken;
    }

    // Position and line, to look ahead several tokens and come back.
    struct Mark
    {
        const char* pos;
        int line;
    };
    Mark Save() const { return {m_pos, m_line}; }
    void Restore(Mark mark)
    {
        m_pos = mark.pos;
        m_line = mark.line;
        m_peeked = false;
    }
    int Line() const { return m_line; }

private:
    const char* m_pos;
    const char* m_end;
    int m_line = 1;
    bool m_peeked = false;
    Token m_peekToken;
    const char* m_peekEnd = nullptr;
};

// A finite number, with an optional leading "+".
inline bool ToDouble(std::string_view text, double& value)
{
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty() || text[0] == '+')
        return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(value);
}

// A whole number of digits only (no sign).
inline bool ToCount(std::string_view text, int64_t& value)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

// The token as a message shows it: quoted, escaped, cut after 40 bytes.
inline std::string Quote(const Token& token)
{
    if (token.AtEnd())
        return "the end of the file";
    std::string shown = EscapeControl(token.text.substr(0, 40));
    if (token.text.size() > 40)
        shown += "...";
    return "'" + shown + "'";
}

// A cell status letter: u s m x z w.
inline bool IsStatusLetter(std::string_view text)
{
    return text.size() == 1 && std::string_view("usmxzw").find(text[0]) != std::string_view::npos;
}

} // namespace vrn::csp
