#include "gui_test_main.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <gtest/gtest.h>

#include <thread>

namespace vrn::test
{

int RunGuiTests(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    wxSetAssertHandler(nullptr);
    wxLog::SetLogLevel(wxLOG_Info);
    if (!wxEntryStart(argc, argv))
    {
        return 2;
    }
    int result = 2;
    if (wxTheApp->CallOnInit())
    {
        result = RUN_ALL_TESTS();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return result;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done())
    {
        if (std::chrono::steady_clock::now() >= deadline)
        {
            return done();
        }
        wxTheApp->Yield(true);
        // Yield does not send idle events; windows that poll from their idle handler need them.
        wxTheApp->ProcessIdle();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void PumpFor(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

void ParkPointer()
{
    wxUIActionSimulator sim;
    const wxSize screen = wxGetDisplaySize();
    sim.MouseMove(screen.x - 1, screen.y - 1);
    PumpFor(std::chrono::milliseconds(50));
}

} // namespace vrn::test
