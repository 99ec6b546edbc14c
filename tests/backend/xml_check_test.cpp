// The strict well-formedness check of the report page's tests (xml_check.h), on text it must refuse
// and on text it must take.
#include "xml_check.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace
{

// The well-formedness check the page tests lean on refuses what a strict reader would.
TEST(XmlCheck, RefusesWhatIsNotWellFormed)
{
    const std::pair<const char*, const char*> rows[] = {
        {"<html><body></html>", "</html> closes <body>"},
        {"<html><br></html>", "</html> closes <br>"},
        {"<html a=1></html>", "an unquoted value of a"},
        {"<html a='1' a='2'></html>", "the attribute a twice"},
        {"<html>fish & chips</html>", "a stray '&'"},
        {"<html>&nbsp;</html>", "an unknown entity '&nbsp;'"},
        {"<html>\x01</html>", "a control byte"},
        {"<a></a><b></b>", "a second root element b"},
        {"<html>", "<html> is not closed"},
        {"text<html></html>", "text outside the root element"},
    };
    for (const auto& [text, error] : rows)
    {
        const std::string bytes = text;
        EXPECT_NE(vrn::test::XmlCheck(bytes).Error().find(error), std::string::npos)
            << text << ": " << vrn::test::XmlCheck(bytes).Error();
    }
    EXPECT_EQ(vrn::test::XmlCheck("<!DOCTYPE html>\n<html a=\"&amp;\"><br/>&#160;&#xA0;<!-- x --></html>\n")
                  .Error(),
              "");
}

} // namespace
