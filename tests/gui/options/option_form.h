#pragma once

#include "main_frame.h"
#include "main_frame_driver.h"

#include <wx/event.h>
#include <wx/string.h>

#include <gtest/gtest.h>

#include <chrono>

// Helpers for driving the option form of a real MainFrame the way a user does; the controls are
// found by member name through MainFrameDriver.
namespace vrn::test
{

// Selects a formulation the way the choice does when the user picks an item.
void SelectFormulation(const MainFrameDriver& form, int index);

// Ticks or clears "Integer cells" the way a click does.
void SetIntegerCells(const MainFrameDriver& form, bool checked);

// Clicks a section header (left button down on it).
void ClickHeader(wxStaticText* header);

// Presses a button.
void Press(wxButton* button);

// Lets the toolkit process what the last action queued.
void Settle();

// A fresh main window per test, shown and laid out as a user gets it, with the pointer parked
// away from it; destroyed at the end of the test.
class OptionFormTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    wxString Status() const { return form.Get<wxStatusBar>("m_statusBar")->GetStatusText(0); }

    MainFrame* frame = nullptr;
    MainFrameDriver form;
};

} // namespace vrn::test
