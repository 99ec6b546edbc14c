#include "common/number_format.h"
#include "instance/instance.h"

#include <charconv>
#include <ostream>

namespace vrn
{

void WriteInstance(std::ostream& out, const Instance& instance)
{
    std::string text = "0\n" + std::to_string(instance.cells.size()) + "\n";
    for (size_t i = 0; i < instance.cells.size(); ++i)
    {
        const Cell& c = instance.cells[i];
        text += std::to_string(i) + ' ' + FormatNumber(c.value) + ' ' + FormatNumber(c.cost) + ' ' +
                c.status + ' ' + FormatNumber(c.lb) + ' ' + FormatNumber(c.ub) + ' ' + FormatNumber(c.lpl) +
                ' ' + FormatNumber(c.upl) + ' ' + FormatNumber(c.spl) + '\n';
        if (text.size() > (1 << 20))
        {
            out << text;
            text.clear();
        }
    }
    text += std::to_string(instance.RelationCount()) + "\n";
    for (size_t r = 0; r < instance.RelationCount(); ++r)
    {
        const int64_t begin = instance.termStart[r];
        const int64_t end = instance.termStart[r + 1];
        text += FormatNumber(instance.rhs[r]) + ' ' + std::to_string(end - begin) + " :";
        for (int64_t t = begin; t < end; ++t)
            text +=
                ' ' + std::to_string(instance.termCell[t]) + " (" + FormatNumber(instance.termCoef[t]) + ')';
        text += '\n';
        if (text.size() > (1 << 20))
        {
            out << text;
            text.clear();
        }
    }
    out << text;
}

} // namespace vrn
