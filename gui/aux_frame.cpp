#include "aux_frame.h"

#include <wx/log.h>

AuxFrame::AuxFrame(wxWindow* parent, const wxString& filePath)
    : AuxFrameVRN(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(500, 600),
                  wxDEFAULT_FRAME_STYLE | wxTAB_TRAVERSAL)
{
    SetTitle(filePath);
    // A missing or unreadable file would pop up the toolkit's error dialog; the viewer opens
    // empty instead, and the main window says so in its output area.
    wxLogNull noDialogs;
    m_fileLoaded = m_viewerText->LoadFile(filePath, wxTEXT_TYPE_ANY);
}

void AuxFrame::OnCloseButton(wxCommandEvent& WXUNUSED(event))
{
    Destroy();
}
