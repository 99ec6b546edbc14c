#include "main_frame.h"
#include "option_help.h"
#include "option_modes.h"
#include "option_pointer_crossing.h"

// The option panel's behaviour: status-bar help, section folding, hiding the whole panel, and
// the formulation / problem-class modes that decide which options apply.

// ---- Status-bar help ----

void MainFrame::DoShowHelp(wxMouseEvent& event, const char* text)
{
    m_statusBar->SetStatusText(text, 0);
    event.Skip();
}

// Leaving a caption or a field clears the help. The event is consumed: moving onto the
// neighbouring field raises its own enter event, which writes the text again.
void MainFrame::OnLeaveWindow(wxMouseEvent& WXUNUSED(event))
{
    m_statusBar->SetStatusText(wxEmptyString, 0);
}

void MainFrame::OnEnterInstanceFile(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::InstanceFile));
}

void MainFrame::OnEnterOutputFolder(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::OutputFolder));
}

void MainFrame::OnEnterFormulation(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Formulation));
}

void MainFrame::OnEnterIntegerCells(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::IntegerCells));
}

void MainFrame::OnEnterSolver(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Solver));
}

void MainFrame::OnEnterModel(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Model));
}

void MainFrame::OnEnterAdditive(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Additive));
}

void MainFrame::OnEnterFormat(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Format));
}

void MainFrame::OnEnterScale(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Scale));
}

void MainFrame::OnEnterCheck(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Check));
}

void MainFrame::OnEnterProgress(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Progress));
}

void MainFrame::OnEnterBig(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Big));
}

void MainFrame::OnEnterLexminOrder(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::LexminOrder));
}

void MainFrame::OnEnterPctBounds(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::PctBounds));
}

void MainFrame::OnEnterTime(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Time));
}

void MainFrame::OnEnterFirst(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::First));
}

void MainFrame::OnEnterGap(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Gap));
}

void MainFrame::OnEnterLpTolerance(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::LpTolerance));
}

void MainFrame::OnEnterFeasibility(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Feasibility));
}

void MainFrame::OnEnterIntegrality(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Integrality));
}

void MainFrame::OnEnterRepair(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Repair));
}

void MainFrame::OnEnterRepairFile(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::RepairFile));
}

void MainFrame::OnEnterBcdClusters(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::BcdClusters));
}

void MainFrame::OnEnterBcdTime(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::BcdTime));
}

void MainFrame::OnEnterBcdObjF(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::BcdObjF));
}

void MainFrame::OnEnterBcdEndBc(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::BcdEndBc));
}

void MainFrame::OnEnterBcdCycle(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::BcdCycle));
}

void MainFrame::OnEnterDynamic(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Dynamic));
}

void MainFrame::OnEnterDynSprop(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::DynSprop));
}

void MainFrame::OnEnterDynPerturb(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::DynPerturb));
}

void MainFrame::OnEnterBcdNstop(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::BcdNstop));
}

void MainFrame::OnEnterPrepSens(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::PrepSens));
}

void MainFrame::OnEnterWriteLp(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::WriteLp));
}

void MainFrame::OnEnterSeed(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Seed));
}

void MainFrame::OnEnterValidInequalities(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::ValidInequalities));
}

void MainFrame::OnEnterStartingPoint(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::StartingPoint));
}

void MainFrame::OnEnterFixDir(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::FixDir));
}

void MainFrame::OnEnterEpsF(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::EpsF));
}

void MainFrame::OnEnterExpObj(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::ExpObj));
}

void MainFrame::OnEnterEpsRhs(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::EpsRhs));
}

void MainFrame::OnEnterFixDirFile(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::FixDirFile));
}

void MainFrame::OnEnterMipEmphasis(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::MipEmphasis));
}

void MainFrame::OnEnterEmphasis(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Emphasis));
}

void MainFrame::OnEnterVarSel(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::VarSel));
}

void MainFrame::OnEnterIntDevTol(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::IntDevTol));
}

void MainFrame::OnEnterMethod(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Method));
}

void MainFrame::OnEnterCrossover(wxMouseEvent& event)
{
    DoShowHelp(event, vrn::HelpText(vrn::HelpTopic::Crossover));
}

// ---- Section folding ----

void MainFrame::DoToggleSection(wxStaticText* header, wxPanel* panel)
{
    const bool wasShown = panel->IsShown();
    wxString label = header->GetLabel();
    if (!label.empty())
        label[0] = wasShown ? '+' : '-';
    header->SetLabel(label);
    panel->Show(!wasShown);
    FitOptionsWindow();
}

void MainFrame::OnToggleTimingSection(wxMouseEvent& WXUNUSED(event))
{
    DoToggleSection(m_timingHeader, m_timingPanel);
}

void MainFrame::OnToggleTolerancesSection(wxMouseEvent& WXUNUSED(event))
{
    DoToggleSection(m_tolerancesHeader, m_tolerancesPanel);
}

void MainFrame::OnToggleRepairSection(wxMouseEvent& WXUNUSED(event))
{
    DoToggleSection(m_repairHeader, m_repairPanel);
}

void MainFrame::OnToggleBcdSection(wxMouseEvent& WXUNUSED(event))
{
    DoToggleSection(m_bcdHeader, m_bcdPanel);
}

void MainFrame::OnToggleAdvancedSection(wxMouseEvent& WXUNUSED(event))
{
    DoToggleSection(m_advancedHeader, m_advancedPanel);
}

// Hiding the panel gives the output area the whole width; the sections inside keep their folds
// because only the options window itself is hidden.
void MainFrame::OnShowHideOptions(wxCommandEvent& WXUNUSED(event))
{
    const bool wasShown = m_optionsWindow->IsShown();
    m_showHideButton->SetLabel(wasShown ? "Show options" : "Hide options");
    m_optionsWindow->Show(!wasShown);
    m_mainPanel->Layout();
    m_mainPanel->Refresh(true);
}

// ---- Formulation and problem class ----

wxWindow* MainFrame::DoGroupWindow(vrn::OptionGroup group) const
{
    using G = vrn::OptionGroup;
    switch (group)
    {
    case G::ProgressPanel:
        return m_progressPanel;
    case G::LexminPanel:
        return m_lexminPanel;
    case G::FirstPanel:
        return m_firstPanel;
    case G::GapPanel:
        return m_gapPanel;
    case G::LpTolerancePanel:
        return m_lpTolerancePanel;
    case G::IntegralityPanel:
        return m_integralityPanel;
    case G::RepairHeader:
        return m_repairHeader;
    case G::RepairPanel:
        return m_repairPanel;
    case G::BcdHeader:
        return m_bcdHeader;
    case G::BcdPanel:
        return m_bcdPanel;
    case G::ValidInequalitiesPanel:
        return m_validInequalitiesPanel;
    case G::FixDirPanel:
        return m_fixDirPanel;
    case G::SolverParamsPanel:
        return m_solverParamsPanel;
    case G::MethodPanel:
        return m_methodPanel;
    }
    return nullptr;
}

bool& MainFrame::DoSavedFoldState(vrn::OptionGroup group)
{
    return group == vrn::OptionGroup::BcdPanel ? m_bcdSectionWasShown : m_repairSectionWasShown;
}

void MainFrame::DoApplyModeSwitch(const vrn::ModeSwitch& change, wxChoice* list)
{
    for (const auto& step : change.groupSteps)
    {
        wxWindow* window = DoGroupWindow(step.group);
        switch (step.action)
        {
        case vrn::GroupAction::Hide:
            window->Hide();
            break;
        case vrn::GroupAction::Show:
            window->Show();
            break;
        case vrn::GroupAction::SaveFoldState:
            DoSavedFoldState(step.group) = window->IsShown();
            break;
        case vrn::GroupAction::RestoreFoldState:
            window->Show(DoSavedFoldState(step.group));
            break;
        }
    }

    const auto& edit = change.listEdit;
    for (unsigned index : edit.deletions)
        list->Delete(index);
    for (const auto& item : edit.appends)
        list->Append(wxString::FromUTF8(item.c_str()));
    if (!edit.selectOnlyIfNone || list->GetSelection() == wxNOT_FOUND)
        list->SetSelection(edit.selection);
}

// Acts only when a mode changes: the problem class first (its solver list), then the
// formulation (its groups and model list). The options window is refitted on every event.
void MainFrame::OnOptionChanged(wxCommandEvent& WXUNUSED(event))
{
    const vrn::OptionModes current{m_stdFormulation, m_mipProblem};
    const int formulation = m_formulationChoice->GetSelection();
    const bool integerCells = formulation != vrn::kStdFormulationIndex && m_integerCellsCheck->IsChecked();
    const auto plan = vrn::PlanOptionChange(current, formulation, integerCells);

    if (plan.problemClassSwitch)
    {
        DoApplyModeSwitch(*plan.problemClassSwitch, m_solverChoice);
        m_mipProblem = plan.newModes.mipProblem;
    }
    if (plan.formulationSwitch)
    {
        DoApplyModeSwitch(*plan.formulationSwitch, m_modelChoice);
        m_stdFormulation = plan.newModes.stdFormulation;
    }
    FitOptionsWindow();
}

// ---- Enter and leave events for captions and choices on GTK ----

MainFrame::PointerCrossingPtr MainFrame::DoMakePointerCrossing()
{
    auto release = [](vrn::PointerCrossingEvents* hover) { delete hover; };
    return PointerCrossingPtr(new vrn::PointerCrossingEvents(m_optionsWindow), release);
}
