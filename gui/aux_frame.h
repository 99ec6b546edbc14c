#pragma once

#include "aux_frame_vrn.h"

// A read-only viewer of one result file, titled with its path. It has no parent, so it lives on
// its own until it is closed, and shows the file as it was when the viewer opened.
class AuxFrame : public AuxFrameVRN
{
public:
    AuxFrame(wxWindow* parent, const wxString& filePath);

    // False when the file could not be read (the viewer is then empty).
    bool IsFileLoaded() const { return m_fileLoaded; }

protected:
    void OnCloseButton(wxCommandEvent& event) override;

private:
    bool m_fileLoaded;
};
