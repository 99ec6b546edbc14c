#include "option_help.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace
{

TEST(OptionHelp, EveryTopicHasItsOwnNonEmptyText)
{
    std::set<std::string> seen;
    for (std::size_t i = 0; i < vrn::kHelpTopicCount; ++i)
    {
        const std::string text = vrn::HelpText(static_cast<vrn::HelpTopic>(i));
        EXPECT_FALSE(text.empty()) << "topic " << i;
        EXPECT_EQ(text.find('\n'), std::string::npos) << "topic " << i << " must fit one status-bar line";
        EXPECT_TRUE(seen.insert(text).second) << "topic " << i << " repeats \"" << text << "\"";
    }
    EXPECT_EQ(vrn::kHelpTopicCount, 47u);
}

TEST(OptionHelp, TopicsFollowTheHandlerOrder)
{
    // First, last and a few in between: a shifted entry moves every later text.
    EXPECT_STREQ(vrn::HelpText(vrn::HelpTopic::InstanceFile), "Name of instance file in csp format");
    EXPECT_STREQ(vrn::HelpText(vrn::HelpTopic::Gap), "Optimality % gap required");
    EXPECT_STREQ(vrn::HelpText(vrn::HelpTopic::ExpObj), "Select the exponent for objective 2, 3 and 4.");
    EXPECT_STREQ(vrn::HelpText(vrn::HelpTopic::Crossover), "Crossover after barrier method");
}

} // namespace
