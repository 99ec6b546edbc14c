#include "option_form.h"

#include "gui_test_main.h"

#include <wx/app.h>

namespace vrn::test
{

bool SendMouse(wxWindow* window, wxEventType type)
{
    wxMouseEvent event(type);
    event.SetEventObject(window);
    window->GetEventHandler()->ProcessEvent(event);
    return event.GetSkipped();
}

void SelectFormulation(const FormControls& form, int index)
{
    form.formulationChoice->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, form.formulationChoice->GetId());
    event.SetEventObject(form.formulationChoice);
    event.SetInt(index);
    event.SetString(form.formulationChoice->GetString(static_cast<unsigned>(index)));
    form.formulationChoice->GetEventHandler()->ProcessEvent(event);
    Settle();
}

void SetIntegerCells(const FormControls& form, bool checked)
{
    form.integerCellsCheck->SetValue(checked);
    wxCommandEvent event(wxEVT_CHECKBOX, form.integerCellsCheck->GetId());
    event.SetEventObject(form.integerCellsCheck);
    event.SetInt(checked ? 1 : 0);
    form.integerCellsCheck->GetEventHandler()->ProcessEvent(event);
    Settle();
}

void ClickHeader(wxStaticText* header)
{
    SendMouse(header, wxEVT_LEFT_DOWN);
    Settle();
}

void Press(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
    Settle();
}

void Settle()
{
    PumpFor(std::chrono::milliseconds(10));
}

void OptionFormTest::SetUp()
{
    ParkPointer();
    frame = new MainFrame();
    frame->Show();
    frame->Raise();
    form = FormAccess::Of(frame);
    PumpUntil([this] { return frame->IsShownOnScreen(); });
    PumpFor(std::chrono::milliseconds(50));
}

void OptionFormTest::TearDown()
{
    ParkPointer();
    frame->Destroy();
    PumpFor(std::chrono::milliseconds(20));
}

} // namespace vrn::test
