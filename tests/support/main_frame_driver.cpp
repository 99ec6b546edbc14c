#include "main_frame_driver.h"

#include <stdexcept>

namespace vrn::test
{

MainFrameDriver::MainFrameDriver(const MainFrameVRN& frame)
{
    for (const MainFrameVRN::NamedControl& named : frame.NamedControls())
    {
        if (!m_controls.emplace(named.memberName, named.control).second)
            throw std::logic_error(std::string("two controls are named ") + named.memberName);
    }
}

wxObject* MainFrameDriver::Find(const std::string& memberName) const
{
    const auto found = m_controls.find(memberName);
    if (found == m_controls.end() || found->second == nullptr)
        throw std::invalid_argument("the main window has no control named " + memberName);
    return found->second;
}

void ClickButton(wxButton* button)
{
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(click);
}

void SelectItem(wxChoice* choice, int index)
{
    choice->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetEventObject(choice);
    event.SetInt(index);
    event.SetString(choice->GetString(static_cast<unsigned>(index)));
    choice->GetEventHandler()->ProcessEvent(event);
}

void SetChecked(wxCheckBox* check, bool checked)
{
    check->SetValue(checked);
    wxCommandEvent event(wxEVT_CHECKBOX, check->GetId());
    event.SetEventObject(check);
    event.SetInt(checked ? 1 : 0);
    check->GetEventHandler()->ProcessEvent(event);
}

bool SendMouse(wxWindow* window, wxEventType type)
{
    wxMouseEvent event(type);
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
    return event.GetSkipped();
}

} // namespace vrn::test
