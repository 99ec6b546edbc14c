#include "pipe_text_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

const std::string kFffd = "\xEF\xBF\xBD";

struct PipeCase
{
    const char* name;
    std::vector<std::string> reads; // the blocks as the pipe delivers them
    std::string shown;              // what the output area gets, the stream's end included
};

void PrintTo(const PipeCase& c, std::ostream* os)
{
    *os << c.name;
}

class PipeTextDecoderCases : public ::testing::TestWithParam<PipeCase>
{
};

TEST_P(PipeTextDecoderCases, ShowsWhatTheByteRuleShows)
{
    vrn::PipeTextDecoder decoder;
    std::string shown;
    for (const std::string& block : GetParam().reads)
        shown += decoder.Decode(block);
    shown += decoder.Flush();
    EXPECT_EQ(shown, GetParam().shown);
}

const PipeCase kCases[] = {
    {"CrLfKeepsTheCarriageReturn", {"one\r\ntwo\r\n"}, "one\rtwo\r"},
    {"LfAloneJoins", {"one\ntwo\n"}, "onetwo"},
    {"EmptyLfLineAddsNothing", {"a\n\nb"}, "ab"},
    {"EmptyCrLfLineIsAnEmptyLine", {"a\r\n\r\nb"}, "a\r\rb"},
    {"HalfLinesJoin", {"first ", "half\r\n"}, "first half\r"},
    {"CharacterSplitAcrossReads", {"caf\xC3", "\xA9\r\n"}, "caf\xC3\xA9\r"},
    {"FourByteCharacterInThreeReads", {"\xF0\x9F", "\x98", "\x80!"}, "\xF0\x9F\x98\x80!"},
    {"LineFeedInsideACharacter", {"x\xC3\n\xA9y"}, "x" + kFffd + kFffd + "y"},
    {"InvalidBytesKeepTheLine", {"bad\xFF\xFEtail\r\n"}, "bad" + kFffd + kFffd + "tail\r"},
    {"CutCharacterAtTheEnd", {"end\xE2\x82"}, "end" + kFffd},
    {"LineFeedAtABlockBoundary", {"a\r", "\nb"}, "a\rb"},
    {"EmptyReads", {"", "a", ""}, "a"},
};

INSTANTIATE_TEST_SUITE_P(Pipe, PipeTextDecoderCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PipeTextDecoder, HoldsBackACutCharacterUntilItsRestArrives)
{
    vrn::PipeTextDecoder decoder;
    EXPECT_EQ(decoder.Decode("caf\xC3"), "caf");
    EXPECT_EQ(decoder.Decode("\xA9"), "\xC3\xA9");
}

} // namespace
