// MyProcess without a display: wx's base library with a console event loop of its own, and the
// run tests' stand-in back-end as the child. The stand-in's instance file name picks what it does.
#include "my_process.h"

#include <wx/app.h>
#include <wx/apptrait.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/utils.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using Clock = MyProcess::Clock;
using std::chrono::milliseconds;

const std::string kFffd = "\xEF\xBF\xBD";

// The toolkit's base and an active console event loop for the whole program: child ends are
// noticed through it.
class ConsoleEventLoop : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(wxInitialize());
        s_loop.reset(wxAppConsole::GetInstance()->GetTraits()->CreateEventLoop());
        wxEventLoopBase::SetActive(s_loop.get());
    }

    void TearDown() override
    {
        wxEventLoopBase::SetActive(nullptr);
        s_loop.reset();
        wxUninitialize();
    }

    // Handles what has arrived (waiting at most 10 ms for something to).
    static void DispatchOnce()
    {
        s_loop->DispatchTimeout(10);
        // wxTheApp would name the GUI application class, which this program does not link.
        wxAppConsole::GetInstance()->ProcessPendingEvents();
    }

private:
    static std::unique_ptr<wxEventLoopBase> s_loop;
};

std::unique_ptr<wxEventLoopBase> ConsoleEventLoop::s_loop;

[[maybe_unused]] const auto* const kLoopEnvironment =
    ::testing::AddGlobalTestEnvironment(new ConsoleEventLoop);

// A MyProcess that counts its own deletion, which it does itself once the child has ended.
class CountedProcess : public MyProcess
{
public:
    using MyProcess::MyProcess;
    ~CountedProcess() override { ++deleted; }

    static int deleted;
};

int CountedProcess::deleted = 0;

// One child run of the stand-in: its text collects in `output`, `ended` is set by the end notice.
class MyProcessTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder =
            fs::temp_directory_path() / ("vrn_my_process_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        CountedProcess::deleted = 0;
    }

    void TearDown() override { fs::remove_all(folder); }

    // Starts the stand-in on the scenario `name` with further arguments.
    void Start(const std::string& name, std::vector<std::string> extra = {})
    {
        std::vector<std::string> args = {VRN_FAKE_BACKEND, (folder / (name + ".csp")).string(),
                                         folder.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<const char*> argv;
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        argv.push_back(nullptr);
        process = new CountedProcess(output, [this] { ended = true; });
        ASSERT_NE(wxExecute(argv.data(), wxEXEC_ASYNC, process), 0);
    }

    // Dispatches events, running `pass` after each, until `done` or 20 s have passed.
    bool RunUntil(const std::function<bool()>& done, const std::function<void()>& pass)
    {
        const auto giveUp = Clock::now() + std::chrono::seconds(20);
        while (!done() && Clock::now() < giveUp)
        {
            ConsoleEventLoop::DispatchOnce();
            if (!ended && CountedProcess::deleted == 0)
                pass();
        }
        return done();
    }

    // The window's idle pass: read for a few milliseconds, then hand queued input over.
    void WindowPass()
    {
        process->ReadOutput(Clock::now() + milliseconds(5));
        process->SendQueuedInput();
    }

    fs::path folder;
    std::ostringstream output;
    bool ended = false;
    MyProcess* process = nullptr;
};

struct OutputCase
{
    const char* scenario;
    std::string shown;
};

void PrintTo(const OutputCase& c, std::ostream* os)
{
    *os << c.scenario;
}

class MyProcessOutputCases : public MyProcessTest, public ::testing::WithParamInterface<OutputCase>
{
};

TEST_P(MyProcessOutputCases, ShowsTheChildsTextWhole)
{
    Start(GetParam().scenario);
    ASSERT_TRUE(RunUntil([this] { return ended; }, [this] { WindowPass(); }));
    EXPECT_EQ(output.str(), GetParam().shown);
}

const OutputCase kOutputCases[] = {
    {"lineends", "alpha\rbetagamma\r\rdelta\r"},
    {"halfline", "first half second half\r"},
    // Characters cut between two writes are put together again.
    {"split", "caf\xC3\xA9 \xE2\x82\xAC\r"},
    // A character cut by the stream's end comes out as U+FFFD.
    {"invalid", "bad" + kFffd + kFffd + "tail\rcut" + kFffd + "next\rend" + kFffd},
    {"longline", std::string(300000, 'L') + "\rafter\r"},
    {"atonce", ""},
};

INSTANTIATE_TEST_SUITE_P(Scenarios, MyProcessOutputCases, ::testing::ValuesIn(kOutputCases),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST_F(MyProcessTest, StandardOutputComesBeforeStandardErrorInOnePass)
{
    // The stand-in writes to standard error first, then to standard output, and ends. Its end
    // may be noticed while it starts already; then the end notice has read both streams.
    Start("bothstreams");
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    while (!ended && !process->IsInputAvailable() && Clock::now() < giveUp)
        std::this_thread::sleep_for(milliseconds(5));
    // Both streams wait now: passes whose time is up at once.
    for (int pass = 0; pass < 5 && !ended; ++pass)
        process->ReadOutput(Clock::now());
    ASSERT_TRUE(RunUntil([this] { return ended; }, [this] { WindowPass(); }));
    EXPECT_EQ(output.str(), "from stdout\rfrom stderr\r");
}

// Numbered lines "line 1\r" to "line <count>\r", as the output area gets them.
std::string NumberedLines(long count)
{
    std::string text;
    for (long i = 1; i <= count; ++i)
        text += "line " + std::to_string(i) + "\r";
    return text;
}

TEST_F(MyProcessTest, FloodArrivesInOrderOneBlockPerPassOnceTimeIsUp)
{
    constexpr long kLines = 40000; // about 470 KB, seven times what a pipe holds
    Start("numberedflood", {"--seed", std::to_string(kLines)});
    std::vector<std::size_t> readPerPass;
    auto passWithNoTime = [this, &readPerPass]
    {
        const std::size_t before = output.str().size();
        process->ReadOutput(Clock::now());
        readPerPass.push_back(output.str().size() - before);
    };
    ASSERT_TRUE(RunUntil([this] { return ended; }, passWithNoTime));

    for (std::size_t read : readPerPass)
        EXPECT_LE(read, 64u * 1024u);
    // The one standard error line may come between two blocks; the flood itself is whole.
    std::string shown = output.str();
    const std::string errorLine = "from stderr\r";
    const std::size_t at = shown.find(errorLine);
    ASSERT_NE(at, std::string::npos);
    shown.erase(at, errorLine.size());
    EXPECT_EQ(shown.find(errorLine), std::string::npos);
    EXPECT_TRUE(shown == NumberedLines(kLines)) << "flood shown out of order or incomplete";
    std::size_t passesThatRead = 0;
    for (std::size_t read : readPerPass)
        passesThatRead += read > 0 ? 1 : 0;
    EXPECT_GE(passesThatRead, shown.size() / (64 * 1024));
}

TEST_F(MyProcessTest, ReadingWithTimeLeftTakesEverythingWaiting)
{
    // The stand-in greets, then waits for a line on its input.
    Start("echo");
    const auto giveUp = Clock::now() + std::chrono::seconds(20);
    while (output.str().empty() && Clock::now() < giveUp)
    {
        // Nothing is left waiting when the deadline is far.
        EXPECT_FALSE(process->ReadOutput(Clock::time_point::max()));
        std::this_thread::sleep_for(milliseconds(5));
    }
    EXPECT_EQ(output.str(), "ready\r");
    process->QueueInput("quit");
    ASSERT_TRUE(RunUntil([this] { return ended; }, [this] { WindowPass(); }));
    EXPECT_EQ(output.str(), "ready\rgot[quit]\r");
}

TEST_F(MyProcessTest, QueuedLinesReachTheChildInOrder)
{
    Start("echo");
    process->QueueInput("first line");
    process->QueueInput(std::string(100000, 'q')); // more than the pipe takes at once
    process->QueueInput("quit");
    EXPECT_TRUE(process->HasQueuedInput());
    ASSERT_TRUE(RunUntil([this] { return ended; }, [this] { WindowPass(); }));
    EXPECT_EQ(output.str(), "ready\rgot[first line]\rgot[" + std::string(100000, 'q') + "]\rgot[quit]\r");
}

TEST_F(MyProcessTest, DetachedRunEndsWithoutNoticeAndFreesItself)
{
    Start("writeafterclose");
    ASSERT_TRUE(RunUntil([this] { return output.str().find("started") != std::string::npos; },
                         [this] { WindowPass(); }));
    process->DetachFromOwner();
    // The child writes far more than a pipe holds; with nobody reading it must not wait forever.
    ASSERT_TRUE(
        RunUntil([this] { return fs::exists(folder / "done.txt") && CountedProcess::deleted > 0; }, [] {}));
    EXPECT_EQ(CountedProcess::deleted, 1);
    EXPECT_FALSE(ended);
    EXPECT_EQ(output.str(), "started\r");
}

TEST_F(MyProcessTest, EndNoticeComesOnceAndTheObjectFreesItself)
{
    Start("atonce");
    ASSERT_TRUE(RunUntil([this] { return ended; }, [this] { WindowPass(); }));
    EXPECT_EQ(CountedProcess::deleted, 1);
}

} // namespace
