#pragma once

#include <wx/app.h>

// The application object: creates the one main window. It defines no command-line options and
// does not parse the command line.
class wxWidgetsApp : public wxApp
{
public:
    ~wxWidgetsApp() override = default;
    bool OnInit() override;
};
