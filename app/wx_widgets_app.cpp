#include "wx_widgets_app.h"

#include "main_frame.h"

#include <clocale>

bool wxWidgetsApp::OnInit()
{
    // The toolkit leaves the C library in the "C" locale; take the user's character encoding so
    // that file names and text outside ASCII convert correctly. Numbers are parsed and written
    // locale-independently, so LC_NUMERIC stays "C".
    std::setlocale(LC_CTYPE, "");

    auto* frame = new MainFrame();
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
