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
    ASSERT_TRUE(form.Label("m_gapLabel")->IsShownOnScreen());
    EXPECT_EQ(HoverAndRead(form.Label("m_gapLabel"), "Optimality % gap required"),
              "Optimality % gap required");
    EXPECT_EQ(HoverAndRead(form.Text("m_gapText"), "Optimality % gap required"), "Optimality % gap required");
    EXPECT_EQ(HoverAndRead(form.Label("m_timeLabel"), "Initial limit time in seconds for optimization"),
              "Initial limit time in seconds for optimization")
        << "from one caption straight onto another";
    EXPECT_EQ(HoverAndRead(form.Text("m_outputText"), ""), "");
    EXPECT_EQ(HoverAndRead(form.Text("m_scaleText"), "Scale factor"), "Scale factor");
    EXPECT_EQ(HoverAndRead(form.Label("m_timingHeader"), ""), "")
        << "a header has no help and leaving the field cleared it";
}

TEST_F(PointerTest, ClickOnAHeaderUnfoldsItsSection)
{
    ASSERT_FALSE(form.Panel("m_tolerancesPanel")->IsShown());
    HoverAndRead(form.Label("m_tolerancesHeader"), "");
    wxUIActionSimulator sim;
    sim.MouseClick();
    EXPECT_TRUE(PumpUntil([&] { return form.Panel("m_tolerancesPanel")->IsShown(); },
                          std::chrono::milliseconds(2000)));
    EXPECT_EQ(form.Label("m_tolerancesHeader")->GetLabel(), "- Optimization tolerances");
    EXPECT_EQ(HoverAndRead(form.Label("m_feasibilityLabel"), "Feasibility tolerance, e >= 1.0e-9"),
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
        {form.Get<wxFilePickerCtrl>("m_instanceFilePicker")->GetTextCtrl(),
         "Name of instance file in csp format"},
        {form.Get<wxFilePickerCtrl>("m_instanceFilePicker")->GetPickerCtrl(),
         "Name of instance file in csp format"},
        {form.Get<wxDirPickerCtrl>("m_outputFolderPicker")->GetTextCtrl(), "Directory for output files"},
        {form.Choice("m_formulationChoice"),
         "Formulation to solve VRN problem. Std VRN uses a MILP model with better "
         "solutions and Fast VRN uses a LP model with better timing"},
        {form.CheckBox("m_integerCellsCheck"), "Force output cells to be integer"},
        {form.Choice("m_solverChoice"), "Solver to be used"},
        {form.Text("m_timeText"), "Initial limit time in seconds for optimization"},
        {form.Choice("m_solverChoice"), "Solver to be used"}, // back onto a choice left for a field
    };
    for (const auto& field : fields)
    {
        ASSERT_NE(field.window, nullptr);
        EXPECT_EQ(HoverAndRead(field.window, field.text), field.text);
        EXPECT_EQ(HoverAndRead(form.Text("m_outputText"), ""), "") << "left " << field.text;
    }
}

TEST_F(PointerTest, ChoiceToCaptionToFieldKeepsHelpInStep)
{
    EXPECT_EQ(HoverAndRead(form.Choice("m_modelChoice"), "VRN optimization model to be used"),
              "VRN optimization model to be used");
    EXPECT_EQ(HoverAndRead(form.Label("m_scaleLabel"), "Scale factor"), "Scale factor");
    EXPECT_EQ(HoverAndRead(form.Text("m_scaleText"), "Scale factor"), "Scale factor");
    EXPECT_EQ(HoverAndRead(form.Choice("m_formatChoice"), "Check all the format errors or stop at first"),
              "Check all the format errors or stop at first");
    EXPECT_EQ(HoverAndRead(form.Button("m_showHideButton"), ""), "");
}

} // namespace
} // namespace vrn::test
