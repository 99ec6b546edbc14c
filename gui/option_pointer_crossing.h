#pragma once

#include <wx/event.h>
#include <wx/window.h>

#include <vector>

namespace vrn
{

// On GTK two kinds of option controls never receive a mouse enter or leave event: captions
// (wxStaticText, which has no native window) and choices (wxChoice, whose native button takes
// the crossing events for itself). Both do receive the motion the toolkit routes to them.
// Without enter and leave their status-bar help would never show, so this class raises the
// two events itself: the first motion over such a control enters it; motion over its parent, the
// parent being entered or left, or any other control being entered, leaves it. The events go
// through the control's own handlers, so whatever is connected to them runs. Where the toolkit
// delivers the events natively this class does nothing.
class PointerCrossingEvents
{
public:
    // Watches every caption and choice below `root`.
    explicit PointerCrossingEvents(wxWindow* root);
    ~PointerCrossingEvents();

    PointerCrossingEvents(const PointerCrossingEvents&) = delete;
    PointerCrossingEvents& operator=(const PointerCrossingEvents&) = delete;

    // True where the toolkit raises no enter and leave events for captions and choices.
    static bool IsNeeded();

private:
    void Watch(wxWindow* root);
    void OnWatchedMotion(wxMouseEvent& event);
    void OnElsewhere(wxMouseEvent& event);
    void LeaveHovered();
    static void Raise(wxWindow* window, wxEventType type);

    std::vector<wxWindow*> m_watched; // captions and choices
    std::vector<wxWindow*> m_others;  // every other window below root, root included
    wxWindow* m_hovered = nullptr;
};

} // namespace vrn
