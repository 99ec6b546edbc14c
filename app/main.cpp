#include "wx_widgets_app.h"

#include <wx/debug.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

wxIMPLEMENT_APP_NO_MAIN(wxWidgetsApp);

namespace
{

// GTK's own complaint about a missing display is cryptic; say it plainly instead.
bool HasDisplay(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
    {
        if (std::strncmp(argv[i], "--display", 9) == 0)
            return true;
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

} // namespace

int main(int argc, char** argv)
{
    // Assertions would pop up dialogs in a release build of the toolkit: turn them off first.
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    if (!HasDisplay(argc, argv))
    {
        std::cerr << "VRN needs a graphical display to open its window, and none is set (DISPLAY is "
                     "empty). Start it from a desktop session, or under xvfb-run."
                  << std::endl;
        return 1;
    }
    return wxEntry(argc, argv);
}
