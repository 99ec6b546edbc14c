#include "gui_test_main.h"
#include "main_frame_driver.h"
#include "probe_frame.h"

#include <wx/font.h>

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <vector>

using namespace vrn::test;

namespace
{

class MainFrameVRNControls : public ::testing::Test
{
protected:
    void SetUp() override { frame = NewShownProbeFrame(); }
    void TearDown() override { DestroyFrame(frame); }

    template <typename T>
    T* Get(const std::string& name) const
    {
        T* window = dynamic_cast<T*>(frame->Member(name));
        EXPECT_NE(window, nullptr) << name;
        return window;
    }

    ProbeFrame* frame = nullptr;
};

wxString JoinedItems(const wxChoice* choice)
{
    wxString joined;
    for (unsigned int i = 0; i < choice->GetCount(); ++i)
    {
        joined += (i == 0 ? "" : "|") + choice->GetString(i);
    }
    return joined;
}

// How many characters typing reaches in the emptied field, one keystroke at a time; the field's
// text is put back afterwards.
int TypedLength(wxTextCtrl* text, int keystrokes)
{
    const wxString saved = text->GetValue();
    text->ChangeValue("");
    for (int i = 0; i < keystrokes; ++i)
    {
        text->WriteText("7");
    }
    const int reached = static_cast<int>(text->GetValue().length());
    text->ChangeValue(saved);
    return reached;
}

void ExpectTextState(const ControlRow& row)
{
    auto* text = dynamic_cast<wxTextCtrl*>(row.window);
    ASSERT_NE(text, nullptr) << "not a wxTextCtrl";
    EXPECT_EQ(text->GetValue(), row.text);
    if (text->IsSingleLine())
    {
        const int keystrokes = row.maxLength == kNoLimit ? 40 : row.maxLength + 5;
        EXPECT_EQ(TypedLength(text, keystrokes), row.maxLength == kNoLimit ? 40 : row.maxLength)
            << "length limit";
    }
}

void ExpectKindAndValue(const ControlRow& row)
{
    switch (row.kind)
    {
    case Kind::Panel:
        EXPECT_NE(dynamic_cast<wxPanel*>(row.window), nullptr) << "not a wxPanel";
        break;
    case Kind::ScrolledWindow:
        EXPECT_NE(dynamic_cast<wxScrolledWindow*>(row.window), nullptr) << "not a wxScrolledWindow";
        break;
    case Kind::StaticText:
    {
        auto* label = dynamic_cast<wxStaticText*>(row.window);
        ASSERT_NE(label, nullptr) << "not a wxStaticText";
        EXPECT_EQ(label->GetLabel(), row.text);
        break;
    }
    case Kind::TextCtrl:
        ExpectTextState(row);
        break;
    case Kind::Choice:
    {
        auto* choice = dynamic_cast<wxChoice*>(row.window);
        ASSERT_NE(choice, nullptr) << "not a wxChoice";
        EXPECT_EQ(JoinedItems(choice), row.text);
        EXPECT_EQ(choice->GetSelection(), row.state);
        break;
    }
    case Kind::CheckBox:
    {
        auto* check = dynamic_cast<wxCheckBox*>(row.window);
        ASSERT_NE(check, nullptr) << "not a wxCheckBox";
        EXPECT_EQ(check->GetValue(), row.state == 1);
        EXPECT_EQ(check->GetLabel(), "");
        break;
    }
    case Kind::FilePicker:
    case Kind::DirPicker:
    {
        auto* picker = dynamic_cast<wxPickerBase*>(row.window);
        ASSERT_NE(picker, nullptr) << "not a picker";
        EXPECT_EQ(row.kind == Kind::FilePicker, dynamic_cast<wxFilePickerCtrl*>(picker) != nullptr);
        EXPECT_EQ(row.kind == Kind::DirPicker, dynamic_cast<wxDirPickerCtrl*>(picker) != nullptr);
        EXPECT_NE(picker->GetTextCtrl(), nullptr) << "picker without a text field";
        EXPECT_EQ(picker->GetTextCtrl()->GetValue(), "");
        break;
    }
    case Kind::Button:
    {
        auto* button = dynamic_cast<wxButton*>(row.window);
        ASSERT_NE(button, nullptr) << "not a wxButton";
        EXPECT_EQ(button->GetLabel(), row.text);
        break;
    }
    case Kind::Gauge:
    {
        auto* gauge = dynamic_cast<wxGauge*>(row.window);
        ASSERT_NE(gauge, nullptr) << "not a wxGauge";
        EXPECT_EQ(gauge->GetRange(), 100);
        EXPECT_EQ(gauge->GetValue(), 0);
        EXPECT_FALSE(gauge->IsVertical());
        break;
    }
    case Kind::StatusBar:
    {
        auto* bar = dynamic_cast<wxStatusBar*>(row.window);
        ASSERT_NE(bar, nullptr) << "not a wxStatusBar";
        EXPECT_EQ(bar->GetFieldsCount(), 1);
        EXPECT_EQ(bar->GetStatusText(0), "");
        break;
    }
    }
}

void ExpectCell(const ControlRow& row)
{
    wxSizer* sizer = row.window->GetContainingSizer();
    ASSERT_NE(sizer, nullptr) << "in no sizer";
    const wxSizerItem* item = sizer->GetItem(row.window);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetProportion(), row.cell->proportion) << "proportion";
    EXPECT_EQ(item->GetFlag(), row.cell->flags) << "flags";
    EXPECT_EQ(item->GetBorder(), row.cell->border) << "border";
}

TEST_F(MainFrameVRNControls, EveryControlStartsAsTheControlTableSays)
{
    const std::vector<ControlRow> rows = frame->ControlRows();
    ASSERT_EQ(rows.size(), 128u);
    for (const ControlRow& row : rows)
    {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.window, nullptr);
        EXPECT_EQ(row.window->GetParent(), row.parent) << "parent";
        EXPECT_EQ(row.window->IsShown(), row.shown) << "shown";
        EXPECT_TRUE(row.window->IsEnabled());
        ExpectKindAndValue(row);
        if (row.cell)
        {
            ExpectCell(row);
        }
    }
}

// Each window's children list keeps creation order: the named members under each parent must
// come in the order of the control table.
TEST_F(MainFrameVRNControls, ControlsAreCreatedInTableOrder)
{
    std::map<wxWindow*, std::vector<wxWindow*>> expectedByParent;
    for (const ControlRow& row : frame->ControlRows())
    {
        expectedByParent[row.parent].push_back(row.window);
    }
    for (const auto& [parent, expected] : expectedByParent)
    {
        std::vector<wxWindow*> created;
        for (wxWindow* child : parent->GetChildren())
        {
            if (std::find(expected.begin(), expected.end(), child) != expected.end())
            {
                created.push_back(child);
            }
        }
        EXPECT_EQ(created, expected) << "children of " << parent->GetClassInfo()->GetClassName();
    }
}

// The grid that holds each group of options: its columns and which of them grow.
TEST_F(MainFrameVRNControls, EachGroupSitsInItsGrid)
{
    struct GridRow
    {
        const char* member;
        int columns;
        std::vector<int> growable;
    };
    const std::vector<GridRow> grids = {{"m_instanceFileLabel", 2, {1}},
                                        {"m_formulationLabel", 6, {}},
                                        {"m_solverLabel", 6, {0, 1, 2, 3, 4, 5}},
                                        {"m_progressLabel", 6, {}},
                                        {"m_lexminOrderLabel", 6, {}},
                                        {"m_firstLabel", 4, {}},
                                        {"m_gapLabel", 5, {}},
                                        {"m_lpToleranceLabel", 2, {}},
                                        {"m_integralityLabel", 4, {}},
                                        {"m_repairLabel", 2, {1}},
                                        {"m_bcdClustersLabel", 4, {0, 1, 2, 3}},
                                        {"m_dynSpropLabel", 2, {}},
                                        {"m_writeLpLabel", 6, {}},
                                        {"m_validInequalitiesLabel", 4, {}},
                                        {"m_fixDirLabel", 4, {0, 1, 2, 3}},
                                        {"m_mipEmphasisLabel", 4, {0, 1, 2, 3}},
                                        {"m_methodLabel", 4, {}}};
    for (const GridRow& row : grids)
    {
        SCOPED_TRACE(row.member);
        auto* grid = dynamic_cast<wxFlexGridSizer*>(Get<wxWindow>(row.member)->GetContainingSizer());
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->GetRows(), 0);
        EXPECT_EQ(grid->GetCols(), row.columns);
        EXPECT_EQ(grid->GetVGap(), 0);
        EXPECT_EQ(grid->GetHGap(), 0);
        for (int column = 0; column < row.columns; ++column)
        {
            const bool growable =
                std::find(row.growable.begin(), row.growable.end(), column) != row.growable.end();
            EXPECT_EQ(grid->IsColGrowable(column), growable) << "column " << column;
        }
        const bool inputGrid = std::string(row.member) == "m_instanceFileLabel";
        EXPECT_EQ(grid->GetFlexibleDirection(), inputGrid ? wxHORIZONTAL : wxBOTH);
        EXPECT_EQ(grid->GetNonFlexibleGrowMode(),
                  inputGrid ? wxFLEX_GROWMODE_ALL : wxFLEX_GROWMODE_SPECIFIED);
    }
    for (const char* member : {"m_timeLabel", "m_feasibilityLabel", "m_fixDirFileLabel", "m_inputLabel"})
    {
        auto* row = dynamic_cast<wxBoxSizer*>(Get<wxWindow>(member)->GetContainingSizer());
        ASSERT_NE(row, nullptr) << member;
        EXPECT_EQ(row->GetOrientation(), wxHORIZONTAL) << member;
    }
}

TEST_F(MainFrameVRNControls, OnlyTheTimingSectionIsUnfolded)
{
    const std::vector<std::pair<std::string, std::string>> sections = {
        {"m_timingHeader", "m_timingPanel"},
        {"m_tolerancesHeader", "m_tolerancesPanel"},
        {"m_repairHeader", "m_repairPanel"},
        {"m_bcdHeader", "m_bcdPanel"},
        {"m_advancedHeader", "m_advancedPanel"}};
    for (const auto& [headerName, panelName] : sections)
    {
        SCOPED_TRACE(headerName);
        auto* header = Get<wxStaticText>(headerName);
        auto* panel = Get<wxPanel>(panelName);
        ASSERT_TRUE(header && panel);
        const bool unfolded = headerName == "m_timingHeader";
        EXPECT_EQ(panel->IsShown(), unfolded);
        EXPECT_TRUE(header->GetLabel().StartsWith(unfolded ? "- " : "+ ")) << header->GetLabel();
        EXPECT_EQ(panel->GetWindowStyleFlag() & wxBORDER_MASK, wxBORDER_STATIC);
        EXPECT_EQ(header->GetWindowStyleFlag() & ~wxBORDER_MASK, 0) << "headers have style 0";
    }
}

TEST_F(MainFrameVRNControls, TextsShowAsAUserReadsThem)
{
    EXPECT_EQ(Get<wxStaticText>("m_bcdEndBcLabel")->GetLabelText(), "Final B&C time");
    EXPECT_EQ(Get<wxChoice>("m_solverChoice")->GetStringSelection(), "Xpress");
    // Longer than the field's 10-character limit, yet shown whole.
    EXPECT_EQ(Get<wxTextCtrl>("m_bcdEndBcText")->GetValue(), "Not perform");
    EXPECT_EQ(Get<wxStaticText>("m_repairFileLabel")->GetLabelText(),
              "File with information\nfor repair infeasibility");
}

TEST_F(MainFrameVRNControls, PickersKeepATextFieldAndTheirHeight)
{
    for (const char* name : {"m_instanceFilePicker", "m_repairFilePicker", "m_fixDirFilePicker"})
    {
        SCOPED_TRACE(name);
        auto* picker = Get<wxFilePickerCtrl>(name);
        ASSERT_NE(picker, nullptr);
        EXPECT_TRUE(picker->HasTextCtrl());
        EXPECT_EQ(picker->GetWindowStyleFlag() & kFilePickerStyle, kFilePickerStyle);
    }
    auto* folder = Get<wxDirPickerCtrl>("m_outputFolderPicker");
    ASSERT_NE(folder, nullptr);
    EXPECT_TRUE(folder->HasTextCtrl());
    EXPECT_EQ(folder->GetWindowStyleFlag() & kDirPickerStyle, kDirPickerStyle);

    for (const char* name : {"m_repairFilePicker", "m_fixDirFilePicker"})
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(Get<wxWindow>(name)->GetMinSize().GetHeight(), 25);
        EXPECT_EQ(Get<wxWindow>(name)->GetMaxSize().GetHeight(), 30);
    }
}

TEST_F(MainFrameVRNControls, OutputAreaIsReadOnlyFixedPitchAndInputTakesEnter)
{
    auto* output = Get<wxTextCtrl>("m_outputText");
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->IsMultiLine());
    EXPECT_FALSE(output->IsEditable());
    EXPECT_TRUE(output->HasFlag(wxTE_WORDWRAP));
    const wxFont font = output->GetFont();
    EXPECT_TRUE(font.IsFixedWidth());
    EXPECT_EQ(font.GetPointSize(), wxNORMAL_FONT->GetPointSize());
    EXPECT_EQ(font.GetWeight(), wxFONTWEIGHT_NORMAL);
    EXPECT_EQ(font.GetStyle(), wxFONTSTYLE_NORMAL);
    EXPECT_FALSE(font.GetUnderlined());
    EXPECT_EQ(output->GetMinSize().GetHeight(), 100);

    auto* input = Get<wxTextCtrl>("m_inputText");
    ASSERT_NE(input, nullptr);
    EXPECT_TRUE(input->IsSingleLine());
    EXPECT_TRUE(input->HasFlag(wxTE_PROCESS_ENTER));
}

TEST_F(MainFrameVRNControls, SizesAndLimitsOfTheFrame)
{
    EXPECT_EQ(frame->GetMinSize(), wxSize(500, 500));
    EXPECT_EQ(frame->GetMaxSize(), wxDefaultSize);
    EXPECT_EQ(Get<wxPanel>("m_mainPanel")->GetMinSize(), wxSize(-1, 600));
    EXPECT_EQ(Get<wxTextCtrl>("m_gapText")->GetMinSize().GetWidth(), 30);
    EXPECT_EQ(frame->GetStatusBar(), Get<wxStatusBar>("m_statusBar"));

    int stepX = 0;
    int stepY = 0;
    Get<wxScrolledWindow>("m_optionsWindow")->GetScrollPixelsPerUnit(&stepX, &stepY);
    EXPECT_EQ(stepX, 5);
    EXPECT_EQ(stepY, 5);

    frame->SetSize(300, 300);
    EXPECT_GE(frame->GetSize().GetWidth(), 500);
    EXPECT_GE(frame->GetSize().GetHeight(), 500);
}

} // namespace

namespace
{

// The window's name table, which the tests' driver reads, names every member window the control
// table above expects, each the very window that member holds.
TEST_F(MainFrameVRNControls, NameTableFindsEveryMemberWindow)
{
    const MainFrameDriver driver(*frame);
    const std::vector<ControlRow> rows = frame->ControlRows();
    for (const ControlRow& row : rows)
        EXPECT_EQ(driver.Window(row.name), row.window) << row.name;
    // The rows are the windows; the table also names the main panel's sizer.
    EXPECT_EQ(driver.Count(), rows.size() + 1);
    EXPECT_NE(driver.Get<wxBoxSizer>("m_mainPanelSizer"), nullptr);
}

TEST_F(MainFrameVRNControls, DriverRefusesUnknownNamesAndOtherKinds)
{
    const MainFrameDriver driver(*frame);
    EXPECT_THROW(driver.Window("m_noSuchControl"), std::invalid_argument);
    EXPECT_THROW(driver.Window("startButton"), std::invalid_argument); // the member name, m_ included
    EXPECT_THROW(driver.Text("m_startButton"), std::invalid_argument);
    EXPECT_THROW(driver.Window("m_mainPanelSizer"), std::invalid_argument);
    EXPECT_EQ(driver.Button("m_startButton")->GetLabel(), "Start optimization");
}

} // namespace
