// The relation section of a .csp file: the number of relations, then each as "RHS COUNT :" and its
// terms "CELL ( COEFFICIENT )". A damaged relation is reported once and skipped, so that the relations
// after it keep their numbers.
#include "common/number_format.h"
#include "instance/csp_reader.h"

#include <algorithm>
#include <cmath>

namespace vrn::csp
{

// True when the next line reads as cell `index`: nine fields, that index first, a status letter fourth.
bool Reader::NextLineIsCell(int64_t index)
{
    const auto mark = m_tokens.Save();
    const int line = m_tokens.Peek().line;
    std::vector<Token> fields;
    while (!m_tokens.Peek().AtEnd() && m_tokens.Peek().line == line && fields.size() <= 9)
        fields.push_back(m_tokens.Next());
    m_tokens.Restore(mark);
    int64_t found = -1;
    return fields.size() == 9 && ToCount(fields[0].text, found) && found == index &&
           IsStatusLetter(fields[3].text);
}

void Reader::ReadRelations()
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

bool Reader::IsTermStart()
{
    const auto mark = m_tokens.Save();
    int64_t index = 0;
    const bool isIndex = ToCount(m_tokens.Next().text, index);
    const bool paren = m_tokens.Peek().text == "(";
    m_tokens.Restore(mark);
    return isIndex && paren;
}

bool Reader::IsRelationStart()
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
bool Reader::LooksLikeRelationLine()
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
void Reader::SkipToNextRelation()
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
bool Reader::ReadRelation(int64_t r)
{
    m_relation = r;
    const std::string name = "relation " + std::to_string(r);
    const Token rhsToken = m_tokens.Next();
    double rhs = 0;
    if (!ToDouble(rhsToken.text, rhs))
    {
        Error(rhsToken.line, name + ": expected its right-hand side (a number), found " + Quote(rhsToken));
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
        Error(countToken.line, name + ": expected its number of terms (a whole number, 0 or more), found " +
                                   Quote(countToken));
        return false;
    }
    const Token colon = m_tokens.Next();
    if (colon.text != ":")
    {
        Error(colon.line, name + ": expected ':' after its number of terms, found " + Quote(colon));
        return false;
    }
    Terms terms;
    for (int64_t t = 0; t < announced; ++t)
    {
        if (!IsTermStart() && (m_tokens.Peek().AtEnd() || IsRelationStart()))
        {
            // Reported on the relation's own last line, not on the line of whatever follows it.
            Error(m_tokens.Line(),
                  name + " announces " + std::to_string(announced) + " terms but has " + std::to_string(t));
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
        Error(line,
              name + " announces " + std::to_string(announced) + " terms but has " + std::to_string(actual));
    }
    FinishRelation(rhs, terms);
    return true;
}

void Reader::FinishRelation(double rhs, const Terms& terms)
{
    Inst().AddRelation(rhs, terms);
}

bool Reader::ReadTerm(const std::string& name, Terms& terms)
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
        Error(indexToken.line,
              name + " names cell " + std::to_string(index) + ", but the table has " +
                  (cellCount == 0 ? std::string("no cells") : "cells 0 to " + std::to_string(cellCount - 1)));
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

} // namespace vrn::csp
