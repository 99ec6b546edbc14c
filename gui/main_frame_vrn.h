#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/event.h>
#include <wx/filepicker.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/string.h>
#include <wx/textctrl.h>

#include <vector>

// On GTK the toolkit's default picker styles have no text field; these are the flags the default
// styles stand for elsewhere, so that a path can be typed or pasted beside the browse button.
constexpr long kFilePickerStyle = wxFLP_OPEN | wxFLP_FILE_MUST_EXIST | wxFLP_USE_TEXTCTRL;
constexpr long kDirPickerStyle = wxDIRP_DIR_MUST_EXIST | wxDIRP_USE_TEXTCTRL;

// The main window's generated-style base: it only builds, lays out and connects the controls.
// Every handler just skips its event; behaviour lives in the derived MainFrame.
class MainFrameVRN : public wxFrame
{
public:
    MainFrameVRN(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                 const wxSize& size, long style = wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL);
    ~MainFrameVRN() override;

    // One control event routed to one of the handlers below.
    struct EventConnection
    {
        wxEvtHandler* control;
        wxEventType eventType;
        wxObjectEventFunction handler;
    };

    // Every control event this window handles, in the order the constructor connects them and
    // the destructor disconnects them (202 entries).
    std::vector<EventConnection> EventConnections() const;

    // One control (or sizer) of this window and the name of the member that holds it.
    struct NamedControl
    {
        const char* memberName;
        wxObject* control;
    };

    // Every control and sizer member of this window under its member name, in declaration order
    // (129 entries), so that tools outside the class can find a control by the name it has here.
    std::vector<NamedControl> NamedControls() const;

protected:
    // ---- Window structure ----
    wxPanel* m_mainPanel;
    wxScrolledWindow* m_optionsWindow;

    // ---- Input area ----
    wxStaticText* m_instanceFileLabel;
    wxFilePickerCtrl* m_instanceFilePicker;
    wxStaticText* m_outputFolderLabel;
    wxDirPickerCtrl* m_outputFolderPicker;

    // ---- Problem type ----
    wxStaticText* m_formulationLabel;
    wxChoice* m_formulationChoice;
    wxStaticText* m_integerCellsLabel;
    wxCheckBox* m_integerCellsCheck;

    // ---- Main options ----
    wxStaticText* m_solverLabel;
    wxChoice* m_solverChoice;
    wxStaticText* m_modelLabel;
    wxChoice* m_modelChoice;
    wxStaticText* m_additiveLabel;
    wxCheckBox* m_additiveCheck;
    wxStaticText* m_formatLabel;
    wxChoice* m_formatChoice;
    wxStaticText* m_scaleLabel;
    wxTextCtrl* m_scaleText;
    wxStaticText* m_checkLabel;
    wxCheckBox* m_checkCheck;
    wxPanel* m_progressPanel;
    wxStaticText* m_progressLabel;
    wxTextCtrl* m_progressText;
    wxStaticText* m_bigLabel;
    wxTextCtrl* m_bigText;
    wxPanel* m_lexminPanel;
    wxStaticText* m_lexminOrderLabel;
    wxTextCtrl* m_lexminOrderText;
    wxStaticText* m_pctBoundsLabel;
    wxTextCtrl* m_pctBoundsText;

    // ---- Timing section ----
    wxStaticText* m_timingHeader;
    wxPanel* m_timingPanel;
    wxStaticText* m_timeLabel;
    wxTextCtrl* m_timeText;
    wxPanel* m_firstPanel;
    wxStaticText* m_firstLabel;
    wxCheckBox* m_firstCheck;
    wxPanel* m_gapPanel;
    wxStaticText* m_gapLabel;
    wxTextCtrl* m_gapText;
    wxStaticText* m_gapUnitLabel;
    wxPanel* m_lpTolerancePanel;
    wxStaticText* m_lpToleranceLabel;
    wxTextCtrl* m_lpToleranceText;

    // ---- Tolerances section ----
    wxStaticText* m_tolerancesHeader;
    wxPanel* m_tolerancesPanel;
    wxStaticText* m_feasibilityLabel;
    wxTextCtrl* m_feasibilityText;
    wxPanel* m_integralityPanel;
    wxStaticText* m_integralityLabel;
    wxTextCtrl* m_integralityText;

    // ---- Repair section ----
    wxStaticText* m_repairHeader;
    wxPanel* m_repairPanel;
    wxStaticText* m_repairLabel;
    wxCheckBox* m_repairCheck;
    wxStaticText* m_repairFileLabel;
    wxFilePickerCtrl* m_repairFilePicker;

    // ---- BCD section ----
    wxStaticText* m_bcdHeader;
    wxPanel* m_bcdPanel;
    wxStaticText* m_bcdClustersLabel;
    wxTextCtrl* m_bcdClustersText;
    wxStaticText* m_bcdTimeLabel;
    wxTextCtrl* m_bcdTimeText;
    wxStaticText* m_bcdObjFLabel;
    wxTextCtrl* m_bcdObjFText;
    wxStaticText* m_bcdEndBcLabel;
    wxTextCtrl* m_bcdEndBcText;
    wxStaticText* m_bcdCycleLabel;
    wxChoice* m_bcdCycleChoice;
    wxStaticText* m_dynamicLabel;
    wxCheckBox* m_dynamicCheck;
    wxStaticText* m_dynSpropLabel;
    wxTextCtrl* m_dynSpropText;
    wxStaticText* m_dynPerturbLabel;
    wxTextCtrl* m_dynPerturbText;
    wxStaticText* m_bcdNstopLabel;
    wxTextCtrl* m_bcdNstopText;

    // ---- Advanced section ----
    wxStaticText* m_advancedHeader;
    wxPanel* m_advancedPanel;
    wxStaticText* m_prepSensLabel;
    wxCheckBox* m_prepSensCheck;
    wxStaticText* m_writeLpLabel;
    wxCheckBox* m_writeLpCheck;
    wxStaticText* m_seedLabel;
    wxTextCtrl* m_seedText;
    wxPanel* m_validInequalitiesPanel;
    wxStaticText* m_validInequalitiesLabel;
    wxChoice* m_validInequalitiesChoice;
    wxStaticText* m_startingPointLabel;
    wxChoice* m_startingPointChoice;
    wxPanel* m_fixDirPanel;
    wxStaticText* m_fixDirLabel;
    wxChoice* m_fixDirChoice;
    wxStaticText* m_epsFLabel;
    wxTextCtrl* m_epsFText;
    wxStaticText* m_expObjLabel;
    wxTextCtrl* m_expObjText;
    wxStaticText* m_epsRhsLabel;
    wxTextCtrl* m_epsRhsText;
    wxStaticText* m_fixDirFileLabel;
    wxFilePickerCtrl* m_fixDirFilePicker;
    wxPanel* m_solverParamsPanel;
    wxStaticText* m_mipEmphasisLabel;
    wxChoice* m_mipEmphasisChoice;
    wxStaticText* m_emphasisLabel;
    wxChoice* m_emphasisChoice;
    wxStaticText* m_varSelLabel;
    wxChoice* m_varSelChoice;
    wxStaticText* m_intDevTolLabel;
    wxTextCtrl* m_intDevTolText;
    wxPanel* m_methodPanel;
    wxStaticText* m_methodLabel;
    wxChoice* m_methodChoice;
    wxStaticText* m_crossoverLabel;
    wxCheckBox* m_crossoverCheck;

    // ---- Output area and button row ----
    wxTextCtrl* m_outputText;
    wxStaticText* m_inputLabel;
    wxTextCtrl* m_inputText;
    wxButton* m_showHideButton;
    wxButton* m_aboutButton;
    wxGauge* m_progressGauge;
    wxButton* m_showLogButton;
    wxButton* m_showSolutionButton;
    wxButton* m_clearOutputButton;
    wxButton* m_startButton;
    wxStatusBar* m_statusBar;

    wxBoxSizer* m_mainPanelSizer;

    // ---- Handlers, in slot order; each default only skips the event ----
    virtual void OnEnterInstanceFile(wxMouseEvent& event) { event.Skip(); }
    virtual void OnLeaveWindow(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterOutputFolder(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterFormulation(wxMouseEvent& event) { event.Skip(); }
    virtual void OnOptionChanged(wxCommandEvent& event) { event.Skip(); }
    virtual void OnEnterIntegerCells(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterSolver(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterModel(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterAdditive(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterFormat(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterScale(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterCheck(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterProgress(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterBig(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterLexminOrder(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterPctBounds(wxMouseEvent& event) { event.Skip(); }
    virtual void OnToggleTimingSection(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterTime(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterFirst(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterGap(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterLpTolerance(wxMouseEvent& event) { event.Skip(); }
    virtual void OnToggleTolerancesSection(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterFeasibility(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterIntegrality(wxMouseEvent& event) { event.Skip(); }
    virtual void OnToggleRepairSection(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterRepair(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterRepairFile(wxMouseEvent& event) { event.Skip(); }
    virtual void OnToggleBcdSection(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterBcdClusters(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterBcdTime(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterBcdObjF(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterBcdEndBc(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterBcdCycle(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterDynamic(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterDynSprop(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterDynPerturb(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterBcdNstop(wxMouseEvent& event) { event.Skip(); }
    virtual void OnToggleAdvancedSection(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterPrepSens(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterWriteLp(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterSeed(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterValidInequalities(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterStartingPoint(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterFixDir(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterEpsF(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterExpObj(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterEpsRhs(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterFixDirFile(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterMipEmphasis(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterEmphasis(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterVarSel(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterIntDevTol(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterMethod(wxMouseEvent& event) { event.Skip(); }
    virtual void OnEnterCrossover(wxMouseEvent& event) { event.Skip(); }
    virtual void OnInputEnter(wxCommandEvent& event) { event.Skip(); }
    virtual void OnShowHideOptions(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAbout(wxCommandEvent& event) { event.Skip(); }
    virtual void OnShowLog(wxCommandEvent& event) { event.Skip(); }
    virtual void OnShowSolution(wxCommandEvent& event) { event.Skip(); }
    virtual void OnClearOutput(wxCommandEvent& event) { event.Skip(); }
    virtual void OnStartStop(wxCommandEvent& event) { event.Skip(); }

private:
    // Construction steps, called in this order by the constructor.
    void BuildInputArea(wxSizer* optionsSizer);
    void BuildProblemType(wxSizer* optionsSizer);
    void BuildMainOptions(wxSizer* optionsSizer);
    void BuildTimingSection(wxSizer* optionsSizer);
    void BuildTolerancesSection(wxSizer* optionsSizer);
    void BuildRepairSection(wxSizer* optionsSizer);
    void BuildBcdSection(wxSizer* optionsSizer);
    void BuildAdvancedSection(wxSizer* optionsSizer);
    void BuildOutputArea(wxSizer* rowSizer);
    void BuildButtonRow();

    // Creates a section header (a clickable caption) and adds it to the options sizer.
    wxStaticText* AddSectionHeader(wxSizer* optionsSizer, const wxString& label);
};
