#include "driver/sibling_start.h"

#include "cli/run_settings.h"
#include "common/number_format.h"
#include "fast/table_repair.h"
#include "results/solution_reader.h"
#include "tools/child_process.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace vrn
{

std::vector<std::string> SiblingStartOptions(const BackendOptions& options, double seconds)
{
    static const std::set<std::string> kShaping = {
        "--additive", "--intdev",      "--intdevtol", "--scale",    "--big",    "--feasibility",
        "--lptol",    "--integrality", "--seed",      "--prepsens", "--method", "--crossover"};
    std::vector<std::string> args = {"--solver", "l", "--order", "1", "--fixdir", "s"};
    if (seconds > 0)
    {
        args.push_back("--time");
        args.push_back(LogNumber(seconds));
    }
    for (const auto& [name, value] : options.given)
        if (kShaping.count(name))
        {
            args.push_back(name);
            args.push_back(value);
        }
    return args;
}

namespace
{

// A folder of its own for the sibling's table and files, removed with everything in it.
class PrivateFolder
{
public:
    PrivateFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vrn-start-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~PrivateFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            fs::remove_all(m_path, ignored);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The sibling's lines on how it chose and mended the directions, for this run's log.
void RelayDirectionLines(const std::string& out, const RunLog& log)
{
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("directions", 0) == 0 || line.rfind("objective 1 (total weighted change):", 0) == 0)
            log.say("  " + line);
    }
}

// Runs the sibling until it ends, passing a stop of this run on as its own "stop" command.
int RunUntilEnd(ChildProcess& child, double seconds, RunControl& control)
{
    // The sibling ends at its own time limit; it gets a little more to write its table.
    const auto end =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds > 0 ? seconds + 5 : 1e9);
    bool stopSent = false;
    while (!child.Ended() && std::chrono::steady_clock::now() < end)
    {
        if (!stopSent && control.StopRequested())
            stopSent = child.Send("stop\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return child.WaitAtMost(stopSent ? 3 : 0.1);
}

} // namespace

std::vector<double> StartingTableFromSibling(const std::string& program, const Instance& instance,
                                             const BackendOptions& options, double seconds,
                                             RunControl& control, const RunLog& log)
{
    const PrivateFolder folder;
    if (folder.Path().empty())
        return {};
    const std::string csp = folder.Path() + "/start.csp";
    {
        std::ofstream out(csp);
        WriteInstance(out, instance);
        if (!out.flush())
            return {};
    }
    log.say("starting point (s): from " + program +
            " beside this program (CLP and CBC; GLPK's simplex is slow on the start's linear programs) ...");
    std::vector<std::string> args = {program, csp, folder.Path()};
    for (std::string& arg : SiblingStartOptions(options, seconds))
        args.push_back(std::move(arg));
    ChildSetup setup;
    setup.dieWithParent = true;
    ChildProcess child(program, args, setup);
    if (!child.Started())
        return {};
    const int status = RunUntilEnd(child, seconds, control);
    RelayDirectionLines(child.Out(), log);
    const SolutionFileContents sol = ReadSolutionFile(folder.Path() + "/start_clp.sol");
    if (status != 0 || !sol.errors.empty() || sol.adjusted.size() != instance.cells.size() ||
        !MismatchWithInstance(sol, instance, csp).empty() ||
        !TablePasses(instance, FastRunSettingsFromOptions(instance, options), sol.adjusted))
    {
        log.say("starting point: " + program + " gave no checked table (exit status " +
                std::to_string(status) + ")");
        return {};
    }
    return sol.adjusted;
}

} // namespace vrn
