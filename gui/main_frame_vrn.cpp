#include "main_frame_vrn.h"

#include <wx/font.h>
#include <wx/gdicmn.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace
{

// Cells of the option grids: proportion 0, these flags, a border of kBorder on the flagged sides.
constexpr int kBorder = 5;
constexpr int kLabelCell = wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT | wxALL;
constexpr int kFieldCell = wxALIGN_CENTER_VERTICAL | wxALL;
constexpr int kWideFieldCell = wxEXPAND | wxALIGN_CENTER_VERTICAL | wxALL;

// Sub-panels and section panels sit flush left and right inside their parent.
constexpr int kSideFlags = wxEXPAND | wxLEFT | wxRIGHT;

// The usual maximum length of an option's text field; 0 means no limit.
constexpr unsigned long kTextLimit = 10;
constexpr unsigned long kNoLimit = 0;

const wxString kSelectFile = "Select a file";
const wxString kAnyFileWildcard = "*.*";
const wxString kInstanceWildcard = "CSP files (*.csp)|*.csp|All files (*.*)|*.*";

wxStaticText* NewStaticText(wxWindow* parent, const wxString& label, long style = 0)
{
    auto* text = new wxStaticText(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, style);
    text->Wrap(-1);
    return text;
}

wxStaticText* AddLabel(wxSizer* sizer, wxWindow* parent, const wxString& label, int cell = kLabelCell)
{
    wxStaticText* text = NewStaticText(parent, label);
    sizer->Add(text, 0, cell, kBorder);
    return text;
}

// GTK cuts a field's current text down to its maximum length, but an initial word longer than
// the limit ("Not perform" in a 10-character field) must stay whole: the limit only stops typing.
// So the field's limit never drops below the length of the text it starts with.
void LimitTyping(wxTextCtrl* text, unsigned long limit)
{
    text->SetMaxLength(std::max<unsigned long>(limit, text->GetValue().length()));
}

wxTextCtrl* NewText(wxWindow* parent, const wxString& value, unsigned long limit,
                    const wxSize& size = wxDefaultSize)
{
    auto* text = new wxTextCtrl(parent, wxID_ANY, value, wxDefaultPosition, size, 0);
    if (limit != kNoLimit)
    {
        LimitTyping(text, limit);
    }
    return text;
}

wxTextCtrl* AddText(wxSizer* sizer, wxWindow* parent, const wxString& value, unsigned long limit)
{
    wxTextCtrl* text = NewText(parent, value, limit);
    sizer->Add(text, 0, kFieldCell, kBorder);
    return text;
}

wxCheckBox* AddCheck(wxSizer* sizer, wxWindow* parent, bool checked, bool shown = true)
{
    auto* check = new wxCheckBox(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0);
    check->SetValue(checked);
    if (!shown)
    {
        check->Hide();
    }
    sizer->Add(check, 0, kFieldCell, kBorder);
    return check;
}

wxChoice* AddChoice(wxSizer* sizer, wxWindow* parent, std::initializer_list<const char*> items, int selection)
{
    const std::vector<wxString> choices(items.begin(), items.end());
    auto* choice = new wxChoice(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                static_cast<int>(choices.size()), choices.data(), 0);
    choice->SetSelection(selection);
    sizer->Add(choice, 0, kFieldCell, kBorder);
    return choice;
}

// The pickers of the repair and directions files keep a steady height of 25 to 30 pixels.
wxFilePickerCtrl* NewSmallFilePicker(wxWindow* parent)
{
    auto* picker = new wxFilePickerCtrl(parent, wxID_ANY, wxEmptyString, kSelectFile, kAnyFileWildcard,
                                        wxDefaultPosition, wxDefaultSize, kFilePickerStyle);
    picker->SetMinSize(wxSize(-1, 25));
    picker->SetMaxSize(wxSize(-1, 30));
    return picker;
}

// A flex grid of 0 rows, `columns` columns and zero gaps, every column growable if asked.
wxFlexGridSizer* NewGrid(int columns, bool allGrowable = false)
{
    auto* grid = new wxFlexGridSizer(0, columns, 0, 0);
    if (allGrowable)
    {
        for (int column = 0; column < columns; ++column)
        {
            grid->AddGrowableCol(column);
        }
    }
    grid->SetFlexibleDirection(wxBOTH);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_SPECIFIED);
    return grid;
}

// A borderless panel that only groups controls; hidden ones are shown by the option rules.
wxPanel* NewSubPanel(wxWindow* parent, bool shown = true)
{
    auto* panel = new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    if (!shown)
    {
        panel->Hide();
    }
    return panel;
}

// A section's panel: framed, shown only while its section is unfolded.
wxPanel* NewSectionPanel(wxWindow* parent, bool shown)
{
    auto* panel =
        new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_STATIC | wxTAB_TRAVERSAL);
    if (!shown)
    {
        panel->Hide();
    }
    return panel;
}

// Ends the filling of a panel: gives it its sizer, lays it out and fits the sizer to it.
void FinishPanel(wxWindow* panel, wxSizer* sizer)
{
    panel->SetSizer(sizer);
    panel->Layout();
    sizer->Fit(panel);
}

// A 0 by 0 spacer that takes a share of the row's spare width.
void AddStretch(wxSizer* sizer)
{
    sizer->Add(0, 0, 1, wxEXPAND | wxALIGN_CENTER_VERTICAL, kBorder);
}

} // namespace

MainFrameVRN::MainFrameVRN(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                           const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style)
{
    SetSizeHints(wxSize(500, 500), wxDefaultSize);
    auto* frameSizer = new wxBoxSizer(wxVERTICAL);

    m_mainPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                              wxCLIP_CHILDREN | wxFULL_REPAINT_ON_RESIZE | wxTAB_TRAVERSAL);
    m_mainPanel->SetMinSize(wxSize(-1, 600));
    m_mainPanelSizer = new wxBoxSizer(wxVERTICAL);
    auto* rowSizer = new wxBoxSizer(wxHORIZONTAL);

    m_optionsWindow = new wxScrolledWindow(m_mainPanel, wxID_ANY, wxDefaultPosition, wxSize(-1, -1),
                                           wxVSCROLL | wxTAB_TRAVERSAL);
    m_optionsWindow->SetScrollRate(5, 5);
    auto* optionsSizer = new wxBoxSizer(wxVERTICAL);
    BuildInputArea(optionsSizer);
    BuildProblemType(optionsSizer);
    BuildMainOptions(optionsSizer);
    BuildTimingSection(optionsSizer);
    BuildTolerancesSection(optionsSizer);
    BuildRepairSection(optionsSizer);
    BuildBcdSection(optionsSizer);
    BuildAdvancedSection(optionsSizer);
    FinishPanel(m_optionsWindow, optionsSizer);
    rowSizer->Add(m_optionsWindow, 0, wxEXPAND | wxALL, 5);

    BuildOutputArea(rowSizer);
    m_mainPanelSizer->Add(rowSizer, 1, wxEXPAND, 5);
    BuildButtonRow();
    FinishPanel(m_mainPanel, m_mainPanelSizer);

    frameSizer->Add(m_mainPanel, 1, wxEXPAND | wxALL, 0);
    SetSizer(frameSizer);
    Layout();
    m_statusBar = CreateStatusBar(1, 0, wxID_ANY);
    Centre(wxBOTH);

    for (const EventConnection& connection : EventConnections())
    {
        connection.control->Connect(connection.eventType, connection.handler, nullptr, this);
    }
}

MainFrameVRN::~MainFrameVRN()
{
    for (const EventConnection& connection : EventConnections())
    {
        connection.control->Disconnect(connection.eventType, connection.handler, nullptr, this);
    }
}

void MainFrameVRN::BuildInputArea(wxSizer* optionsSizer)
{
    auto* grid = new wxFlexGridSizer(0, 2, 0, 0);
    grid->AddGrowableCol(1);
    grid->SetFlexibleDirection(wxHORIZONTAL);
    grid->SetNonFlexibleGrowMode(wxFLEX_GROWMODE_ALL);

    m_instanceFileLabel = NewStaticText(m_optionsWindow, "Instance file", wxALIGN_CENTRE);
    grid->Add(m_instanceFileLabel, 0, kFieldCell, kBorder);
    m_instanceFilePicker =
        new wxFilePickerCtrl(m_optionsWindow, wxID_ANY, wxEmptyString, kSelectFile, kInstanceWildcard,
                             wxDefaultPosition, wxDefaultSize, kFilePickerStyle);
    grid->Add(m_instanceFilePicker, 0, kWideFieldCell, kBorder);

    m_outputFolderLabel = NewStaticText(m_optionsWindow, "Output folder", wxALIGN_CENTRE);
    grid->Add(m_outputFolderLabel, 0, kFieldCell, kBorder);
    m_outputFolderPicker = new wxDirPickerCtrl(m_optionsWindow, wxID_ANY, wxEmptyString, "Select a folder",
                                               wxDefaultPosition, wxDefaultSize, kDirPickerStyle);
    grid->Add(m_outputFolderPicker, 0, kWideFieldCell, kBorder);

    optionsSizer->Add(grid, 0, wxEXPAND | wxTOP | wxRIGHT | wxLEFT, kBorder);
}

void MainFrameVRN::BuildProblemType(wxSizer* optionsSizer)
{
    wxFlexGridSizer* grid = NewGrid(6);
    m_formulationLabel = AddLabel(grid, m_optionsWindow, "Type VRN");
    m_formulationChoice =
        AddChoice(grid, m_optionsWindow, {"Std VRN (better solutions)", "Fast VRN (better timing)"}, 0);
    m_integerCellsLabel = AddLabel(grid, m_optionsWindow, "Integer cells");
    m_integerCellsCheck = AddCheck(grid, m_optionsWindow, false);
    optionsSizer->Add(grid, 0, kSideFlags, kBorder);
}

void MainFrameVRN::BuildMainOptions(wxSizer* optionsSizer)
{
    wxFlexGridSizer* grid = NewGrid(6, true);
    m_solverLabel = AddLabel(grid, m_optionsWindow, "Solver");
    m_solverChoice = AddChoice(grid, m_optionsWindow, {"Cplex", "Xpress", "Glpk", "Cbc", "Symphony"}, 1);
    m_modelLabel = AddLabel(grid, m_optionsWindow, "Model");
    m_modelChoice = AddChoice(grid, m_optionsWindow, {"Automatic", "Classical", "New"}, 0);
    m_additiveLabel = AddLabel(grid, m_optionsWindow, "Additive");
    m_additiveCheck = AddCheck(grid, m_optionsWindow, true);
    m_formatLabel = AddLabel(grid, m_optionsWindow, "Format");
    m_formatChoice = AddChoice(grid, m_optionsWindow, {"Stop at first error", "Check all file"}, 0);
    m_scaleLabel = AddLabel(grid, m_optionsWindow, "Scale");
    m_scaleText = AddText(grid, m_optionsWindow, "Automatic", kTextLimit);
    m_checkLabel = AddLabel(grid, m_optionsWindow, "Check");
    m_checkCheck = AddCheck(grid, m_optionsWindow, true);
    optionsSizer->Add(grid, 0, kSideFlags, kBorder);

    m_progressPanel = NewSubPanel(m_optionsWindow);
    wxFlexGridSizer* progressGrid = NewGrid(6);
    m_progressLabel = AddLabel(progressGrid, m_progressPanel, "Progress");
    m_progressText = AddText(progressGrid, m_progressPanel, "Not show", kTextLimit);
    m_bigLabel = AddLabel(progressGrid, m_progressPanel, "Big");
    m_bigText = AddText(progressGrid, m_progressPanel, "Automatic", kTextLimit);
    FinishPanel(m_progressPanel, progressGrid);
    optionsSizer->Add(m_progressPanel, 0, kSideFlags, kBorder);

    m_lexminPanel = NewSubPanel(m_optionsWindow, false);
    wxFlexGridSizer* lexminGrid = NewGrid(6);
    m_lexminOrderLabel = AddLabel(lexminGrid, m_lexminPanel, "Lexmin order");
    m_lexminOrderText = AddText(lexminGrid, m_lexminPanel, "4-2-3-1", 7);
    m_pctBoundsLabel = AddLabel(lexminGrid, m_lexminPanel, "% cells bounds");
    m_pctBoundsText = AddText(lexminGrid, m_lexminPanel, "2", 4);
    FinishPanel(m_lexminPanel, lexminGrid);
    optionsSizer->Add(m_lexminPanel, 0, kSideFlags, kBorder);
}

wxStaticText* MainFrameVRN::AddSectionHeader(wxSizer* optionsSizer, const wxString& label)
{
    wxStaticText* header = NewStaticText(m_optionsWindow, label);
    optionsSizer->Add(header, 0, wxALL, kBorder);
    return header;
}

void MainFrameVRN::BuildTimingSection(wxSizer* optionsSizer)
{
    m_timingHeader = AddSectionHeader(optionsSizer, "- Timing / Stop controls");
    m_timingPanel = NewSectionPanel(m_optionsWindow, true);
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_timeLabel = AddLabel(sizer, m_timingPanel, "Time");
    m_timeText = AddText(sizer, m_timingPanel, "Unlimited", kTextLimit);

    m_firstPanel = NewSubPanel(m_timingPanel);
    wxFlexGridSizer* firstGrid = NewGrid(4);
    m_firstLabel = AddLabel(firstGrid, m_firstPanel, "Stop at first feasible solution");
    m_firstCheck = AddCheck(firstGrid, m_firstPanel, false);
    FinishPanel(m_firstPanel, firstGrid);
    sizer->Add(m_firstPanel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 0);

    // "5" and "%" carry no border where they meet, so they read as one value.
    m_gapPanel = NewSubPanel(m_timingPanel);
    wxFlexGridSizer* gapGrid = NewGrid(5);
    m_gapLabel = AddLabel(gapGrid, m_gapPanel, "Gap");
    m_gapText = NewText(m_gapPanel, "5", kTextLimit, wxSize(30, -1));
    gapGrid->Add(m_gapText, 0, wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM | wxLEFT, kBorder);
    m_gapUnitLabel = AddLabel(gapGrid, m_gapPanel, "%", wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM | wxRIGHT);
    FinishPanel(m_gapPanel, gapGrid);
    sizer->Add(m_gapPanel, 0, wxEXPAND | wxALIGN_CENTER_VERTICAL | wxALL, 0);

    m_lpTolerancePanel = NewSubPanel(m_timingPanel, false);
    wxFlexGridSizer* lpToleranceGrid = NewGrid(2);
    m_lpToleranceLabel = AddLabel(lpToleranceGrid, m_lpTolerancePanel, "LP optimality tolerance");
    m_lpToleranceText = AddText(lpToleranceGrid, m_lpTolerancePanel, "Automatic", kTextLimit);
    FinishPanel(m_lpTolerancePanel, lpToleranceGrid);
    sizer->Add(m_lpTolerancePanel, 0, wxEXPAND | wxALIGN_CENTER_VERTICAL | wxALL, 0);

    FinishPanel(m_timingPanel, sizer);
    optionsSizer->Add(m_timingPanel, 0, kSideFlags, 10);
}

void MainFrameVRN::BuildTolerancesSection(wxSizer* optionsSizer)
{
    m_tolerancesHeader = AddSectionHeader(optionsSizer, "+ Optimization tolerances");
    m_tolerancesPanel = NewSectionPanel(m_optionsWindow, false);
    auto* sizer = new wxBoxSizer(wxHORIZONTAL);
    m_feasibilityLabel = AddLabel(sizer, m_tolerancesPanel, "Feasibility tolerance");
    m_feasibilityText = AddText(sizer, m_tolerancesPanel, "1.0e-6", kTextLimit);

    m_integralityPanel = NewSubPanel(m_tolerancesPanel);
    wxFlexGridSizer* integralityGrid = NewGrid(4);
    m_integralityLabel = AddLabel(integralityGrid, m_integralityPanel, "Integrality");
    m_integralityText = AddText(integralityGrid, m_integralityPanel, "Automatic", kTextLimit);
    FinishPanel(m_integralityPanel, integralityGrid);
    sizer->Add(m_integralityPanel, 1, wxALL, 0);

    FinishPanel(m_tolerancesPanel, sizer);
    optionsSizer->Add(m_tolerancesPanel, 0, kSideFlags, 10);
}

void MainFrameVRN::BuildRepairSection(wxSizer* optionsSizer)
{
    m_repairHeader = AddSectionHeader(optionsSizer, "+ Repair infeasibility");
    m_repairPanel = NewSectionPanel(m_optionsWindow, false);
    wxFlexGridSizer* grid = NewGrid(2);
    grid->AddGrowableCol(1);
    m_repairLabel = AddLabel(grid, m_repairPanel, "Repair infeasibility");
    m_repairCheck = AddCheck(grid, m_repairPanel, false);
    m_repairFileLabel = AddLabel(grid, m_repairPanel, "File with information\nfor repair infeasibility");
    m_repairFilePicker = NewSmallFilePicker(m_repairPanel);
    grid->Add(m_repairFilePicker, 0, kWideFieldCell, kBorder);

    FinishPanel(m_repairPanel, grid);
    optionsSizer->Add(m_repairPanel, 0, kSideFlags, 10);
}

void MainFrameVRN::BuildBcdSection(wxSizer* optionsSizer)
{
    m_bcdHeader = AddSectionHeader(optionsSizer, "+ BCD");
    m_bcdPanel = NewSectionPanel(m_optionsWindow, false);
    auto* sizer = new wxBoxSizer(wxVERTICAL);

    wxFlexGridSizer* bcdGrid = NewGrid(4, true);
    m_bcdClustersLabel = AddLabel(bcdGrid, m_bcdPanel, "Number of clusters");
    m_bcdClustersText = AddText(bcdGrid, m_bcdPanel, "1", kTextLimit);
    m_bcdTimeLabel = AddLabel(bcdGrid, m_bcdPanel, "Cluster time");
    m_bcdTimeText = AddText(bcdGrid, m_bcdPanel, "Unlimited", kTextLimit);
    m_bcdObjFLabel = AddLabel(bcdGrid, m_bcdPanel, "Min obj fun");
    m_bcdObjFText = AddText(bcdGrid, m_bcdPanel, "Unlimited", kTextLimit);
    // The doubled ampersand shows as one: a single one would mark a mnemonic.
    m_bcdEndBcLabel = AddLabel(bcdGrid, m_bcdPanel, "Final B&&C time");
    m_bcdEndBcText = AddText(bcdGrid, m_bcdPanel, "Not perform", kTextLimit);
    m_bcdCycleLabel = AddLabel(bcdGrid, m_bcdPanel, "BCD cycles");
    m_bcdCycleChoice =
        AddChoice(bcdGrid, m_bcdPanel, {"One cycle", "Repeat same clusters", "Repeat changing clusters"}, 1);
    m_dynamicLabel = AddLabel(bcdGrid, m_bcdPanel, "Dynamic BCD");
    m_dynamicCheck = AddCheck(bcdGrid, m_bcdPanel, false);
    sizer->Add(bcdGrid, 0, wxEXPAND, kBorder);

    wxFlexGridSizer* dynamicGrid = NewGrid(2);
    m_dynSpropLabel = AddLabel(dynamicGrid, m_bcdPanel, "% sens cells to consider in dynamic bcd");
    m_dynSpropText = AddText(dynamicGrid, m_bcdPanel, "50", 3);
    m_dynPerturbLabel =
        AddLabel(dynamicGrid, m_bcdPanel, "% probability discard sens cells to be included in dyn bcd");
    m_dynPerturbText = AddText(dynamicGrid, m_bcdPanel, "50", 3);
    m_bcdNstopLabel =
        AddLabel(dynamicGrid, m_bcdPanel, "Executions without improving the solution before stopping");
    m_bcdNstopText = AddText(dynamicGrid, m_bcdPanel, "Adaptive", kTextLimit);
    sizer->Add(dynamicGrid, 1, wxEXPAND, kBorder);

    FinishPanel(m_bcdPanel, sizer);
    optionsSizer->Add(m_bcdPanel, 0, kSideFlags, 10);
}

void MainFrameVRN::BuildAdvancedSection(wxSizer* optionsSizer)
{
    m_advancedHeader = AddSectionHeader(optionsSizer, "+ Advanced optimization features");
    m_advancedPanel = NewSectionPanel(m_optionsWindow, false);
    auto* sizer = new wxBoxSizer(wxVERTICAL);

    wxFlexGridSizer* advancedGrid = NewGrid(6);
    // Preprocess sensitive is never offered; it stays hidden whatever the options.
    m_prepSensLabel = AddLabel(advancedGrid, m_advancedPanel, "Preprocess sensitive");
    m_prepSensLabel->Hide();
    m_prepSensCheck = AddCheck(advancedGrid, m_advancedPanel, false, false);
    m_writeLpLabel = AddLabel(advancedGrid, m_advancedPanel, "Write lp file");
    m_writeLpCheck = AddCheck(advancedGrid, m_advancedPanel, false);
    m_seedLabel = AddLabel(advancedGrid, m_advancedPanel, "Seed");
    m_seedText = AddText(advancedGrid, m_advancedPanel, "Automatic", kTextLimit);
    sizer->Add(advancedGrid, 0, wxEXPAND, kBorder);

    m_validInequalitiesPanel = NewSubPanel(m_advancedPanel);
    wxFlexGridSizer* validGrid = NewGrid(4);
    m_validInequalitiesLabel =
        AddLabel(validGrid, m_validInequalitiesPanel, "Valid inequalities", kFieldCell);
    m_validInequalitiesChoice = AddChoice(validGrid, m_validInequalitiesPanel, {"Yes", "No", "Check"}, 1);
    m_startingPointLabel = AddLabel(validGrid, m_validInequalitiesPanel, "Starting point");
    m_startingPointChoice = AddChoice(validGrid, m_validInequalitiesPanel, {"Compact", "Sat", "No"}, 2);
    FinishPanel(m_validInequalitiesPanel, validGrid);
    sizer->Add(m_validInequalitiesPanel, 0, wxEXPAND | wxALL, 0);

    m_fixDirPanel = NewSubPanel(m_advancedPanel, false);
    auto* fixDirSizer = new wxBoxSizer(wxVERTICAL);
    wxFlexGridSizer* directionsGrid = NewGrid(4, true);
    m_fixDirLabel = AddLabel(directionsGrid, m_fixDirPanel, "How to fix cells directions");
    m_fixDirChoice = AddChoice(directionsGrid, m_fixDirPanel, {"Random", "File", "SAT"}, 2);
    m_epsFLabel = AddLabel(directionsGrid, m_fixDirPanel, "epsF");
    m_epsFText = AddText(directionsGrid, m_fixDirPanel, "1.0e-4", kNoLimit);
    m_expObjLabel = AddLabel(directionsGrid, m_fixDirPanel, "Exponent for objective");
    m_expObjText = AddText(directionsGrid, m_fixDirPanel, "0.5", kNoLimit);
    m_epsRhsLabel = AddLabel(directionsGrid, m_fixDirPanel, "epsrhs");
    m_epsRhsText = AddText(directionsGrid, m_fixDirPanel, "0", kNoLimit);
    fixDirSizer->Add(directionsGrid, 0, wxEXPAND, kBorder);
    auto* directionsFileRow = new wxBoxSizer(wxHORIZONTAL);
    m_fixDirFileLabel = AddLabel(directionsFileRow, m_fixDirPanel, "File with cells directions");
    m_fixDirFilePicker = NewSmallFilePicker(m_fixDirPanel);
    directionsFileRow->Add(m_fixDirFilePicker, 1, wxALIGN_CENTER_VERTICAL | wxALL, kBorder);
    fixDirSizer->Add(directionsFileRow, 0, wxEXPAND, 0);
    FinishPanel(m_fixDirPanel, fixDirSizer);
    sizer->Add(m_fixDirPanel, 0, wxEXPAND | wxALL, 0);

    m_solverParamsPanel = NewSubPanel(m_advancedPanel);
    wxFlexGridSizer* paramsGrid = NewGrid(4, true);
    m_mipEmphasisLabel = AddLabel(paramsGrid, m_solverParamsPanel, "Mipemphasis (only Cplex)");
    m_mipEmphasisChoice = AddChoice(paramsGrid, m_solverParamsPanel, {"0 (balanced)", "1", "2", "3", "4"}, 0);
    m_emphasisLabel = AddLabel(paramsGrid, m_solverParamsPanel, "Emphasis (only Xpress)");
    m_emphasisChoice =
        AddChoice(paramsGrid, m_solverParamsPanel, {"-1", "0 (quality)", "1", "2", "3 (speed)"}, 0);
    m_varSelLabel = AddLabel(paramsGrid, m_solverParamsPanel, "Variable selection criteria");
    m_varSelChoice = AddChoice(paramsGrid, m_solverParamsPanel, {"-1", "0", "1", "2", "3", "4"}, 1);
    m_intDevTolLabel = AddLabel(paramsGrid, m_solverParamsPanel, "Int. dev. tolerance");
    m_intDevTolText = AddText(paramsGrid, m_solverParamsPanel, "0", kNoLimit);
    FinishPanel(m_solverParamsPanel, paramsGrid);
    sizer->Add(m_solverParamsPanel, 0, wxEXPAND | wxALL, 0);

    m_methodPanel = NewSubPanel(m_advancedPanel, false);
    wxFlexGridSizer* methodGrid = NewGrid(4);
    m_methodLabel = AddLabel(methodGrid, m_methodPanel, "Method");
    m_methodChoice = AddChoice(methodGrid, m_methodPanel, {"Barrier", "Simplex"}, 0);
    m_crossoverLabel = AddLabel(methodGrid, m_methodPanel, "Crossover");
    m_crossoverCheck = AddCheck(methodGrid, m_methodPanel, true);
    FinishPanel(m_methodPanel, methodGrid);
    sizer->Add(m_methodPanel, 1, wxEXPAND | wxALL, 0);

    FinishPanel(m_advancedPanel, sizer);
    optionsSizer->Add(m_advancedPanel, 0, kSideFlags, 10);
}

void MainFrameVRN::BuildOutputArea(wxSizer* rowSizer)
{
    auto* outputSizer = new wxBoxSizer(wxVERTICAL);
    m_outputText = new wxTextCtrl(m_mainPanel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  wxTE_RICH2 | wxTE_RICH | wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
    // Fixed pitch, so that the back-end's tables line up.
    m_outputText->SetFont(wxFont(wxNORMAL_FONT->GetPointSize(), wxFONTFAMILY_TELETYPE, wxFONTSTYLE_NORMAL,
                                 wxFONTWEIGHT_NORMAL, false, wxEmptyString));
    m_outputText->SetMinSize(wxSize(-1, 100));
    outputSizer->Add(m_outputText, 1, wxEXPAND | wxALL, kBorder);

    auto* inputSizer = new wxBoxSizer(wxHORIZONTAL);
    m_inputLabel = NewStaticText(m_mainPanel, "Input");
    inputSizer->Add(m_inputLabel, 0, kFieldCell, kBorder);
    // Enter in this field sends the typed line to the back-end; without wxTE_PROCESS_ENTER the
    // text-enter connection is refused.
    m_inputText = new wxTextCtrl(m_mainPanel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                 wxTE_RICH2 | wxTE_PROCESS_ENTER | wxTE_RICH | wxTE_WORDWRAP);
    inputSizer->Add(m_inputText, 0, kFieldCell, kBorder);
    outputSizer->Add(inputSizer, 0, 0, kBorder);

    rowSizer->Add(outputSizer, 1, wxEXPAND, kBorder);
}

void MainFrameVRN::BuildButtonRow()
{
    auto* buttonSizer = new wxBoxSizer(wxHORIZONTAL);
    const auto addButton = [this, buttonSizer](const wxString& label, bool shown)
    {
        auto* button = new wxButton(m_mainPanel, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0);
        if (!shown)
        {
            button->Hide();
        }
        buttonSizer->Add(button, 0, kFieldCell, kBorder);
        return button;
    };

    m_showHideButton = addButton("Hide options", true);
    m_aboutButton = addButton("About", true);
    AddStretch(buttonSizer);
    m_progressGauge =
        new wxGauge(m_mainPanel, wxID_ANY, 100, wxDefaultPosition, wxDefaultSize, wxGA_HORIZONTAL);
    m_progressGauge->SetValue(0);
    buttonSizer->Add(m_progressGauge, 0, kFieldCell, kBorder);
    AddStretch(buttonSizer);
    // The result buttons appear once a run has ended.
    m_showLogButton = addButton("Show log", false);
    m_showSolutionButton = addButton("Show solution", false);
    m_clearOutputButton = addButton("Clear output", false);
    m_startButton = addButton("Start optimization", true);

    m_mainPanelSizer->Add(buttonSizer, 0, wxEXPAND, kBorder);
}

std::vector<MainFrameVRN::EventConnection> MainFrameVRN::EventConnections() const
{
    using Frame = MainFrameVRN;
    std::vector<EventConnection> list;
    list.reserve(202);

    const auto add = [&list](wxWindow* control, wxEventType type, wxObjectEventFunction handler) {
        list.push_back({control, type, handler});
    };
    // Enter and leave reach only the window under the pointer, so an option's caption and its
    // field each carry both: enter shows the option's help, leave clears it.
    const auto hover = [&add](wxWindow* control, wxObjectEventFunction onEnter)
    {
        add(control, wxEVT_ENTER_WINDOW, onEnter);
        add(control, wxEVT_LEAVE_WINDOW, wxMouseEventHandler(Frame::OnLeaveWindow));
    };
    const auto option = [&hover](wxWindow* caption, wxWindow* field, wxObjectEventFunction onEnter)
    {
        hover(caption, onEnter);
        hover(field, onEnter);
    };

    // In creation order: per control its command event, then enter, then leave.
    option(m_instanceFileLabel, m_instanceFilePicker, wxMouseEventHandler(Frame::OnEnterInstanceFile));
    option(m_outputFolderLabel, m_outputFolderPicker, wxMouseEventHandler(Frame::OnEnterOutputFolder));
    hover(m_formulationLabel, wxMouseEventHandler(Frame::OnEnterFormulation));
    add(m_formulationChoice, wxEVT_COMMAND_CHOICE_SELECTED, wxCommandEventHandler(Frame::OnOptionChanged));
    hover(m_formulationChoice, wxMouseEventHandler(Frame::OnEnterFormulation));
    hover(m_integerCellsLabel, wxMouseEventHandler(Frame::OnEnterIntegerCells));
    add(m_integerCellsCheck, wxEVT_COMMAND_CHECKBOX_CLICKED, wxCommandEventHandler(Frame::OnOptionChanged));
    hover(m_integerCellsCheck, wxMouseEventHandler(Frame::OnEnterIntegerCells));
    option(m_solverLabel, m_solverChoice, wxMouseEventHandler(Frame::OnEnterSolver));
    option(m_modelLabel, m_modelChoice, wxMouseEventHandler(Frame::OnEnterModel));
    option(m_additiveLabel, m_additiveCheck, wxMouseEventHandler(Frame::OnEnterAdditive));
    option(m_formatLabel, m_formatChoice, wxMouseEventHandler(Frame::OnEnterFormat));
    option(m_scaleLabel, m_scaleText, wxMouseEventHandler(Frame::OnEnterScale));
    option(m_checkLabel, m_checkCheck, wxMouseEventHandler(Frame::OnEnterCheck));
    option(m_progressLabel, m_progressText, wxMouseEventHandler(Frame::OnEnterProgress));
    option(m_bigLabel, m_bigText, wxMouseEventHandler(Frame::OnEnterBig));
    option(m_lexminOrderLabel, m_lexminOrderText, wxMouseEventHandler(Frame::OnEnterLexminOrder));
    option(m_pctBoundsLabel, m_pctBoundsText, wxMouseEventHandler(Frame::OnEnterPctBounds));

    add(m_timingHeader, wxEVT_LEFT_DOWN, wxMouseEventHandler(Frame::OnToggleTimingSection));
    option(m_timeLabel, m_timeText, wxMouseEventHandler(Frame::OnEnterTime));
    option(m_firstLabel, m_firstCheck, wxMouseEventHandler(Frame::OnEnterFirst));
    option(m_gapLabel, m_gapText, wxMouseEventHandler(Frame::OnEnterGap));
    option(m_lpToleranceLabel, m_lpToleranceText, wxMouseEventHandler(Frame::OnEnterLpTolerance));

    add(m_tolerancesHeader, wxEVT_LEFT_DOWN, wxMouseEventHandler(Frame::OnToggleTolerancesSection));
    option(m_feasibilityLabel, m_feasibilityText, wxMouseEventHandler(Frame::OnEnterFeasibility));
    option(m_integralityLabel, m_integralityText, wxMouseEventHandler(Frame::OnEnterIntegrality));

    add(m_repairHeader, wxEVT_LEFT_DOWN, wxMouseEventHandler(Frame::OnToggleRepairSection));
    option(m_repairLabel, m_repairCheck, wxMouseEventHandler(Frame::OnEnterRepair));
    option(m_repairFileLabel, m_repairFilePicker, wxMouseEventHandler(Frame::OnEnterRepairFile));

    add(m_bcdHeader, wxEVT_LEFT_DOWN, wxMouseEventHandler(Frame::OnToggleBcdSection));
    option(m_bcdClustersLabel, m_bcdClustersText, wxMouseEventHandler(Frame::OnEnterBcdClusters));
    option(m_bcdTimeLabel, m_bcdTimeText, wxMouseEventHandler(Frame::OnEnterBcdTime));
    option(m_bcdObjFLabel, m_bcdObjFText, wxMouseEventHandler(Frame::OnEnterBcdObjF));
    option(m_bcdEndBcLabel, m_bcdEndBcText, wxMouseEventHandler(Frame::OnEnterBcdEndBc));
    option(m_bcdCycleLabel, m_bcdCycleChoice, wxMouseEventHandler(Frame::OnEnterBcdCycle));
    option(m_dynamicLabel, m_dynamicCheck, wxMouseEventHandler(Frame::OnEnterDynamic));
    option(m_dynSpropLabel, m_dynSpropText, wxMouseEventHandler(Frame::OnEnterDynSprop));
    option(m_dynPerturbLabel, m_dynPerturbText, wxMouseEventHandler(Frame::OnEnterDynPerturb));
    option(m_bcdNstopLabel, m_bcdNstopText, wxMouseEventHandler(Frame::OnEnterBcdNstop));

    add(m_advancedHeader, wxEVT_LEFT_DOWN, wxMouseEventHandler(Frame::OnToggleAdvancedSection));
    option(m_prepSensLabel, m_prepSensCheck, wxMouseEventHandler(Frame::OnEnterPrepSens));
    option(m_writeLpLabel, m_writeLpCheck, wxMouseEventHandler(Frame::OnEnterWriteLp));
    option(m_seedLabel, m_seedText, wxMouseEventHandler(Frame::OnEnterSeed));
    option(m_validInequalitiesLabel, m_validInequalitiesChoice,
           wxMouseEventHandler(Frame::OnEnterValidInequalities));
    option(m_startingPointLabel, m_startingPointChoice, wxMouseEventHandler(Frame::OnEnterStartingPoint));
    option(m_fixDirLabel, m_fixDirChoice, wxMouseEventHandler(Frame::OnEnterFixDir));
    option(m_epsFLabel, m_epsFText, wxMouseEventHandler(Frame::OnEnterEpsF));
    option(m_expObjLabel, m_expObjText, wxMouseEventHandler(Frame::OnEnterExpObj));
    option(m_epsRhsLabel, m_epsRhsText, wxMouseEventHandler(Frame::OnEnterEpsRhs));
    option(m_fixDirFileLabel, m_fixDirFilePicker, wxMouseEventHandler(Frame::OnEnterFixDirFile));
    option(m_mipEmphasisLabel, m_mipEmphasisChoice, wxMouseEventHandler(Frame::OnEnterMipEmphasis));
    option(m_emphasisLabel, m_emphasisChoice, wxMouseEventHandler(Frame::OnEnterEmphasis));
    option(m_varSelLabel, m_varSelChoice, wxMouseEventHandler(Frame::OnEnterVarSel));
    option(m_intDevTolLabel, m_intDevTolText, wxMouseEventHandler(Frame::OnEnterIntDevTol));
    option(m_methodLabel, m_methodChoice, wxMouseEventHandler(Frame::OnEnterMethod));
    option(m_crossoverLabel, m_crossoverCheck, wxMouseEventHandler(Frame::OnEnterCrossover));

    // Typed input and the button row come last.
    add(m_inputText, wxEVT_COMMAND_TEXT_ENTER, wxCommandEventHandler(Frame::OnInputEnter));
    add(m_showHideButton, wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(Frame::OnShowHideOptions));
    add(m_aboutButton, wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(Frame::OnAbout));
    add(m_showLogButton, wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(Frame::OnShowLog));
    add(m_showSolutionButton, wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(Frame::OnShowSolution));
    add(m_clearOutputButton, wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(Frame::OnClearOutput));
    add(m_startButton, wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(Frame::OnStartStop));
    return list;
}

namespace
{

MainFrameVRN::NamedControl Named(const char* memberName, wxObject* control)
{
    return {memberName, control};
}

} // namespace

std::vector<MainFrameVRN::NamedControl> MainFrameVRN::NamedControls() const
{
// The name is spelt by the compiler from the member itself, so the two cannot drift apart.
#define VRN_NAMED(member) Named(#member, member)
    return {
        VRN_NAMED(m_mainPanel),
        VRN_NAMED(m_optionsWindow),
        VRN_NAMED(m_instanceFileLabel),
        VRN_NAMED(m_instanceFilePicker),
        VRN_NAMED(m_outputFolderLabel),
        VRN_NAMED(m_outputFolderPicker),
        VRN_NAMED(m_formulationLabel),
        VRN_NAMED(m_formulationChoice),
        VRN_NAMED(m_integerCellsLabel),
        VRN_NAMED(m_integerCellsCheck),
        VRN_NAMED(m_solverLabel),
        VRN_NAMED(m_solverChoice),
        VRN_NAMED(m_modelLabel),
        VRN_NAMED(m_modelChoice),
        VRN_NAMED(m_additiveLabel),
        VRN_NAMED(m_additiveCheck),
        VRN_NAMED(m_formatLabel),
        VRN_NAMED(m_formatChoice),
        VRN_NAMED(m_scaleLabel),
        VRN_NAMED(m_scaleText),
        VRN_NAMED(m_checkLabel),
        VRN_NAMED(m_checkCheck),
        VRN_NAMED(m_progressPanel),
        VRN_NAMED(m_progressLabel),
        VRN_NAMED(m_progressText),
        VRN_NAMED(m_bigLabel),
        VRN_NAMED(m_bigText),
        VRN_NAMED(m_lexminPanel),
        VRN_NAMED(m_lexminOrderLabel),
        VRN_NAMED(m_lexminOrderText),
        VRN_NAMED(m_pctBoundsLabel),
        VRN_NAMED(m_pctBoundsText),
        VRN_NAMED(m_timingHeader),
        VRN_NAMED(m_timingPanel),
        VRN_NAMED(m_timeLabel),
        VRN_NAMED(m_timeText),
        VRN_NAMED(m_firstPanel),
        VRN_NAMED(m_firstLabel),
        VRN_NAMED(m_firstCheck),
        VRN_NAMED(m_gapPanel),
        VRN_NAMED(m_gapLabel),
        VRN_NAMED(m_gapText),
        VRN_NAMED(m_gapUnitLabel),
        VRN_NAMED(m_lpTolerancePanel),
        VRN_NAMED(m_lpToleranceLabel),
        VRN_NAMED(m_lpToleranceText),
        VRN_NAMED(m_tolerancesHeader),
        VRN_NAMED(m_tolerancesPanel),
        VRN_NAMED(m_feasibilityLabel),
        VRN_NAMED(m_feasibilityText),
        VRN_NAMED(m_integralityPanel),
        VRN_NAMED(m_integralityLabel),
        VRN_NAMED(m_integralityText),
        VRN_NAMED(m_repairHeader),
        VRN_NAMED(m_repairPanel),
        VRN_NAMED(m_repairLabel),
        VRN_NAMED(m_repairCheck),
        VRN_NAMED(m_repairFileLabel),
        VRN_NAMED(m_repairFilePicker),
        VRN_NAMED(m_bcdHeader),
        VRN_NAMED(m_bcdPanel),
        VRN_NAMED(m_bcdClustersLabel),
        VRN_NAMED(m_bcdClustersText),
        VRN_NAMED(m_bcdTimeLabel),
        VRN_NAMED(m_bcdTimeText),
        VRN_NAMED(m_bcdObjFLabel),
        VRN_NAMED(m_bcdObjFText),
        VRN_NAMED(m_bcdEndBcLabel),
        VRN_NAMED(m_bcdEndBcText),
        VRN_NAMED(m_bcdCycleLabel),
        VRN_NAMED(m_bcdCycleChoice),
        VRN_NAMED(m_dynamicLabel),
        VRN_NAMED(m_dynamicCheck),
        VRN_NAMED(m_dynSpropLabel),
        VRN_NAMED(m_dynSpropText),
        VRN_NAMED(m_dynPerturbLabel),
        VRN_NAMED(m_dynPerturbText),
        VRN_NAMED(m_bcdNstopLabel),
        VRN_NAMED(m_bcdNstopText),
        VRN_NAMED(m_advancedHeader),
        VRN_NAMED(m_advancedPanel),
        VRN_NAMED(m_prepSensLabel),
        VRN_NAMED(m_prepSensCheck),
        VRN_NAMED(m_writeLpLabel),
        VRN_NAMED(m_writeLpCheck),
        VRN_NAMED(m_seedLabel),
        VRN_NAMED(m_seedText),
        VRN_NAMED(m_validInequalitiesPanel),
        VRN_NAMED(m_validInequalitiesLabel),
        VRN_NAMED(m_validInequalitiesChoice),
        VRN_NAMED(m_startingPointLabel),
        VRN_NAMED(m_startingPointChoice),
        VRN_NAMED(m_fixDirPanel),
        VRN_NAMED(m_fixDirLabel),
        VRN_NAMED(m_fixDirChoice),
        VRN_NAMED(m_epsFLabel),
        VRN_NAMED(m_epsFText),
        VRN_NAMED(m_expObjLabel),
        VRN_NAMED(m_expObjText),
        VRN_NAMED(m_epsRhsLabel),
        VRN_NAMED(m_epsRhsText),
        VRN_NAMED(m_fixDirFileLabel),
        VRN_NAMED(m_fixDirFilePicker),
        VRN_NAMED(m_solverParamsPanel),
        VRN_NAMED(m_mipEmphasisLabel),
        VRN_NAMED(m_mipEmphasisChoice),
        VRN_NAMED(m_emphasisLabel),
        VRN_NAMED(m_emphasisChoice),
        VRN_NAMED(m_varSelLabel),
        VRN_NAMED(m_varSelChoice),
        VRN_NAMED(m_intDevTolLabel),
        VRN_NAMED(m_intDevTolText),
        VRN_NAMED(m_methodPanel),
        VRN_NAMED(m_methodLabel),
        VRN_NAMED(m_methodChoice),
        VRN_NAMED(m_crossoverLabel),
        VRN_NAMED(m_crossoverCheck),
        VRN_NAMED(m_outputText),
        VRN_NAMED(m_inputLabel),
        VRN_NAMED(m_inputText),
        VRN_NAMED(m_showHideButton),
        VRN_NAMED(m_aboutButton),
        VRN_NAMED(m_progressGauge),
        VRN_NAMED(m_showLogButton),
        VRN_NAMED(m_showSolutionButton),
        VRN_NAMED(m_clearOutputButton),
        VRN_NAMED(m_startButton),
        VRN_NAMED(m_statusBar),
        VRN_NAMED(m_mainPanelSizer),
    };
#undef VRN_NAMED
}
