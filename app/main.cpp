#include "wx_widgets_app.h"

#include <wx/debug.h>
#include <wx/init.h>
#include <wx/log.h>

wxIMPLEMENT_APP_NO_MAIN(wxWidgetsApp);

int main(int argc, char** argv)
{
    // Assertions would pop up dialogs in a release build of the toolkit: turn them off first.
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    return wxEntry(argc, argv);
}
