#pragma once

#include "main_frame.h"

#include <wx/event.h>
#include <wx/string.h>

#include <gtest/gtest.h>

#include <chrono>

// The controls of a real MainFrame, named as MainFrameVRN names them without the m_ prefix, so
// that tests can drive and read the form the way a user does.
namespace vrn::test
{

struct FormControls
{
    wxPanel* mainPanel;
    wxScrolledWindow* optionsWindow;
    wxStaticText* instanceFileLabel;
    wxFilePickerCtrl* instanceFilePicker;
    wxStaticText* outputFolderLabel;
    wxDirPickerCtrl* outputFolderPicker;
    wxStaticText* formulationLabel;
    wxChoice* formulationChoice;
    wxStaticText* integerCellsLabel;
    wxCheckBox* integerCellsCheck;
    wxStaticText* solverLabel;
    wxChoice* solverChoice;
    wxStaticText* modelLabel;
    wxChoice* modelChoice;
    wxStaticText* additiveLabel;
    wxCheckBox* additiveCheck;
    wxStaticText* formatLabel;
    wxChoice* formatChoice;
    wxStaticText* scaleLabel;
    wxTextCtrl* scaleText;
    wxStaticText* checkLabel;
    wxCheckBox* checkCheck;
    wxPanel* progressPanel;
    wxStaticText* progressLabel;
    wxTextCtrl* progressText;
    wxStaticText* bigLabel;
    wxTextCtrl* bigText;
    wxPanel* lexminPanel;
    wxStaticText* lexminOrderLabel;
    wxTextCtrl* lexminOrderText;
    wxStaticText* pctBoundsLabel;
    wxTextCtrl* pctBoundsText;
    wxStaticText* timingHeader;
    wxPanel* timingPanel;
    wxStaticText* timeLabel;
    wxTextCtrl* timeText;
    wxPanel* firstPanel;
    wxStaticText* firstLabel;
    wxCheckBox* firstCheck;
    wxPanel* gapPanel;
    wxStaticText* gapLabel;
    wxTextCtrl* gapText;
    wxStaticText* gapUnitLabel;
    wxPanel* lpTolerancePanel;
    wxStaticText* lpToleranceLabel;
    wxTextCtrl* lpToleranceText;
    wxStaticText* tolerancesHeader;
    wxPanel* tolerancesPanel;
    wxStaticText* feasibilityLabel;
    wxTextCtrl* feasibilityText;
    wxPanel* integralityPanel;
    wxStaticText* integralityLabel;
    wxTextCtrl* integralityText;
    wxStaticText* repairHeader;
    wxPanel* repairPanel;
    wxStaticText* repairLabel;
    wxCheckBox* repairCheck;
    wxStaticText* repairFileLabel;
    wxFilePickerCtrl* repairFilePicker;
    wxStaticText* bcdHeader;
    wxPanel* bcdPanel;
    wxStaticText* bcdClustersLabel;
    wxTextCtrl* bcdClustersText;
    wxStaticText* bcdTimeLabel;
    wxTextCtrl* bcdTimeText;
    wxStaticText* bcdObjFLabel;
    wxTextCtrl* bcdObjFText;
    wxStaticText* bcdEndBcLabel;
    wxTextCtrl* bcdEndBcText;
    wxStaticText* bcdCycleLabel;
    wxChoice* bcdCycleChoice;
    wxStaticText* dynamicLabel;
    wxCheckBox* dynamicCheck;
    wxStaticText* dynSpropLabel;
    wxTextCtrl* dynSpropText;
    wxStaticText* dynPerturbLabel;
    wxTextCtrl* dynPerturbText;
    wxStaticText* bcdNstopLabel;
    wxTextCtrl* bcdNstopText;
    wxStaticText* advancedHeader;
    wxPanel* advancedPanel;
    wxStaticText* prepSensLabel;
    wxCheckBox* prepSensCheck;
    wxStaticText* writeLpLabel;
    wxCheckBox* writeLpCheck;
    wxStaticText* seedLabel;
    wxTextCtrl* seedText;
    wxPanel* validInequalitiesPanel;
    wxStaticText* validInequalitiesLabel;
    wxChoice* validInequalitiesChoice;
    wxStaticText* startingPointLabel;
    wxChoice* startingPointChoice;
    wxPanel* fixDirPanel;
    wxStaticText* fixDirLabel;
    wxChoice* fixDirChoice;
    wxStaticText* epsFLabel;
    wxTextCtrl* epsFText;
    wxStaticText* expObjLabel;
    wxTextCtrl* expObjText;
    wxStaticText* epsRhsLabel;
    wxTextCtrl* epsRhsText;
    wxStaticText* fixDirFileLabel;
    wxFilePickerCtrl* fixDirFilePicker;
    wxPanel* solverParamsPanel;
    wxStaticText* mipEmphasisLabel;
    wxChoice* mipEmphasisChoice;
    wxStaticText* emphasisLabel;
    wxChoice* emphasisChoice;
    wxStaticText* varSelLabel;
    wxChoice* varSelChoice;
    wxStaticText* intDevTolLabel;
    wxTextCtrl* intDevTolText;
    wxPanel* methodPanel;
    wxStaticText* methodLabel;
    wxChoice* methodChoice;
    wxStaticText* crossoverLabel;
    wxCheckBox* crossoverCheck;
    wxTextCtrl* outputText;
    wxStaticText* inputLabel;
    wxTextCtrl* inputText;
    wxButton* showHideButton;
    wxButton* aboutButton;
    wxGauge* progressGauge;
    wxButton* showLogButton;
    wxButton* showSolutionButton;
    wxButton* clearOutputButton;
    wxButton* startButton;
    wxStatusBar* statusBar;
    wxBoxSizer* mainPanelSizer;
};

// Reads MainFrame's protected controls through pointers to members, which a class derived from
// MainFrame may form; the frame itself is an ordinary MainFrame.
struct FormAccess : MainFrame
{
    static FormControls Of(MainFrame* frame)
    {
        FormControls c{};
        c.mainPanel = frame->*&FormAccess::m_mainPanel;
        c.optionsWindow = frame->*&FormAccess::m_optionsWindow;
        c.instanceFileLabel = frame->*&FormAccess::m_instanceFileLabel;
        c.instanceFilePicker = frame->*&FormAccess::m_instanceFilePicker;
        c.outputFolderLabel = frame->*&FormAccess::m_outputFolderLabel;
        c.outputFolderPicker = frame->*&FormAccess::m_outputFolderPicker;
        c.formulationLabel = frame->*&FormAccess::m_formulationLabel;
        c.formulationChoice = frame->*&FormAccess::m_formulationChoice;
        c.integerCellsLabel = frame->*&FormAccess::m_integerCellsLabel;
        c.integerCellsCheck = frame->*&FormAccess::m_integerCellsCheck;
        c.solverLabel = frame->*&FormAccess::m_solverLabel;
        c.solverChoice = frame->*&FormAccess::m_solverChoice;
        c.modelLabel = frame->*&FormAccess::m_modelLabel;
        c.modelChoice = frame->*&FormAccess::m_modelChoice;
        c.additiveLabel = frame->*&FormAccess::m_additiveLabel;
        c.additiveCheck = frame->*&FormAccess::m_additiveCheck;
        c.formatLabel = frame->*&FormAccess::m_formatLabel;
        c.formatChoice = frame->*&FormAccess::m_formatChoice;
        c.scaleLabel = frame->*&FormAccess::m_scaleLabel;
        c.scaleText = frame->*&FormAccess::m_scaleText;
        c.checkLabel = frame->*&FormAccess::m_checkLabel;
        c.checkCheck = frame->*&FormAccess::m_checkCheck;
        c.progressPanel = frame->*&FormAccess::m_progressPanel;
        c.progressLabel = frame->*&FormAccess::m_progressLabel;
        c.progressText = frame->*&FormAccess::m_progressText;
        c.bigLabel = frame->*&FormAccess::m_bigLabel;
        c.bigText = frame->*&FormAccess::m_bigText;
        c.lexminPanel = frame->*&FormAccess::m_lexminPanel;
        c.lexminOrderLabel = frame->*&FormAccess::m_lexminOrderLabel;
        c.lexminOrderText = frame->*&FormAccess::m_lexminOrderText;
        c.pctBoundsLabel = frame->*&FormAccess::m_pctBoundsLabel;
        c.pctBoundsText = frame->*&FormAccess::m_pctBoundsText;
        c.timingHeader = frame->*&FormAccess::m_timingHeader;
        c.timingPanel = frame->*&FormAccess::m_timingPanel;
        c.timeLabel = frame->*&FormAccess::m_timeLabel;
        c.timeText = frame->*&FormAccess::m_timeText;
        c.firstPanel = frame->*&FormAccess::m_firstPanel;
        c.firstLabel = frame->*&FormAccess::m_firstLabel;
        c.firstCheck = frame->*&FormAccess::m_firstCheck;
        c.gapPanel = frame->*&FormAccess::m_gapPanel;
        c.gapLabel = frame->*&FormAccess::m_gapLabel;
        c.gapText = frame->*&FormAccess::m_gapText;
        c.gapUnitLabel = frame->*&FormAccess::m_gapUnitLabel;
        c.lpTolerancePanel = frame->*&FormAccess::m_lpTolerancePanel;
        c.lpToleranceLabel = frame->*&FormAccess::m_lpToleranceLabel;
        c.lpToleranceText = frame->*&FormAccess::m_lpToleranceText;
        c.tolerancesHeader = frame->*&FormAccess::m_tolerancesHeader;
        c.tolerancesPanel = frame->*&FormAccess::m_tolerancesPanel;
        c.feasibilityLabel = frame->*&FormAccess::m_feasibilityLabel;
        c.feasibilityText = frame->*&FormAccess::m_feasibilityText;
        c.integralityPanel = frame->*&FormAccess::m_integralityPanel;
        c.integralityLabel = frame->*&FormAccess::m_integralityLabel;
        c.integralityText = frame->*&FormAccess::m_integralityText;
        c.repairHeader = frame->*&FormAccess::m_repairHeader;
        c.repairPanel = frame->*&FormAccess::m_repairPanel;
        c.repairLabel = frame->*&FormAccess::m_repairLabel;
        c.repairCheck = frame->*&FormAccess::m_repairCheck;
        c.repairFileLabel = frame->*&FormAccess::m_repairFileLabel;
        c.repairFilePicker = frame->*&FormAccess::m_repairFilePicker;
        c.bcdHeader = frame->*&FormAccess::m_bcdHeader;
        c.bcdPanel = frame->*&FormAccess::m_bcdPanel;
        c.bcdClustersLabel = frame->*&FormAccess::m_bcdClustersLabel;
        c.bcdClustersText = frame->*&FormAccess::m_bcdClustersText;
        c.bcdTimeLabel = frame->*&FormAccess::m_bcdTimeLabel;
        c.bcdTimeText = frame->*&FormAccess::m_bcdTimeText;
        c.bcdObjFLabel = frame->*&FormAccess::m_bcdObjFLabel;
        c.bcdObjFText = frame->*&FormAccess::m_bcdObjFText;
        c.bcdEndBcLabel = frame->*&FormAccess::m_bcdEndBcLabel;
        c.bcdEndBcText = frame->*&FormAccess::m_bcdEndBcText;
        c.bcdCycleLabel = frame->*&FormAccess::m_bcdCycleLabel;
        c.bcdCycleChoice = frame->*&FormAccess::m_bcdCycleChoice;
        c.dynamicLabel = frame->*&FormAccess::m_dynamicLabel;
        c.dynamicCheck = frame->*&FormAccess::m_dynamicCheck;
        c.dynSpropLabel = frame->*&FormAccess::m_dynSpropLabel;
        c.dynSpropText = frame->*&FormAccess::m_dynSpropText;
        c.dynPerturbLabel = frame->*&FormAccess::m_dynPerturbLabel;
        c.dynPerturbText = frame->*&FormAccess::m_dynPerturbText;
        c.bcdNstopLabel = frame->*&FormAccess::m_bcdNstopLabel;
        c.bcdNstopText = frame->*&FormAccess::m_bcdNstopText;
        c.advancedHeader = frame->*&FormAccess::m_advancedHeader;
        c.advancedPanel = frame->*&FormAccess::m_advancedPanel;
        c.prepSensLabel = frame->*&FormAccess::m_prepSensLabel;
        c.prepSensCheck = frame->*&FormAccess::m_prepSensCheck;
        c.writeLpLabel = frame->*&FormAccess::m_writeLpLabel;
        c.writeLpCheck = frame->*&FormAccess::m_writeLpCheck;
        c.seedLabel = frame->*&FormAccess::m_seedLabel;
        c.seedText = frame->*&FormAccess::m_seedText;
        c.validInequalitiesPanel = frame->*&FormAccess::m_validInequalitiesPanel;
        c.validInequalitiesLabel = frame->*&FormAccess::m_validInequalitiesLabel;
        c.validInequalitiesChoice = frame->*&FormAccess::m_validInequalitiesChoice;
        c.startingPointLabel = frame->*&FormAccess::m_startingPointLabel;
        c.startingPointChoice = frame->*&FormAccess::m_startingPointChoice;
        c.fixDirPanel = frame->*&FormAccess::m_fixDirPanel;
        c.fixDirLabel = frame->*&FormAccess::m_fixDirLabel;
        c.fixDirChoice = frame->*&FormAccess::m_fixDirChoice;
        c.epsFLabel = frame->*&FormAccess::m_epsFLabel;
        c.epsFText = frame->*&FormAccess::m_epsFText;
        c.expObjLabel = frame->*&FormAccess::m_expObjLabel;
        c.expObjText = frame->*&FormAccess::m_expObjText;
        c.epsRhsLabel = frame->*&FormAccess::m_epsRhsLabel;
        c.epsRhsText = frame->*&FormAccess::m_epsRhsText;
        c.fixDirFileLabel = frame->*&FormAccess::m_fixDirFileLabel;
        c.fixDirFilePicker = frame->*&FormAccess::m_fixDirFilePicker;
        c.solverParamsPanel = frame->*&FormAccess::m_solverParamsPanel;
        c.mipEmphasisLabel = frame->*&FormAccess::m_mipEmphasisLabel;
        c.mipEmphasisChoice = frame->*&FormAccess::m_mipEmphasisChoice;
        c.emphasisLabel = frame->*&FormAccess::m_emphasisLabel;
        c.emphasisChoice = frame->*&FormAccess::m_emphasisChoice;
        c.varSelLabel = frame->*&FormAccess::m_varSelLabel;
        c.varSelChoice = frame->*&FormAccess::m_varSelChoice;
        c.intDevTolLabel = frame->*&FormAccess::m_intDevTolLabel;
        c.intDevTolText = frame->*&FormAccess::m_intDevTolText;
        c.methodPanel = frame->*&FormAccess::m_methodPanel;
        c.methodLabel = frame->*&FormAccess::m_methodLabel;
        c.methodChoice = frame->*&FormAccess::m_methodChoice;
        c.crossoverLabel = frame->*&FormAccess::m_crossoverLabel;
        c.crossoverCheck = frame->*&FormAccess::m_crossoverCheck;
        c.outputText = frame->*&FormAccess::m_outputText;
        c.inputLabel = frame->*&FormAccess::m_inputLabel;
        c.inputText = frame->*&FormAccess::m_inputText;
        c.showHideButton = frame->*&FormAccess::m_showHideButton;
        c.aboutButton = frame->*&FormAccess::m_aboutButton;
        c.progressGauge = frame->*&FormAccess::m_progressGauge;
        c.showLogButton = frame->*&FormAccess::m_showLogButton;
        c.showSolutionButton = frame->*&FormAccess::m_showSolutionButton;
        c.clearOutputButton = frame->*&FormAccess::m_clearOutputButton;
        c.startButton = frame->*&FormAccess::m_startButton;
        c.statusBar = frame->*&FormAccess::m_statusBar;
        c.mainPanelSizer = frame->*&FormAccess::m_mainPanelSizer;
        return c;
    }
};

// Sends a mouse event of the given type to a window; returns whether the last handler skipped it.
bool SendMouse(wxWindow* window, wxEventType type);

// Selects a formulation the way the choice does when the user picks an item.
void SelectFormulation(const FormControls& form, int index);

// Ticks or clears "Integer cells" the way a click does.
void SetIntegerCells(const FormControls& form, bool checked);

// Clicks a section header (left button down on it).
void ClickHeader(wxStaticText* header);

// Presses a button.
void Press(wxButton* button);

// Lets the toolkit process what the last action queued.
void Settle();

// A fresh main window per test, shown and laid out as a user gets it, with the pointer parked
// away from it; destroyed at the end of the test.
class OptionFormTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    wxString Status() const { return form.statusBar->GetStatusText(0); }

    MainFrame* frame = nullptr;
    FormControls form{};
};

} // namespace vrn::test
