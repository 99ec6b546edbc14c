// The model's matrix: its column-major copy holds the entries of its rows.
#include "instance/instance.h"
#include "model/std_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// A one-row table: total 0 = 1 + 2, cell 1 sensitive.
vrn::Instance Row(char status1 = 'u', double lpl = 1, double upl = 2, double ub = 100)
{
    const std::string text = "0 3\n0 10 1 s 0 100 0 0 0\n1 4 1 " + std::string(1, status1) + " 0 " +
                             std::to_string(ub) + " " + std::to_string(lpl) + " " + std::to_string(upl) +
                             " 0\n2 6 1 s 0 100 0 0 0\n1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";
    auto r = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(r.errors.empty());
    return r.instance;
}

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
