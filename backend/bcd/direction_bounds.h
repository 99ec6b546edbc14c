// The bounds of the direction binaries of a Std model, saved so that blocks on the whole model (rather
// than on their own small models) can fix every free direction outside the block at the incumbent's and
// free the block's; restored afterwards.
#pragma once

#include "bcd/clusters.h"
#include "model/std_model.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace vrn
{

class DirectionBounds
{
public:
    // `cells`: the sensitive cells whose direction is a free binary of `model`.
    DirectionBounds(StdModel& model, const std::vector<int32_t>& cells);

    // Outside the block every free direction is fixed at the incumbent's; inside it is free again.
    void FixAllBut(const Cluster& block, const std::vector<double>& incumbent);
    void Restore();

private:
    StdModel& m_model;
    const std::vector<int32_t>& m_cells;
    std::vector<std::pair<double, double>> m_saved;
};

} // namespace vrn
