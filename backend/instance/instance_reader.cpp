// Reader of the .csp format: free-format tokens, with the line of each token kept for messages.
#include "common/escape_text.h"
#include "common/file_safety.h"
#include "common/number_format.h"
#include "instance/instance.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string_view>

namespace vrn
{

std::string FormatErrorText(const std::string& file, const FormatError& error)
{
    // Line 0: a fault of the file as a whole (missing, unreadable).
    if (error.line == 0)
        return (file.empty() ? std::string("mainVRN.exe") : EscapeControl(file)) + ": " + error.message;
    return EscapeControl(file) + ":" + std::to_string(error.line) + ": " + error.message;
}

namespace
{

constexpr size_t kErrorCap = 1000;
// Numbers beyond this magnitude (values, costs, levels, coefficients, right-hand sides) are refused:
// the solvers take numbers near 1e20 for infinity and lose every digit of a table beside them.
constexpr double kLargestNumber = 1e15;
constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

struct Token
{
    std::string_view text; // empty at end of file
    int line = 0;
    bool AtEnd() const { return text.empty(); }
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsPunct(char c)
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

bool ToDouble(std::string_view text, double& value)
{
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    if (text.empty() || text[0] == '+')
        return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() && std::isfinite(value);
}

bool ToCount(std::string_view text, int64_t& value)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size();
}

std::string Quote(const Token& token)
{
    if (token.AtEnd())
        return "the end of the file";
    std::string shown = EscapeControl(token.text.substr(0, 40));
    if (token.text.size() > 40)
        shown += "...";
    return "'" + shown + "'";
}

// Stops the read by throwing once an error ends it (first-error mode, or a fault nothing can follow).
struct StopReading
{
};

class Reader
{
public:
    Reader(std::string_view text, bool allErrors, ReadResult& result)
        : m_tokens(text), m_textSize(static_cast<int64_t>(text.size())), m_allErrors(allErrors),
          m_result(result)
    {
    }

    void Run()
    {
        try
        {
            ReadHeader();
            ReadCells();
            ReadRelations();
            ExpectEnd();
        }
        catch (const StopReading&)
        {
        }
    }

private:
    Tokenizer m_tokens;
    int64_t m_textSize;
    bool m_allErrors;
    ReadResult& m_result;
    bool m_lineStructured = false;
    int64_t m_relation = 0;                // the relation being read, from 1
    std::vector<int64_t> m_lastRelationOf; // per cell: the last relation that named it

    Instance& Inst() { return m_result.instance; }

    void Error(int line, const std::string& message)
    {
        if (m_result.errors.size() < kErrorCap)
            m_result.errors.push_back({line, message});
        else
            ++m_result.suppressedErrors;
        if (!m_allErrors)
            throw StopReading();
    }

    [[noreturn]] void Fatal(int line, const std::string& message)
    {
        m_allErrors = false;
        Error(line, message);
        throw StopReading();
    }

    int64_t ReadCount(const char* what)
    {
        const Token token = m_tokens.Next();
        int64_t count = 0;
        if (token.AtEnd())
            Fatal(token.line, std::string("the file ends where the number of ") + what + " should be");
        if (!ToCount(token.text, count) || count > 2000000000)
            Fatal(token.line, std::string("expected the number of ") + what +
                                  " (a whole number, 0 or more), found " + Quote(token));
        return count;
    }

    void ReadHeader()
    {
        const Token token = m_tokens.Next();
        if (token.AtEnd())
            Fatal(token.line, "the file is empty; expected the header 0");
        int64_t header = -1;
        if (!ToCount(token.text, header) || header != 0)
            Error(token.line, "expected the header 0, found " + Quote(token));
    }

    void ReadCells()
    {
        const int64_t count = ReadCount("cells");
        // A count is only a claim: reserve no more than the text can hold (a cell takes at least 18 bytes).
        Inst().cells.reserve(static_cast<size_t>(std::min<int64_t>(count, m_textSize / 18 + 1)));
        for (int64_t k = 0; k < count; ++k)
            ReadCell(k, count);
    }

    // The tokens of one cell: nine of them, or, in a file written one cell per line, what its line holds.
    std::vector<Token> CellTokens(int64_t k, int64_t count)
    {
        std::vector<Token> fields;
        const Token first = m_tokens.Peek();
        if (first.AtEnd())
            Fatal(first.line, "the file ends after " + std::to_string(k) + " of the " +
                                  std::to_string(count) + " cells it announces");
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
    bool CellZeroFillsItsLine()
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

    void ReadCell(int64_t k, int64_t count)
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
                Error(fields[positions[i]].line, name + ": expected a number for its " + names[i] +
                                                     ", found " + Quote(fields[positions[i]]));
                numbersOk = false;
            }
        CheckStatus(fields[3], name, cell);
        if (numbersOk)
            CheckCellValues(fields[0].line, name, cell);
        Inst().cells.push_back(cell);
    }

    void CheckIndex(const Token& token, int64_t k)
    {
        int64_t index = -1;
        if (!ToCount(token.text, index))
            Error(token.line, "expected the cell index " + std::to_string(k) + ", found " + Quote(token));
        else if (index < k)
            Error(token.line, "cell " + std::to_string(index) +
                                  " appears again or out of order; expected cell " + std::to_string(k));
        else if (index > k)
            Error(token.line, "cell " + std::to_string(k) + " is missing: found cell " +
                                  std::to_string(index) + " where cell " + std::to_string(k) + " should be");
    }

    void CheckStatus(const Token& token, const std::string& name, Cell& cell)
    {
        const std::string_view valid = "usmxzw";
        if (token.text.size() == 1 && valid.find(token.text[0]) != std::string_view::npos)
            cell.status = token.text[0];
        else
            Error(token.line, name + " has status " + Quote(token) + "; expected one of u s m x z w");
    }

    void CheckCellValues(int line, const std::string& name, const Cell& cell)
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
                Error(line, name + " has the " + what + " " + FormatNumber(number) +
                                "; numbers are limited to " + FormatNumber(kLargestNumber) + " in magnitude");
    }

    // True when the next line reads as cell `index`: nine fields, that index first, a status letter fourth.
    bool NextLineIsCell(int64_t index)
    {
        const auto mark = m_tokens.Save();
        const int line = m_tokens.Peek().line;
        std::vector<Token> fields;
        while (!m_tokens.Peek().AtEnd() && m_tokens.Peek().line == line && fields.size() <= 9)
            fields.push_back(m_tokens.Next());
        m_tokens.Restore(mark);
        int64_t found = -1;
        return fields.size() == 9 && ToCount(fields[0].text, found) && found == index &&
               fields[3].text.size() == 1 &&
               std::string_view("usmxzw").find(fields[3].text[0]) != std::string_view::npos;
    }

    void ReadRelations()
    {
        const int64_t cells = static_cast<int64_t>(Inst().cells.size());
        if (NextLineIsCell(cells))
            Fatal(m_tokens.Peek().line, "cell " + std::to_string(cells) + " follows the " +
                                            std::to_string(cells) +
                                            " cells the file announces: the number of cells is smaller than "
                                            "the cells the file holds");
        m_lastRelationOf.assign(static_cast<size_t>(cells), 0);
        const int64_t count = ReadCount("relations");
        Inst().rhs.reserve(static_cast<size_t>(std::min<int64_t>(count, m_textSize / 6 + 1)));
        for (int64_t r = 1; r <= count; ++r)
        {
            if (m_tokens.Peek().AtEnd())
                Fatal(m_tokens.Peek().line, "the file ends after " + std::to_string(r - 1) + " of the " +
                                                std::to_string(count) + " relations it announces");
            if (!ReadRelation(r))
                SkipToNextRelation();
        }
    }

    bool IsTermStart()
    {
        const auto mark = m_tokens.Save();
        int64_t index = 0;
        const bool isIndex = ToCount(m_tokens.Next().text, index);
        const bool paren = m_tokens.Peek().text == "(";
        m_tokens.Restore(mark);
        return isIndex && paren;
    }

    bool IsRelationStart()
    {
        const auto mark = m_tokens.Save();
        double rhs = 0;
        int64_t n = 0;
        const bool ok = ToDouble(m_tokens.Next().text, rhs) && ToCount(m_tokens.Next().text, n) &&
                        m_tokens.Peek().text == ":";
        m_tokens.Restore(mark);
        return ok;
    }

    // A line that starts a relation, even a damaged one: "RHS COUNT :" with a bad right-hand side or
    // count, or a right-hand side and a count followed by something other than a term's "(".
    bool LooksLikeRelationLine()
    {
        if (IsRelationStart())
            return true;
        const auto mark = m_tokens.Save();
        const Token first = m_tokens.Next();
        const Token second = m_tokens.Next();
        const Token third = m_tokens.Next();
        m_tokens.Restore(mark);
        if (second.line != first.line || third.line != first.line)
            return false;
        double rhs = 0;
        int64_t count = 0;
        return third.text == ":" ||
               (ToDouble(first.text, rhs) && ToCount(second.text, count) && third.text != "(");
    }

    // After a damaged relation: go on at the next line that looks like the start of one, so that each
    // damaged relation is reported once and the relations after it keep their numbers.
    void SkipToNextRelation()
    {
        int line = m_tokens.Line();
        while (!m_tokens.Peek().AtEnd())
        {
            const bool lineStart = m_tokens.Peek().line > line;
            if (lineStart && LooksLikeRelationLine())
                return;
            line = m_tokens.Peek().line;
            m_tokens.Next();
        }
    }

    // Reads relation r (numbered from 1); false when its structure is damaged.
    bool ReadRelation(int64_t r)
    {
        m_relation = r;
        const std::string name = "relation " + std::to_string(r);
        const Token rhsToken = m_tokens.Next();
        double rhs = 0;
        if (!ToDouble(rhsToken.text, rhs))
        {
            Error(rhsToken.line,
                  name + ": expected its right-hand side (a number), found " + Quote(rhsToken));
            return false;
        }
        if (std::fabs(rhs) > kLargestNumber)
            Error(rhsToken.line, name + " has the right-hand side " + FormatNumber(rhs) +
                                     "; numbers are limited to " + FormatNumber(kLargestNumber) +
                                     " in magnitude");
        const Token countToken = m_tokens.Next();
        int64_t announced = 0;
        if (!ToCount(countToken.text, announced))
        {
            Error(countToken.line, name +
                                       ": expected its number of terms (a whole number, 0 or more), found " +
                                       Quote(countToken));
            return false;
        }
        const Token colon = m_tokens.Next();
        if (colon.text != ":")
        {
            Error(colon.line, name + ": expected ':' after its number of terms, found " + Quote(colon));
            return false;
        }
        std::vector<std::pair<int32_t, double>> terms;
        for (int64_t t = 0; t < announced; ++t)
        {
            if (!IsTermStart() && (m_tokens.Peek().AtEnd() || IsRelationStart()))
            {
                // Reported on the relation's own last line, not on the line of whatever follows it.
                Error(m_tokens.Line(), name + " announces " + std::to_string(announced) + " terms but has " +
                                           std::to_string(t));
                FinishRelation(rhs, terms);
                return true;
            }
            if (!ReadTerm(name, terms))
                return false;
        }
        if (IsTermStart())
        {
            const int line = m_tokens.Peek().line;
            int64_t actual = announced;
            while (IsTermStart() && ReadTerm(name, terms))
                ++actual;
            Error(line, name + " announces " + std::to_string(announced) + " terms but has " +
                            std::to_string(actual));
        }
        FinishRelation(rhs, terms);
        return true;
    }

    void FinishRelation(double rhs, const std::vector<std::pair<int32_t, double>>& terms)
    {
        Inst().AddRelation(rhs, terms);
    }

    bool ReadTerm(const std::string& name, std::vector<std::pair<int32_t, double>>& terms)
    {
        const Token indexToken = m_tokens.Next();
        int64_t index = 0;
        if (!ToCount(indexToken.text, index))
        {
            Error(indexToken.line, name + ": expected a cell index, found " + Quote(indexToken));
            return false;
        }
        const Token open = m_tokens.Next();
        if (open.text != "(")
        {
            Error(open.line,
                  name + ": expected '(' after cell " + std::to_string(index) + ", found " + Quote(open));
            return false;
        }
        const Token coefToken = m_tokens.Next();
        double coef = 0;
        if (!ToDouble(coefToken.text, coef))
        {
            Error(coefToken.line, name + ": expected the coefficient of cell " + std::to_string(index) +
                                      " (a number), found " + Quote(coefToken));
            return false;
        }
        const Token close = m_tokens.Next();
        if (close.text != ")")
        {
            Error(close.line, name + ": expected ')' after the coefficient of cell " + std::to_string(index) +
                                  ", found " + Quote(close));
            return false;
        }
        const int64_t cellCount = static_cast<int64_t>(Inst().cells.size());
        if (std::fabs(coef) > kLargestNumber)
            Error(coefToken.line, name + ": the coefficient " + FormatNumber(coef) + " of cell " +
                                      std::to_string(index) + " is beyond " + FormatNumber(kLargestNumber) +
                                      " in magnitude");
        if (index >= cellCount)
            Error(indexToken.line, name + " names cell " + std::to_string(index) + ", but the table has " +
                                       (cellCount == 0 ? std::string("no cells")
                                                       : "cells 0 to " + std::to_string(cellCount - 1)));
        else if (m_lastRelationOf[static_cast<size_t>(index)] == m_relation)
            // Solvers disagree on a cell named twice in one row (some add the terms, one fails): refused.
            Error(indexToken.line, name + " names cell " + std::to_string(index) +
                                       " twice; write each cell once, with the sum of its coefficients");
        else
        {
            m_lastRelationOf[static_cast<size_t>(index)] = m_relation;
            terms.emplace_back(static_cast<int32_t>(index), coef);
        }
        return true;
    }

    void ExpectEnd()
    {
        const Token token = m_tokens.Peek();
        if (!token.AtEnd())
            Error(token.line, "text after the last relation: " + Quote(token));
    }
};

} // namespace

ReadResult ReadInstanceText(const std::string& text, bool allErrors)
{
    ReadResult result;
    std::string_view body = text;
    if (body.substr(0, 3) == kUtf8ByteOrderMark)
        body.remove_prefix(3); // written by some editors at the start of a UTF-8 file
    Reader(body, allErrors, result).Run();
    return result;
}

ReadResult ReadInstanceFile(const std::string& path, bool allErrors)
{
    ReadResult failed;
    if (path.empty())
    {
        failed.errors.push_back({0, "no instance file was given"});
        return failed;
    }
    std::string text;
    int why = 0;
    switch (ReadRegularFile(path, text, why))
    {
    case FileReadFault::None:
        break;
    case FileReadFault::CannotOpen:
        failed.errors.push_back({0, std::string("cannot open the instance file: ") + std::strerror(why)});
        return failed;
    case FileReadFault::NotRegular:
        failed.errors.push_back({0, "cannot read the instance file: it is not a regular file"});
        return failed;
    case FileReadFault::CannotRead:
        failed.errors.push_back({0, std::string("cannot read the instance file: ") + std::strerror(why)});
        return failed;
    }
    return ReadInstanceText(text, allErrors);
}

} // namespace vrn
