// A strict check that a text is well-formed XML, which the report page must be (so that any browser,
// and any XML tool, reads it the same way): one root element, every element closed in order, attribute
// values quoted and each attribute once, no "<" and no stray "&" in text, only the five XML entities
// and character references, no control byte but tab and line ends.
#pragma once

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace vrn::test
{

class XmlCheck
{
public:
    explicit XmlCheck(const std::string& text) : m_text(text) { Run(); }

    // Empty when the text is well-formed; else what is wrong and at which byte.
    const std::string& Error() const { return m_error; }
    // Every element's name, in document order.
    const std::vector<std::string>& Elements() const { return m_elements; }
    bool Holds(const std::string& name) const
    {
        for (const std::string& element : m_elements)
            if (element == name)
                return true;
        return false;
    }

private:
    const std::string& m_text;
    size_t m_at = 0;
    std::string m_error;
    std::vector<std::string> m_elements;
    std::vector<std::string> m_open;
    bool m_rootDone = false;

    bool Fail(const std::string& what)
    {
        if (m_error.empty())
            m_error = what + " at byte " + std::to_string(m_at);
        return false;
    }
    bool Starts(const char* prefix) const { return m_text.compare(m_at, std::strlen(prefix), prefix) == 0; }
    static bool NameStart(char c)
    {
        return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':';
    }
    static bool NameChar(char c)
    {
        return NameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
    }
    void SkipBlanks()
    {
        while (m_at < m_text.size() && std::strchr(" \t\r\n", m_text[m_at]) && m_text[m_at] != '\0')
            ++m_at;
    }
    bool Name(std::string& name)
    {
        const size_t start = m_at;
        if (m_at >= m_text.size() || !NameStart(m_text[m_at]))
            return Fail("a name expected");
        while (m_at < m_text.size() && NameChar(m_text[m_at]))
            ++m_at;
        name = m_text.substr(start, m_at - start);
        return true;
    }
    bool SkipPast(const char* end, const char* what)
    {
        const size_t found = m_text.find(end, m_at);
        if (found == std::string::npos)
            return Fail(std::string("unclosed ") + what);
        m_at = found + std::strlen(end);
        return true;
    }
    // At '&': one of the XML entities or a character reference.
    bool Reference()
    {
        const size_t semicolon = m_text.find(';', m_at);
        if (semicolon == std::string::npos || semicolon - m_at > 10)
            return Fail("a stray '&'");
        const std::string name = m_text.substr(m_at + 1, semicolon - m_at - 1);
        static const std::set<std::string> entities = {"amp", "lt", "gt", "quot", "apos"};
        bool ok = entities.count(name) > 0;
        if (!ok && name.size() > 1 && name[0] == '#')
        {
            const bool hex = name[1] == 'x';
            const std::string digits = name.substr(hex ? 2 : 1);
            ok = !digits.empty() &&
                 digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string::npos;
        }
        if (!ok)
            return Fail("an unknown entity '&" + name + ";'");
        m_at = semicolon + 1;
        return true;
    }
    bool TextByte(bool inside)
    {
        const auto c = static_cast<unsigned char>(m_text[m_at]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return Fail("a control byte");
        if (c == '&')
            return Reference();
        if (!inside && !std::isspace(c))
            return Fail("text outside the root element");
        ++m_at;
        return true;
    }
    bool Attributes(bool& selfClosing)
    {
        std::set<std::string> seen;
        while (true)
        {
            SkipBlanks();
            if (Starts("/>") || Starts(">"))
            {
                selfClosing = Starts("/>");
                m_at += selfClosing ? 2 : 1;
                return true;
            }
            std::string name;
            if (!Name(name))
                return false;
            if (!seen.insert(name).second)
                return Fail("the attribute " + name + " twice");
            SkipBlanks();
            if (!Starts("="))
                return Fail("'=' expected after " + name);
            ++m_at;
            SkipBlanks();
            const char quote = m_at < m_text.size() ? m_text[m_at] : 0;
            if (quote != '"' && quote != '\'')
                return Fail("an unquoted value of " + name);
            for (++m_at; m_at < m_text.size() && m_text[m_at] != quote;)
                if (m_text[m_at] == '<')
                    return Fail("'<' in the value of " + name);
                else if (!TextByte(true))
                    return false;
            if (m_at >= m_text.size())
                return Fail("an unclosed value of " + name);
            ++m_at;
        }
    }
    bool StartTag()
    {
        ++m_at;
        std::string name;
        if (!Name(name))
            return false;
        if (m_rootDone)
            return Fail("a second root element " + name);
        bool selfClosing = false;
        if (!Attributes(selfClosing))
            return false;
        m_elements.push_back(name);
        if (selfClosing)
            m_rootDone = m_open.empty();
        else
            m_open.push_back(name);
        return true;
    }
    bool EndTag()
    {
        m_at += 2;
        std::string name;
        if (!Name(name))
            return false;
        SkipBlanks();
        if (!Starts(">"))
            return Fail("'>' expected after </" + name);
        ++m_at;
        if (m_open.empty() || m_open.back() != name)
            return Fail("</" + name + "> closes " +
                        (m_open.empty() ? std::string("nothing") : "<" + m_open.back() + ">"));
        m_open.pop_back();
        m_rootDone = m_open.empty();
        return true;
    }
    bool Step()
    {
        if (Starts("<!--"))
            return SkipPast("-->", "comment");
        if (Starts("<?"))
            return SkipPast("?>", "processing instruction");
        if (Starts("<!DOCTYPE"))
            return m_elements.empty() ? SkipPast(">", "DOCTYPE") : Fail("a DOCTYPE inside the document");
        if (Starts("</"))
            return EndTag();
        if (Starts("<"))
            return StartTag();
        return TextByte(!m_open.empty());
    }
    void Run()
    {
        while (m_at < m_text.size())
            if (!Step())
                return;
        if (!m_open.empty())
            Fail("<" + m_open.back() + "> is not closed");
        else if (m_elements.empty())
            Fail("no root element");
    }
};

} // namespace vrn::test
