#include "utf8_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const std::string kFffd = "\xEF\xBF\xBD";

// Feeds the pieces one after the other, then ends the stream.
std::string DecodePieces(const std::vector<std::string>& pieces)
{
    vrn::Utf8Decoder decoder;
    std::string text;
    for (const auto& piece : pieces)
        text += decoder.Decode(piece);
    return text + decoder.Flush();
}

struct DecodeCase
{
    const char* name;
    std::vector<std::string> pieces;
    std::string expected;
};

class Utf8DecoderCases : public ::testing::TestWithParam<DecodeCase>
{
};

TEST_P(Utf8DecoderCases, DecodesPiecesToValidText)
{
    EXPECT_EQ(DecodePieces(GetParam().pieces), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Utf8, Utf8DecoderCases,
    ::testing::Values(DecodeCase{"Ascii", {"cell 12\r\n"}, "cell 12\r\n"},
                      DecodeCase{"WholeCharacters",
                                 {"\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x8A"},
                                 "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\x8A"},
                      DecodeCase{"TwoByteSplit", {"caf\xC3", "\xA9!"}, "caf\xC3\xA9!"},
                      DecodeCase{"ThreeByteSplitTwice", {"\xE2", "\x82", "\xAC"}, "\xE2\x82\xAC"},
                      DecodeCase{"FourByteSplitLate", {"x\xF0\x9F\x93", "\x8A"}, "x\xF0\x9F\x93\x8A"},
                      DecodeCase{"LoneContinuationByte",
                                 {"a\x80"
                                  "b"},
                                 "a" + kFffd + "b"},
                      DecodeCase{"Latin1Byte", {"gr\xFC\xDF"}, "gr" + kFffd + kFffd},
                      DecodeCase{"TruncatedThenAscii",
                                 {"\xE2\x82"
                                  "A"},
                                 kFffd + "A"},
                      DecodeCase{"OverlongTwoByte", {"\xC0\xAF"}, kFffd + kFffd},
                      DecodeCase{"OverlongThreeByte", {"\xE0\x80\xAF"}, kFffd + kFffd + kFffd},
                      DecodeCase{"Surrogate", {"\xED\xA0\x80"}, kFffd + kFffd + kFffd},
                      DecodeCase{"AboveMaxCodePoint", {"\xF4\x90\x80\x80"}, kFffd + kFffd + kFffd + kFffd},
                      DecodeCase{"InvalidKeepsRestOfLine", {"ok \xFF rest\n"}, "ok " + kFffd + " rest\n"},
                      DecodeCase{"IncompleteAtEndOfStream", {"end\xF0\x9F"}, "end" + kFffd},
                      DecodeCase{"SplitBeforeInvalidContinuation", {"\xE2\x82", "Z"}, kFffd + "Z"},
                      DecodeCase{"EmptyPieces", {"", "\xC3", "", "\xA9"}, "\xC3\xA9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8Decoder, HoldsBackOnlyIncompleteCharacter)
{
    vrn::Utf8Decoder decoder;
    EXPECT_EQ(decoder.Decode(std::string("ab\xE2\x82")), "ab");
    EXPECT_TRUE(decoder.HasPending());
    EXPECT_EQ(decoder.Decode(std::string("\xAC")), "\xE2\x82\xAC");
    EXPECT_FALSE(decoder.HasPending());
    EXPECT_EQ(decoder.Flush(), "");
}

TEST(Utf8Decoder, EverySplitOfMixedTextGivesSameText)
{
    const std::string text = "Zürich \xE2\x82\xAC 12\r\n\xF0\x9F\x93\x8A Σ=40\n";
    for (std::size_t cut = 0; cut <= text.size(); ++cut)
    {
        EXPECT_EQ(DecodePieces({text.substr(0, cut), text.substr(cut)}), text) << "cut at " << cut;
    }
}

} // namespace
