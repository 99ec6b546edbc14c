#pragma once

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/string.h>
#include <wx/textctrl.h>

// The result viewer's generated-style base: it only builds, lays out and connects its controls.
// The Close button's handler just skips its event; behaviour lives in the derived AuxFrame.
class AuxFrameVRN : public wxFrame
{
public:
    AuxFrameVRN(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                const wxSize& size, long style);
    ~AuxFrameVRN() override;

protected:
    wxPanel* m_viewerPanel;
    wxTextCtrl* m_viewerText;
    wxButton* m_closeButton;

    virtual void OnCloseButton(wxCommandEvent& event) { event.Skip(); }
};
