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

std::vector<Section> Sections(const MainFrameDriver& f)
{
    return {
        {f.Label("m_timingHeader"), f.Panel("m_timingPanel"), "- Timing / Stop controls",
         "+ Timing / Stop controls"},
        {f.Label("m_tolerancesHeader"), f.Panel("m_tolerancesPanel"), "+ Optimization tolerances",
         "- Optimization tolerances"},
        {f.Label("m_repairHeader"), f.Panel("m_repairPanel"), "+ Repair infeasibility",
         "- Repair infeasibility"},
        {f.Label("m_bcdHeader"), f.Panel("m_bcdPanel"), "+ BCD", "- BCD"},
        {f.Label("m_advancedHeader"), f.Panel("m_advancedPanel"), "+ Advanced optimization features",
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
    const int before = form.Get<wxScrolledWindow>("m_optionsWindow")->GetSizer()->GetMinSize().y;
    ClickHeader(form.Label("m_advancedHeader"));
    const int unfolded = form.Get<wxScrolledWindow>("m_optionsWindow")->GetSizer()->GetMinSize().y;
    EXPECT_GT(unfolded, before);
    EXPECT_TRUE(form.Text("m_seedText")->IsShownOnScreen());
    ClickHeader(form.Label("m_advancedHeader"));
    EXPECT_EQ(form.Get<wxScrolledWindow>("m_optionsWindow")->GetSizer()->GetMinSize().y, before);
    EXPECT_FALSE(form.Text("m_seedText")->IsShownOnScreen());
}

TEST_F(OptionFormTest, SeveralSectionsOpenAtOnce)
{
    ClickHeader(form.Label("m_tolerancesHeader"));
    ClickHeader(form.Label("m_bcdHeader"));
    ClickHeader(form.Label("m_advancedHeader"));
    EXPECT_TRUE(form.Panel("m_timingPanel")->IsShown());
    EXPECT_TRUE(form.Panel("m_tolerancesPanel")->IsShown());
    EXPECT_TRUE(form.Panel("m_bcdPanel")->IsShown());
    EXPECT_TRUE(form.Panel("m_advancedPanel")->IsShown());
    EXPECT_FALSE(form.Panel("m_repairPanel")->IsShown());
    EXPECT_TRUE(form.Text("m_feasibilityText")->IsShownOnScreen());
    EXPECT_TRUE(form.Text("m_bcdNstopText")->IsShownOnScreen());
}

TEST_F(OptionFormTest, HidingAndShowingOptionsKeepsEveryFold)
{
    ClickHeader(form.Label("m_timingHeader"));     // fold
    ClickHeader(form.Label("m_tolerancesHeader")); // unfold
    const int outputWidth = form.Text("m_outputText")->GetSize().x;

    Press(form.Button("m_showHideButton"));
    EXPECT_EQ(form.Button("m_showHideButton")->GetLabel(), "Show options");
    EXPECT_FALSE(form.Get<wxScrolledWindow>("m_optionsWindow")->IsShown());
    EXPECT_GT(form.Text("m_outputText")->GetSize().x, outputWidth) << "the output area takes the room";

    Press(form.Button("m_showHideButton"));
    EXPECT_EQ(form.Button("m_showHideButton")->GetLabel(), "Hide options");
    EXPECT_TRUE(form.Get<wxScrolledWindow>("m_optionsWindow")->IsShown());
    EXPECT_EQ(form.Text("m_outputText")->GetSize().x, outputWidth);
    EXPECT_FALSE(form.Panel("m_timingPanel")->IsShown());
    EXPECT_EQ(form.Label("m_timingHeader")->GetLabel(), "+ Timing / Stop controls");
    EXPECT_TRUE(form.Panel("m_tolerancesPanel")->IsShown());
    EXPECT_EQ(form.Label("m_tolerancesHeader")->GetLabel(), "- Optimization tolerances");
    EXPECT_FALSE(form.Panel("m_advancedPanel")->IsShown());
}

TEST_F(OptionFormTest, HeaderLabelDisagreeingWithItsBodyIsCorrectedByTheNextClick)
{
    form.Label("m_bcdHeader")->SetLabel("- BCD"); // says unfolded, body is folded
    ClickHeader(form.Label("m_bcdHeader"));
    EXPECT_TRUE(form.Panel("m_bcdPanel")->IsShown());
    EXPECT_EQ(form.Label("m_bcdHeader")->GetLabel(), "- BCD");
}

} // namespace
} // namespace vrn::test
