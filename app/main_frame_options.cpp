#include "main_frame.h"

// Placeholder bodies: the option-panel behaviour is being written.

void MainFrame::OnEnterInstanceFile(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnLeaveWindow(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterOutputFolder(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterFormulation(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnOptionChanged(wxCommandEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterIntegerCells(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterSolver(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterModel(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterAdditive(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterFormat(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterScale(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterCheck(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterProgress(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterBig(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterLexminOrder(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterPctBounds(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnToggleTimingSection(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterTime(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterFirst(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterGap(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterLpTolerance(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnToggleTolerancesSection(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterFeasibility(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterIntegrality(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnToggleRepairSection(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterRepair(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterRepairFile(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnToggleBcdSection(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterBcdClusters(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterBcdTime(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterBcdObjF(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterBcdEndBc(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterBcdCycle(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterDynamic(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterDynSprop(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterDynPerturb(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterBcdNstop(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnToggleAdvancedSection(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterPrepSens(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterWriteLp(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterSeed(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterValidInequalities(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterStartingPoint(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterFixDir(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterEpsF(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterExpObj(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterEpsRhs(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterFixDirFile(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterMipEmphasis(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterEmphasis(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterVarSel(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterIntDevTol(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterMethod(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnEnterCrossover(wxMouseEvent& event)
{
    event.Skip();
}

void MainFrame::OnShowHideOptions(wxCommandEvent& event)
{
    event.Skip();
}
