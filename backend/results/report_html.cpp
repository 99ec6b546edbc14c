#include "results/report_html.h"

#include "common/escape_text.h"
#include "common/number_format.h"

#include <cstdio>

namespace vrn::report
{

namespace
{

// ` class="CLS"`, or nothing without a class.
std::string ClassAttribute(const char* cls)
{
    return cls ? std::string(" class=\"") + cls + "\"" : std::string();
}

} // namespace

std::string Num(double value)
{
    return ReadableNumber(value);
}

std::string Count(size_t count)
{
    return ReadableNumber(static_cast<double>(count));
}

std::string Counted(size_t count, const char* one, const char* many)
{
    return Count(count) + " " + (count == 1 ? one : many);
}

std::string Signed(double value)
{
    return value > 0 ? "+" + Num(value) : Num(value);
}

std::string Share(size_t part, size_t whole)
{
    return whole == 0 ? "-" : PercentText(100.0 * static_cast<double>(part) / static_cast<double>(whole));
}

std::string CellName(const CellChange& c)
{
    return "cell " + std::to_string(c.cell);
}

std::string Move(const CellChange& c)
{
    return Num(c.original) + " \u2192 " + Num(c.adjusted);
}

double SignedPercent(const CellChange& c)
{
    return c.Change() < 0 ? -c.RelativePercent() : c.RelativePercent();
}

std::string SignedPercentText(const CellChange& c)
{
    if (c.original == 0)
        return "undefined";
    return (c.Change() > 0 ? "+" : c.Change() < 0 ? "-" : "") + PercentText(c.RelativePercent());
}

std::string Element(const char* tag, const std::string& text, const char* cls)
{
    return std::string("<") + tag + ClassAttribute(cls) + ">" + EscapeHtml(text) + "</" + tag + ">";
}

std::string Card(const char* id, const std::string& label, const std::string& value, const std::string& note)
{
    return std::string("<div class=\"card\">") + Element("div", label, "label") +
           "<div class=\"value\" id=\"" + id + "\">" + EscapeHtml(value) + "</div>" +
           Element("div", note, "note") + "</div>";
}

std::string Warning(const std::string& text)
{
    return Element("p", text, "warn");
}

HtmlTable::HtmlTable(std::initializer_list<std::string> headers, const char* cls)
{
    m_html = std::string("<table") + ClassAttribute(cls) + ">";
    if (headers.size() == 0)
        return;
    m_html += "<tr>";
    bool first = true;
    for (const std::string& header : headers)
    {
        m_html += Element("th", header, first ? "l" : nullptr);
        first = false;
    }
    m_html += "</tr>";
}

void HtmlTable::Row(std::initializer_list<std::string> cells, const char* cls)
{
    m_html += std::string("<tr") + ClassAttribute(cls) + ">";
    bool first = true;
    for (const std::string& cell : cells)
    {
        m_html += Element(first ? "th" : "td", cell, first ? "l" : nullptr);
        first = false;
    }
    m_html += "</tr>";
}

std::string QuantileText(const Quantiles& q, size_t level, bool percent)
{
    if (q.values.empty())
        return "-";
    return percent ? PercentText(q.values[level]) : Num(q.values[level]);
}

std::string Seconds(double seconds)
{
    return FixedPoint(seconds, 3) + " s";
}

std::string List(const std::vector<std::string>& lines)
{
    std::string html = "<ul>";
    for (const std::string& line : lines)
        html += Element("li", line);
    return html + "</ul>";
}

} // namespace vrn::report
