#include "gui_test_main.h"
#include "probe_frame.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>

using namespace vrn::test;

namespace
{

using EventTypes = std::initializer_list<wxEventType>;

// One row of the window's handler table: the handler and the controls whose event reaches it.
struct HandlerRow
{
    std::string handler;
    wxEventType type;
    std::vector<std::string> controls;
};

std::vector<HandlerRow> HandlerTable()
{
    const wxEventType enter = wxEVT_ENTER_WINDOW;
    const wxEventType click = wxEVT_COMMAND_BUTTON_CLICKED;
    return {
        {"OnEnterInstanceFile", enter, {"m_instanceFileLabel", "m_instanceFilePicker"}},
        {"OnEnterOutputFolder", enter, {"m_outputFolderLabel", "m_outputFolderPicker"}},
        {"OnEnterFormulation", enter, {"m_formulationLabel", "m_formulationChoice"}},
        {"OnOptionChanged", wxEVT_COMMAND_CHOICE_SELECTED, {"m_formulationChoice"}},
        {"OnOptionChanged", wxEVT_COMMAND_CHECKBOX_CLICKED, {"m_integerCellsCheck"}},
        {"OnEnterIntegerCells", enter, {"m_integerCellsLabel", "m_integerCellsCheck"}},
        {"OnEnterSolver", enter, {"m_solverLabel", "m_solverChoice"}},
        {"OnEnterModel", enter, {"m_modelLabel", "m_modelChoice"}},
        {"OnEnterAdditive", enter, {"m_additiveLabel", "m_additiveCheck"}},
        {"OnEnterFormat", enter, {"m_formatLabel", "m_formatChoice"}},
        {"OnEnterScale", enter, {"m_scaleLabel", "m_scaleText"}},
        {"OnEnterCheck", enter, {"m_checkLabel", "m_checkCheck"}},
        {"OnEnterProgress", enter, {"m_progressLabel", "m_progressText"}},
        {"OnEnterBig", enter, {"m_bigLabel", "m_bigText"}},
        {"OnEnterLexminOrder", enter, {"m_lexminOrderLabel", "m_lexminOrderText"}},
        {"OnEnterPctBounds", enter, {"m_pctBoundsLabel", "m_pctBoundsText"}},
        {"OnToggleTimingSection", wxEVT_LEFT_DOWN, {"m_timingHeader"}},
        {"OnEnterTime", enter, {"m_timeLabel", "m_timeText"}},
        {"OnEnterFirst", enter, {"m_firstLabel", "m_firstCheck"}},
        {"OnEnterGap", enter, {"m_gapLabel", "m_gapText"}},
        {"OnEnterLpTolerance", enter, {"m_lpToleranceLabel", "m_lpToleranceText"}},
        {"OnToggleTolerancesSection", wxEVT_LEFT_DOWN, {"m_tolerancesHeader"}},
        {"OnEnterFeasibility", enter, {"m_feasibilityLabel", "m_feasibilityText"}},
        {"OnEnterIntegrality", enter, {"m_integralityLabel", "m_integralityText"}},
        {"OnToggleRepairSection", wxEVT_LEFT_DOWN, {"m_repairHeader"}},
        {"OnEnterRepair", enter, {"m_repairLabel", "m_repairCheck"}},
        {"OnEnterRepairFile", enter, {"m_repairFileLabel", "m_repairFilePicker"}},
        {"OnToggleBcdSection", wxEVT_LEFT_DOWN, {"m_bcdHeader"}},
        {"OnEnterBcdClusters", enter, {"m_bcdClustersLabel", "m_bcdClustersText"}},
        {"OnEnterBcdTime", enter, {"m_bcdTimeLabel", "m_bcdTimeText"}},
        {"OnEnterBcdObjF", enter, {"m_bcdObjFLabel", "m_bcdObjFText"}},
        {"OnEnterBcdEndBc", enter, {"m_bcdEndBcLabel", "m_bcdEndBcText"}},
        {"OnEnterBcdCycle", enter, {"m_bcdCycleLabel", "m_bcdCycleChoice"}},
        {"OnEnterDynamic", enter, {"m_dynamicLabel", "m_dynamicCheck"}},
        {"OnEnterDynSprop", enter, {"m_dynSpropLabel", "m_dynSpropText"}},
        {"OnEnterDynPerturb", enter, {"m_dynPerturbLabel", "m_dynPerturbText"}},
        {"OnEnterBcdNstop", enter, {"m_bcdNstopLabel", "m_bcdNstopText"}},
        {"OnToggleAdvancedSection", wxEVT_LEFT_DOWN, {"m_advancedHeader"}},
        {"OnEnterPrepSens", enter, {"m_prepSensLabel", "m_prepSensCheck"}},
        {"OnEnterWriteLp", enter, {"m_writeLpLabel", "m_writeLpCheck"}},
        {"OnEnterSeed", enter, {"m_seedLabel", "m_seedText"}},
        {"OnEnterValidInequalities", enter, {"m_validInequalitiesLabel", "m_validInequalitiesChoice"}},
        {"OnEnterStartingPoint", enter, {"m_startingPointLabel", "m_startingPointChoice"}},
        {"OnEnterFixDir", enter, {"m_fixDirLabel", "m_fixDirChoice"}},
        {"OnEnterEpsF", enter, {"m_epsFLabel", "m_epsFText"}},
        {"OnEnterExpObj", enter, {"m_expObjLabel", "m_expObjText"}},
        {"OnEnterEpsRhs", enter, {"m_epsRhsLabel", "m_epsRhsText"}},
        {"OnEnterFixDirFile", enter, {"m_fixDirFileLabel", "m_fixDirFilePicker"}},
        {"OnEnterMipEmphasis", enter, {"m_mipEmphasisLabel", "m_mipEmphasisChoice"}},
        {"OnEnterEmphasis", enter, {"m_emphasisLabel", "m_emphasisChoice"}},
        {"OnEnterVarSel", enter, {"m_varSelLabel", "m_varSelChoice"}},
        {"OnEnterIntDevTol", enter, {"m_intDevTolLabel", "m_intDevTolText"}},
        {"OnEnterMethod", enter, {"m_methodLabel", "m_methodChoice"}},
        {"OnEnterCrossover", enter, {"m_crossoverLabel", "m_crossoverCheck"}},
        {"OnInputEnter", wxEVT_COMMAND_TEXT_ENTER, {"m_inputText"}},
        {"OnShowHideOptions", click, {"m_showHideButton"}},
        {"OnAbout", click, {"m_aboutButton"}},
        {"OnShowLog", click, {"m_showLogButton"}},
        {"OnShowSolution", click, {"m_showSolutionButton"}},
        {"OnClearOutput", click, {"m_clearOutputButton"}},
        {"OnStartStop", click, {"m_startButton"}},
    };
}

struct Connection
{
    std::string control;
    wxEventType type;
    std::string handler;
};

// The handler that the table routes `type` on `control` to; every control with an enter
// handler also sends its leave event to OnLeaveWindow.
std::optional<std::string> HandlerFor(const std::string& control, wxEventType type)
{
    const wxEventType lookup = type == wxEVT_LEAVE_WINDOW ? wxEventType(wxEVT_ENTER_WINDOW) : type;
    for (const HandlerRow& row : HandlerTable())
    {
        const bool listed =
            std::find(row.controls.begin(), row.controls.end(), control) != row.controls.end();
        if (listed && row.type == lookup)
        {
            return type == wxEVT_LEAVE_WINDOW ? "OnLeaveWindow" : row.handler;
        }
    }
    return std::nullopt;
}

// Every connection in the order it is made: controls in creation order, each with its option
// change event, then enter, then leave (headers: left press); then Enter in the input field and
// the six buttons.
std::vector<Connection> ExpectedConnections(const ProbeFrame& frame)
{
    std::vector<Connection> expected;
    const auto addIfRouted = [&expected](const std::string& control, wxEventType type)
    {
        if (const auto handler = HandlerFor(control, type))
        {
            expected.push_back({control, type, *handler});
        }
    };
    for (const ControlRow& row : frame.ControlRows())
    {
        for (wxEventType type : EventTypes{wxEVT_COMMAND_CHOICE_SELECTED, wxEVT_COMMAND_CHECKBOX_CLICKED,
                                           wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW, wxEVT_LEFT_DOWN})
        {
            addIfRouted(row.name, type);
        }
    }
    addIfRouted("m_inputText", wxEVT_COMMAND_TEXT_ENTER);
    for (const char* button : {"m_showHideButton", "m_aboutButton", "m_showLogButton", "m_showSolutionButton",
                               "m_clearOutputButton", "m_startButton"})
    {
        addIfRouted(button, wxEVT_COMMAND_BUTTON_CLICKED);
    }
    return expected;
}

std::vector<wxWindow*> WindowTree(wxWindow* root)
{
    std::vector<wxWindow*> windows{root};
    for (wxWindow* child : root->GetChildren())
    {
        const std::vector<wxWindow*> below = WindowTree(child);
        windows.insert(windows.end(), below.begin(), below.end());
    }
    return windows;
}

class MainFrameVRNEvents : public ::testing::Test
{
protected:
    void SetUp() override { frame = NewShownProbeFrame(); }
    void TearDown() override
    {
        if (frame != nullptr)
        {
            DestroyFrame(frame);
        }
    }

    // Sends the event and returns the handlers that ran.
    std::vector<std::string> HandlersReached(wxWindow* control, wxEventType type)
    {
        frame->calls.clear();
        SendEvent(control, type);
        std::vector<std::string> names;
        for (const HandlerCall& call : frame->calls)
        {
            names.push_back(call.handler);
        }
        return names;
    }

    ProbeFrame* frame = nullptr;
};

TEST_F(MainFrameVRNEvents, ConnectsTheListedEventsInOrder)
{
    const std::vector<Connection> expected = ExpectedConnections(*frame);
    const std::vector<MainFrameVRN::EventConnection> made = frame->EventConnections();
    EXPECT_EQ(expected.size(), 202u);
    ASSERT_EQ(made.size(), expected.size());
    for (size_t i = 0; i < made.size(); ++i)
    {
        SCOPED_TRACE("connection " + std::to_string(i) + ": " + expected[i].control);
        EXPECT_EQ(made[i].control, frame->Member(expected[i].control));
        EXPECT_EQ(made[i].eventType, expected[i].type);
    }
}

TEST_F(MainFrameVRNEvents, EveryConnectionReachesItsHandlerThroughTheBaseThatSkips)
{
    std::set<std::string> handlersReached;
    for (const Connection& connection : ExpectedConnections(*frame))
    {
        SCOPED_TRACE(connection.control + " -> " + connection.handler);
        wxWindow* control = frame->Member(connection.control);
        frame->calls.clear();
        SendEvent(control, connection.type);
        ASSERT_EQ(frame->calls.size(), 1u);
        EXPECT_EQ(frame->calls[0].handler, connection.handler);
        EXPECT_EQ(frame->calls[0].source, control);
        EXPECT_TRUE(frame->calls[0].skippedByBase);
        handlersReached.insert(connection.handler);
    }
    EXPECT_EQ(handlersReached.size(), 61u);
}

TEST_F(MainFrameVRNEvents, NoOtherControlEventReachesAHandler)
{
    std::set<std::pair<wxWindow*, wxEventType>> connected;
    for (const Connection& connection : ExpectedConnections(*frame))
    {
        connected.insert({frame->Member(connection.control), connection.type});
    }
    int tried = 0;
    const auto expectNone = [&](wxWindow* window, wxEventType type)
    {
        if (connected.count({window, type}) == 0)
        {
            ++tried;
            EXPECT_TRUE(HandlersReached(window, type).empty())
                << window->GetClassInfo()->GetClassName() << " '" << window->GetLabel() << "' event " << type;
        }
    };
    // Mouse events stay with their window, so every window of the tree is tried, the pickers'
    // own text fields and buttons included.
    for (wxWindow* window : WindowTree(frame))
    {
        for (wxEventType type : EventTypes{wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW, wxEVT_LEFT_DOWN})
        {
            expectNone(window, type);
        }
    }
    for (const ControlRow& row : frame->ControlRows())
    {
        for (wxEventType type : EventTypes{wxEVT_COMMAND_CHOICE_SELECTED, wxEVT_COMMAND_CHECKBOX_CLICKED,
                                           wxEVT_COMMAND_TEXT_ENTER, wxEVT_COMMAND_BUTTON_CLICKED})
        {
            expectNone(row.window, type);
        }
    }
    EXPECT_GT(tried, 600);
}

TEST_F(MainFrameVRNEvents, UnhandledCasesNamedInTheWindowDesign)
{
    EXPECT_TRUE(HandlersReached(frame->Member("m_gapUnitLabel"), wxEVT_ENTER_WINDOW).empty());
    EXPECT_TRUE(HandlersReached(frame->Member("m_inputLabel"), wxEVT_ENTER_WINDOW).empty());
    EXPECT_TRUE(HandlersReached(frame->Member("m_timeLabel"), wxEVT_LEFT_DOWN).empty());
    EXPECT_TRUE(HandlersReached(frame->Member("m_solverChoice"), wxEVT_COMMAND_CHOICE_SELECTED).empty());
    EXPECT_TRUE(HandlersReached(frame->Member("m_modelChoice"), wxEVT_COMMAND_CHOICE_SELECTED).empty());
    EXPECT_TRUE(HandlersReached(frame->Member("m_outputText"), wxEVT_ENTER_WINDOW).empty());
    EXPECT_TRUE(HandlersReached(frame->Member("m_scaleText"), wxEVT_COMMAND_TEXT_ENTER).empty());
    // Caption then field: leave, then enter, both enters to the same handler.
    EXPECT_EQ(HandlersReached(frame->Member("m_gapLabel"), wxEVT_LEAVE_WINDOW),
              std::vector<std::string>{"OnLeaveWindow"});
    EXPECT_EQ(HandlersReached(frame->Member("m_gapText"), wxEVT_ENTER_WINDOW),
              std::vector<std::string>{"OnEnterGap"});
}

TEST_F(MainFrameVRNEvents, DisconnectingTheListUndoesEveryConnection)
{
    for (const MainFrameVRN::EventConnection& connection : frame->EventConnections())
    {
        EXPECT_TRUE(connection.control->Disconnect(connection.eventType, connection.handler, nullptr, frame));
    }
    for (const Connection& connection : ExpectedConnections(*frame))
    {
        EXPECT_TRUE(HandlersReached(frame->Member(connection.control), connection.type).empty())
            << connection.control;
    }
}

// A control that outlives its window (moved to another frame first) must not call into the
// destroyed window.
TEST_F(MainFrameVRNEvents, AControlThatOutlivesTheWindowReachesNothing)
{
    auto* other = new wxFrame(nullptr, wxID_ANY, "other");
    wxWindow* survivor = frame->Member("m_scaleText");
    survivor->Reparent(other);
    DestroyFrame(frame);
    frame = nullptr;

    for (wxEventType type : EventTypes{wxEVT_ENTER_WINDOW, wxEVT_LEAVE_WINDOW})
    {
        EXPECT_FALSE(SendEvent(survivor, type));
    }
    DestroyFrame(other);
}

// The base class alone: every connected event is skipped, so nothing claims it and command
// events go on up to the frame.
TEST(MainFrameVRNBase, HandlersSkipEveryEvent)
{
    ParkPointer();
    auto* frame = new MainFrameVRN(nullptr, wxID_ANY, "VRN - base", wxDefaultPosition, wxSize(1100, 750));
    frame->Show();
    int commandsAtFrame = 0;
    const auto countAtFrame = [&commandsAtFrame](wxCommandEvent& event)
    {
        ++commandsAtFrame;
        event.Skip();
    };
    for (wxEventType type : EventTypes{wxEVT_COMMAND_CHOICE_SELECTED, wxEVT_COMMAND_CHECKBOX_CLICKED,
                                       wxEVT_COMMAND_TEXT_ENTER, wxEVT_COMMAND_BUTTON_CLICKED})
    {
        frame->Bind(wxEventTypeTag<wxCommandEvent>(type), countAtFrame);
    }

    int commandEvents = 0;
    for (const MainFrameVRN::EventConnection& connection : frame->EventConnections())
    {
        auto* control = dynamic_cast<wxWindow*>(connection.control);
        ASSERT_NE(control, nullptr);
        EXPECT_FALSE(SendEvent(control, connection.eventType)) << control->GetClassInfo()->GetClassName();
        const bool mouse = connection.eventType == wxEVT_ENTER_WINDOW ||
                           connection.eventType == wxEVT_LEAVE_WINDOW ||
                           connection.eventType == wxEVT_LEFT_DOWN;
        commandEvents += mouse ? 0 : 1;
    }
    EXPECT_EQ(commandEvents, 9);
    EXPECT_EQ(commandsAtFrame, commandEvents);
    DestroyFrame(frame);
}

} // namespace
