// The parsing of the command line: --help, --version and --report first, then the instance, the
// folder and each option with its value (option_table.cpp), and the options that do not apply to a run.
#include "cli/command_line.h"

#include "cli/option_table.h"
#include "common/escape_text.h"

namespace vrn
{

namespace
{

constexpr const char* kReportUsage = "mainVRN.exe --report INSTANCE SOLUTION [PAGE]";

// --report INSTANCE SOLUTION [PAGE], "--" allowed before the names.
CommandLineResult ParseReportSwitch(int argc, const char* const* argv)
{
    CommandLineResult result;
    int first = 2;
    if (first < argc && std::string(argv[first]) == "--")
        ++first;
    const int count = argc - first;
    if (count < 2 || count > 3)
    {
        result.error = "--report takes the instance file and the .sol file, and the page's path if it is not "
                       "to go beside the .sol: " +
                       std::string(kReportUsage);
        return result;
    }
    result.reportRequested = true;
    result.reportFiles.assign(argv + first, argv + argc);
    return result;
}

} // namespace

CommandLineResult ParseCommandLine(int argc, const char* const* argv)
{
    CommandLineResult result;
    // --help, then --version, win over everything else on the line, as in most programs (before a
    // "--", after which every argument is the instance or the folder).
    for (int i = 1; i < argc && std::string(argv[i]) != "--"; ++i)
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h")
        {
            result.helpRequested = true;
            return result;
        }
    for (int i = 1; i < argc && std::string(argv[i]) != "--"; ++i)
        if (std::string(argv[i]) == "--version")
        {
            result.versionRequested = true;
            return result;
        }

    if (argc > 1 && std::string(argv[1]) == kReportSwitch)
        return ParseReportSwitch(argc, argv);

    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--" && !optionsEnded)
            optionsEnded = true; // what follows is the instance and the folder, whatever they look like
        else if (!optionsEnded && arg.size() > 2 && arg.compare(0, 2, "--") == 0)
        {
            const cli::OptionRule* rule = cli::FindRule(arg);
            if (rule == nullptr)
            {
                result.error = arg == kReportSwitch
                                   ? "--report comes first on the line: " + std::string(kReportUsage)
                                   : "unknown option '" + EscapeControl(arg) +
                                         "' (mainVRN.exe --help lists the options)";
                return result;
            }
            if (i + 1 >= argc)
            {
                result.error = "option " + arg + " needs a value";
                return result;
            }
            const std::string value = argv[++i];
            const std::string accepted = rule->set(result.options, value);
            if (!accepted.empty())
            {
                result.error =
                    "option " + arg + " has the value '" + EscapeControl(value) + "'; it accepts " + accepted;
                return result;
            }
            if (result.options.IsGiven(arg))
                result.warnings.push_back("option " + arg + " is given more than once; the last value, '" +
                                          EscapeControl(value) + "', is used");
            result.options.given.emplace_back(arg, value);
        }
        else
            positional.push_back(arg);
    }
    if (positional.size() != 2)
    {
        result.error = positional.size() < 2
                           ? "expected the instance file and the output folder before the options"
                           : "unexpected argument '" + EscapeControl(positional[2]) +
                                 "': only the instance file and the "
                                 "output folder come without an option name";
        return result;
    }
    result.options.instancePath = positional[0];
    result.options.outputFolder = positional[1];
    return result;
}

std::vector<std::string> NotApplyingOptions(const BackendOptions& o)
{
    std::vector<std::string> notes;
    const bool std = o.formulation() == Formulation::Std;
    auto note = [&](const char* name, const std::string& why)
    {
        if (o.IsGiven(name))
            notes.push_back(std::string(name) + ": " + why);
    };
    for (const char* name : {kOptMipemphasis, kOptEmphasis, kOptVarsel})
        note(name, "a parameter of the commercial solvers; it does not apply to the chosen solver");
    for (const char* name : {kOptBcdTime, kOptBcdObjf, kOptBcdEndbc, kOptBcdCycle, kOptBcdNstop, kOptDynamic,
                             kOptDynSprop, kOptDynPerturb})
        if (std && o.bcdClusters < 2 && o.IsGiven(kOptBcdClusters))
            note(name, "applies to block coordinate descent only (--bcd-clusters 2 or more); ignored");
        else if (std && o.bcdClusters < 2)
            note(name,
                 "applies to block coordinate descent only: with --bcd-clusters 2 or more, or where the "
                 "run chooses it itself (tables of more than 1,000 sensitive cells with CBC, 2,000 with GLPK "
                 "and SYMPHONY); ignored otherwise");
    for (const char* name : {kOptDynSprop, kOptDynPerturb})
        if (std && o.bcdClusters >= 2 && !o.dynamic)
            note(name, "applies to dynamic block coordinate descent only (--dynamic y); ignored");
    if (!std)
        for (const char* name : {kOptRepair, kOptRepairfn, kOptVineq})
            note(name, "applies to the Std formulation only");
    if (!std)
        for (const char* name : {kOptStartingpoint, kOptBcdClusters, kOptBcdTime, kOptBcdObjf, kOptBcdEndbc,
                                 kOptBcdCycle, kOptBcdNstop, kOptDynamic, kOptDynSprop, kOptDynPerturb})
            note(name, "applies to the Std formulation only");
    if (std)
        for (const char* name : {kOptPctBounds, kOptExpobj, kOptEpsf, kOptEpsrhs, kOptFixdirfn})
            note(name, "applies to the Fast formulation only");
    else
        for (const char* name : {kOptBig, kOptModel, kOptFirst, kOptPrepsens})
            note(name, "applies to the Std formulation only");
    return notes;
}

} // namespace vrn
