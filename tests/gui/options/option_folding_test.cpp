#include "option_form.h"

#include <gtest/gtest.h>

#include <vector>

namespace vrn::test
{
namespace
{

struct Section
{
    wxStaticText* header;
    wxPanel* panel;
    const char* startLabel;
    const char* toggledLabel;
};

std::vector<Section> Sections(const FormControls& f)
{
    return {
        {f.timingHeader, f.timingPanel, "- Timing / Stop controls", "+ Timing / Stop controls"},
        {f.tolerancesHeader, f.tolerancesPanel, "+ Optimization tolerances", "- Optimization tolerances"},
        {f.repairHeader, f.repairPanel, "+ Repair infeasibility", "- Repair infeasibility"},
        {f.bcdHeader, f.bcdPanel, "+ BCD", "- BCD"},
        {f.advancedHeader, f.advancedPanel, "+ Advanced optimization features",
         "- Advanced optimization features"},
    };
}

TEST_F(OptionFormTest, EachHeaderFoldsAndUnfoldsItsSectionAlone)
{
    for (const auto& section : Sections(form))
    {
        SCOPED_TRACE(section.startLabel);
        const bool startShown = section.panel->IsShown();
        EXPECT_EQ(section.header->GetLabel(), section.startLabel);
        EXPECT_EQ(startShown, section.startLabel[0] == '-');

        EXPECT_FALSE(SendMouse(section.header, wxEVT_LEFT_DOWN)) << "the click is consumed";
        Settle();
        EXPECT_EQ(section.header->GetLabel(), section.toggledLabel);
        EXPECT_EQ(section.panel->IsShown(), !startShown);
        for (const auto& other : Sections(form))
        {
            if (other.header != section.header)
            {
                EXPECT_EQ(other.header->GetLabel(), other.startLabel) << "touched " << other.startLabel;
            }
        }

        ClickHeader(section.header);
        EXPECT_EQ(section.header->GetLabel(), section.startLabel);
        EXPECT_EQ(section.panel->IsShown(), startShown);
    }
}

TEST_F(OptionFormTest, UnfoldedRowsTakeRoomAndFoldedRowsGiveItBack)
{
    const int before = form.optionsWindow->GetSizer()->GetMinSize().y;
    ClickHeader(form.advancedHeader);
    const int unfolded = form.optionsWindow->GetSizer()->GetMinSize().y;
    EXPECT_GT(unfolded, before);
    EXPECT_TRUE(form.seedText->IsShownOnScreen());
    ClickHeader(form.advancedHeader);
    EXPECT_EQ(form.optionsWindow->GetSizer()->GetMinSize().y, before);
    EXPECT_FALSE(form.seedText->IsShownOnScreen());
}

TEST_F(OptionFormTest, SeveralSectionsOpenAtOnce)
{
    ClickHeader(form.tolerancesHeader);
    ClickHeader(form.bcdHeader);
    ClickHeader(form.advancedHeader);
    EXPECT_TRUE(form.timingPanel->IsShown());
    EXPECT_TRUE(form.tolerancesPanel->IsShown());
    EXPECT_TRUE(form.bcdPanel->IsShown());
    EXPECT_TRUE(form.advancedPanel->IsShown());
    EXPECT_FALSE(form.repairPanel->IsShown());
    EXPECT_TRUE(form.feasibilityText->IsShownOnScreen());
    EXPECT_TRUE(form.bcdNstopText->IsShownOnScreen());
}

TEST_F(OptionFormTest, HidingAndShowingOptionsKeepsEveryFold)
{
    ClickHeader(form.timingHeader);     // fold
    ClickHeader(form.tolerancesHeader); // unfold
    const int outputWidth = form.outputText->GetSize().x;

    Press(form.showHideButton);
    EXPECT_EQ(form.showHideButton->GetLabel(), "Show options");
    EXPECT_FALSE(form.optionsWindow->IsShown());
    EXPECT_GT(form.outputText->GetSize().x, outputWidth) << "the output area takes the room";

    Press(form.showHideButton);
    EXPECT_EQ(form.showHideButton->GetLabel(), "Hide options");
    EXPECT_TRUE(form.optionsWindow->IsShown());
    EXPECT_EQ(form.outputText->GetSize().x, outputWidth);
    EXPECT_FALSE(form.timingPanel->IsShown());
    EXPECT_EQ(form.timingHeader->GetLabel(), "+ Timing / Stop controls");
    EXPECT_TRUE(form.tolerancesPanel->IsShown());
    EXPECT_EQ(form.tolerancesHeader->GetLabel(), "- Optimization tolerances");
    EXPECT_FALSE(form.advancedPanel->IsShown());
}

TEST_F(OptionFormTest, HeaderLabelDisagreeingWithItsBodyIsCorrectedByTheNextClick)
{
    form.bcdHeader->SetLabel("- BCD"); // says unfolded, body is folded
    ClickHeader(form.bcdHeader);
    EXPECT_TRUE(form.bcdPanel->IsShown());
    EXPECT_EQ(form.bcdHeader->GetLabel(), "- BCD");
}

} // namespace
} // namespace vrn::test
