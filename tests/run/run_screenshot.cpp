// Saves a picture of the main window while a back-end runs (the run tests' stand-in, showing
// output in several scripts and a typed line), so that a person can see the output area at work.
// Not a test. Run under Xvfb:
//   xvfb-run -a -s "-screen 0 1600x1200x24" run_screenshot PICTURE.png
#include "gui_test_main.h"
#include "main_frame.h"
#include "main_frame_driver.h"
#include "tools/child_process.h"
#include "wx_widgets_app.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

wxIMPLEMENT_APP_NO_MAIN(wxWidgetsApp);

namespace
{

using vrn::test::Ui;

using std::chrono::milliseconds;

void Press(wxButton* button)
{
    vrn::test::ClickButton(button);
}

void Enter(MainFrame* frame, const char* text)
{
    wxTextCtrl* input = Ui(frame).Text("m_inputText");
    input->SetValue(text);
    wxCommandEvent enter(wxEVT_TEXT_ENTER, input->GetId());
    enter.SetEventObject(input);
    input->GetEventHandler()->ProcessEvent(enter);
}

bool OutputHas(MainFrame* frame, const char* piece)
{
    return Ui(frame).Text("m_outputText")->GetValue().Contains(piece);
}

// Grabs the window from the X server with ImageMagick's import, which sees what is on screen.
// import runs from an argument vector; what it says is passed on to this program's own streams.
bool Save(wxWindow* frame, const std::string& path)
{
    frame->Refresh();
    frame->Update();
    vrn::test::PumpFor(milliseconds(500));
    const wxRect rect = frame->GetScreenRect();
    const std::string crop = std::to_string(rect.width) + "x" + std::to_string(rect.height) + "+" +
                             std::to_string(rect.x) + "+" + std::to_string(rect.y);
    const vrn::ChildResult grab = vrn::RunChild("import", {"import", "-window", "root", "-crop", crop, path});
    std::fputs(grab.out.c_str(), stdout);
    std::fputs(grab.err.c_str(), stderr);
    if (grab.status == 127)
        std::fputs("import (ImageMagick) could not be started\n", stderr);
    return grab.status == 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s PICTURE.png\n", argv[0]);
        return 2;
    }
    const std::string picture = argv[1];
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 2;
    auto* frame = dynamic_cast<MainFrame*>(wxTheApp->GetTopWindow());
    char folder[] = "/tmp/vrn-screenshot-XXXXXX";
    if (frame == nullptr || mkdtemp(folder) == nullptr)
        return 2;
    Ui(frame).Get<wxFilePickerCtrl>("m_instanceFilePicker")->SetPath(std::string(folder) + "/showcase.csp");
    Ui(frame).Get<wxDirPickerCtrl>("m_outputFolderPicker")->SetPath(folder);
    vrn::test::PumpFor(milliseconds(300));

    Press(Ui(frame).Button("m_startButton"));
    vrn::test::PumpUntil([&] { return OutputHas(frame, "ready"); });
    Enter(frame, "status");
    vrn::test::PumpUntil([&] { return OutputHas(frame, "got[status]"); });
    const bool saved = Save(frame, picture);
    std::printf("%s %s\n", saved ? "saved" : "could not save", picture.c_str());

    Enter(frame, "quit");
    vrn::test::PumpUntil([&]
                         { return Ui(frame).Button("m_startButton")->GetLabel() == "Start optimization"; });
    frame->Destroy();
    vrn::test::PumpFor(milliseconds(50));
    wxTheApp->OnExit();
    wxEntryCleanup();
    std::error_code ignored; // a scratch folder left behind does not spoil the picture
    std::filesystem::remove_all(folder, ignored);
    return saved ? 0 : 1;
}
