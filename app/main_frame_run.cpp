#include "argument_vector.h"
#include "aux_frame.h"
#include "backend_locator.h"
#include "form_snapshot.h"
#include "main_frame.h"
#include "my_process.h"

#include <wx/app.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>

namespace
{

// How long one idle pass may read output before the window gets to paint and take input.
constexpr std::chrono::milliseconds kIdleReadBudget(50);
constexpr int kRunTimerIntervalMs = 100;

std::string Utf8(const wxString& text)
{
    const wxScopedCharBuffer bytes = text.utf8_str();
    return std::string(bytes.data(), bytes.length());
}

std::string PathVariable()
{
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "";
}

} // namespace

void MainFrame::OnStartStop(wxCommandEvent& WXUNUSED(event))
{
    if (m_process != nullptr)
    {
        // Ends the back-end and everything it started (it leads its own process group). The
        // window stays in the running state until the end is reported.
        const long pid = m_process->GetPid();
        wxKillError error = wxKILL_OK;
        wxKill(pid, wxSIGKILL, &error, wxKILL_CHILDREN);
        // A Stop right after the start can come before the child has made its own process
        // group; the child has started nothing yet then, and killing it alone is enough.
        if (error == wxKILL_NO_PROCESS)
            wxKill(pid, wxSIGKILL);
        m_process = nullptr;
        return;
    }
    // A stop is still pending: its end notice is due, and a second run must not overlap it.
    if (m_liveProcess != nullptr)
        return;
    DoStartRun();
}

void MainFrame::DoStartRun()
{
    m_startButton->SetLabel("Stop optimization");
    m_progressGauge->Show();
    m_clearOutputButton->Hide();
    m_showLogButton->Hide();
    m_showSolutionButton->Hide();
    m_progressGauge->Pulse();
    m_optionsWindow->Disable();
    m_mainPanel->Layout();
    m_mainPanel->Refresh(true);

    DoBuildCommandLine();

    // The back-end is looked for beside the front-end first, then on PATH.
    const std::string ownFolder = vrn::OwnProgramFolder();
    const std::string program =
        vrn::FindExecutable(vrn::kBackendProgramName, vrn::BackendSearchFolders(ownFolder, PathVariable()));
    if (program.empty())
    {
        std::cout << vrn::BackendNotFoundMessage(vrn::kBackendProgramName, ownFolder, PathVariable())
                  << std::endl;
        OnProcessTerminated();
        return;
    }
    if (!DoLaunch(program))
    {
        std::cout << vrn::kBackendProgramName << " could not be started from " << program << "." << std::endl;
        OnProcessTerminated();
        return;
    }
    // The end may already have been reported inside the start call; the window is idle then.
    if (m_liveProcess != nullptr)
        m_timer.Start(kRunTimerIntervalMs, wxTIMER_CONTINUOUS);
}

void MainFrame::DoBuildCommandLine()
{
    vrn::FormSnapshot form;
    form.stdFormulation = m_stdFormulation;
    form.mipProblem = m_mipProblem;
    form.instanceFilePath = Utf8(m_instanceFilePicker->GetPath());
    form.outputFolderPath = Utf8(m_outputFolderPicker->GetPath());
    form.integerCellsChecked = m_integerCellsCheck->IsChecked();
    form.solverIndex = m_solverChoice->GetSelection();
    form.modelIndex = m_modelChoice->GetSelection();
    form.additiveChecked = m_additiveCheck->IsChecked();
    form.formatIndex = m_formatChoice->GetSelection();
    form.scaleText = Utf8(m_scaleText->GetValue());
    form.checkChecked = m_checkCheck->IsChecked();
    form.progressText = Utf8(m_progressText->GetValue());
    form.bigText = Utf8(m_bigText->GetValue());
    form.lexminOrderText = Utf8(m_lexminOrderText->GetValue());
    form.pctBoundsText = Utf8(m_pctBoundsText->GetValue());
    form.timeText = Utf8(m_timeText->GetValue());
    form.firstChecked = m_firstCheck->IsChecked();
    form.gapText = Utf8(m_gapText->GetValue());
    form.lpToleranceText = Utf8(m_lpToleranceText->GetValue());
    form.feasibilityText = Utf8(m_feasibilityText->GetValue());
    form.integralityText = Utf8(m_integralityText->GetValue());
    form.repairChecked = m_repairCheck->IsChecked();
    form.repairFilePath = Utf8(m_repairFilePicker->GetPath());
    form.bcdClustersText = Utf8(m_bcdClustersText->GetValue());
    form.bcdTimeText = Utf8(m_bcdTimeText->GetValue());
    form.bcdObjFText = Utf8(m_bcdObjFText->GetValue());
    form.bcdEndBcText = Utf8(m_bcdEndBcText->GetValue());
    form.bcdCycleIndex = m_bcdCycleChoice->GetSelection();
    form.dynamicChecked = m_dynamicCheck->IsChecked();
    form.dynSpropText = Utf8(m_dynSpropText->GetValue());
    form.dynPerturbText = Utf8(m_dynPerturbText->GetValue());
    form.bcdNstopText = Utf8(m_bcdNstopText->GetValue());
    form.prepSensChecked = m_prepSensCheck->IsChecked();
    form.writeLpChecked = m_writeLpCheck->IsChecked();
    form.seedText = Utf8(m_seedText->GetValue());
    form.validInequalitiesIndex = m_validInequalitiesChoice->GetSelection();
    form.startingPointIndex = m_startingPointChoice->GetSelection();
    form.fixDirIndex = m_fixDirChoice->GetSelection();
    form.epsFText = Utf8(m_epsFText->GetValue());
    form.expObjText = Utf8(m_expObjText->GetValue());
    form.epsRhsText = Utf8(m_epsRhsText->GetValue());
    form.fixDirFilePath = Utf8(m_fixDirFilePicker->GetPath());
    form.mipEmphasisIndex = m_mipEmphasisChoice->GetSelection();
    form.emphasisIndex = m_emphasisChoice->GetSelection();
    form.varSelIndex = m_varSelChoice->GetSelection();
    form.intDevTolText = Utf8(m_intDevTolText->GetValue());
    form.methodIndex = m_methodChoice->GetSelection();
    form.crossoverChecked = m_crossoverCheck->IsChecked();

    const std::string suffix = vrn::SolverSuffix(form.solverIndex, form.mipProblem);
    const std::string base =
        vrn::ResultBasePath(form.outputFolderPath, form.instanceFilePath, suffix, vrn::kPathSeparator);
    m_resultBasePath = wxString::FromUTF8(base.data(), base.size());

    const std::vector<std::string> args = vrn::BuildArgumentVector(form);
    ReleaseArgumentVector();
    m_argc = static_cast<int>(args.size());
    m_argv = new char*[args.size() + 1];
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        m_argv[i] = new char[args[i].size() + 1];
        std::memcpy(m_argv[i], args[i].c_str(), args[i].size() + 1);
    }
    m_argv[args.size()] = nullptr;
}

bool MainFrame::DoLaunch(const std::string& program)
{
    const unsigned run = ++m_runNumber;
    m_process = new MyProcess(std::cout,
                              [this, run]
                              {
                                  // A notice of an earlier run never resets a newer one.
                                  if (run == m_runNumber && m_liveProcess != nullptr)
                                      OnProcessTerminated();
                              });
    m_liveProcess = m_process;

    // The program name stays element 0 of m_argv; the child is started from where it was found.
    std::vector<const char*> launch(m_argv, m_argv + m_argc + 1);
    launch[0] = program.c_str();
    long pid = 0;
    {
        wxLogNull noDialogs; // a failure is told in the output area instead
        pid = wxExecute(launch.data(), wxEXEC_ASYNC | wxEXEC_MAKE_GROUP_LEADER, m_process);
    }
    if (pid != 0)
        return true;
    // No child exists, so no notice will come: the process object is ours to free.
    delete m_liveProcess;
    m_process = nullptr;
    m_liveProcess = nullptr;
    return false;
}

void MainFrame::OnProcessTerminated()
{
    m_timer.Stop();
    m_startButton->SetLabel("Start optimization");
    m_progressGauge->SetValue(0);
    m_clearOutputButton->Show();
    m_showLogButton->Show();
    m_showSolutionButton->Show();
    m_progressGauge->Hide();
    m_optionsWindow->Enable();
    m_mainPanel->Layout();
    m_mainPanel->Refresh(true);
    ReleaseArgumentVector();
    m_process = nullptr;
    // The process object frees itself once this notice returns.
    m_liveProcess = nullptr;
}

void MainFrame::DetachRunningProcesses()
{
    m_timer.Stop();
    if (m_liveProcess != nullptr)
        m_liveProcess->DetachFromOwner();
    m_liveProcess = nullptr;
    m_process = nullptr;
}

void MainFrame::OnTimer(wxTimerEvent& WXUNUSED(event))
{
    wxWakeUpIdle();
    // One call moves the bar one step on GTK: pulse on every tick so it keeps moving.
    m_progressGauge->Pulse();
}

void MainFrame::OnIdle(wxIdleEvent& event)
{
    event.Skip();
    if (m_process == nullptr)
        return;
    const bool outputWaiting = m_process->ReadOutput(MyProcess::Clock::now() + kIdleReadBudget);
    if (!m_pendingInput.empty())
    {
        const std::string line = Utf8(m_pendingInput);
        m_process->QueueInput(line);
        std::cout << line << std::endl;
        m_pendingInput.clear();
    }
    // What the pipe did not take now goes in later passes, in order.
    m_process->SendQueuedInput();
    // Under a flood, come back at once for the rest after the window has had its turn.
    if (outputWaiting)
        event.RequestMore();
}

void MainFrame::OnInputEnter(wxCommandEvent& WXUNUSED(event))
{
    m_pendingInput = m_inputText->GetValue();
    m_inputText->SetValue("");
}

void MainFrame::OnShowLog(wxCommandEvent& WXUNUSED(event))
{
    DoOpenViewer(".log");
}

void MainFrame::OnShowSolution(wxCommandEvent& WXUNUSED(event))
{
    DoOpenViewer(".sol");
}

void MainFrame::DoOpenViewer(const char* extension)
{
    const wxString path = m_resultBasePath + extension;
    auto* viewer = new AuxFrame(nullptr, path);
    viewer->Show();
    if (!viewer->IsFileLoaded())
        std::cout << "Could not read the file " << Utf8(path) << std::endl;
}
