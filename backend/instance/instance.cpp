#include "instance/instance.h"

namespace vrn
{

void Instance::AddRelation(double relationRhs, const std::vector<std::pair<int32_t, double>>& terms)
{
    rhs.push_back(relationRhs);
    for (const auto& term : terms)
    {
        termCell.push_back(term.first);
        termCoef.push_back(term.second);
    }
    termStart.push_back(static_cast<int64_t>(termCell.size()));
}

std::vector<std::vector<int32_t>> RelationsOfCells(const Instance& instance)
{
    std::vector<std::vector<int32_t>> relations(instance.cells.size());
    for (size_t r = 0; r < instance.RelationCount(); ++r)
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
            relations[instance.termCell[t]].push_back(static_cast<int32_t>(r));
    return relations;
}

} // namespace vrn
