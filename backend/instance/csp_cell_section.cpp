// The cell section of a .csp file: the number of cells, then nine fields a cell (INDEX VALUE COST
// STATUS LB UB LPL UPL SPL), each cell checked on its own as it is read.
#include "common/number_format.h"
#include "instance/csp_reader.h"

#include <algorithm>
#include <cmath>

namespace vrn::csp
{

void Reader::ReadCells()
{
    const int64_t count = ReadCount("cells");
    // A count is only a claim: reserve no more than the text can hold (a cell takes at least 18 bytes).
    Inst().cells.reserve(static_cast<size_t>(std::min<int64_t>(count, m_textSize / 18 + 1)));
    for (int64_t k = 0; k < count; ++k)
        ReadCell(k, count);
}

// The tokens of one cell: nine of them, or, in a file written one cell per line, what its line holds.
std::vector<Token> Reader::CellTokens(int64_t k, int64_t count)
{
    std::vector<Token> fields;
    const Token first = m_tokens.Peek();
    if (first.AtEnd())
        Fatal(first.line, "the file ends after " + std::to_string(k) + " of the " + std::to_string(count) +
                              " cells it announces");
    if (k == 0)
        m_lineStructured = CellZeroFillsItsLine();
    if (m_lineStructured)
    {
        while (!m_tokens.Peek().AtEnd() && m_tokens.Peek().line == first.line)
            fields.push_back(m_tokens.Next());
        return fields;
    }
    for (int i = 0; i < 9; ++i)
    {
        if (m_tokens.Peek().AtEnd())
            Fatal(m_tokens.Peek().line, "the file ends inside cell " + std::to_string(k) + " of the " +
                                            std::to_string(count) + " cells it announces");
        fields.push_back(m_tokens.Next());
    }
    return fields;
}

// A writer that puts one cell per line gives cell 0 exactly nine tokens on its line; then a line
// with another number of fields is reported as such instead of shifting every later field.
bool Reader::CellZeroFillsItsLine()
{
    const auto mark = m_tokens.Save();
    const int line = m_tokens.Peek().line;
    int n = 0;
    while (!m_tokens.Peek().AtEnd() && m_tokens.Peek().line == line && n <= 9)
    {
        m_tokens.Next();
        ++n;
    }
    m_tokens.Restore(mark);
    return n == 9;
}

void Reader::ReadCell(int64_t k, int64_t count)
{
    const std::vector<Token> fields = CellTokens(k, count);
    Cell cell;
    const std::string name = "cell " + std::to_string(k);
    if (fields.size() != 9)
    {
        Error(fields[0].line, name + ": its line has " + std::to_string(fields.size()) +
                                  " fields; expected 9 (INDEX VALUE COST STATUS LB UB LPL UPL SPL)");
        Inst().cells.push_back(cell);
        return;
    }
    CheckIndex(fields[0], k);
    bool numbersOk = true;
    double* targets[] = {&cell.value, &cell.cost, &cell.lb, &cell.ub, &cell.lpl, &cell.upl, &cell.spl};
    const int positions[] = {1, 2, 4, 5, 6, 7, 8};
    const char* names[] = {"value",
                           "cost",
                           "lower bound",
                           "upper bound",
                           "lower protection level",
                           "upper protection level",
                           "sliding protection level"};
    for (int i = 0; i < 7; ++i)
        if (!ToDouble(fields[positions[i]].text, *targets[i]))
        {
            Error(fields[positions[i]].line, name + ": expected a number for its " + names[i] + ", found " +
                                                 Quote(fields[positions[i]]));
            numbersOk = false;
        }
    CheckStatus(fields[3], name, cell);
    if (numbersOk)
        CheckCellValues(fields[0].line, name, cell);
    Inst().cells.push_back(cell);
}

void Reader::CheckIndex(const Token& token, int64_t k)
{
    int64_t index = -1;
    if (!ToCount(token.text, index))
        Error(token.line, "expected the cell index " + std::to_string(k) + ", found " + Quote(token));
    else if (index < k)
        Error(token.line, "cell " + std::to_string(index) + " appears again or out of order; expected cell " +
                              std::to_string(k));
    else if (index > k)
        Error(token.line, "cell " + std::to_string(k) + " is missing: found cell " + std::to_string(index) +
                              " where cell " + std::to_string(k) + " should be");
}

void Reader::CheckStatus(const Token& token, const std::string& name, Cell& cell)
{
    if (IsStatusLetter(token.text))
        cell.status = token.text[0];
    else
        Error(token.line, name + " has status " + Quote(token) + "; expected one of u s m x z w");
}

void Reader::CheckCellValues(int line, const std::string& name, const Cell& cell)
{
    if (cell.cost < 0)
        Error(line, name + " has the negative cost " + FormatNumber(cell.cost) + "; costs are 0 or more");
    if (cell.lb > cell.ub)
        Error(line, name + " has a lower bound " + FormatNumber(cell.lb) + " above its upper bound " +
                        FormatNumber(cell.ub));
    else if (cell.value < cell.lb || cell.value > cell.ub)
        Error(line, name + " has the value " + FormatNumber(cell.value) + ", outside its bounds [" +
                        FormatNumber(cell.lb) + ", " + FormatNumber(cell.ub) + "]");
    if (cell.lpl < 0)
        Error(line, name + " has the negative lower protection level " + FormatNumber(cell.lpl));
    if (cell.upl < 0)
        Error(line, name + " has the negative upper protection level " + FormatNumber(cell.upl));
    if (cell.spl < 0)
        Error(line, name + " has the negative sliding protection level " + FormatNumber(cell.spl));
    const std::pair<const char*, double> numbers[] = {{"value", cell.value},
                                                      {"cost", cell.cost},
                                                      {"lower protection level", cell.lpl},
                                                      {"upper protection level", cell.upl},
                                                      {"sliding protection level", cell.spl}};
    for (const auto& [what, number] : numbers)
        if (std::fabs(number) > kLargestNumber)
            Error(line, name + " has the " + what + " " + FormatNumber(number) + "; numbers are limited to " +
                            FormatNumber(kLargestNumber) + " in magnitude");
}

} // namespace vrn::csp
