#include "fast/directions.h"

#include "common/escape_text.h"
#include "common/number_format.h"
#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace vrn
{

int DirectionChoice::Count(Direction which) const
{
    int n = 0;
    for (Direction d : direction)
        n += d == which;
    return n;
}

int DirectionChoice::Count(DirectionSource which) const
{
    int n = 0;
    for (DirectionSource s : source)
        n += s == which;
    return n;
}

std::string DirectionChoice::Summary() const
{
    std::string text =
        std::to_string(Count(Direction::Up)) + " up, " + std::to_string(Count(Direction::Down)) + " down";
    const std::pair<DirectionSource, const char*> sources[] = {
        {DirectionSource::Forced, "forced by the bounds"},
        {DirectionSource::File, "from the file"},
        {DirectionSource::Random, "at random"},
        {DirectionSource::Heuristic, "by the heuristic"},
        {DirectionSource::Repaired, "flipped by the repair"},
        {DirectionSource::Table, "read from a table"}};
    std::string how;
    for (const auto& [source, words] : sources)
        if (const int n = Count(source); n > 0)
            how += (how.empty() ? "" : ", ") + std::to_string(n) + " " + words;
    return how.empty() ? text : text + " (" + how + ")";
}

DirectionChoice ForcedDirections(const Instance& instance, double big)
{
    DirectionChoice choice;
    const size_t n = instance.cells.size();
    choice.direction.assign(n, Direction::Free);
    choice.source.assign(n, DirectionSource::None);
    for (size_t i = 0; i < n; ++i)
    {
        const Cell& cell = instance.cells[i];
        if (!IsProtectable(cell))
            continue;
        const bool down = CanMoveDown(cell, big), up = CanMoveUp(cell, big);
        if (down != up)
        {
            choice.direction[i] = up ? Direction::Up : Direction::Down;
            choice.source[i] = DirectionSource::Forced;
        }
    }
    return choice;
}

void ChooseAtRandom(const Instance& instance, uint64_t seed, DirectionChoice& choice)
{
    std::mt19937_64 random(seed);
    for (size_t i = 0; i < instance.cells.size(); ++i)
        if (IsProtectable(instance.cells[i]) && choice.direction[i] == Direction::Free)
        {
            choice.direction[i] = (random() >> 11) & 1 ? Direction::Up : Direction::Down;
            choice.source[i] = DirectionSource::Random;
        }
}

namespace
{

bool WholeNumber(const std::string& token, long long& value)
{
    if (token.empty() || token.size() > 12 || token.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::atoll(token.c_str());
    return true;
}

// The problem with one line "cell direction", or an empty string when it is good.
class LineReader
{
public:
    LineReader(const Instance& instance, double big, DirectionsFileResult& result)
        : m_in(instance), m_big(big), m_result(result), m_firstLine(instance.cells.size(), 0)
    {
    }

    std::string Read(const std::string& line, int lineNumber)
    {
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> tokens;
        for (std::string token; words >> token;)
            tokens.push_back(token);
        if (tokens.empty())
            return {};
        long long cell = 0, direction = 0;
        if (tokens.size() != 2 || !WholeNumber(tokens[0], cell) || !WholeNumber(tokens[1], direction))
            return "expected 'cell direction' (two whole numbers, direction 0 down or 1 up), found '" +
                   Shown(Trim(line)) + "'";
        if (cell >= static_cast<long long>(m_in.cells.size()))
            return "cell " + tokens[0] + " does not exist (the table has cells 0 to " +
                   std::to_string(m_in.cells.size() - 1) + ")";
        if (direction > 1)
            return "direction '" + Shown(tokens[1]) + "' for cell " + tokens[0] +
                   "; expected 0 (down) or 1 (up)";
        return Assign(static_cast<size_t>(cell), direction == 1 ? Direction::Up : Direction::Down,
                      lineNumber);
    }

private:
    const Instance& m_in;
    double m_big;
    DirectionsFileResult& m_result;
    std::vector<int> m_firstLine; // per cell, the line that gave its direction

    // A piece of the file in a message: at most 60 bytes, control bytes escaped.
    static std::string Shown(const std::string& text)
    {
        return EscapeControl(text.substr(0, 60)) + (text.size() > 60 ? "..." : "");
    }

    static std::string Trim(const std::string& line)
    {
        const size_t begin = line.find_first_not_of(" \t\r");
        const size_t end = line.find_last_not_of(" \t\r");
        return begin == std::string::npos ? std::string() : line.substr(begin, end - begin + 1);
    }

    std::string Assign(size_t i, Direction direction, int lineNumber)
    {
        const Cell& cell = m_in.cells[i];
        const std::string name = "cell " + std::to_string(i);
        if (!IsProtectable(cell))
            return name + " is not a sensitive cell to protect (status " + std::string(1, cell.status) +
                   (cell.status == 'u' ? ", protection levels 0" : "") +
                   "); only sensitive cells take a direction";
        if (m_firstLine[i] != 0)
            return name + " was given a direction already on line " + std::to_string(m_firstLine[i]);
        if (direction == Direction::Up && !CanMoveUp(cell, m_big))
            return name + " (value " + FormatNumber(cell.value, 6) + ") cannot move up by " +
                   FormatNumber(cell.upl, 6) + " within its upper bound " + FormatNumber(cell.ub, 6);
        if (direction == Direction::Down && !CanMoveDown(cell, m_big))
            return name + " (value " + FormatNumber(cell.value, 6) + ") cannot move down by " +
                   FormatNumber(cell.lpl, 6) + " within its lower bound " + FormatNumber(cell.lb, 6);
        m_firstLine[i] = lineNumber;
        m_result.choice.direction[i] = direction;
        m_result.choice.source[i] = DirectionSource::File;
        ++m_result.given;
        return {};
    }
};

} // namespace

DirectionsFileResult ReadDirectionsText(const std::string& text, const Instance& instance, double big)
{
    DirectionsFileResult result;
    result.choice = ForcedDirections(instance, big);
    LineReader reader(instance, big, result);
    std::istringstream lines(text);
    int lineNumber = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++lineNumber;
        std::string problem = reader.Read(line, lineNumber);
        if (!problem.empty())
            result.errors.push_back({lineNumber, std::move(problem)});
    }
    return result;
}

DirectionsFileResult ReadDirectionsFile(const std::string& path, const Instance& instance, double big)
{
    // Only a regular file: a FIFO or a device would block the run or never end.
    struct stat info = {};
    const bool regular = !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    std::ifstream file;
    if (regular)
        file.open(path, std::ios::binary);
    if (path.empty() || !regular || !file)
    {
        DirectionsFileResult result;
        result.choice = ForcedDirections(instance, big);
        result.errors.push_back({0, path.empty() ? "no directions file given (--fixdirfn)"
                                    : !regular   ? "cannot read the directions file: it is not a regular file"
                                                 : "cannot open the directions file"});
        return result;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ReadDirectionsText(text.str(), instance, big);
}

void ReadDirectionsFromTable(const Instance& instance, const std::vector<double>& adjusted, double big,
                             bool overwrite, DirectionChoice& choice)
{
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const Cell& cell = instance.cells[i];
        if (!IsProtectable(cell) || (!overwrite && choice.direction[i] != Direction::Free) ||
            choice.source[i] == DirectionSource::Forced)
            continue;
        const double change = adjusted[i] - cell.value;
        const bool up =
            CanMoveUp(cell, big) && (!CanMoveDown(cell, big) || change >= (cell.upl - cell.lpl) / 2);
        choice.direction[i] = up ? Direction::Up : Direction::Down;
        choice.source[i] = DirectionSource::Table;
    }
}

bool ChosenByProgram(DirectionSource source)
{
    return source == DirectionSource::Heuristic || source == DirectionSource::Repaired ||
           source == DirectionSource::Table;
}

void ChooseFromRelaxation(const StdModel& relaxed, const std::vector<double>& solution,
                          DirectionChoice& choice)
{
    for (size_t i = 0; i < choice.direction.size(); ++i)
    {
        const int y = relaxed.colDir[i];
        if (y < 0 || choice.direction[i] != Direction::Free)
            continue;
        choice.direction[i] = solution[y] >= 0.5 ? Direction::Up : Direction::Down;
        choice.source[i] = DirectionSource::Heuristic;
    }
}

} // namespace vrn
