#include "instance/repair_file.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vrn
{

namespace
{

constexpr size_t kErrorCap = 1000;
constexpr size_t kQuotedLength = 60;

const char* const kWhatNames[] = {"lb", "ub", "lpl", "upl"};

bool WholeNumber(const std::string& text, long long& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18)
        return false;
    value = std::stoll(text);
    return true;
}

bool Price(const std::string& text, double& value)
{
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || errno == ERANGE || !std::isfinite(parsed) || parsed < 0)
        return false;
    value = parsed;
    return true;
}

// The line as it may be quoted in a message: printable, trimmed and short.
std::string Quoted(const std::string& line)
{
    std::string text;
    for (const char c : line)
        text += (c >= 32 && c < 127) ? c : '?';
    const size_t begin = text.find_first_not_of(" \t");
    const size_t end = text.find_last_not_of(" \t");
    text = begin == std::string::npos ? std::string() : text.substr(begin, end - begin + 1);
    return text.size() > kQuotedLength ? text.substr(0, kQuotedLength) + "..." : text;
}

class RepairLineReader
{
public:
    RepairLineReader(const Instance& instance, RepairFileResult& result)
        : m_in(instance), m_result(result), m_firstLine(instance.cells.size(), {0, 0, 0, 0})
    {
    }

    // The problem with one line, or an empty string when it is good (or blank).
    std::string Read(const std::string& line, int lineNumber)
    {
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> tokens;
        for (std::string token; words >> token && tokens.size() < 4;)
            tokens.push_back(token);
        if (tokens.empty())
            return {};
        if (tokens.size() != 3)
            return "expected 'CELL WHAT PRICE' (WHAT one of lb ub lpl upl, PRICE a number >= 0 or fixed), "
                   "found '" +
                   Quoted(line) + "'";
        long long cell = 0;
        if (!WholeNumber(tokens[0], cell) || cell >= static_cast<long long>(m_in.cells.size()))
            return "cell '" + Quoted(tokens[0]) + "' does not exist (the table has cells 0 to " +
                   std::to_string(m_in.cells.size() - 1) + ")";
        int what = -1;
        for (int k = 0; k < 4; ++k)
            if (tokens[1] == kWhatNames[k])
                what = k;
        if (what < 0)
            return "'" + Quoted(tokens[1]) + "' for cell " + tokens[0] + "; expected one of lb ub lpl upl";
        double price = kFixedPrice;
        if (tokens[2] != "fixed" && !Price(tokens[2], price))
            return "price '" + Quoted(tokens[2]) + "' for cell " + tokens[0] + " " + tokens[1] +
                   "; expected a number >= 0 or fixed";
        return Assign(static_cast<size_t>(cell), what, price, lineNumber);
    }

private:
    const Instance& m_in;
    RepairFileResult& m_result;
    std::vector<std::array<int, 4>> m_firstLine; // per cell and what, the line that priced it

    std::string Assign(size_t cell, int what, double price, int lineNumber)
    {
        const std::string name = "cell " + std::to_string(cell) + " " + kWhatNames[what];
        if (m_in.cells[cell].status == 'z')
            return "cell " + std::to_string(cell) +
                   " has status z: it does not change, so a repair changes "
                   "none of its bounds or levels";
        if (m_firstLine[cell][what] != 0)
            return name + " was priced already on line " + std::to_string(m_firstLine[cell][what]);
        m_firstLine[cell][what] = lineNumber;
        m_result.prices.price[cell][what] = price;
        if (what >= 2 && price != kFixedPrice)
            m_result.prices.protectionPriced = true;
        ++m_result.prices.linesRead;
        return {};
    }
};

} // namespace

std::string RepairWhatName(RepairWhat what)
{
    return kWhatNames[static_cast<int>(what)];
}

RepairPrices DefaultRepairPrices(const Instance& instance)
{
    RepairPrices prices;
    prices.price.assign(instance.cells.size(), {1, 1, 1, 1});
    return prices;
}

RepairFileResult ReadRepairText(const std::string& text, const Instance& instance)
{
    RepairFileResult result;
    result.prices = DefaultRepairPrices(instance);
    RepairLineReader reader(instance, result);
    std::istringstream lines(text);
    int lineNumber = 0;
    size_t problems = 0;
    for (std::string line; std::getline(lines, line);)
    {
        ++lineNumber;
        std::string problem = reader.Read(line, lineNumber);
        if (problem.empty())
            continue;
        if (++problems <= kErrorCap)
            result.errors.push_back({lineNumber, std::move(problem)});
    }
    if (problems > kErrorCap)
        result.errors.push_back(
            {0, std::to_string(problems - kErrorCap) + " more errors in the repair file"});
    return result;
}

RepairFileResult ReadRepairFile(const std::string& path, const Instance& instance)
{
    if (path.empty())
        return RepairFileResult{DefaultRepairPrices(instance), {}};
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        RepairFileResult result{DefaultRepairPrices(instance), {}};
        result.errors.push_back({0, "cannot open the repair file"});
        return result;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return ReadRepairText(text.str(), instance);
}

} // namespace vrn
