// The run on the real main window: real child processes (the stand-in back-end built beside this
// program as mainVRN.exe), the event loop pumped with a bounded wait.
#include "argument_vector.h"
#include "aux_frame.h"
#include "gui_test_main.h"
#include "main_frame.h"
#include "main_frame_driver.h"
#include "my_process.h"
#include "wx_widgets_app.h"

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/eventfilter.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

wxIMPLEMENT_APP_NO_MAIN(wxWidgetsApp);

int main(int argc, char** argv)
{
    return vrn::test::RunGuiTests(argc, argv);
}

namespace
{

using vrn::test::Ui;

namespace fs = std::filesystem;
using std::chrono::milliseconds;

enum class RunState
{
    Idle,    // before any run: result buttons hidden
    Running, // also "stopping": the two look the same on screen
    IdleAfterRun,
    Inconsistent
};

const char* Name(RunState s)
{
    switch (s)
    {
    case RunState::Idle:
        return "idle";
    case RunState::Running:
        return "running";
    case RunState::IdleAfterRun:
        return "idle after a run";
    default:
        return "inconsistent";
    }
}

RunState StateOf(MainFrame* f)
{
    const wxString label = Ui(f).Button("m_startButton")->GetLabel();
    const bool gauge = Ui(f).Get<wxGauge>("m_progressGauge")->IsShown();
    const bool clear = Ui(f).Button("m_clearOutputButton")->IsShown();
    const bool log = Ui(f).Button("m_showLogButton")->IsShown();
    const bool solution = Ui(f).Button("m_showSolutionButton")->IsShown();
    const bool options = Ui(f).Get<wxScrolledWindow>("m_optionsWindow")->IsEnabled();
    const bool results = clear && log && solution;
    const bool noResults = !clear && !log && !solution;
    if (label == "Stop optimization" && gauge && noResults && !options)
        return RunState::Running;
    if (label == "Start optimization" && !gauge && options && noResults)
        return RunState::Idle;
    if (label == "Start optimization" && !gauge && options && results)
        return RunState::IdleAfterRun;
    return RunState::Inconsistent;
}

MainFrame* AppFrame()
{
    return dynamic_cast<MainFrame*>(wxTheApp->GetTopWindow());
}

void Press(wxButton* button)
{
    vrn::test::ClickButton(button);
}

// Types a line into Input and presses Enter.
void Enter(MainFrame* f, const wxString& text)
{
    wxTextCtrl* input = Ui(f).Text("m_inputText");
    input->SetValue(text);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, input->GetId());
    enter.SetEventObject(input);
    input->GetEventHandler()->ProcessEvent(enter);
}

std::string Output(MainFrame* f)
{
    std::cout.flush();
    return Ui(f).Text("m_outputText")->GetValue().utf8_string();
}

bool Contains(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

// The output area's text once it contains `piece` (or after the wait ran out).
std::string OutputWith(MainFrame* f, const std::string& piece, milliseconds timeout = milliseconds(10000))
{
    vrn::test::PumpUntil([&] { return Contains(Output(f), piece); }, timeout);
    return Output(f);
}

bool WaitUntilIdle(MainFrame* f, milliseconds timeout = milliseconds(10000))
{
    const bool idle = vrn::test::PumpUntil([&] { return StateOf(f) == RunState::IdleAfterRun; }, timeout);
    vrn::test::PumpFor(milliseconds(30)); // text written in the end notice reaches the area
    return idle;
}

// A process that has ended or is only a zombie waiting to be reaped.
bool ProcessGone(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return true;
    std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t paren = content.rfind(')');
    return paren != std::string::npos && paren + 2 < content.size() && content[paren + 2] == 'Z';
}

std::vector<std::string> ReadNulSeparated(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> items;
    std::string item;
    while (std::getline(in, item, '\0'))
        items.push_back(item);
    return items;
}

std::vector<AuxFrame*> Viewers()
{
    std::vector<AuxFrame*> viewers;
    for (wxWindow* w : wxTopLevelWindows)
    {
        if (auto* viewer = dynamic_cast<AuxFrame*>(w); viewer != nullptr && !viewer->IsBeingDeleted())
            viewers.push_back(viewer);
    }
    return viewers;
}

bool AnyDialogOpen()
{
    for (wxWindow* w : wxTopLevelWindows)
    {
        if (dynamic_cast<wxDialog*>(w) != nullptr)
            return true;
    }
    return false;
}

// Counts the run timer's ticks while it lives.
struct RunTimerTicks : wxEventFilter
{
    RunTimerTicks() { wxEvtHandler::AddFilter(this); }
    ~RunTimerTicks() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent& event) override
    {
        if (event.GetEventType() == wxEVT_TIMER && event.GetId() == kRunTimerId)
            ++count;
        return Event_Skip;
    }
    int count = 0;
};

class RunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = AppFrame();
        ASSERT_NE(frame, nullptr);
        ASSERT_NE(StateOf(frame), RunState::Running) << "an earlier test left a run behind";
        char pattern[] = "/tmp/vrn run \xC3\xA4-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        Ui(frame).Get<wxDirPickerCtrl>("m_outputFolderPicker")->SetPath(wxString::FromUTF8(folder.string()));
        Ui(frame).Text("m_outputText")->Clear();
        Ui(frame).Text("m_inputText")->Clear();
    }

    void TearDown() override
    {
        if (StateOf(frame) == RunState::Running)
        {
            Press(Ui(frame).Button("m_startButton"));
            WaitUntilIdle(frame);
        }
        for (AuxFrame* viewer : Viewers())
            viewer->Destroy();
        vrn::test::PumpFor(milliseconds(20));
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    // Picks the stand-in back-end's scenario through the instance file's name.
    void UseScenario(const std::string& scenario)
    {
        instance = folder / (scenario + ".csp");
        Ui(frame)
            .Get<wxFilePickerCtrl>("m_instanceFilePicker")
            ->SetPath(wxString::FromUTF8(instance.string()));
    }

    void Start(const std::string& scenario)
    {
        UseScenario(scenario);
        Press(Ui(frame).Button("m_startButton"));
    }

    MainFrame* frame = nullptr;
    fs::path folder;
    fs::path instance;
};

TEST_F(RunTest, StateTableThroughARunThatEndsByItself)
{
    Start("echo");
    EXPECT_STREQ(Name(StateOf(frame)), Name(RunState::Running));
    EXPECT_FALSE(Ui(frame).Get<wxFilePickerCtrl>("m_instanceFilePicker")->IsEnabled());
    EXPECT_FALSE(Ui(frame).Get<wxDirPickerCtrl>("m_outputFolderPicker")->IsEnabled());
    {
        RunTimerTicks ticks;
        EXPECT_TRUE(Contains(OutputWith(frame, "ready"), "ready"));
        vrn::test::PumpFor(milliseconds(250));
        EXPECT_GT(ticks.count, 0) << "the run timer keeps idle processing going";
    }
    EXPECT_STREQ(Name(StateOf(frame)), Name(RunState::Running));
    Enter(frame, "quit");
    ASSERT_TRUE(WaitUntilIdle(frame)) << Name(StateOf(frame));
    EXPECT_EQ(Ui(frame).Get<wxGauge>("m_progressGauge")->GetValue(), 0);
    EXPECT_TRUE(Ui(frame).Get<wxFilePickerCtrl>("m_instanceFilePicker")->IsEnabled());
    RunTimerTicks ticks;
    vrn::test::PumpFor(milliseconds(250));
    EXPECT_EQ(ticks.count, 0) << "the run timer stops with the run";
    EXPECT_TRUE(Contains(Output(frame), "got[quit]"));
}

TEST_F(RunTest, ResultButtonsHideAgainWhenTheNextRunStarts)
{
    Start("atonce");
    ASSERT_TRUE(WaitUntilIdle(frame));
    Start("forever");
    EXPECT_STREQ(Name(StateOf(frame)), Name(RunState::Running));
    Press(Ui(frame).Button("m_startButton"));
    ASSERT_TRUE(WaitUntilIdle(frame));
}

TEST_F(RunTest, StopKillsTheBackendAndItsChildAndASecondPressStartsNothing)
{
    Start("forever");
    OutputWith(frame, "running");
    pid_t backend = 0, child = 0;
    std::ifstream(folder / "pids.txt") >> backend >> child;
    ASSERT_GT(backend, 0);
    ASSERT_GT(child, 0);

    Press(Ui(frame).Button("m_startButton")); // stop
    EXPECT_STREQ(Name(StateOf(frame)), Name(RunState::Running)) << "stopping looks like running";
    EXPECT_EQ(Ui(frame).Button("m_startButton")->GetLabel(), "Stop optimization");
    Press(Ui(frame).Button("m_startButton")); // pressed again while the stop is pending
    ASSERT_TRUE(WaitUntilIdle(frame));
    EXPECT_TRUE(vrn::test::PumpUntil([&] { return ProcessGone(backend) && ProcessGone(child); }));
    // The second press started no run: the window stays idle.
    vrn::test::PumpFor(milliseconds(300));
    EXPECT_STREQ(Name(StateOf(frame)), Name(RunState::IdleAfterRun));
}

TEST_F(RunTest, ArgumentsReachTheBackendEachAsOneElement)
{
    UseScenario("record");
    Ui(frame).Text("m_gapText")->SetValue("1");
    Ui(frame).Text("m_scaleText")->SetValue(" 2");
    Press(Ui(frame).Button("m_startButton"));
    ASSERT_TRUE(WaitUntilIdle(frame));
    Ui(frame).Text("m_gapText")->SetValue("5");
    Ui(frame).Text("m_scaleText")->SetValue("Automatic");

    const std::vector<std::string> args = ReadNulSeparated(folder / "args.txt");
    const std::vector<std::string> expected = {
        instance.string(), folder.string(), "--solver", "x", "--scale", " 2", "--mipgap", "1"};
    ASSERT_EQ(args.size(), expected.size() + 1);
    EXPECT_EQ(fs::path(args[0]).filename(), "mainVRN.exe");
    EXPECT_EQ(std::vector<std::string>(args.begin() + 1, args.end()), expected);
}

TEST_F(RunTest, CrLfGivesOneLineAndLfAloneJoins)
{
    Start("lineends");
    ASSERT_TRUE(WaitUntilIdle(frame));
    EXPECT_EQ(Output(frame), "alpha\rbetagamma\r\rdelta\r");
}

TEST_F(RunTest, HalfLinesJoinAcrossPasses)
{
    Start("halfline");
    EXPECT_TRUE(Contains(OutputWith(frame, "first half"), "first half"));
    EXPECT_STREQ(Name(StateOf(frame)), Name(RunState::Running)) << "the rest has not been written yet";
    ASSERT_TRUE(WaitUntilIdle(frame));
    EXPECT_EQ(Output(frame), "first half second half\r");
}

TEST_F(RunTest, CharacterSplitAcrossWritesShowsWhole)
{
    Start("split");
    ASSERT_TRUE(WaitUntilIdle(frame));
    EXPECT_EQ(Output(frame), "caf\xC3\xA9 \xE2\x82\xAC\r");
}

TEST_F(RunTest, InvalidBytesShowAsReplacementAndTheLineIsKept)
{
    Start("invalid");
    ASSERT_TRUE(WaitUntilIdle(frame));
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(Output(frame), "bad" + fffd + fffd + "tail\rcut" + fffd + "next\rend" + fffd);
}

TEST_F(RunTest, StandardOutputComesBeforeStandardErrorWithinOnePass)
{
    UseScenario("bothstreams");
    Press(Ui(frame).Button("m_startButton"));
    // Both streams fill before the window gets its next pass.
    usleep(300 * 1000);
    ASSERT_TRUE(WaitUntilIdle(frame));
    EXPECT_EQ(Output(frame), "from stdout\rfrom stderr\r");
}

TEST_F(RunTest, TypedLineIsSentWithOneLineFeedAndEchoed)
{
    Start("echo");
    OutputWith(frame, "ready");
    Enter(frame, wxString::FromUTF8("h\xC3\xA9llo"));
    EXPECT_TRUE(Ui(frame).Text("m_inputText")->GetValue().empty());
    const std::string out = OutputWith(frame, "got[");
    EXPECT_TRUE(Contains(out, "h\xC3\xA9llo\n")) << out;
    EXPECT_TRUE(Contains(out, "got[h\xC3\xA9llo]\r")) << "no carriage return is sent: " << out;
    Enter(frame, "quit");
    ASSERT_TRUE(WaitUntilIdle(frame));
}

TEST_F(RunTest, TwoEntersBeforeAPassSendOnlyTheSecond)
{
    Start("echo");
    OutputWith(frame, "ready");
    Enter(frame, "one");
    Enter(frame, "two");
    OutputWith(frame, "got[two]");
    Enter(frame, "quit");
    ASSERT_TRUE(WaitUntilIdle(frame));
    EXPECT_FALSE(Contains(Output(frame), "got[one]"));
    EXPECT_TRUE(Contains(Output(frame), "got[two]"));
}

TEST_F(RunTest, EnterWhileIdleGoesToTheNextRunAndEmptyEnterDropsIt)
{
    Enter(frame, "dropped");
    Enter(frame, "");
    Enter(frame, "quit");
    vrn::test::PumpFor(milliseconds(50));
    EXPECT_EQ(Output(frame), "") << "nothing is sent or echoed while idle";
    Start("echo");
    ASSERT_TRUE(WaitUntilIdle(frame)) << "the waiting line ends the run";
    EXPECT_TRUE(Contains(Output(frame), "got[quit]"));
    EXPECT_FALSE(Contains(Output(frame), "dropped"));
}

TEST_F(RunTest, LinesLargerThanThePipeTakesArriveWholeAndInOrder)
{
    Start("lateinput");
    OutputWith(frame, "waiting");
    // The back-end does not read yet. The first line nearly fills the pipe; the second can only
    // be written in part, and its rest must follow in later passes.
    Enter(frame, wxString(20000, wxUniChar(0x20AC)));
    vrn::test::PumpFor(milliseconds(200));
    Enter(frame, wxString(15000, 'b'));
    ASSERT_TRUE(WaitUntilIdle(frame, milliseconds(20000)));
    const std::string out = Output(frame);
    EXPECT_TRUE(Contains(out, "received 60000 and 15000 bytes"))
        << out.substr(out.size() > 100 ? out.size() - 100 : 0);
}

TEST_F(RunTest, MissingBackendSaysSoInOneLineAndTheWindowIsReadyAtOnce)
{
    const fs::path own = fs::read_symlink("/proc/self/exe").parent_path();
    const fs::path backend = own / "mainVRN.exe";
    const fs::path away = own / "mainVRN.exe.away";
    fs::rename(backend, away);
    const std::string savedPath = std::getenv("PATH");
    setenv("PATH", folder.c_str(), 1);

    Start("atonce");
    const RunState state = StateOf(frame);
    setenv("PATH", savedPath.c_str(), 1);
    fs::rename(away, backend);

    EXPECT_STREQ(Name(state), Name(RunState::IdleAfterRun));
    vrn::test::PumpFor(milliseconds(30));
    const std::string out = Output(frame);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    EXPECT_TRUE(Contains(out, "mainVRN.exe")) << out;
    EXPECT_TRUE(Contains(out, own.string())) << out;
    EXPECT_TRUE(Contains(out, folder.string())) << "names the PATH it searched: " << out;
    EXPECT_FALSE(AnyDialogOpen());
}

TEST_F(RunTest, BackendThatExitsAtOnceLeavesTheWindowIdleEveryTime)
{
    for (int i = 0; i < 15; ++i)
    {
        Start("atonce");
        ASSERT_TRUE(WaitUntilIdle(frame, milliseconds(5000))) << "start " << i;
    }
    // Some of these ends may come inside the start call (how many depends on the machine's load):
    // whichever way each end came, no run timer may be left ticking.
    RunTimerTicks ticks;
    vrn::test::PumpFor(milliseconds(350));
    EXPECT_EQ(ticks.count, 0);
    EXPECT_STREQ(Name(StateOf(frame)), Name(RunState::IdleAfterRun));
}

// The stand-in floods `--seed` lines of 80 characters, each ended by CR LF.
class FloodTest : public RunTest
{
protected:
    void TearDown() override
    {
        Ui(frame).Text("m_seedText")->SetValue("Automatic");
        RunTest::TearDown();
    }
    void StartFlood(long lines)
    {
        Ui(frame).Text("m_seedText")->SetValue(std::to_string(lines));
        Start("flood");
    }
};

TEST_F(FloodTest, EveryByteOfAFloodIsShownInOrder)
{
    StartFlood(20000);
    ASSERT_TRUE(WaitUntilIdle(frame, milliseconds(60000)));
    wxTextCtrl* area = Ui(frame).Text("m_outputText");
    EXPECT_EQ(area->GetLastPosition(), 20000 * 81);
    EXPECT_EQ(area->GetRange(0, 81), std::string(80, 'x') + "\r");
}

TEST_F(FloodTest, StopWorksWhileTheBackendFloods)
{
    StartFlood(100000000); // far more than the test waits for
    OutputWith(frame, std::string(80, 'x'));
    // The press waits in the event queue behind the flood, as a user's click would.
    frame->CallAfter([this] { Press(Ui(frame).Button("m_startButton")); });
    ASSERT_TRUE(WaitUntilIdle(frame, milliseconds(20000))) << "the flood kept the window from handling Stop";
}

// The bound on one idle pass: with its time used up, a pass reads one block of a stream that
// never runs dry and says that more is waiting, so the window gets its turn.
TEST_F(RunTest, APassWhoseTimeIsUpReadsOneBlockAndAsksForMore)
{
    bool ended = false;
    auto* process = new MyProcess(std::cout, [&] { ended = true; });
    const char* const argv[] = {"/bin/sh", "-c", "tr '\\0' x < /dev/zero", nullptr};
    const long pid = wxExecute(argv, wxEXEC_ASYNC | wxEXEC_MAKE_GROUP_LEADER, process);
    ASSERT_NE(pid, 0);
    usleep(300 * 1000); // the pipe fills

    EXPECT_TRUE(process->ReadOutput(MyProcess::Clock::now()));
    const std::string shown = Output(frame);
    EXPECT_EQ(shown.size(), 64u * 1024);
    EXPECT_EQ(shown.find_first_not_of('x'), std::string::npos);

    wxKill(pid, wxSIGKILL, nullptr, wxKILL_CHILDREN);
    EXPECT_TRUE(vrn::test::PumpUntil([&] { return ended; })) << "the end is reported after the drain";
}

TEST_F(RunTest, TwoRunsWriteIntoTheSameArea)
{
    Start("halfline");
    ASSERT_TRUE(WaitUntilIdle(frame));
    Start("lineends");
    ASSERT_TRUE(WaitUntilIdle(frame));
    EXPECT_EQ(Output(frame), "first half second half\ralpha\rbetagamma\r\rdelta\r");
}

TEST_F(RunTest, ShowLogTwiceOpensTwoViewersOnTheLastRunsFile)
{
    Start("results");
    ASSERT_TRUE(WaitUntilIdle(frame));
    Ui(frame).Choice("m_solverChoice")->SetSelection(2); // changing the solver afterwards changes nothing
    Press(Ui(frame).Button("m_showLogButton"));
    Press(Ui(frame).Button("m_showLogButton"));
    Press(Ui(frame).Button("m_showSolutionButton"));
    vrn::test::PumpFor(milliseconds(50));
    Ui(frame).Choice("m_solverChoice")->SetSelection(1);

    const std::string base = (folder / "results_xpress").string();
    std::vector<AuxFrame*> viewers = Viewers();
    ASSERT_EQ(viewers.size(), 3u);
    int logs = 0;
    for (AuxFrame* viewer : viewers)
    {
        EXPECT_EQ(viewer->GetParent(), nullptr);
        EXPECT_EQ(viewer->GetSize(), wxSize(500, 600));
        const std::string title = viewer->GetTitle().utf8_string();
        auto* text = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(wxTextCtrlNameStr, viewer));
        ASSERT_NE(text, nullptr);
        if (title == base + ".log")
        {
            ++logs;
            EXPECT_EQ(text->GetValue(), "log of the run\n");
        }
        else
        {
            EXPECT_EQ(title, base + ".sol");
            EXPECT_EQ(text->GetValue(), "# solution\n1 10 12 2 s\n");
        }
        EXPECT_FALSE(text->IsEditable());
    }
    EXPECT_EQ(logs, 2);
    EXPECT_FALSE(Contains(Output(frame), "Could not read"));

    // The Close button destroys its own viewer only.
    auto* close = dynamic_cast<wxButton*>(wxWindow::FindWindowByLabel("Close", viewers[0]));
    ASSERT_NE(close, nullptr);
    Press(close);
    vrn::test::PumpFor(milliseconds(50));
    EXPECT_EQ(Viewers().size(), 2u);
}

TEST_F(RunTest, MissingResultFileGivesAnEmptyViewerTitledWithThePathAndNoDialog)
{
    Start("atonce");
    ASSERT_TRUE(WaitUntilIdle(frame));
    Press(Ui(frame).Button("m_showSolutionButton"));
    vrn::test::PumpFor(milliseconds(100));
    const std::vector<AuxFrame*> viewers = Viewers();
    ASSERT_EQ(viewers.size(), 1u);
    const std::string path = (folder / "atonce_xpress.sol").string();
    EXPECT_EQ(viewers[0]->GetTitle().utf8_string(), path);
    auto* text = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(wxTextCtrlNameStr, viewers[0]));
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(text->GetValue().empty());
    EXPECT_FALSE(AnyDialogOpen());
    EXPECT_EQ(Output(frame), "Could not read the file " + path + "\n");
}

// A second main window, closed while its back-end runs (or is being stopped): the back-end
// keeps running, and its end later reaches no destroyed window.
class CloseDuringRunTest : public RunTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(CloseDuringRunTest, ClosingTheWindowDetachesTheRun)
{
    const bool stopFirst = GetParam();
    auto* second = new MainFrame();
    second->Show();
    instance = folder / "forever.csp";
    Ui(second).Get<wxFilePickerCtrl>("m_instanceFilePicker")->SetPath(wxString::FromUTF8(instance.string()));
    Ui(second).Get<wxDirPickerCtrl>("m_outputFolderPicker")->SetPath(wxString::FromUTF8(folder.string()));
    Press(Ui(second).Button("m_startButton"));
    ASSERT_TRUE(vrn::test::PumpUntil([&] { return fs::exists(folder / "pids.txt"); }));
    vrn::test::PumpFor(milliseconds(100));
    pid_t backend = 0, child = 0;
    std::ifstream(folder / "pids.txt") >> backend >> child;
    ASSERT_GT(backend, 0);
    if (stopFirst)
    {
        // The kill is sent, and the window goes before the end notice arrives.
        Press(Ui(second).Button("m_startButton"));
        second->Destroy();
        vrn::test::PumpFor(milliseconds(300));
        EXPECT_TRUE(vrn::test::PumpUntil([&] { return ProcessGone(backend) && ProcessGone(child); }));
        vrn::test::PumpFor(milliseconds(200));
        std::cout << "still here" << std::endl;
        EXPECT_TRUE(Contains(Output(frame), "still here"));
        return;
    }
    second->Destroy();
    vrn::test::PumpFor(milliseconds(300));
    EXPECT_FALSE(ProcessGone(backend)) << "closing the window does not stop the back-end";
    kill(-backend, SIGKILL);
    EXPECT_TRUE(vrn::test::PumpUntil([&] { return ProcessGone(backend) && ProcessGone(child); }));
    vrn::test::PumpFor(milliseconds(200)); // the end notice goes to the detached process object
    // The closed window gave the standard output back to the first one.
    std::cout << "still here" << std::endl;
    EXPECT_TRUE(Contains(Output(frame), "still here"));
}

TEST_F(RunTest, BackendWritingAfterTheWindowClosedIsNotLeftWaitingForAReader)
{
    auto* second = new MainFrame();
    second->Show();
    Ui(second)
        .Get<wxFilePickerCtrl>("m_instanceFilePicker")
        ->SetPath(wxString::FromUTF8((folder / "writeafterclose.csp").string()));
    Ui(second).Get<wxDirPickerCtrl>("m_outputFolderPicker")->SetPath(wxString::FromUTF8(folder.string()));
    Press(Ui(second).Button("m_startButton"));
    vrn::test::PumpFor(milliseconds(100));
    second->Destroy();
    EXPECT_TRUE(vrn::test::PumpUntil([&] { return fs::exists(folder / "done.txt"); }, milliseconds(10000)))
        << "the back-end is stuck writing to a pipe nobody reads";
    vrn::test::PumpFor(milliseconds(200));
}

INSTANTIATE_TEST_SUITE_P(WhileRunningOrStopping, CloseDuringRunTest, ::testing::Bool());

} // namespace
