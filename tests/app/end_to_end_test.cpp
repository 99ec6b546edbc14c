// Whole runs as a user makes them: the real main window, driven through its controls, starts the
// real mainVRN.exe built beside this program on the tables in examples/, and the tests read
// what the output area shows and what the run leaves in its output folder.
#include "argument_vector.h"
#include "aux_frame.h"
#include "gui_test_main.h"
#include "option_form.h"
#include "tools/child_process.h"

#include <wx/app.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

namespace vrn::test
{
namespace
{

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr int kClpOrCbcIndex = 3; // "Cbc" in MIP mode, "Clp" in LP mode

std::string FileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Contains(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

// Runs a program from its argument vector and waits for it; true when it exits with status 0.
bool RunProgram(const std::vector<std::string>& args)
{
    return vrn::RunChild(args.front(), args).status == 0;
}

class EndToEndTest : public OptionFormTest
{
protected:
    void SetUp() override
    {
        OptionFormTest::SetUp();
        folder = fs::temp_directory_path() / ("vrn-end-to-end-" + std::to_string(getpid()));
        fs::create_directories(folder);
        form.Get<wxDirPickerCtrl>("m_outputFolderPicker")->SetPath(folder.string());
    }

    void TearDown() override
    {
        OptionFormTest::TearDown();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    void UseExample(const std::string& name)
    {
        form.Get<wxFilePickerCtrl>("m_instanceFilePicker")
            ->SetPath(std::string(VRN_EXAMPLES_DIR) + "/" + name + ".csp");
    }

    std::string Output() const { return form.Text("m_outputText")->GetValue().utf8_string(); }

    bool Running() const { return form.Button("m_startButton")->GetLabel() == "Stop optimization"; }

    // Presses Start and waits until the run is over and its result buttons show; a run this
    // small may be over before Press returns.
    bool RunToTheEnd(milliseconds timeout = milliseconds(120000))
    {
        Press(form.Button("m_startButton"));
        return PumpUntil([this] { return !Running() && form.Button("m_showLogButton")->IsShown(); }, timeout);
    }

    // The text of the viewer that "Show solution" opens on this run's solution.
    std::string SolutionViewerText(const std::string& path)
    {
        Press(form.Button("m_showSolutionButton"));
        for (wxWindow* window : wxTopLevelWindows)
        {
            auto* viewer = dynamic_cast<AuxFrame*>(window);
            if (viewer == nullptr || viewer->GetTitle() != wxString::FromUTF8(path))
                continue;
            auto* text = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(wxTextCtrlNameStr, viewer));
            const std::string shown = text != nullptr ? text->GetValue().utf8_string() : std::string();
            viewer->Destroy();
            return shown;
        }
        return "(no viewer titled " + path + ")";
    }

    // With VRN_SCREENSHOT_DIR set, a picture of the window as it stands, for a person to look at.
    void SaveWindowPicture(const std::string& name) const
    {
        const char* shots = std::getenv("VRN_SCREENSHOT_DIR");
        if (shots == nullptr)
            return;
        const wxRect rect = frame->GetScreenRect();
        RunProgram({"import", "-window", "root", "-crop",
                    std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" +
                        std::to_string(rect.x) + "+" + std::to_string(rect.y),
                    std::string(shots) + "/" + name});
    }

    fs::path folder;
};

TEST_F(EndToEndTest, StdRunWithCbcProtectsTheSmallTableAndShowsItsSolution)
{
    UseExample("table3x3");
    form.Choice("m_solverChoice")->SetSelection(kClpOrCbcIndex);
    ASSERT_EQ(form.Choice("m_solverChoice")->GetStringSelection(), "Cbc");
    ASSERT_TRUE(RunToTheEnd());

    const std::string output = Output();
    // The back-end ends its lines in CR LF, which the output area keeps as a line break.
    EXPECT_TRUE(Contains(output, "objective (total weighted change): 20\r")) << output;
    EXPECT_TRUE(Contains(output, "solution check: passed")) << output;
    EXPECT_TRUE(Contains(output, "exit status 0")) << output;

    const std::string base = ResultBasePath(folder.string(), std::string(VRN_EXAMPLES_DIR) + "/table3x3.csp",
                                            "_cbc", kPathSeparator);
    ASSERT_TRUE(fs::exists(base + ".log"));
    ASSERT_TRUE(fs::exists(base + ".sol"));
    const std::string solution = FileText(base + ".sol");
    EXPECT_FALSE(solution.empty());
    EXPECT_EQ(SolutionViewerText(base + ".sol"), solution);
}

TEST_F(EndToEndTest, FastRunWithClpShowsEachStageAndWritesItsFiles)
{
    UseExample("grid30x30");
    SelectFormulation(form, 1);
    form.Choice("m_solverChoice")->SetSelection(kClpOrCbcIndex);
    ASSERT_EQ(form.Choice("m_solverChoice")->GetStringSelection(), "Clp");
    ASSERT_TRUE(RunToTheEnd());

    const std::string output = Output();
    // The front-end's default order, 4-2-3-1, reached stage by stage.
    const std::vector<std::string> stages = {"objective 4 (largest relative change), stage 1 of 4",
                                             "objective 2 (total relative change), stage 2 of 4",
                                             "objective 3 (relative change of the totals), stage 3 of 4",
                                             "objective 1 (total weighted change), stage 4 of 4"};
    std::size_t at = 0;
    for (const std::string& stage : stages)
    {
        at = output.find(stage, at);
        ASSERT_NE(at, std::string::npos) << "missing in order: " << stage << "\n" << output;
    }
    EXPECT_TRUE(Contains(output, "directions fixed:")) << output;
    EXPECT_TRUE(Contains(output, "solution check: passed")) << output;

    const std::string base = ResultBasePath(folder.string(), std::string(VRN_EXAMPLES_DIR) + "/grid30x30.csp",
                                            "_clp", kPathSeparator);
    EXPECT_TRUE(fs::exists(base + ".log"));
    EXPECT_FALSE(FileText(base + ".sol").empty());
}

TEST_F(EndToEndTest, FastRunWhoseBoundsAreTooTightSaysWhichOptionToRaise)
{
    // The 3x3 table's sensitive cell must move by 5 where its neighbours may move only 2 % each.
    UseExample("table3x3");
    SelectFormulation(form, 1);
    form.Choice("m_solverChoice")->SetSelection(kClpOrCbcIndex);
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_TRUE(
        Contains(Output(), "is too tight for these directions: the smallest value that works is 2.78"))
        << Output();

    form.Text("m_outputText")->Clear();
    form.Text("m_pctBoundsText")->SetValue("50");
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_TRUE(Contains(Output(), "solution check: passed")) << Output();
}

TEST_F(EndToEndTest, StopTypedIntoInputEndsTheSolveAndKeepsTheBestTable)
{
    // A table big enough that CBC does not prove its 0 % gap in the test's time.
    const fs::path table = folder / "big.csp";
    const vrn::ChildResult generated =
        vrn::RunChild(VRN_GENERATOR, {VRN_GENERATOR, "2d", "60", "60", "--sensitive", "5", "--seed", "7",
                                      "--out", table.string()});
    ASSERT_EQ(generated.status, 0) << generated.err;
    form.Get<wxFilePickerCtrl>("m_instanceFilePicker")->SetPath(table.string());
    form.Choice("m_solverChoice")->SetSelection(kClpOrCbcIndex);
    form.Text("m_gapText")->SetValue("0");

    Press(form.Button("m_startButton"));
    ASSERT_TRUE(Running());
    ASSERT_TRUE(PumpUntil([this] { return Contains(Output(), "instance:"); }, milliseconds(30000)))
        << Output();
    PumpFor(milliseconds(1500));
    form.Text("m_inputText")->SetValue("stop");
    wxCommandEvent enter(wxEVT_TEXT_ENTER, form.Text("m_inputText")->GetId());
    enter.SetEventObject(form.Text("m_inputText"));
    form.Text("m_inputText")->GetEventHandler()->ProcessEvent(enter);

    ASSERT_TRUE(PumpUntil([this] { return !Running(); }, milliseconds(60000))) << Output();
    const std::string output = Output();
    EXPECT_TRUE(Contains(output, "stop\n")) << output; // the typed line is echoed
    EXPECT_TRUE(Contains(output, "[vrn] stop: ending the solve")) << output;
    const std::string base = ResultBasePath(folder.string(), table.string(), "_cbc", kPathSeparator);
    EXPECT_TRUE(fs::exists(base + ".log"));
    EXPECT_TRUE(fs::exists(base + ".sol"));
}

TEST_F(EndToEndTest, BcdSectionRunsOneCycleOfBlocksAndAFinalBranchAndCut)
{
    // vrn-gen 2d 40 40 --max 999: 1,681 cells, 80 sensitive, more than CBC proves in a few seconds.
    const fs::path table = folder / "bcd.csp";
    ASSERT_TRUE(RunProgram(
        {VRN_GENERATOR, "2d", "40", "40", "--max", "999", "--seed", "3", "--out", table.string()}));
    form.Get<wxFilePickerCtrl>("m_instanceFilePicker")->SetPath(table.string());
    form.Choice("m_solverChoice")->SetSelection(kClpOrCbcIndex);
    ClickHeader(form.Label("m_bcdHeader"));
    ASSERT_TRUE(form.Panel("m_bcdPanel")->IsShown());
    form.Text("m_bcdClustersText")->SetValue("4");
    form.Choice("m_bcdCycleChoice")->SetSelection(0); // "One cycle"
    form.Text("m_bcdEndBcText")->SetValue("5");
    ASSERT_TRUE(RunToTheEnd());

    const std::string output = Output();
    for (const char* line :
         {"[vrn] BCD cycle 1, block 1 of 4: ", "[vrn] BCD cycle 1, block 4 of 4: ", "ended: one cycle done",
          "BCD: branch-and-cut on the whole model", "solution check: passed", "exit status 0"})
        EXPECT_TRUE(Contains(output, line)) << line << "\n" << output;
    EXPECT_FALSE(Contains(output, "block 1 of 4: 20 cells, block's table none")) << output;
    SaveWindowPicture("bcd_run.png");
}

TEST_F(EndToEndTest, StdRunExplainsAnInfeasibleTableAndRepairInfeasibilityRepairsIt)
{
    // A row of cells published before (z) with a row total bounded from another source.
    UseExample("published5x5");
    form.Choice("m_solverChoice")->SetSelection(kClpOrCbcIndex);
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_TRUE(Contains(Output(), "cells 7, 8, 9 and 11 are fixed (z)")) << Output();
    EXPECT_TRUE(Contains(Output(), "check \"Repair infeasibility\" (--repair y)")) << Output();
    EXPECT_TRUE(Contains(Output(), "outcome: infeasible")) << Output();

    form.Text("m_outputText")->Clear();
    SetChecked(form.CheckBox("m_repairCheck"), true);
    SelectItem(form.Choice("m_validInequalitiesChoice"), 0); // "Yes"
    ASSERT_TRUE(RunToTheEnd());
    const std::string output = Output();
    EXPECT_TRUE(Contains(output, "repair: 2 changes: bounds widened by 10, protection levels lowered by 0"))
        << output;
    EXPECT_TRUE(Contains(output, "valid inequalities: ")) << output;
    EXPECT_TRUE(Contains(output, "solution check: passed")) << output;
    EXPECT_TRUE(Contains(output, "exit status 0")) << output;
    const std::string base = ResultBasePath(
        folder.string(), std::string(VRN_EXAMPLES_DIR) + "/published5x5.csp", "_cbc", kPathSeparator);
    EXPECT_TRUE(fs::exists(base + "_repaired.csp"));
    EXPECT_TRUE(Contains(SolutionViewerText(base + ".sol"), "# repaired: 2 changes"))
        << FileText(base + ".sol");
}

TEST_F(EndToEndTest, DefaultFastRunNamesTheCellsBoundsThatWorkAndThatValueProtects)
{
    // The window's Fast options as they open; on the 4-D count table "% cells bounds" 2 is too tight
    // for any directions (the run once ended "infeasible" there, with no value to type).
    UseExample("counts4d");
    SelectFormulation(form, 1);
    form.Choice("m_solverChoice")->SetSelection(kClpOrCbcIndex);
    ASSERT_TRUE(RunToTheEnd());
    const std::string output = Output();
    std::smatch advice;
    ASSERT_TRUE(
        std::regex_search(output, advice,
                          std::regex("\"% cells bounds\" 2 \\(--pct-bounds 2\\) is too tight for these "
                                     "directions: the smallest value that works is ([0-9.]+) ")))
        << output;
    SaveWindowPicture("fast_default_advice.png");

    form.Text("m_outputText")->Clear();
    form.Text("m_pctBoundsText")->SetValue(advice[1].str());
    ASSERT_TRUE(RunToTheEnd());
    EXPECT_TRUE(Contains(Output(), "solution check: passed")) << Output();
}

} // namespace
} // namespace vrn::test
