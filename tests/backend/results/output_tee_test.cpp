#include "results/output_tee.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct LineEndCase
{
    const char* name;
    std::vector<std::string> pieces; // written one after the other
    std::string shown;               // what the standard stream gets
};

void PrintTo(const LineEndCase& c, std::ostream* os)
{
    *os << c.name;
}

class StreamLineEnds : public ::testing::TestWithParam<LineEndCase>
{
};

TEST_P(StreamLineEnds, LineFeedsBecomeCrLfExactlyOnce)
{
    char last = 0;
    std::string shown;
    for (const std::string& piece : GetParam().pieces)
        shown += vrn::WithStreamLineEnds(piece.data(), piece.size(), last);
    EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Pieces, StreamLineEnds,
    ::testing::Values(LineEndCase{"Empty", {""}, ""},
                      LineEndCase{"NoLineEnd", {"half a line"}, "half a line"},
                      LineEndCase{"TwoLines", {"one\ntwo\n"}, "one\r\ntwo\r\n"},
                      LineEndCase{"EmptyLines", {"\n\n"}, "\r\n\r\n"},
                      LineEndCase{"AlreadyCrLf", {"solver line\r\n"}, "solver line\r\n"},
                      LineEndCase{"CrLfSplitBetweenPieces", {"a\r", "\nb\n"}, "a\r\nb\r\n"},
                      LineEndCase{"LineFeedStartsAPiece", {"a", "\n"}, "a\r\n"},
                      LineEndCase{"LoneCarriageReturnKept", {"50%\r60%\n"}, "50%\r60%\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
