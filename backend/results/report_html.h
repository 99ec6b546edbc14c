// The pieces every part of the report page is written with: the figures as the page shows them, and
// elements and tables whose text is escaped where they are made. Used by the report page only.
#pragma once

#include "results/table_measures.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

namespace vrn::report
{

// A figure for people to read (ReadableNumber).
std::string Num(double value);
std::string Count(size_t count);
// "1 cell", "2 cells": the count and the words that agree with it.
std::string Counted(size_t count, const char* one, const char* many);
// A figure with "+" before it when it is above 0.
std::string Signed(double value);
// `part` in percent of `whole`; "-" when `whole` is 0.
std::string Share(size_t part, size_t whole);
// "cell 12".
std::string CellName(const CellChange& c);
// "12 → 15": the original and the published value.
std::string Move(const CellChange& c);
// The relative change of a cell with its sign (up or down).
double SignedPercent(const CellChange& c);
// The same as text; "undefined" for a cell of value 0.
std::string SignedPercentText(const CellChange& c);
// A quantile of `q` at `level` (an index of kQuantileLevels); "-" when there is none.
std::string QuantileText(const Quantiles& q, size_t level, bool percent);
// "1.250 s".
std::string Seconds(double seconds);

// An element around text that is escaped here.
std::string Element(const char* tag, const std::string& text, const char* cls = nullptr);
// One figure of the headline: its label, the figure (the element `id`) and a note under it.
std::string Card(const char* id, const std::string& label, const std::string& value, const std::string& note);
// A paragraph that warns of what is wrong with the table.
std::string Warning(const std::string& text);
// A bulleted list, one item a line.
std::string List(const std::vector<std::string>& lines);

// A table of text cells (escaped here): the first column reads left, the figures right. Without
// headers it has no header row.
class HtmlTable
{
public:
    explicit HtmlTable(std::initializer_list<std::string> headers, const char* cls = nullptr);
    void Row(std::initializer_list<std::string> cells, const char* cls = nullptr);
    std::string Html() const { return m_html + "</table>"; }

private:
    std::string m_html;
};

} // namespace vrn::report
