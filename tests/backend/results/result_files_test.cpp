#include "results/result_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

vrn::Instance OneCell(double value)
{
    vrn::Instance instance;
    vrn::Cell cell;
    cell.value = value;
    instance.cells.push_back(cell);
    return instance;
}

struct NoiseRow
{
    const char* name;
    double original;
    double adjusted;
    bool integerCells;
    double tolerance;
    double written;
};

TEST(WholeWhereOnlyNoise, TakesOffRoundingNoiseOnly)
{
    const NoiseRow rows[] = {
        {"IntegerCellNearWhole", 10.5, 12.0000004, true, 1e-6, 12},
        {"IntegerCellTooFar", 10.5, 12.01, true, 1e-6, 12.01},
        {"IntegerCellWiderTolerance", 10.5, 12.01, true, 0.05, 12},
        {"WholeOriginalNoise", 10, 12.0000000000001, false, 1e-6, 12},
        {"WholeOriginalRealFraction", 10, 12.5, false, 1e-6, 12.5},
        {"FractionalOriginalKept", 10.5, 12.0000000000001, false, 1e-6, 12.0000000000001},
        {"LargeValueRelativeNoise", 1e9, 2e9 + 1e-3, false, 1e-6, 2e9},
    };
    for (const NoiseRow& row : rows)
    {
        const auto out =
            vrn::WholeWhereOnlyNoise(OneCell(row.original), {row.adjusted}, row.integerCells, row.tolerance);
        ASSERT_EQ(out.size(), 1u) << row.name;
        EXPECT_EQ(out[0], row.written) << row.name;
    }
}

TEST(WholeValueTolerance, IntDevTolThenIntegralityThenDefault)
{
    EXPECT_EQ(vrn::WholeValueTolerance(0.01, 1e-5), 0.01);
    EXPECT_EQ(vrn::WholeValueTolerance(0, 1e-5), 1e-5);
    EXPECT_EQ(vrn::WholeValueTolerance(0, -1), 1e-6);
}

} // namespace
