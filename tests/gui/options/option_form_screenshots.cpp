// Saves a picture of the main window in each of the three mode combinations, every section
// unfolded, so that a person can check which options show. Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1600x1200x24" option_form_screenshots OUTPUT_FOLDER
#include "gui_test_main.h"
#include "main_frame.h"
#include "option_form.h"
#include "tools/child_process.h"

#include <wx/app.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace
{

using namespace vrn::test;

void UnfoldEverySection(const MainFrameDriver& form)
{
    for (auto [header, panel] :
         {std::pair<wxStaticText*, wxPanel*>{form.Label("m_timingHeader"), form.Panel("m_timingPanel")},
          {form.Label("m_tolerancesHeader"), form.Panel("m_tolerancesPanel")},
          {form.Label("m_repairHeader"), form.Panel("m_repairPanel")},
          {form.Label("m_bcdHeader"), form.Panel("m_bcdPanel")},
          {form.Label("m_advancedHeader"), form.Panel("m_advancedPanel")}})
    {
        if (header->IsShown() && !panel->IsShown())
            ClickHeader(header);
    }
}

// Grabs the window from the X server with ImageMagick's import, which sees what is on the screen
// now (the toolkit's own screen DC kept returning the first picture). import runs from an argument
// vector; what it says is passed on to this program's own streams.
bool Save(wxWindow* frame, const std::string& path)
{
    frame->Refresh();
    frame->Update();
    PumpFor(std::chrono::milliseconds(500));
    const wxRect rect = frame->GetScreenRect();
    const std::string crop = std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" +
                             std::to_string(rect.x) + "+" + std::to_string(rect.y);
    const vrn::ChildResult grab = vrn::RunChild("import", {"import", "-window", "root", "-crop", crop, path});
    std::fputs(grab.out.c_str(), stdout);
    std::fputs(grab.err.c_str(), stderr);
    if (grab.status == 127)
        std::fputs("import (ImageMagick) could not be started\n", stderr);
    const bool saved = grab.status == 0;
    std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    wxSetAssertHandler(nullptr); // as the program itself does at entry
    wxApp::SetInstance(new wxApp());
    int one = 1;
    char* args[] = {argv[0], nullptr};
    if (!wxEntryStart(one, args))
        return 2;

    auto* frame = new MainFrame();
    frame->SetSize(1100, 1150);
    frame->Move(0, 0);
    frame->Show();
    const MainFrameDriver form(*frame);
    PumpFor(std::chrono::milliseconds(300));

    bool ok = true;
    UnfoldEverySection(form);
    ok &= Save(frame, folder + "/std_mip.png");
    SelectFormulation(form, 1);
    UnfoldEverySection(form);
    ok &= Save(frame, folder + "/fast_lp.png");
    SetIntegerCells(form, true);
    UnfoldEverySection(form);
    ok &= Save(frame, folder + "/fast_mip.png");

    frame->Destroy();
    PumpFor(std::chrono::milliseconds(50));
    wxEntryCleanup();
    return ok ? 0 : 1;
}
