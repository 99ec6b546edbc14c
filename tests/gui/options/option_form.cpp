#include "option_form.h"

#include "gui_test_main.h"

#include <wx/app.h>

namespace vrn::test
{

void SelectFormulation(const MainFrameDriver& form, int index)
{
    SelectItem(form.Choice("m_formulationChoice"), index);
    Settle();
}

void SetIntegerCells(const MainFrameDriver& form, bool checked)
{
    SetChecked(form.CheckBox("m_integerCellsCheck"), checked);
    Settle();
}

void ClickHeader(wxStaticText* header)
{
    SendMouse(header, wxEVT_LEFT_DOWN);
    Settle();
}

void Press(wxButton* button)
{
    ClickButton(button);
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
    form = MainFrameDriver(*frame);
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
