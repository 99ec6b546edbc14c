#include "gui_test_main.h"
#include "wx_widgets_app.h"

#include <wx/app.h>

// The real application object, so that every test works on the real MainFrame.
wxIMPLEMENT_APP_NO_MAIN(wxWidgetsApp);

int main(int argc, char** argv)
{
    return vrn::test::RunGuiTests(argc, argv);
}
