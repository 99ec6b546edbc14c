#include "probe_frame.h"

#include "gui_test_main.h"
#include "main_frame_driver.h"

#include <wx/app.h>
#include <wx/toplevel.h>

namespace vrn::test
{

namespace
{

constexpr Cell kLabelCell{0, wxALIGN_CENTER_VERTICAL | wxALIGN_RIGHT | wxALL, 5};
constexpr Cell kFieldCell{0, wxALIGN_CENTER_VERTICAL | wxALL, 5};
constexpr Cell kWideFieldCell{0, wxEXPAND | wxALIGN_CENTER_VERTICAL | wxALL, 5};
constexpr Cell kSubPanelCell{0, wxEXPAND | wxLEFT | wxRIGHT, 5};
constexpr Cell kHeaderCell{0, wxALL, 5};
constexpr Cell kSectionPanelCell{0, wxEXPAND | wxLEFT | wxRIGHT, 10};
constexpr Cell kFlushCell{0, wxEXPAND | wxALL, 0};
constexpr int kNoState = -1;

// Collects rows under the parent window most recently named with Under().
class TableBuilder
{
public:
    void Under(wxWindow* parent) { m_parent = parent; }

    void Panel(wxWindow* w, const char* name, Cell cell, bool shown = true)
    {
        Add(w, name, Kind::Panel, "", kNoState, kNoLimit, shown, cell);
    }
    void Label(wxWindow* w, const char* name, const wxString& label, Cell cell = kLabelCell,
               bool shown = true)
    {
        Add(w, name, Kind::StaticText, label, kNoState, kNoLimit, shown, cell);
    }
    void Text(wxWindow* w, const char* name, const wxString& value, int maxLength, Cell cell = kFieldCell)
    {
        Add(w, name, Kind::TextCtrl, value, kNoState, maxLength, true, cell);
    }
    void Choice(wxWindow* w, const char* name, const wxString& items, int selection)
    {
        Add(w, name, Kind::Choice, items, selection, kNoLimit, true, kFieldCell);
    }
    void Check(wxWindow* w, const char* name, bool checked, bool shown = true)
    {
        Add(w, name, Kind::CheckBox, "", checked ? 1 : 0, kNoLimit, shown, kFieldCell);
    }
    void Button(wxWindow* w, const char* name, const wxString& label, bool shown)
    {
        Add(w, name, Kind::Button, label, kNoState, kNoLimit, shown, kFieldCell);
    }
    void Add(wxWindow* w, const char* name, Kind kind, const wxString& text, int state, int maxLength,
             bool shown, std::optional<Cell> cell)
    {
        rows.push_back({w, name, kind, m_parent, text, state, maxLength, shown, cell});
    }

    std::vector<ControlRow> rows;

private:
    wxWindow* m_parent = nullptr;
};

} // namespace

ProbeFrame::ProbeFrame() : MainFrameVRN(nullptr, wxID_ANY, "VRN - test", wxDefaultPosition, wxSize(1100, 750))
{
}

// The window's control table, creation order.
std::vector<ControlRow> ProbeFrame::ControlRows() const
{
#define M(member) member, #member
    TableBuilder t;
    t.Under(const_cast<ProbeFrame*>(this));
    t.Panel(M(m_mainPanel), {1, wxEXPAND | wxALL, 0});
    t.Under(m_mainPanel);
    t.Add(M(m_optionsWindow), Kind::ScrolledWindow, "", kNoState, kNoLimit, true,
          Cell{0, wxEXPAND | wxALL, 5});

    t.Under(m_optionsWindow);
    t.Label(M(m_instanceFileLabel), "Instance file", kFieldCell);
    t.Add(M(m_instanceFilePicker), Kind::FilePicker, "", kNoState, kNoLimit, true, kWideFieldCell);
    t.Label(M(m_outputFolderLabel), "Output folder", kFieldCell);
    t.Add(M(m_outputFolderPicker), Kind::DirPicker, "", kNoState, kNoLimit, true, kWideFieldCell);
    t.Label(M(m_formulationLabel), "Type VRN");
    t.Choice(M(m_formulationChoice), "Std VRN (better solutions)|Fast VRN (better timing)", 0);
    t.Label(M(m_integerCellsLabel), "Integer cells");
    t.Check(M(m_integerCellsCheck), false);
    t.Label(M(m_solverLabel), "Solver");
    t.Choice(M(m_solverChoice), "Cplex|Xpress|Glpk|Cbc|Symphony", 1);
    t.Label(M(m_modelLabel), "Model");
    t.Choice(M(m_modelChoice), "Automatic|Classical|New", 0);
    t.Label(M(m_additiveLabel), "Additive");
    t.Check(M(m_additiveCheck), true);
    t.Label(M(m_formatLabel), "Format");
    t.Choice(M(m_formatChoice), "Stop at first error|Check all file", 0);
    t.Label(M(m_scaleLabel), "Scale");
    t.Text(M(m_scaleText), "Automatic", 10);
    t.Label(M(m_checkLabel), "Check");
    t.Check(M(m_checkCheck), true);
    t.Panel(M(m_progressPanel), kSubPanelCell);
    t.Under(m_progressPanel);
    t.Label(M(m_progressLabel), "Progress");
    t.Text(M(m_progressText), "Not show", 10);
    t.Label(M(m_bigLabel), "Big");
    t.Text(M(m_bigText), "Automatic", 10);
    t.Under(m_optionsWindow);
    t.Panel(M(m_lexminPanel), kSubPanelCell, false);
    t.Under(m_lexminPanel);
    t.Label(M(m_lexminOrderLabel), "Lexmin order");
    t.Text(M(m_lexminOrderText), "4-2-3-1", 7);
    t.Label(M(m_pctBoundsLabel), "% cells bounds");
    t.Text(M(m_pctBoundsText), "2", 4);

    t.Under(m_optionsWindow);
    t.Label(M(m_timingHeader), "- Timing / Stop controls", kHeaderCell);
    t.Panel(M(m_timingPanel), kSectionPanelCell);
    t.Under(m_timingPanel);
    t.Label(M(m_timeLabel), "Time");
    t.Text(M(m_timeText), "Unlimited", 10);
    t.Panel(M(m_firstPanel), {0, wxALIGN_CENTER_VERTICAL | wxALL, 0});
    t.Under(m_firstPanel);
    t.Label(M(m_firstLabel), "Stop at first feasible solution");
    t.Check(M(m_firstCheck), false);
    t.Under(m_timingPanel);
    t.Panel(M(m_gapPanel), {0, wxEXPAND | wxALIGN_CENTER_VERTICAL | wxALL, 0});
    t.Under(m_gapPanel);
    t.Label(M(m_gapLabel), "Gap");
    t.Text(M(m_gapText), "5", 10, {0, wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM | wxLEFT, 5});
    t.Label(M(m_gapUnitLabel), "%", {0, wxALIGN_CENTER_VERTICAL | wxTOP | wxBOTTOM | wxRIGHT, 5});
    t.Under(m_timingPanel);
    t.Panel(M(m_lpTolerancePanel), {0, wxEXPAND | wxALIGN_CENTER_VERTICAL | wxALL, 0}, false);
    t.Under(m_lpTolerancePanel);
    t.Label(M(m_lpToleranceLabel), "LP optimality tolerance");
    t.Text(M(m_lpToleranceText), "Automatic", 10);

    t.Under(m_optionsWindow);
    t.Label(M(m_tolerancesHeader), "+ Optimization tolerances", kHeaderCell);
    t.Panel(M(m_tolerancesPanel), kSectionPanelCell, false);
    t.Under(m_tolerancesPanel);
    t.Label(M(m_feasibilityLabel), "Feasibility tolerance");
    t.Text(M(m_feasibilityText), "1.0e-6", 10);
    t.Panel(M(m_integralityPanel), {1, wxALL, 0});
    t.Under(m_integralityPanel);
    t.Label(M(m_integralityLabel), "Integrality");
    t.Text(M(m_integralityText), "Automatic", 10);

    t.Under(m_optionsWindow);
    t.Label(M(m_repairHeader), "+ Repair infeasibility", kHeaderCell);
    t.Panel(M(m_repairPanel), kSectionPanelCell, false);
    t.Under(m_repairPanel);
    t.Label(M(m_repairLabel), "Repair infeasibility");
    t.Check(M(m_repairCheck), false);
    t.Label(M(m_repairFileLabel), "File with information\nfor repair infeasibility");
    t.Add(M(m_repairFilePicker), Kind::FilePicker, "", kNoState, kNoLimit, true, kWideFieldCell);

    t.Under(m_optionsWindow);
    t.Label(M(m_bcdHeader), "+ BCD", kHeaderCell);
    t.Panel(M(m_bcdPanel), kSectionPanelCell, false);
    t.Under(m_bcdPanel);
    t.Label(M(m_bcdClustersLabel), "Number of clusters");
    t.Text(M(m_bcdClustersText), "1", 10);
    t.Label(M(m_bcdTimeLabel), "Cluster time");
    t.Text(M(m_bcdTimeText), "Unlimited", 10);
    t.Label(M(m_bcdObjFLabel), "Min obj fun");
    t.Text(M(m_bcdObjFText), "Unlimited", 10);
    t.Label(M(m_bcdEndBcLabel), "Final B&&C time");
    // Limit 10, but GTK would cut "Not perform" to fit: the field keeps room for its own word.
    t.Text(M(m_bcdEndBcText), "Not perform", 11);
    t.Label(M(m_bcdCycleLabel), "BCD cycles");
    t.Choice(M(m_bcdCycleChoice), "One cycle|Repeat same clusters|Repeat changing clusters", 1);
    t.Label(M(m_dynamicLabel), "Dynamic BCD");
    t.Check(M(m_dynamicCheck), false);
    t.Label(M(m_dynSpropLabel), "% sens cells to consider in dynamic bcd");
    t.Text(M(m_dynSpropText), "50", 3);
    t.Label(M(m_dynPerturbLabel), "% probability discard sens cells to be included in dyn bcd");
    t.Text(M(m_dynPerturbText), "50", 3);
    t.Label(M(m_bcdNstopLabel), "Executions without improving the solution before stopping");
    t.Text(M(m_bcdNstopText), "Adaptive", 10);

    t.Under(m_optionsWindow);
    t.Label(M(m_advancedHeader), "+ Advanced optimization features", kHeaderCell);
    t.Panel(M(m_advancedPanel), kSectionPanelCell, false);
    t.Under(m_advancedPanel);
    t.Label(M(m_prepSensLabel), "Preprocess sensitive", kLabelCell, false);
    t.Check(M(m_prepSensCheck), false, false);
    t.Label(M(m_writeLpLabel), "Write lp file");
    t.Check(M(m_writeLpCheck), false);
    t.Label(M(m_seedLabel), "Seed");
    t.Text(M(m_seedText), "Automatic", 10);
    t.Panel(M(m_validInequalitiesPanel), kFlushCell);
    t.Under(m_validInequalitiesPanel);
    t.Label(M(m_validInequalitiesLabel), "Valid inequalities", kFieldCell);
    t.Choice(M(m_validInequalitiesChoice), "Yes|No|Check", 1);
    t.Label(M(m_startingPointLabel), "Starting point");
    t.Choice(M(m_startingPointChoice), "Compact|Sat|No", 2);
    t.Under(m_advancedPanel);
    t.Panel(M(m_fixDirPanel), kFlushCell, false);
    t.Under(m_fixDirPanel);
    t.Label(M(m_fixDirLabel), "How to fix cells directions");
    t.Choice(M(m_fixDirChoice), "Random|File|SAT", 2);
    t.Label(M(m_epsFLabel), "epsF");
    t.Text(M(m_epsFText), "1.0e-4", kNoLimit);
    t.Label(M(m_expObjLabel), "Exponent for objective");
    t.Text(M(m_expObjText), "0.5", kNoLimit);
    t.Label(M(m_epsRhsLabel), "epsrhs");
    t.Text(M(m_epsRhsText), "0", kNoLimit);
    t.Label(M(m_fixDirFileLabel), "File with cells directions");
    t.Add(M(m_fixDirFilePicker), Kind::FilePicker, "", kNoState, kNoLimit, true,
          Cell{1, wxALIGN_CENTER_VERTICAL | wxALL, 5});
    t.Under(m_advancedPanel);
    t.Panel(M(m_solverParamsPanel), kFlushCell);
    t.Under(m_solverParamsPanel);
    t.Label(M(m_mipEmphasisLabel), "Mipemphasis (only Cplex)");
    t.Choice(M(m_mipEmphasisChoice), "0 (balanced)|1|2|3|4", 0);
    t.Label(M(m_emphasisLabel), "Emphasis (only Xpress)");
    t.Choice(M(m_emphasisChoice), "-1|0 (quality)|1|2|3 (speed)", 0);
    t.Label(M(m_varSelLabel), "Variable selection criteria");
    t.Choice(M(m_varSelChoice), "-1|0|1|2|3|4", 1);
    t.Label(M(m_intDevTolLabel), "Int. dev. tolerance");
    t.Text(M(m_intDevTolText), "0", kNoLimit);
    t.Under(m_advancedPanel);
    t.Panel(M(m_methodPanel), {1, wxEXPAND | wxALL, 0}, false);
    t.Under(m_methodPanel);
    t.Label(M(m_methodLabel), "Method");
    t.Choice(M(m_methodChoice), "Barrier|Simplex", 0);
    t.Label(M(m_crossoverLabel), "Crossover");
    t.Check(M(m_crossoverCheck), true);

    t.Under(m_mainPanel);
    t.Text(M(m_outputText), "", kNoLimit, {1, wxEXPAND | wxALL, 5});
    t.Label(M(m_inputLabel), "Input", kFieldCell);
    t.Text(M(m_inputText), "", kNoLimit);
    t.Button(M(m_showHideButton), "Hide options", true);
    t.Button(M(m_aboutButton), "About", true);
    t.Add(M(m_progressGauge), Kind::Gauge, "", 0, kNoLimit, true, kFieldCell);
    t.Button(M(m_showLogButton), "Show log", false);
    t.Button(M(m_showSolutionButton), "Show solution", false);
    t.Button(M(m_clearOutputButton), "Clear output", false);
    t.Button(M(m_startButton), "Start optimization", true);
    t.Under(const_cast<ProbeFrame*>(this));
    t.Add(M(m_statusBar), Kind::StatusBar, "", kNoState, kNoLimit, true, std::nullopt);
#undef M
    return t.rows;
}

wxWindow* ProbeFrame::Member(const std::string& name) const
{
    return MainFrameDriver(*this).Window(name);
}

bool SendEvent(wxWindow* control, wxEventType type)
{
    const bool mouse = type == wxEVT_ENTER_WINDOW || type == wxEVT_LEAVE_WINDOW || type == wxEVT_LEFT_DOWN;
    if (mouse)
    {
        wxMouseEvent event(type);
        event.SetEventObject(control);
        event.SetId(control->GetId());
        return control->GetEventHandler()->ProcessEvent(event);
    }
    wxCommandEvent event(type, control->GetId());
    event.SetEventObject(control);
    return control->GetEventHandler()->ProcessEvent(event);
}

ProbeFrame* NewShownProbeFrame()
{
    ParkPointer();
    auto* frame = new ProbeFrame;
    frame->Show();
    PumpFor(std::chrono::milliseconds(50));
    frame->calls.clear();
    return frame;
}

void DestroyFrame(wxFrame* frame)
{
    frame->Destroy();
    PumpUntil([frame] { return wxTopLevelWindows.Find(frame) == nullptr; });
}

} // namespace vrn::test
