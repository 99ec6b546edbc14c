#include "aux_frame_vrn.h"

#include <wx/sizer.h>

AuxFrameVRN::AuxFrameVRN(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                         const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style)
{
    SetSizeHints(wxDefaultSize, wxDefaultSize);

    auto* frameSizer = new wxBoxSizer(wxVERTICAL);
    m_viewerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    auto* panelSizer = new wxBoxSizer(wxVERTICAL);

    m_viewerText = new wxTextCtrl(m_viewerPanel, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH | wxTE_RICH2 | wxTE_WORDWRAP);
    panelSizer->Add(m_viewerText, 1, wxEXPAND | wxALL, 5);

    auto* buttonRow = new wxBoxSizer(wxHORIZONTAL);
    m_closeButton = new wxButton(m_viewerPanel, wxID_ANY, "Close", wxDefaultPosition, wxDefaultSize, 0);
    buttonRow->Add(m_closeButton, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    panelSizer->Add(buttonRow, 0, wxALIGN_RIGHT, 5);

    m_viewerPanel->SetSizer(panelSizer);
    m_viewerPanel->Layout();
    panelSizer->Fit(m_viewerPanel);
    frameSizer->Add(m_viewerPanel, 1, wxEXPAND, 5);

    SetSizer(frameSizer);
    Layout();
    Centre(wxBOTH);

    m_closeButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(AuxFrameVRN::OnCloseButton),
                           nullptr, this);
}

AuxFrameVRN::~AuxFrameVRN()
{
    m_closeButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(AuxFrameVRN::OnCloseButton),
                              nullptr, this);
}
