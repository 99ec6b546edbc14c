// Numbers as the report page and the log show them: whole numbers in plain digits.
#include "common/number_format.h"

#include <gtest/gtest.h>

#include <utility>

namespace
{

TEST(ReadableNumber, WholeNumbersInPlainDigitsOthersWithTenDigits)
{
    const std::pair<double, const char*> rows[] = {
        {1e6, "1000000"},
        {20, "20"},
        {-0.0, "0"},
        {-7, "-7"},
        {123456789012, "123456789012"},
        {0.1 + 0.2, "0.3"},
        {2.5, "2.5"},
        {1e15, "1e+15"},
        {3.14e-7, "3.14e-07"},
        {-1.25, "-1.25"},
    };
    for (const auto& [value, text] : rows)
        EXPECT_EQ(vrn::ReadableNumber(value), text) << text;
}

} // namespace
