#pragma once

#include "main_frame_vrn.h"

#include <wx/string.h>
#include <wx/timer.h>

#include <memory>
#include <streambuf>

class MyProcess;
class OutputAreaStreamBuf;

namespace vrn
{
class PointerCrossingEvents;
enum class OptionGroup;
struct ModeSwitch;
} // namespace vrn

// Id of the run timer; the static event table routes its ticks to MainFrame::OnTimer.
constexpr int kRunTimerId = 5000;

// Title of the main window: the product word, a dash and the maker's name.
extern const char* const kMainWindowTitle;

// The VRN main window: the generated-style MainFrameVRN plus the run state and behaviour.
// The handlers are grouped by area; each group is defined in its own source file:
//   main_frame.cpp          construction, About, Clear output, options re-fit
//   main_frame_options.cpp  section folding, status-bar help, formulation/problem-class modes
//   main_frame_run.cpp      start/stop of the back-end, output capture, typed input, viewers
class MainFrame : public MainFrameVRN
{
public:
    MainFrame();
    ~MainFrame() override;

    // Returns the window to the idle state once the back-end has ended (called by MyProcess).
    void OnProcessTerminated();

protected:
    // Status-bar help and section folding.
    void OnEnterInstanceFile(wxMouseEvent& event) override;
    void OnLeaveWindow(wxMouseEvent& event) override;
    void OnEnterOutputFolder(wxMouseEvent& event) override;
    void OnEnterFormulation(wxMouseEvent& event) override;
    void OnOptionChanged(wxCommandEvent& event) override;
    void OnEnterIntegerCells(wxMouseEvent& event) override;
    void OnEnterSolver(wxMouseEvent& event) override;
    void OnEnterModel(wxMouseEvent& event) override;
    void OnEnterAdditive(wxMouseEvent& event) override;
    void OnEnterFormat(wxMouseEvent& event) override;
    void OnEnterScale(wxMouseEvent& event) override;
    void OnEnterCheck(wxMouseEvent& event) override;
    void OnEnterProgress(wxMouseEvent& event) override;
    void OnEnterBig(wxMouseEvent& event) override;
    void OnEnterLexminOrder(wxMouseEvent& event) override;
    void OnEnterPctBounds(wxMouseEvent& event) override;
    void OnToggleTimingSection(wxMouseEvent& event) override;
    void OnEnterTime(wxMouseEvent& event) override;
    void OnEnterFirst(wxMouseEvent& event) override;
    void OnEnterGap(wxMouseEvent& event) override;
    void OnEnterLpTolerance(wxMouseEvent& event) override;
    void OnToggleTolerancesSection(wxMouseEvent& event) override;
    void OnEnterFeasibility(wxMouseEvent& event) override;
    void OnEnterIntegrality(wxMouseEvent& event) override;
    void OnToggleRepairSection(wxMouseEvent& event) override;
    void OnEnterRepair(wxMouseEvent& event) override;
    void OnEnterRepairFile(wxMouseEvent& event) override;
    void OnToggleBcdSection(wxMouseEvent& event) override;
    void OnEnterBcdClusters(wxMouseEvent& event) override;
    void OnEnterBcdTime(wxMouseEvent& event) override;
    void OnEnterBcdObjF(wxMouseEvent& event) override;
    void OnEnterBcdEndBc(wxMouseEvent& event) override;
    void OnEnterBcdCycle(wxMouseEvent& event) override;
    void OnEnterDynamic(wxMouseEvent& event) override;
    void OnEnterDynSprop(wxMouseEvent& event) override;
    void OnEnterDynPerturb(wxMouseEvent& event) override;
    void OnEnterBcdNstop(wxMouseEvent& event) override;
    void OnToggleAdvancedSection(wxMouseEvent& event) override;
    void OnEnterPrepSens(wxMouseEvent& event) override;
    void OnEnterWriteLp(wxMouseEvent& event) override;
    void OnEnterSeed(wxMouseEvent& event) override;
    void OnEnterValidInequalities(wxMouseEvent& event) override;
    void OnEnterStartingPoint(wxMouseEvent& event) override;
    void OnEnterFixDir(wxMouseEvent& event) override;
    void OnEnterEpsF(wxMouseEvent& event) override;
    void OnEnterExpObj(wxMouseEvent& event) override;
    void OnEnterEpsRhs(wxMouseEvent& event) override;
    void OnEnterFixDirFile(wxMouseEvent& event) override;
    void OnEnterMipEmphasis(wxMouseEvent& event) override;
    void OnEnterEmphasis(wxMouseEvent& event) override;
    void OnEnterVarSel(wxMouseEvent& event) override;
    void OnEnterIntDevTol(wxMouseEvent& event) override;
    void OnEnterMethod(wxMouseEvent& event) override;
    void OnEnterCrossover(wxMouseEvent& event) override;

    // The run and its output.
    void OnInputEnter(wxCommandEvent& event) override;
    void OnShowHideOptions(wxCommandEvent& event) override;
    void OnAbout(wxCommandEvent& event) override;
    void OnShowLog(wxCommandEvent& event) override;
    void OnShowSolution(wxCommandEvent& event) override;
    void OnClearOutput(wxCommandEvent& event) override;
    void OnStartStop(wxCommandEvent& event) override;

    // Static event table entries.
    void OnTimer(wxTimerEvent& event);
    void OnIdle(wxIdleEvent& event);

private:
    // Re-fits the options window after its content changed size.
    void FitOptionsWindow();

    // Releases m_argv and its strings (if any) and sets it to null.
    void ReleaseArgumentVector();

    // ---- Run state (declaration order matters: it is the order of construction) ----
    int m_argc;
    char** m_argv;
    std::streambuf* m_savedCoutBuf;
    std::streambuf* m_savedCerrBuf;
    MyProcess* m_process;
    wxTimer m_timer;
    wxString m_pendingInput;
    wxString m_resultBasePath;
    bool m_mipProblem;
    bool m_stdFormulation;
    bool m_repairSectionWasShown;
    bool m_bcdSectionWasShown;

    // The stream buffer that carries std::cout and std::cerr into m_outputText.
    std::unique_ptr<OutputAreaStreamBuf> m_outputBuf;

    // ---- Option-panel helpers (main_frame_options.cpp) ----

    // Writes one help text into the status bar and lets the toolkit go on with the mouse event.
    void DoShowHelp(wxMouseEvent& event, const char* text);

    // Folds the section if it is unfolded and unfolds it otherwise; the header's first
    // character follows the body ("-" unfolded, "+" folded).
    void DoToggleSection(wxStaticText* header, wxPanel* panel);

    // Carries out one switch of the formulation or the problem class on the controls.
    void DoApplyModeSwitch(const vrn::ModeSwitch& change, wxChoice* list);

    // The window that stands for a group of mode-dependent options.
    wxWindow* DoGroupWindow(vrn::OptionGroup group) const;

    // The flag that keeps the fold state of the repair or BCD section while Fast hides it.
    bool& DoSavedFoldState(vrn::OptionGroup group);

    // Enter and leave events for the captions and choices, for which the toolkit raises none on
    // GTK, so that resting the pointer on them shows their help. Made once the base has built
    // the controls and connected them, so that its handlers come after these.
    using PointerCrossingPtr =
        std::unique_ptr<vrn::PointerCrossingEvents, void (*)(vrn::PointerCrossingEvents*)>;
    PointerCrossingPtr DoMakePointerCrossing();
    PointerCrossingPtr m_pointerCrossing = DoMakePointerCrossing();

    // ---- Run helpers (main_frame_run.cpp) ----

    // Called first by the destructor: no process notice may reach this window once it is gone,
    // so every process object that has not reported its end yet is detached from it.
    void DetachRunningProcesses();

    // The run whose end has not been reported yet: the running one, or the one being stopped
    // (m_process is null then). There is at most one, since a press during a stop starts nothing.
    MyProcess* m_liveProcess = nullptr;

    // Counts the starts, so that an end notice can only ever reset the run it belongs to.
    unsigned m_runNumber = 0;

    // Enters the running state and starts the back-end on the form's current values.
    void DoStartRun();

    // Takes the form's values: sets m_resultBasePath and fills m_argc/m_argv.
    void DoBuildCommandLine();

    // Starts the back-end found at `program` with m_argv; false if it could not be started.
    bool DoLaunch(const std::string& program);

    // Opens a viewer on the last run's result file with that extension.
    void DoOpenViewer(const char* extension);

    wxDECLARE_EVENT_TABLE();
};
