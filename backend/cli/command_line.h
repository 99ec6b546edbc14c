// The command line of mainVRN.exe read into its options: --help, --version and --report first, then the
// instance, the folder and each option with its value.
#pragma once

#include "cli/options.h"

#include <string>
#include <vector>

namespace vrn
{

// The back-end's own switch for the report page of a table written earlier: it takes no option of the
// front-end's and the front-end never writes it, so it is not in contract/option_names.h.
constexpr const char* kReportSwitch = "--report";

struct CommandLineResult
{
    BackendOptions options;
    bool helpRequested = false;
    bool versionRequested = false;
    // --report INSTANCE SOLUTION [PAGE]: no run, only the page of the table in SOLUTION.
    bool reportRequested = false;
    std::vector<std::string> reportFiles; // INSTANCE, SOLUTION and PAGE when given
    std::string error;                    // empty when the command line is valid
    std::vector<std::string> warnings;    // for the log: an option given more than once
};

// Parses argv (argv[0] is the program name). Never exits; errors name the option and what it accepts.
// "--" ends the options: the arguments after it are the instance and the folder even when they
// start with "--". An option given twice takes its last value, with a warning. --report, first on the
// line, takes the file names after it (after a "--" too) and nothing else.
CommandLineResult ParseCommandLine(int argc, const char* const* argv);

// Options that this build accepts but whose feature belongs to a later release or another solver,
// with the reason the log gives.
std::vector<std::string> NotApplyingOptions(const BackendOptions& options);

} // namespace vrn
