// The HTML escape of text from outside the program: markup, control bytes and bytes that are not
// UTF-8 are shown, never interpreted.
#include "common/escape_text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace
{

TEST(EscapeHtml, MarkupControlBytesAndBytesThatAreNotUtf8)
{
    const std::pair<std::string, std::string> rows[] = {
        {"<a href=\"x\">&'", "&lt;a href=&quot;x&quot;&gt;&amp;&#39;"},
        {"line\nbreak\ttab\x7f", "line\\nbreak\\ttab\\x7f"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"}, // kept
        {"\xc3", "\\xc3"},                   // cut short
        {"\xc0\xaf", "\\xc0\\xaf"},          // overlong
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"}, // a surrogate
        {"\xef\xbf\xbe", "\\xef\\xbf\\xbe"}, // U+FFFE
        {std::string("nul\0byte", 8), "nul\\x00byte"},
    };
    for (const auto& [text, shown] : rows)
        EXPECT_EQ(vrn::EscapeHtml(text), shown) << vrn::EscapeControl(text);
}

} // namespace
