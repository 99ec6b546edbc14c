#include "model/mip_model.h"

#include "common/file_safety.h"
#include "common/number_format.h"
#include "instance/instance.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace vrn
{

int MipModel::AddColumn(double lower, double upper, double objective, bool integer, std::string name)
{
    colLower.push_back(lower);
    colUpper.push_back(upper);
    cost.push_back(objective);
    isInteger.push_back(integer ? 1 : 0);
    colName.push_back(std::move(name));
    return ColumnCount() - 1;
}

void MipModel::AddRow(double lower, double upper, const std::vector<std::pair<int32_t, double>>& entries,
                      std::string name)
{
    rowLower.push_back(lower);
    rowUpper.push_back(upper);
    rowName.push_back(std::move(name));
    for (const auto& entry : entries)
    {
        entryCol.push_back(entry.first);
        entryValue.push_back(entry.second);
    }
    rowStart.push_back(EntryCount());
}

double MipModel::ObjectiveAt(const std::vector<double>& columns) const
{
    double objective = 0;
    for (int c = 0; c < ColumnCount(); ++c)
        objective += cost[c] * columns[c];
    return objective;
}

int MipModel::IntegerCount() const
{
    int n = 0;
    for (char c : isInteger)
        n += c != 0;
    return n;
}

void MipModel::ColumnMajor(std::vector<int64_t>& start, std::vector<int32_t>& row,
                           std::vector<double>& value) const
{
    start.assign(static_cast<size_t>(ColumnCount()) + 1, 0);
    for (int32_t c : entryCol)
        ++start[static_cast<size_t>(c) + 1];
    for (size_t c = 1; c < start.size(); ++c)
        start[c] += start[c - 1];
    row.resize(entryCol.size());
    value.resize(entryCol.size());
    std::vector<int64_t> next(start.begin(), start.end() - 1);
    for (int r = 0; r < RowCount(); ++r)
        for (int64_t e = rowStart[r]; e < rowStart[r + 1]; ++e)
        {
            const int64_t slot = next[static_cast<size_t>(entryCol[e])]++;
            row[slot] = r;
            value[slot] = entryValue[e];
        }
}

namespace
{

std::string Term(double coef, const std::string& name, bool first)
{
    std::string text;
    if (coef < 0)
        text = first ? "-" : " - ";
    else if (!first)
        text = " + ";
    const double magnitude = std::fabs(coef);
    if (magnitude != 1)
        text += FormatNumber(magnitude) + " ";
    return text + name;
}

// LP-format readers limit line length: break long sums every few terms.
void WriteSum(FILE* f, const std::vector<std::pair<double, std::string>>& terms)
{
    for (size_t i = 0; i < terms.size(); ++i)
    {
        std::fputs(Term(terms[i].first, terms[i].second, i == 0).c_str(), f);
        if (i % 8 == 7 && i + 1 < terms.size())
            std::fputs("\n ", f);
    }
    if (terms.empty())
        std::fputs("0 "
                   "dummy_zero",
                   f);
}

bool WriteLpText(const MipModel& model, FILE* f)
{
    std::fputs("\\ VRN Std model\nMinimize\n obj: ", f);
    std::vector<std::pair<double, std::string>> terms;
    for (int c = 0; c < model.ColumnCount(); ++c)
        if (model.cost[c] != 0)
            terms.emplace_back(model.cost[c], model.colName[c]);
    WriteSum(f, terms);
    std::fputs("\nSubject To\n", f);
    for (int r = 0; r < model.RowCount(); ++r)
    {
        terms.clear();
        for (int64_t e = model.rowStart[r]; e < model.rowStart[r + 1]; ++e)
            terms.emplace_back(model.entryValue[e], model.colName[model.entryCol[e]]);
        const double lo = model.rowLower[r];
        const double up = model.rowUpper[r];
        auto row = [&](const char* suffix, const char* sense, double rhs)
        {
            std::fprintf(f, " %s%s: ", model.rowName[r].c_str(), suffix);
            WriteSum(f, terms);
            std::fprintf(f, " %s %s\n", sense, FormatNumber(rhs).c_str());
        };
        if (lo == up)
            row("", "=", lo);
        else
        {
            if (lo > -kInfinity)
                row(up < kInfinity ? "_lo" : "", ">=", lo);
            if (up < kInfinity)
                row(lo > -kInfinity ? "_up" : "", "<=", up);
        }
    }
    std::fputs("Bounds\n", f);
    for (int c = 0; c < model.ColumnCount(); ++c)
    {
        const double lo = model.colLower[c];
        const double up = model.colUpper[c];
        const std::string& name = model.colName[c];
        if (lo == up)
            std::fprintf(f, " %s = %s\n", name.c_str(), FormatNumber(lo).c_str());
        else if (lo == -kInfinity && up == kInfinity)
            std::fprintf(f, " %s free\n", name.c_str());
        else
            std::fprintf(f, " %s <= %s <= %s\n", lo == -kInfinity ? "-inf" : FormatNumber(lo).c_str(),
                         name.c_str(), up == kInfinity ? "+inf" : FormatNumber(up).c_str());
    }
    bool anyInteger = false;
    for (int c = 0; c < model.ColumnCount(); ++c)
        if (model.isInteger[c])
        {
            if (!anyInteger)
                std::fputs("General\n", f);
            anyInteger = true;
            std::fprintf(f, " %s\n", model.colName[c].c_str());
        }
    std::fputs("End\n", f);
    return !std::ferror(f);
}

} // namespace

bool WriteLpFile(const MipModel& model, const std::string& path, std::string& error)
{
    return WriteFileAtomically(
        path, [&](FILE* f) { return WriteLpText(model, f); }, error);
}

} // namespace vrn
