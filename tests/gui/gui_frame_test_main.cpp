#include "gui_test_main.h"

#include <wx/app.h>

// The tests build their windows themselves; the application only starts the toolkit.
class GuiFrameTestApp : public wxApp
{
public:
    bool OnInit() override { return true; }
};

wxIMPLEMENT_APP_NO_MAIN(GuiFrameTestApp);

int main(int argc, char** argv)
{
    return vrn::test::RunGuiTests(argc, argv);
}
