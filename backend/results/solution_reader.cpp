#include "results/solution_reader.h"

#include "common/escape_text.h"
#include "common/file_safety.h"
#include "common/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace vrn
{

namespace
{

constexpr const char* kStatusLetters = "usmxzw";

std::vector<std::string_view> Fields(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t at = 0;
    while (true)
    {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos)
            return fields;
        const size_t end = std::min(line.find_first_of(" \t", at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
}

// A finite number in decimal or exponent form, the whole field.
bool ParseField(std::string_view field, double& value)
{
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && ptr == end && std::isfinite(value);
}

bool ParseCount(std::string_view field, size_t& count)
{
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, count);
    return ec == std::errc() && ptr == end;
}

std::string Quoted(std::string_view text)
{
    return "'" + EscapeControl(text.substr(0, 40)) + (text.size() > 40 ? "...'" : "'");
}

class SolutionParser
{
public:
    explicit SolutionParser(SolutionFileContents& out) : m_out(out) {}

    void Line(std::string_view line, int number)
    {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line[0] == '#')
            return Header(line.substr(1), number);
        const std::vector<std::string_view> fields = Fields(line);
        if (!fields.empty())
            Cell(fields, number);
    }

    void End(int lines)
    {
        if (m_out.errors.empty() && m_out.announcesCells && m_out.announcedCells != m_out.adjusted.size())
            Fail(lines, "the header announces " + std::to_string(m_out.announcedCells) +
                            " cells, but the file holds " + std::to_string(m_out.adjusted.size()) +
                            " cell lines");
    }

    bool Failed() const { return !m_out.errors.empty(); }

private:
    SolutionFileContents& m_out;

    void Fail(int line, const std::string& message) { m_out.errors.push_back({line, message}); }

    void Header(std::string_view text, int number)
    {
        const size_t colon = text.find(": ");
        if (colon == std::string_view::npos)
            return; // "# VRN solution", "# index original adjusted change status"
        const size_t start = std::min(text.find_first_not_of(' '), colon);
        const std::string key(text.substr(start, colon - start));
        const std::string_view value = text.substr(colon + 2);
        m_out.header.emplace_back(key, std::string(value));
        if (key != "cells")
            return;
        if (!ParseCount(value, m_out.announcedCells))
            return Fail(number, "the number of cells " + Quoted(value) + " is not a whole number");
        m_out.announcesCells = true;
    }

    void Cell(const std::vector<std::string_view>& fields, int number)
    {
        const size_t index = m_out.adjusted.size();
        const std::string name = "cell " + std::to_string(index);
        if (fields.size() != 5)
            return Fail(number, "a cell line has " + std::to_string(fields.size()) +
                                    " fields; expected 5: index original adjusted change status");
        size_t given = 0;
        if (!ParseCount(fields[0], given) || given != index)
            return Fail(number, "the line of " + name + " starts with " + Quoted(fields[0]) +
                                    "; cell lines are numbered 0, 1, 2, ... in order");
        double original = 0, adjusted = 0, change = 0;
        const char* what = !ParseField(fields[1], original)   ? "original value"
                           : !ParseField(fields[2], adjusted) ? "adjusted value"
                           : !ParseField(fields[3], change)   ? "change"
                                                              : nullptr;
        if (what)
        {
            const std::string_view bad = fields[what[0] == 'o' ? 1 : what[0] == 'a' ? 2 : 3];
            return Fail(number, "the " + std::string(what) + " of " + name + ", " + Quoted(bad) +
                                    ", is not a number");
        }
        // The change is written as well as both values; a line whose three disagree is damaged.
        const double room = 1e-6 * std::max({std::fabs(original), std::fabs(adjusted), 1e-300});
        if (std::fabs(change - (adjusted - original)) > room)
            return Fail(number, "the change of " + name + ", " + LogNumber(change) +
                                    ", is not its adjusted value " + LogNumber(adjusted) +
                                    " less its original " + LogNumber(original));
        if (fields[4].size() != 1 || std::strchr(kStatusLetters, fields[4][0]) == nullptr)
            return Fail(number,
                        "the status of " + name + ", " + Quoted(fields[4]) + ", is not one of u s m x z w");
        m_out.original.push_back(original);
        m_out.adjusted.push_back(adjusted);
        m_out.status.push_back(fields[4][0]);
        m_out.lines.push_back(number);
    }
};

} // namespace

std::string SolutionFileContents::HeaderValue(const std::string& key) const
{
    for (const auto& [name, value] : header)
        if (name == key)
            return value;
    return {};
}

SolutionFileContents ReadSolutionText(const std::string& text)
{
    SolutionFileContents contents;
    SolutionParser parser(contents);
    int number = 0;
    for (size_t start = 0; start < text.size() && !parser.Failed();)
    {
        const size_t end = std::min(text.find('\n', start), text.size());
        parser.Line(std::string_view(text).substr(start, end - start), ++number);
        start = end + 1;
    }
    parser.End(number);
    return contents;
}

SolutionFileContents ReadSolutionFile(const std::string& path)
{
    SolutionFileContents failed;
    std::string text;
    int why = 0;
    switch (ReadRegularFile(path, text, why))
    {
    case FileReadFault::None:
        return ReadSolutionText(text);
    case FileReadFault::CannotOpen:
        failed.errors.push_back({0, std::string("cannot open the solution file: ") + std::strerror(why)});
        break;
    case FileReadFault::NotRegular:
        failed.errors.push_back({0, "cannot read the solution file: it is not a regular file"});
        break;
    case FileReadFault::CannotRead:
        failed.errors.push_back({0, std::string("cannot read the solution file: ") + std::strerror(why)});
        break;
    }
    return failed;
}

std::vector<FormatError> MismatchWithInstance(const SolutionFileContents& solution, const Instance& instance,
                                              const std::string& instancePath)
{
    const std::string source = EscapeControl(instancePath);
    if (solution.adjusted.size() != instance.cells.size())
        return {{0, "the table has " + std::to_string(solution.adjusted.size()) + " cells and the instance " +
                        source + " has " + std::to_string(instance.cells.size()) +
                        ": it is not a table of this instance"}};
    double largest = 0;
    for (const vrn::Cell& cell : instance.cells)
        largest = std::max(largest, std::fabs(cell.value));
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const vrn::Cell& cell = instance.cells[i];
        const std::string name = "cell " + std::to_string(i);
        if (std::fabs(solution.original[i] - cell.value) > 1e-9 * largest)
            return {{solution.lines[i], name + " has the original value " + LogNumber(solution.original[i]) +
                                            " here and " + LogNumber(cell.value) + " in " + source +
                                            ": it is not a table of this instance"}};
        if (solution.status[i] != cell.status)
            return {{solution.lines[i], name + " has status " + std::string(1, solution.status[i]) +
                                            " here and " + std::string(1, cell.status) + " in " + source +
                                            ": it is not a table of this instance"}};
    }
    return {};
}

} // namespace vrn
