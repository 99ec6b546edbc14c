#pragma once

#include "main_frame_vrn.h"

#include <wx/event.h>
#include <wx/string.h>

#include <optional>
#include <string>
#include <vector>

// The main window's base as the tests see it: every handler overridden to record that it ran
// (after running the base body, so the record also tells whether the base skipped the event),
// and the control table of the window as data.
namespace vrn::test
{

enum class Kind
{
    Panel,
    ScrolledWindow,
    StaticText,
    TextCtrl,
    Choice,
    CheckBox,
    FilePicker,
    DirPicker,
    Button,
    Gauge,
    StatusBar
};

// How a window sits in its sizer: proportion, flags, border.
struct Cell
{
    int proportion;
    int flags;
    int border;
};

constexpr int kNoLimit = 0;

// One row of the control table. `text` is a static text's or button's label, a text field's
// value, or a choice's items joined by '|'. `state` is a choice's selection or a check box's
// value (1 checked). `maxLength` is the number of characters typing can reach, kNoLimit if none.
struct ControlRow
{
    wxWindow* window;
    std::string name;
    Kind kind;
    wxWindow* parent;
    wxString text;
    int state;
    int maxLength;
    bool shown;
    std::optional<Cell> cell;
};

struct HandlerCall
{
    std::string handler;
    wxObject* source;
    bool skippedByBase;
};

class ProbeFrame : public MainFrameVRN
{
public:
    ProbeFrame();

    // Every member window in creation order, with its state right after construction.
    std::vector<ControlRow> ControlRows() const;

    // The window held by the member `name`, found through the window's own name table.
    wxWindow* Member(const std::string& name) const;

    std::vector<HandlerCall> calls;

private:
    template <typename Event>
    void Record(const char* handler, Event& event)
    {
        calls.push_back({handler, event.GetEventObject(), event.GetSkipped()});
    }

#define VRN_PROBE(Handler, EventClass)                                                                       \
    void Handler(EventClass& event) override                                                                 \
    {                                                                                                        \
        MainFrameVRN::Handler(event);                                                                        \
        Record(#Handler, event);                                                                             \
    }
    VRN_PROBE(OnEnterInstanceFile, wxMouseEvent)
    VRN_PROBE(OnLeaveWindow, wxMouseEvent)
    VRN_PROBE(OnEnterOutputFolder, wxMouseEvent)
    VRN_PROBE(OnEnterFormulation, wxMouseEvent)
    VRN_PROBE(OnOptionChanged, wxCommandEvent)
    VRN_PROBE(OnEnterIntegerCells, wxMouseEvent)
    VRN_PROBE(OnEnterSolver, wxMouseEvent)
    VRN_PROBE(OnEnterModel, wxMouseEvent)
    VRN_PROBE(OnEnterAdditive, wxMouseEvent)
    VRN_PROBE(OnEnterFormat, wxMouseEvent)
    VRN_PROBE(OnEnterScale, wxMouseEvent)
    VRN_PROBE(OnEnterCheck, wxMouseEvent)
    VRN_PROBE(OnEnterProgress, wxMouseEvent)
    VRN_PROBE(OnEnterBig, wxMouseEvent)
    VRN_PROBE(OnEnterLexminOrder, wxMouseEvent)
    VRN_PROBE(OnEnterPctBounds, wxMouseEvent)
    VRN_PROBE(OnToggleTimingSection, wxMouseEvent)
    VRN_PROBE(OnEnterTime, wxMouseEvent)
    VRN_PROBE(OnEnterFirst, wxMouseEvent)
    VRN_PROBE(OnEnterGap, wxMouseEvent)
    VRN_PROBE(OnEnterLpTolerance, wxMouseEvent)
    VRN_PROBE(OnToggleTolerancesSection, wxMouseEvent)
    VRN_PROBE(OnEnterFeasibility, wxMouseEvent)
    VRN_PROBE(OnEnterIntegrality, wxMouseEvent)
    VRN_PROBE(OnToggleRepairSection, wxMouseEvent)
    VRN_PROBE(OnEnterRepair, wxMouseEvent)
    VRN_PROBE(OnEnterRepairFile, wxMouseEvent)
    VRN_PROBE(OnToggleBcdSection, wxMouseEvent)
    VRN_PROBE(OnEnterBcdClusters, wxMouseEvent)
    VRN_PROBE(OnEnterBcdTime, wxMouseEvent)
    VRN_PROBE(OnEnterBcdObjF, wxMouseEvent)
    VRN_PROBE(OnEnterBcdEndBc, wxMouseEvent)
    VRN_PROBE(OnEnterBcdCycle, wxMouseEvent)
    VRN_PROBE(OnEnterDynamic, wxMouseEvent)
    VRN_PROBE(OnEnterDynSprop, wxMouseEvent)
    VRN_PROBE(OnEnterDynPerturb, wxMouseEvent)
    VRN_PROBE(OnEnterBcdNstop, wxMouseEvent)
    VRN_PROBE(OnToggleAdvancedSection, wxMouseEvent)
    VRN_PROBE(OnEnterPrepSens, wxMouseEvent)
    VRN_PROBE(OnEnterWriteLp, wxMouseEvent)
    VRN_PROBE(OnEnterSeed, wxMouseEvent)
    VRN_PROBE(OnEnterValidInequalities, wxMouseEvent)
    VRN_PROBE(OnEnterStartingPoint, wxMouseEvent)
    VRN_PROBE(OnEnterFixDir, wxMouseEvent)
    VRN_PROBE(OnEnterEpsF, wxMouseEvent)
    VRN_PROBE(OnEnterExpObj, wxMouseEvent)
    VRN_PROBE(OnEnterEpsRhs, wxMouseEvent)
    VRN_PROBE(OnEnterFixDirFile, wxMouseEvent)
    VRN_PROBE(OnEnterMipEmphasis, wxMouseEvent)
    VRN_PROBE(OnEnterEmphasis, wxMouseEvent)
    VRN_PROBE(OnEnterVarSel, wxMouseEvent)
    VRN_PROBE(OnEnterIntDevTol, wxMouseEvent)
    VRN_PROBE(OnEnterMethod, wxMouseEvent)
    VRN_PROBE(OnEnterCrossover, wxMouseEvent)
    VRN_PROBE(OnInputEnter, wxCommandEvent)
    VRN_PROBE(OnShowHideOptions, wxCommandEvent)
    VRN_PROBE(OnAbout, wxCommandEvent)
    VRN_PROBE(OnShowLog, wxCommandEvent)
    VRN_PROBE(OnShowSolution, wxCommandEvent)
    VRN_PROBE(OnClearOutput, wxCommandEvent)
    VRN_PROBE(OnStartStop, wxCommandEvent)
#undef VRN_PROBE
};

// Sends a synthetic event of `type` from `control`, as the toolkit would; returns whether some
// handler took it (did not skip it).
bool SendEvent(wxWindow* control, wxEventType type);

// Builds a shown ProbeFrame with the pointer parked away from it, so no real mouse event interferes.
ProbeFrame* NewShownProbeFrame();

// Destroys a top-level window and processes events until it is gone.
void DestroyFrame(wxFrame* frame);

} // namespace vrn::test
