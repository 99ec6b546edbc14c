#include "driver/report_command.h"

#include "common/escape_text.h"
#include "common/exit_status.h"
#include "common/file_safety.h"
#include "common/number_format.h"
#include "instance/instance.h"
#include "model/checks.h"
#include "results/output_tee.h"
#include "results/report_page.h"
#include "results/solution_reader.h"

#include <chrono>
#include <cstdio>
#include <sys/stat.h>

namespace vrn
{

namespace
{

// As the log's times line shows them.
std::string Seconds(std::chrono::steady_clock::duration elapsed)
{
    return FixedPoint(std::chrono::duration<double>(elapsed).count(), 3);
}

void Complain(const std::string& line)
{
    WriteStreamLine(stderr, "mainVRN.exe: " + line);
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Beside the .sol: its ".sol" replaced by ".html" (BASE.html for a run's BASE.sol).
std::string PageBeside(const std::string& solutionPath)
{
    return (EndsWith(solutionPath, ".sol") ? solutionPath.substr(0, solutionPath.size() - 4) : solutionPath) +
           ".html";
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat x = {}, y = {};
    return a == b || (stat(a.c_str(), &x) == 0 && stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev &&
                      x.st_ino == y.st_ino);
}

bool ReadTheInstance(const std::string& path, Instance& instance)
{
    ReadResult read = ReadInstanceFile(path, false);
    for (const FormatError& error : read.errors)
        Complain(FormatErrorText(path, error));
    instance = std::move(read.instance);
    return read.errors.empty();
}

bool ReadTheTable(const std::string& path, const Instance& instance, const std::string& instancePath,
                  SolutionFileContents& solution)
{
    solution = ReadSolutionFile(path);
    if (solution.errors.empty() && !solution.HasTable())
    {
        const std::string reason = solution.HeaderValue("reason");
        Complain(EscapeControl(path) + ": the file holds no table" +
                 (reason.empty() ? std::string() : " (" + EscapeControl(reason) + ")") +
                 "; there is nothing to report");
        return false;
    }
    if (solution.errors.empty())
        solution.errors = MismatchWithInstance(solution, instance, instancePath);
    for (const FormatError& error : solution.errors)
        Complain(FormatErrorText(path, error));
    return solution.errors.empty();
}

// The table checked again, as a run checks it: with the relations as written, else with the original
// table's residuals kept (a run with --additive n), which the .sol does not say.
void CheckAgain(const Instance& instance, const std::vector<double>& adjusted, ReportRun& run)
{
    const CheckReport asWritten = CheckSolution(instance, adjusted, true, false, kSolutionCheckTolerance);
    CheckReport kept;
    if (!asWritten.passed)
        kept = CheckSolution(instance, adjusted, false, false, kSolutionCheckTolerance);
    run.checkPassed = asWritten.passed || kept.passed;
    run.checkVerdict = asWritten.passed ? "passed (checked again now, the relations as written)"
                       : kept.passed ? "passed (checked again now, the original table's residuals kept, as "
                                       "with --additive n)"
                                     : "FAILED (checked again now)";
    run.checkLines = asWritten.passed || !kept.passed ? asWritten.lines : kept.lines;
}

ReportRun DescribeTable(const std::string& instancePath, const std::string& solutionPath,
                        const SolutionFileContents& solution)
{
    ReportRun run;
    const size_t slash = solutionPath.rfind('/');
    run.name = solutionPath.substr(slash == std::string::npos ? 0 : slash + 1);
    run.instancePath = instancePath;
    run.madeBy = std::string("Made by mainVRN.exe --report (VRN back-end ") + VRN_VERSION + ") from " +
                 solutionPath + " and " + instancePath + ".";
    run.facts.emplace_back("solution file", solutionPath);
    for (const auto& [key, value] : solution.header)
        if (key != "cells")
            run.facts.emplace_back(key + " (as the .sol says)", value);
    return run;
}

} // namespace

int RunReportCommand(const std::vector<std::string>& files)
{
    const auto start = std::chrono::steady_clock::now();
    const std::string& instancePath = files.at(0);
    const std::string& solutionPath = files.at(1);
    const std::string page = files.size() > 2 ? files[2] : PageBeside(solutionPath);
    if (SameFile(page, instancePath) || SameFile(page, solutionPath))
    {
        Complain("the report page " + EscapeControl(page) +
                 " would replace the instance or the .sol; name another");
        return kExitUsage;
    }
    Instance instance;
    SolutionFileContents solution;
    if (!ReadTheInstance(instancePath, instance) ||
        !ReadTheTable(solutionPath, instance, instancePath, solution))
        return kExitInstance;
    // One run at a time writes the files of a base: not the page of a run that is still writing them.
    ResultBaseLock lock;
    std::string error;
    if (!lock.Acquire(EndsWith(page, ".html") ? page.substr(0, page.size() - 5) : page, error))
    {
        Complain("ERROR: " + error);
        return kExitResultFiles;
    }
    const auto read = std::chrono::steady_clock::now();
    ReportRun run = DescribeTable(instancePath, solutionPath, solution);
    CheckAgain(instance, solution.adjusted, run);
    const auto checked = std::chrono::steady_clock::now();
    const TableMeasures measures = MeasureTable(instance, solution.adjusted);
    if (!WriteReportPage(page, measures, run, error))
    {
        Complain("ERROR: " + error);
        return kExitResultFiles;
    }
    const auto built = std::chrono::steady_clock::now();
    for (const std::string& line : HeadlineLines(measures))
        WriteStreamLine(stdout, line);
    if (!solution.HeaderValue("repaired instance").empty())
        WriteStreamLine(stdout, "note: the .sol says its table is of the repaired instance " +
                                    EscapeControl(solution.HeaderValue("repaired instance")) +
                                    ", whose bounds and protection levels it was protected with");
    WriteStreamLine(stdout, "solution check: " + run.checkVerdict);
    WriteStreamLine(stdout, "report page: " + EscapeControl(page) + " (built in " + Seconds(built - checked) +
                                " s; reading the files " + Seconds(read - start) + " s, the check " +
                                Seconds(checked - read) + " s)");
    return kExitProtected;
}

} // namespace vrn
