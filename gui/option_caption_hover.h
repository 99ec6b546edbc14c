#pragma once

#include <wx/event.h>
#include <wx/window.h>

#include <vector>

namespace vrn
{

// On GTK a caption (wxStaticText) has no native window of its own: it receives motion and
// clicks, routed to it by the toolkit, but never a mouse enter or leave event. Without them the
// status-bar help of a caption would never show. This class raises the two events itself from
// the motion it sees: the first motion over a caption enters it; motion over the caption's
// parent, or the parent being left (also into a field with its own window), leaves it. The
// events go through the caption's own handlers, so whatever is connected to them runs.
// Elsewhere the toolkit delivers the events natively and this class does nothing.
class CaptionHoverEvents
{
public:
    // Watches every wxStaticText below `root`.
    explicit CaptionHoverEvents(wxWindow* root);
    ~CaptionHoverEvents();

    CaptionHoverEvents(const CaptionHoverEvents&) = delete;
    CaptionHoverEvents& operator=(const CaptionHoverEvents&) = delete;

    // True where the toolkit does not deliver enter and leave events to captions.
    static bool IsNeeded();

private:
    void OnCaptionMotion(wxMouseEvent& event);
    void OnParentMotion(wxMouseEvent& event);
    void OnParentLeave(wxMouseEvent& event);
    void LeaveHovered();
    static void Raise(wxWindow* caption, wxEventType type);

    std::vector<wxWindow*> m_captions;
    std::vector<wxWindow*> m_parents;
    wxWindow* m_hovered = nullptr;
};

} // namespace vrn
