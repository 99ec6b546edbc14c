#pragma once

#include <chrono>
#include <functional>

// Test programs that open windows define their own main as
//
//     wxIMPLEMENT_APP_NO_MAIN(SomeApp);
//     int main(int argc, char** argv) { return vrn::test::RunGuiTests(argc, argv); }
//
// RunGuiTests starts the toolkit, runs the application's OnInit (so windows are built exactly
// as a user gets them), runs every test on the GUI thread, then shuts the toolkit down.
namespace vrn::test
{

int RunGuiTests(int argc, char** argv);

// Processes pending events until `done` returns true or `timeout` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// Processes pending events for about `duration`.
void PumpFor(std::chrono::milliseconds duration);

// Moves the real pointer to the screen's far corner, away from any test window, so that a new
// window created under it gets no stray enter event.
void ParkPointer();

} // namespace vrn::test
