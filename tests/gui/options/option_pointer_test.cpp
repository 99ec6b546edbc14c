#include "gui_test_main.h"
#include "option_form.h"

#include <wx/uiaction.h>

#include <gtest/gtest.h>

namespace vrn::test
{
namespace
{

// Real pointer motion: the toolkit raises the enter and leave events itself.
class PointerTest : public OptionFormTest
{
protected:
    // Moves the pointer onto the middle of a window and waits until the status bar reads
    // `expected`; returns what it reads then.
    wxString HoverAndRead(wxWindow* window, const wxString& expected)
    {
        const wxRect rect = window->GetScreenRect();
        wxUIActionSimulator sim;
        sim.MouseMove(rect.x + rect.width / 2, rect.y + rect.height / 2);
        PumpUntil([&] { return Status() == expected; }, std::chrono::milliseconds(2000));
        PumpFor(std::chrono::milliseconds(50)); // a late second event would show here
        return Status();
    }
};

TEST_F(PointerTest, CaptionThenFieldThenAwayShowsAndClearsTheHelp)
{
    ASSERT_TRUE(form.gapLabel->IsShownOnScreen());
    EXPECT_EQ(HoverAndRead(form.gapLabel, "Optimality % gap required"), "Optimality % gap required");
    EXPECT_EQ(HoverAndRead(form.gapText, "Optimality % gap required"), "Optimality % gap required");
    EXPECT_EQ(HoverAndRead(form.timeLabel, "Initial limit time in seconds for optimization"),
              "Initial limit time in seconds for optimization")
        << "from one caption straight onto another";
    EXPECT_EQ(HoverAndRead(form.outputText, ""), "");
    EXPECT_EQ(HoverAndRead(form.scaleText, "Scale factor"), "Scale factor");
    EXPECT_EQ(HoverAndRead(form.timingHeader, ""), "")
        << "a header has no help and leaving the field cleared it";
}

TEST_F(PointerTest, ClickOnAHeaderUnfoldsItsSection)
{
    ASSERT_FALSE(form.tolerancesPanel->IsShown());
    HoverAndRead(form.tolerancesHeader, "");
    wxUIActionSimulator sim;
    sim.MouseClick();
    EXPECT_TRUE(PumpUntil([&] { return form.tolerancesPanel->IsShown(); }, std::chrono::milliseconds(2000)));
    EXPECT_EQ(form.tolerancesHeader->GetLabel(), "- Optimization tolerances");
    EXPECT_EQ(HoverAndRead(form.feasibilityLabel, "Feasibility tolerance, e >= 1.0e-9"),
              "Feasibility tolerance, e >= 1.0e-9");
}

TEST_F(PointerTest, EveryKindOfFieldShowsItsHelp)
{
    struct Field
    {
        wxWindow* window;
        const char* text;
    };
    const Field fields[] = {
        {form.instanceFilePicker->GetTextCtrl(), "Name of instance file in csp format"},
        {form.instanceFilePicker->GetPickerCtrl(), "Name of instance file in csp format"},
        {form.outputFolderPicker->GetTextCtrl(), "Directory for output files"},
        {form.formulationChoice, "Formulation to solve VRN problem. Std VRN uses a MILP model with better "
                                 "solutions and Fast VRN uses a LP model with better timing"},
        {form.integerCellsCheck, "Force output cells to be integer"},
        {form.solverChoice, "Solver to be used"},
        {form.timeText, "Initial limit time in seconds for optimization"},
        {form.solverChoice, "Solver to be used"}, // back onto a choice left for a field
    };
    for (const auto& field : fields)
    {
        ASSERT_NE(field.window, nullptr);
        EXPECT_EQ(HoverAndRead(field.window, field.text), field.text);
        EXPECT_EQ(HoverAndRead(form.outputText, ""), "") << "left " << field.text;
    }
}

TEST_F(PointerTest, ChoiceToCaptionToFieldKeepsHelpInStep)
{
    EXPECT_EQ(HoverAndRead(form.modelChoice, "VRN optimization model to be used"),
              "VRN optimization model to be used");
    EXPECT_EQ(HoverAndRead(form.scaleLabel, "Scale factor"), "Scale factor");
    EXPECT_EQ(HoverAndRead(form.scaleText, "Scale factor"), "Scale factor");
    EXPECT_EQ(HoverAndRead(form.formatChoice, "Check all the format errors or stop at first"),
              "Check all the format errors or stop at first");
    EXPECT_EQ(HoverAndRead(form.showHideButton, ""), "");
}

} // namespace
} // namespace vrn::test
