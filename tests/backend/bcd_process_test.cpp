// Block coordinate descent through the real mainVRN.exe, started from an argument vector as the
// front-end starts it: every integer solver (GLPK through its sibling) improves on the start and
// passes the solution check, one progress line per block, status naming cycle and block, a stop
// during a block keeping the best table, and the options' errors.
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace
{

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// mainVRN.exe with standard input on a pipe and its output streams in files.
class Backend
{
public:
    Backend(const std::vector<std::string>& args, const fs::path& dir)
        : m_out(dir / "out.txt"), m_err(dir / "err.txt")
    {
        int in[2];
        if (pipe(in) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0)
        {
            dup2(in[0], 0);
            const int out = open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(out, 1);
            dup2(err, 2);
            std::vector<char*> argv{const_cast<char*>(VRN_BACKEND_EXE)};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(VRN_BACKEND_EXE, argv.data());
            _exit(127);
        }
        close(in[0]);
        m_stdin = in[1];
    }
    ~Backend()
    {
        if (m_status == -1 && m_pid > 0)
        {
            kill(m_pid, SIGKILL);
            Wait();
        }
    }
    void Send(const std::string& text) { (void)!write(m_stdin, text.data(), text.size()); }
    bool WaitForOutput(const std::string& pattern, double seconds)
    {
        const std::regex re(pattern);
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        for (; std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(std::chrono::milliseconds(50)))
            if (std::regex_search(Out(), re))
                return true;
        return false;
    }
    int Wait()
    {
        if (m_status == -1)
        {
            close(m_stdin);
            int raw = 0;
            waitpid(m_pid, &raw, 0);
            m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        return m_status;
    }
    std::string Out() const { return Slurp(m_out); }
    std::string Err() const { return Slurp(m_err); }

private:
    fs::path m_out, m_err;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_status = -1;
};

double NumberAfter(const std::string& text, const std::string& label)
{
    const size_t at = text.find(label);
    return at == std::string::npos ? -1 : std::stod(text.substr(at + label.size()));
}

class BcdProcess : public ::testing::Test
{
protected:
    fs::path m_dir;

    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("vrn_bcd_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Table(int rows, int cols)
    {
        vrn::GeneratorSettings settings;
        settings.dimensions = {vrn::Dimension::Flat(rows), vrn::Dimension::Flat(cols)};
        settings.maxValue = 999;
        const fs::path path = m_dir / "table.csp";
        std::ofstream out(path);
        vrn::WriteInstance(out, vrn::GenerateTable(settings));
        return path.string();
    }

    std::vector<std::string> Args(const std::string& table, const std::string& solver,
                                  const std::vector<std::string>& options)
    {
        std::vector<std::string> args{table, m_dir.string(), "--solver", solver};
        args.insert(args.end(), options.begin(), options.end());
        return args;
    }
};

TEST_F(BcdProcess, EveryIntegerSolverImprovesTheStartAndPassesTheCheck)
{
    const std::string table = Table(15, 15);
    for (const auto& [code, suffix] :
         {std::pair<std::string, std::string>{"b", "_cbc"}, {"g", "_glpk"}, {"s", "_sym"}})
    {
        Backend run(Args(table, code, {"--bcd-clusters", "3", "--bcd-cycle", "o", "--mipgap", "0"}), m_dir);
        ASSERT_EQ(run.Wait(), 0) << code << "\n" << run.Out() << run.Err();
        const std::string out = run.Out();
        for (const char* line : {"[vrn] BCD cycle 1, block 1 of 3: ", "[vrn] BCD cycle 1, block 3 of 3: ",
                                 "ended: one cycle done", "solution check: passed"})
            EXPECT_NE(out.find(line), std::string::npos) << code << ": " << line << "\n" << out;
        const double start =
            NumberAfter(out, "starting point: a protected table with total weighted change ");
        const double best = NumberAfter(out, "objective (total weighted change): ");
        EXPECT_GT(start, 0) << code;
        EXPECT_LE(best, start) << code;
        EXPECT_NE(Slurp(m_dir / ("table" + suffix + ".sol")).find("# check: passed"), std::string::npos)
            << code;
    }
}

TEST_F(BcdProcess, StatusNamesTheBlockAndAStopKeepsTheBestTable)
{
    Backend run(Args(Table(60, 60), "b", {"--bcd-clusters", "3", "--mipgap", "0", "--progress", "1"}), m_dir);
    ASSERT_TRUE(run.WaitForOutput("BCD: \\d+ sensitive cells", 60)) << run.Out() << run.Err();
    run.Send("status\n");
    ASSERT_TRUE(
        run.WaitForOutput("\\[vrn\\] BCD cycle 1, block 1 of 3 \\(\\d+ cells\\), [0-9.]+ s, best table", 30))
        << run.Out();
    run.Send("stop\n");
    EXPECT_EQ(run.Wait(), 0) << run.Out() << run.Err();
    const std::string out = run.Out();
    EXPECT_NE(out.find("outcome: feasible (stopped by the stop command)"), std::string::npos) << out;
    EXPECT_NE(out.find("ended: stopped by the stop command"), std::string::npos) << out;
    EXPECT_NE(out.find("solution check: passed"), std::string::npos) << out;
    EXPECT_LE(NumberAfter(out, "objective (total weighted change): "),
              NumberAfter(out, "starting point: a protected table with total weighted change "));
}

TEST_F(BcdProcess, OptionErrorsAndOptionsThatDoNotApply)
{
    const std::string table = Table(4, 4);
    struct Case
    {
        std::vector<std::string> options;
        int status;
        std::string text;
    };
    const std::vector<Case> cases{
        {{"--dyn-sprop", "150"}, 2, "option --dyn-sprop has the value '150'"},
        {{"--dyn-perturb", "-1"}, 2, "option --dyn-perturb has the value '-1'"},
        {{"--bcd-time", "0"}, 2, "option --bcd-time has the value '0'"},
        {{"--bcd-nstop", "0.5"}, 2, "option --bcd-nstop has the value '0.5'"},
        {{"--bcd-cycle", "x"}, 2, "option --bcd-cycle has the value 'x'"},
        {{"--bcd-time", "5"}, 0, "--bcd-time: applies to block coordinate descent only"},
        {{"--bcd-clusters", "2", "--dyn-sprop", "20"}, 0, "--dyn-sprop: applies to dynamic block coordinate"},
        {{"--bcd-clusters", "2", "--order", "1"}, 0, "--bcd-clusters: applies to the Std formulation only"},
    };
    for (const Case& c : cases)
    {
        Backend run(Args(table, "b", c.options), m_dir);
        EXPECT_EQ(run.Wait(), c.status) << c.options[0] << "\n" << run.Out() << run.Err();
        EXPECT_NE((run.Out() + run.Err()).find(c.text), std::string::npos) << c.text << "\n"
                                                                           << run.Out() << run.Err();
    }
}

} // namespace
