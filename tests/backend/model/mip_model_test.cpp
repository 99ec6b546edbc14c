// The model's matrix: its column-major copy holds the entries of its rows.
#include "backend_test_tables.h"
#include "instance/instance.h"
#include "model/std_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::Row;

TEST(MipModel, ColumnMajorHoldsTheSameEntries)
{
    const auto model = vrn::BuildStdModel(Row(), {});
    std::vector<int64_t> start;
    std::vector<int32_t> row;
    std::vector<double> value;
    model.mip.ColumnMajor(start, row, value);
    ASSERT_EQ(static_cast<int64_t>(row.size()), model.mip.EntryCount());
    for (int c = 0; c < model.mip.ColumnCount(); ++c)
        for (int64_t e = start[c]; e < start[c + 1]; ++e)
        {
            bool found = false;
            for (int64_t k = model.mip.rowStart[row[e]]; k < model.mip.rowStart[row[e] + 1]; ++k)
                found = found || (model.mip.entryCol[k] == c && model.mip.entryValue[k] == value[e]);
            EXPECT_TRUE(found) << "column " << c;
        }
}

} // namespace
