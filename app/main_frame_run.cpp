#include "main_frame.h"

#include <wx/app.h>

// Placeholder bodies: the run lifecycle is being written.

void MainFrame::OnInputEnter(wxCommandEvent& event)
{
    event.Skip();
}

void MainFrame::OnShowLog(wxCommandEvent& event)
{
    event.Skip();
}

void MainFrame::OnShowSolution(wxCommandEvent& event)
{
    event.Skip();
}

void MainFrame::OnStartStop(wxCommandEvent& event)
{
    event.Skip();
}

void MainFrame::OnTimer(wxTimerEvent& WXUNUSED(event))
{
    wxWakeUpIdle();
}

void MainFrame::OnIdle(wxIdleEvent& event)
{
    event.Skip();
}

void MainFrame::OnProcessTerminated() {}

void MainFrame::DetachRunningProcesses() {}
