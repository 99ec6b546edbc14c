#include "driver/backend_run.h"

#include "cli/command_line.h"
#include "cli/run_settings.h"
#include "common/escape_text.h"
#include "common/file_safety.h"
#include "driver/report_command.h"
#include "driver/run_guards.h"
#include "driver/run_steps.h"
#include "instance/cell_rules.h"
#include "model/checks.h"
#include "results/result_path.h"
#include "standard/repair_run.h"

#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace vrn
{

namespace
{

int ExitStatusAt(RunEnd end)
{
    RunFacts facts;
    facts.end = end;
    return DecideOutcome(facts).exitStatus;
}

} // namespace

int BackendRun::Run()
{
    EnsureStandardDescriptors();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::signal(SIGPIPE, SIG_IGN);
    InstallStopSignalHandler();
    if (!ParseOptions() || !HandOffIfElsewhere() || !LockBase() || !OpenLog())
        return m_status;
    Steps();
    m_earlyGuard.reset();
    m_tee.Finish();
    ReportLogFailure();
    return m_status;
}

bool BackendRun::ParseOptions()
{
    const CommandLineResult parsed = ParseCommandLine(m_argc, m_argv);
    if (parsed.helpRequested || parsed.versionRequested)
    {
        // The program's own name is the first word of its description.
        const std::string text =
            parsed.helpRequested ? HelpText()
                                 : VersionText(m_build.programName.substr(0, m_build.programName.find(' ')));
        char last = 0;
        std::fputs(WithStreamLineEnds(text.data(), text.size(), last).c_str(), stdout);
        m_status = kExitProtected;
        return false;
    }
    if (parsed.reportRequested)
    {
        m_status = RunReportCommand(parsed.reportFiles);
        return false;
    }
    if (!parsed.error.empty())
    {
        WriteStreamLine(stderr, "mainVRN.exe: " + parsed.error);
        m_status = ExitStatusAt(RunEnd::CommandLine);
        return false;
    }
    m_opt = parsed.options;
    m_optionWarnings = parsed.warnings;
    m_control = std::make_shared<RunControl>(m_opt.timeLimit);
    return true;
}

const SolverEntry* BackendRun::Entry() const
{
    for (const auto& entry : m_build.solvers)
        if (entry.code == m_opt.solver)
            return &entry;
    return nullptr;
}

bool BackendRun::HandOffIfElsewhere()
{
    if (Entry() != nullptr || m_opt.solver == 'c' || m_opt.solver == 'x' || !m_build.handOff)
        return true;
    const std::string why = m_build.handOff(m_opt.solver, m_argc, m_argv);
    WriteStreamLine(stderr, "mainVRN.exe: " + SolverName(m_opt.solver) + " is not available: " + why);
    m_status = ExitStatusAt(RunEnd::SolverUnavailable);
    return false;
}

// One run at a time writes the files of a base; a second one ends before it touches them.
bool BackendRun::LockBase()
{
    m_base = ResultBasePath(m_opt.outputFolder, m_opt.instancePath, SolverSuffix(m_opt.solver), '/');
    std::string error;
    if (m_lock.Acquire(m_base, error))
        return true;
    WriteStreamLine(stderr, "mainVRN.exe: ERROR: " + error);
    m_status = ExitStatusAt(RunEnd::LogNotWritable);
    return false;
}

// A log that could not be written whole makes the run's files incomplete: said on standard error.
void BackendRun::ReportLogFailure()
{
    std::string why;
    if (!m_tee.LogWriteFailed(why))
        return;
    WriteStreamLine(stderr, "mainVRN.exe: ERROR: the log file " + EscapeControl(m_base) +
                                ".log could not be written whole: " + why);
    if (m_status == kExitProtected)
        m_status = ExitStatusAt(RunEnd::LogNotWritable);
}

bool BackendRun::OpenLog()
{
    std::string error;
    if (!m_tee.Start(m_base + ".log", error))
    {
        WriteStreamLine(stderr, "mainVRN.exe: " + error);
        m_status = ExitStatusAt(RunEnd::LogNotWritable);
        return false;
    }
    Say(std::string("VRN back-end ") + VRN_VERSION + " (" + m_build.programName + ")");
    Say("command line: " + QuotedCommandLine(m_argc, m_argv));
    Say("result files: " + EscapeControl(m_base) + ".log, " + EscapeControl(m_base) + ".sol");
    for (const std::string& warning : m_optionWarnings)
        Warn("WARNING: " + warning);
    StartCommandWatcher(m_control);
    return true;
}

void BackendRun::Steps()
{
    GuardBeforeTheSolve();
    if (!SolverAvailable())
        return;
    if (!Phase("reading the instance", [this] { return ReadInstance(); }))
        return;
    ReportOptions();
    if (m_opt.check && !Phase("checking the input", [this] { return CheckTheInput(); }))
        return;
    if (m_opt.formulation() == Formulation::Fast)
    {
        m_earlyGuard.reset();
        return FastSteps();
    }
    StdSteps();
}

// Until a solver starts there is no table to keep: reading, checking and building a big table can
// take many seconds, and a stop or the time limit must not wait for them. The guard ends the run
// within about a second of the request.
void BackendRun::GuardBeforeTheSolve()
{
    m_earlyGuard = std::make_unique<StopWatchdog>(m_control, kEarlyStopSeconds, [this] { EndEarly(); });
}

bool BackendRun::SolverAvailable()
{
    if (Entry() != nullptr)
        return true;
    const std::string name = SolverName(m_opt.solver);
    Warn("ERROR: " + name + " is not available in this build (a commercial solver); available solvers: " +
         m_build.availableSolvers);
    EndBeforeTheSolve(RunEnd::SolverUnavailable, name + " is not available in this build");
    return false;
}

bool BackendRun::ReadInstance()
{
    Say("reading " + EscapeControl(m_opt.instancePath) +
        (m_opt.reportAllFormatErrors ? " (reporting every error)" : ""));
    ReadResult read = ReadInstanceFile(m_opt.instancePath, m_opt.reportAllFormatErrors);
    if (!read.errors.empty())
    {
        for (const auto& error : read.errors)
            Warn(FormatErrorText(m_opt.instancePath, error));
        const size_t count = read.errors.size() + read.suppressedErrors;
        if (read.suppressedErrors)
            Warn("... and " + std::to_string(read.suppressedErrors) + " more errors");
        EndBeforeTheSolve(RunEnd::Instance, m_opt.reportAllFormatErrors
                                                ? std::to_string(count) + " errors in the instance file"
                                                : "the instance file has an error (the first is reported)");
        return false;
    }
    m_instance = std::move(read.instance);
    m_control->ReserveForTheEnd(kFinishSecondsPerCell * static_cast<double>(m_instance.cells.size()));
    ReportStatistics();
    return OptionsFitTheTable();
}

// Tolerances and a scale that make no sense for this table end the run as a command line error.
bool BackendRun::OptionsFitTheTable()
{
    const double scale = m_opt.scale > 0 ? m_opt.scale : AutomaticScale(m_instance);
    const std::string refusal = CheckOptionsAgainstTable(m_instance, m_opt, scale);
    if (refusal.empty())
        return true;
    Warn("ERROR: " + refusal);
    EndBeforeTheSolve(RunEnd::CommandLine, refusal);
    return false;
}

void BackendRun::ReportOptions()
{
    Say("options in force:");
    for (const std::string& line : OptionsInForce(m_opt))
        Say("  " + line);
}

bool BackendRun::CheckTheInput()
{
    CheckReport report =
        CheckInput(m_instance, m_opt.additive, BigFromOptions(m_instance, m_opt), m_opt.feasibility);
    const ConflictReport conflicts =
        FindInputConflicts(m_instance, RepairRunSettingsFromOptions(m_instance, m_opt));
    if (conflicts.Proven())
    {
        report.passed = false;
        report.lines.push_back(
            "conflicts that single relations and bounds prove: " + std::to_string(conflicts.cells) +
            " sensitive cells, " + std::to_string(conflicts.relations) + " relations");
        for (const auto& line : conflicts.lines)
            report.lines.push_back("  " + line);
    }
    Say("input check:");
    for (const auto& line : report.lines)
        Say("  " + line);
    const bool std = m_opt.formulation() == Formulation::Std;
    if (!report.passed && std && m_opt.repair)
        Say("the instance cannot be protected as it stands: the repair looks for the least change");
    else if (!report.passed)
    {
        Warn("ERROR: the instance cannot be protected as it stands (see the input check)");
        if (std)
            Warn(RepairAdviceText());
        EndBeforeTheSolve(RunEnd::InputInfeasible, "the input check found a table that cannot be protected");
    }
    return report.passed || (std && m_opt.repair);
}

std::string ExecutableDirectory()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    const std::string self(path, static_cast<size_t>(n));
    return self.substr(0, self.rfind('/'));
}

int RunBackend(int argc, char** argv, const BuildInfo& build)
{
    return BackendRun(argc, argv, build).Run();
}

} // namespace vrn
