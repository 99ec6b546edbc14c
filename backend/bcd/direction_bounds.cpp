#include "bcd/direction_bounds.h"

#include <cmath>

namespace vrn
{

DirectionBounds::DirectionBounds(StdModel& model, const std::vector<int32_t>& cells)
    : m_model(model), m_cells(cells)
{
    for (int32_t cell : m_cells)
        m_saved.emplace_back(model.mip.colLower[model.colDir[cell]], model.mip.colUpper[model.colDir[cell]]);
}

void DirectionBounds::FixAllBut(const Cluster& block, const std::vector<double>& incumbent)
{
    MipModel& mip = m_model.mip;
    for (int32_t cell : m_cells)
    {
        const int col = m_model.colDir[cell];
        mip.colLower[col] = mip.colUpper[col] = std::round(incumbent[col]);
    }
    for (int32_t cell : block)
    {
        const int col = m_model.colDir[cell];
        mip.colLower[col] = 0;
        mip.colUpper[col] = 1;
    }
}

void DirectionBounds::Restore()
{
    for (size_t k = 0; k < m_cells.size(); ++k)
    {
        const int col = m_model.colDir[m_cells[k]];
        m_model.mip.colLower[col] = m_saved[k].first;
        m_model.mip.colUpper[col] = m_saved[k].second;
    }
}

} // namespace vrn
