// The model's matrix as COIN-OR's CoinPackedMatrix (shared by the CBC and CLP adapters).
#pragma once

#include "model/mip_model.h"

#include <CoinFinite.hpp>
#include <CoinPackedMatrix.hpp>

namespace vrn
{

inline CoinPackedMatrix ToCoinMatrix(const MipModel& model)
{
    std::vector<int> rowIndex(static_cast<size_t>(model.EntryCount()));
    for (int r = 0; r < model.RowCount(); ++r)
        for (int64_t e = model.rowStart[r]; e < model.rowStart[r + 1]; ++e)
            rowIndex[static_cast<size_t>(e)] = r;
    return CoinPackedMatrix(true, rowIndex.data(), model.entryCol.data(), model.entryValue.data(),
                            static_cast<CoinBigIndex>(model.EntryCount()));
}

// Infinite bounds as COIN-OR writes them.
inline std::vector<double> CoinBounds(const std::vector<double>& bounds)
{
    std::vector<double> out(bounds);
    for (double& b : out)
        if (b == kInfinity)
            b = COIN_DBL_MAX;
        else if (b == -kInfinity)
            b = -COIN_DBL_MAX;
    return out;
}

} // namespace vrn
