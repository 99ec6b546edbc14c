#include "option_pointer_crossing.h"

#include <wx/choice.h>
#include <wx/stattext.h>

namespace vrn
{
namespace
{

bool GetsNoCrossingEvents(wxWindow* window)
{
    // IsKindOf rather than wxDynamicCast: the macro casts down before it checks the class.
    return window->IsKindOf(wxCLASSINFO(wxStaticText)) || window->IsKindOf(wxCLASSINFO(wxChoice));
}

} // namespace

bool PointerCrossingEvents::IsNeeded()
{
#ifdef __WXGTK__
    return true;
#else
    return false;
#endif
}

PointerCrossingEvents::PointerCrossingEvents(wxWindow* root)
{
    if (!IsNeeded())
        return;
    m_others.push_back(root);
    Watch(root);
    // Bound after the window's own connections, these handlers run before them (the toolkit
    // calls the latest binding first), so a hovered control is left before a field it moved onto
    // writes its own help.
    for (wxWindow* window : m_watched)
        window->Bind(wxEVT_MOTION, &PointerCrossingEvents::OnWatchedMotion, this);
    // Motion over, entering or leaving any other window means the pointer is not on the
    // hovered control any more.
    for (wxWindow* window : m_others)
    {
        window->Bind(wxEVT_MOTION, &PointerCrossingEvents::OnElsewhere, this);
        window->Bind(wxEVT_ENTER_WINDOW, &PointerCrossingEvents::OnElsewhere, this);
        window->Bind(wxEVT_LEAVE_WINDOW, &PointerCrossingEvents::OnElsewhere, this);
    }
}

PointerCrossingEvents::~PointerCrossingEvents()
{
    for (wxWindow* window : m_watched)
        window->Unbind(wxEVT_MOTION, &PointerCrossingEvents::OnWatchedMotion, this);
    for (wxWindow* window : m_others)
    {
        window->Unbind(wxEVT_MOTION, &PointerCrossingEvents::OnElsewhere, this);
        window->Unbind(wxEVT_ENTER_WINDOW, &PointerCrossingEvents::OnElsewhere, this);
        window->Unbind(wxEVT_LEAVE_WINDOW, &PointerCrossingEvents::OnElsewhere, this);
    }
}

void PointerCrossingEvents::Watch(wxWindow* root)
{
    for (wxWindow* child : root->GetChildren())
    {
        if (GetsNoCrossingEvents(child))
        {
            m_watched.push_back(child);
            continue;
        }
        m_others.push_back(child);
        Watch(child);
    }
}

void PointerCrossingEvents::OnWatchedMotion(wxMouseEvent& event)
{
    event.Skip();
    auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
    if (window == nullptr || window == m_hovered)
        return;
    LeaveHovered();
    m_hovered = window;
    Raise(window, wxEVT_ENTER_WINDOW);
}

void PointerCrossingEvents::OnElsewhere(wxMouseEvent& event)
{
    event.Skip();
    LeaveHovered();
}

void PointerCrossingEvents::LeaveHovered()
{
    wxWindow* window = m_hovered;
    m_hovered = nullptr;
    if (window != nullptr)
        Raise(window, wxEVT_LEAVE_WINDOW);
}

void PointerCrossingEvents::Raise(wxWindow* window, wxEventType type)
{
    wxMouseEvent event(type);
    event.SetEventObject(window);
    event.SetId(window->GetId());
    event.SetPosition(window->ScreenToClient(wxGetMousePosition()));
    window->GetEventHandler()->ProcessEvent(event);
}

} // namespace vrn
