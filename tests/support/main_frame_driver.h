#pragma once

#include "main_frame_vrn.h"

#include <wx/event.h>

#include <stdexcept>
#include <string>
#include <unordered_map>

// Drives the main window from a test: finds its controls by the names of the members that hold
// them ("m_startButton"), read once from the window's own name table, and raises the events a
// user's actions raise. Works on MainFrameVRN and every window derived from it.
namespace vrn::test
{

class MainFrameDriver
{
public:
    // A driver with no window yet (a test fixture fills it in SetUp).
    MainFrameDriver() = default;
    explicit MainFrameDriver(const MainFrameVRN& frame);

    // The control held by `memberName`. Throws std::invalid_argument when the window has no
    // such member or the member holds another kind of control, so a test fails by name.
    template <typename Control>
    Control* Get(const std::string& memberName) const
    {
        auto* control = dynamic_cast<Control*>(Find(memberName));
        if (control == nullptr)
            throw std::invalid_argument(memberName + " does not hold the kind of control asked for");
        return control;
    }

    wxWindow* Window(const std::string& memberName) const { return Get<wxWindow>(memberName); }
    wxPanel* Panel(const std::string& memberName) const { return Get<wxPanel>(memberName); }
    wxStaticText* Label(const std::string& memberName) const { return Get<wxStaticText>(memberName); }
    wxTextCtrl* Text(const std::string& memberName) const { return Get<wxTextCtrl>(memberName); }
    wxChoice* Choice(const std::string& memberName) const { return Get<wxChoice>(memberName); }
    wxCheckBox* CheckBox(const std::string& memberName) const { return Get<wxCheckBox>(memberName); }
    wxButton* Button(const std::string& memberName) const { return Get<wxButton>(memberName); }

    // How many named controls the window has.
    std::size_t Count() const { return m_controls.size(); }

private:
    // The object held by `memberName`; throws std::invalid_argument if there is none.
    wxObject* Find(const std::string& memberName) const;

    std::unordered_map<std::string, wxObject*> m_controls;
};

// A driver for `frame`, for a test that looks a control up now and then (the name table is read
// again on every call).
inline MainFrameDriver Ui(const MainFrameVRN* frame)
{
    return MainFrameDriver(*frame);
}

// The events the toolkit raises for a user's actions, sent straight to the control's handlers.
// None of them waits for the toolkit afterwards.

// A click on a button.
void ClickButton(wxButton* button);

// Picking item `index` of a choice.
void SelectItem(wxChoice* choice, int index);

// Ticking or clearing a check box.
void SetChecked(wxCheckBox* check, bool checked);

// A mouse event of `type` on a window; returns whether the last handler skipped it.
bool SendMouse(wxWindow* window, wxEventType type);

} // namespace vrn::test
