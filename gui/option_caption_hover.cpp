#include "option_caption_hover.h"

#include <wx/stattext.h>

#include <algorithm>

namespace vrn
{
namespace
{

void CollectCaptions(wxWindow* window, std::vector<wxWindow*>& captions)
{
    for (wxWindow* child : window->GetChildren())
    {
        if (wxDynamicCast(child, wxStaticText) != nullptr)
            captions.push_back(child);
        CollectCaptions(child, captions);
    }
}

} // namespace

bool CaptionHoverEvents::IsNeeded()
{
#ifdef __WXGTK__
    return true;
#else
    return false;
#endif
}

CaptionHoverEvents::CaptionHoverEvents(wxWindow* root)
{
    if (!IsNeeded())
        return;
    CollectCaptions(root, m_captions);
    for (wxWindow* caption : m_captions)
    {
        caption->Bind(wxEVT_MOTION, &CaptionHoverEvents::OnCaptionMotion, this);
        wxWindow* parent = caption->GetParent();
        if (std::find(m_parents.begin(), m_parents.end(), parent) == m_parents.end())
            m_parents.push_back(parent);
    }
    for (wxWindow* parent : m_parents)
    {
        parent->Bind(wxEVT_MOTION, &CaptionHoverEvents::OnParentMotion, this);
        parent->Bind(wxEVT_LEAVE_WINDOW, &CaptionHoverEvents::OnParentLeave, this);
    }
}

CaptionHoverEvents::~CaptionHoverEvents()
{
    for (wxWindow* caption : m_captions)
        caption->Unbind(wxEVT_MOTION, &CaptionHoverEvents::OnCaptionMotion, this);
    for (wxWindow* parent : m_parents)
    {
        parent->Unbind(wxEVT_MOTION, &CaptionHoverEvents::OnParentMotion, this);
        parent->Unbind(wxEVT_LEAVE_WINDOW, &CaptionHoverEvents::OnParentLeave, this);
    }
}

void CaptionHoverEvents::OnCaptionMotion(wxMouseEvent& event)
{
    event.Skip();
    auto* caption = wxDynamicCast(event.GetEventObject(), wxWindow);
    if (caption == nullptr || caption == m_hovered)
        return;
    LeaveHovered();
    m_hovered = caption;
    Raise(caption, wxEVT_ENTER_WINDOW);
}

void CaptionHoverEvents::OnParentMotion(wxMouseEvent& event)
{
    event.Skip();
    // The toolkit routes motion over a caption to the caption, so motion that reaches the
    // parent means the pointer is off every caption.
    LeaveHovered();
}

void CaptionHoverEvents::OnParentLeave(wxMouseEvent& event)
{
    event.Skip();
    LeaveHovered();
}

void CaptionHoverEvents::LeaveHovered()
{
    wxWindow* caption = m_hovered;
    m_hovered = nullptr;
    if (caption != nullptr)
        Raise(caption, wxEVT_LEAVE_WINDOW);
}

void CaptionHoverEvents::Raise(wxWindow* caption, wxEventType type)
{
    wxMouseEvent event(type);
    event.SetEventObject(caption);
    event.SetId(caption->GetId());
    event.SetPosition(caption->ScreenToClient(wxGetMousePosition()));
    caption->GetEventHandler()->ProcessEvent(event);
}

} // namespace vrn
