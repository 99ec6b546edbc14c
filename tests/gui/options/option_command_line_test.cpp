// The modes reach the back-end's command line: the real window starts the stand-in back-end
// (built beside this program as mainVRN.exe), which records the arguments it was given.
#include "gui_test_main.h"
#include "option_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace vrn::test
{
namespace
{

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

bool HasOption(const Arguments& args, const std::string& name, const std::string& value)
{
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == name && args[i + 1] == value)
            return true;
    return false;
}

bool HasName(const Arguments& args, const std::string& name)
{
    return std::find(args.begin(), args.end(), name) != args.end();
}

std::string Joined(const Arguments& args)
{
    std::string text;
    for (const auto& arg : args)
        text += arg + " ";
    return text;
}

class CommandLineTest : public OptionFormTest
{
protected:
    void SetUp() override
    {
        OptionFormTest::SetUp();
        folder = fs::temp_directory_path() / ("vrn-options-" + std::to_string(getpid()));
        fs::create_directories(folder);
        // The stand-in records its arguments when the instance is called "record".
        form.Get<wxFilePickerCtrl>("m_instanceFilePicker")->SetPath((folder / "record.csp").string());
        form.Get<wxDirPickerCtrl>("m_outputFolderPicker")->SetPath(folder.string());
    }

    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
        OptionFormTest::TearDown();
    }

    // Presses "Start optimization", waits for the run to end and returns what the back-end got.
    Arguments Run()
    {
        const fs::path record = folder / "args.txt";
        fs::remove(record);
        Press(form.Button("m_startButton"));
        EXPECT_TRUE(
            PumpUntil([&] { return form.Button("m_startButton")->GetLabel() == "Start optimization"; }));
        std::ifstream file(record, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        Arguments args;
        std::string current;
        for (char c : bytes)
        {
            if (c == '\0')
                args.push_back(std::exchange(current, std::string()));
            else
                current += c;
        }
        EXPECT_FALSE(args.empty()) << "the stand-in back-end recorded nothing";
        return args;
    }

    fs::path folder;
};

TEST_F(CommandLineTest, FastRowsReplaceStdRowsAfterTheSwitch)
{
    form.Text("m_progressText")->ChangeValue("10"); // Std only
    form.CheckBox("m_firstCheck")->SetValue(true);  // Std only
    form.Text("m_gapText")->ChangeValue("1");       // MIP only

    const Arguments stdArgs = Run();
    SCOPED_TRACE(Joined(stdArgs));
    EXPECT_TRUE(HasOption(stdArgs, "--progress", "10"));
    EXPECT_TRUE(HasOption(stdArgs, "--first", "y"));
    EXPECT_TRUE(HasOption(stdArgs, "--mipgap", "1"));
    EXPECT_FALSE(HasName(stdArgs, "--order"));
    EXPECT_FALSE(HasName(stdArgs, "--fixdir"));

    SelectFormulation(form, 1);
    const Arguments fast = Run();
    SCOPED_TRACE(Joined(fast));
    for (const auto& [name, value] : {std::pair<const char*, const char*>{"--order", "4-2-3-1"},
                                      {"--pct-bounds", "2"},
                                      {"--fixdir", "s"},
                                      {"--expobj", "0.5"},
                                      {"--epsf", "1.0e-4"},
                                      {"--epsrhs", "0"}})
        EXPECT_TRUE(HasOption(fast, name, value)) << name;
    for (const char* name : {"--progress", "--first", "--mipgap", "--intdev"})
        EXPECT_FALSE(HasName(fast, name)) << name;
    EXPECT_TRUE(HasOption(fast, "--solver", "x")) << "Xpress stays selected";
}

TEST_F(CommandLineTest, IntegerCellsInFastBringsTheMipRowsBack)
{
    form.Text("m_gapText")->ChangeValue("1");
    form.Text("m_progressText")->ChangeValue("10");
    SelectFormulation(form, 1);
    SetIntegerCells(form, true);

    const Arguments args = Run();
    SCOPED_TRACE(Joined(args));
    ASSERT_GE(args.size(), 7u);
    EXPECT_EQ(Arguments(args.begin() + 3, args.begin() + 7), (Arguments{"--solver", "x", "--intdev", "y"}));
    EXPECT_TRUE(HasOption(args, "--mipgap", "1"));
    EXPECT_TRUE(HasOption(args, "--order", "4-2-3-1"));
    EXPECT_FALSE(HasName(args, "--progress"));
}

TEST_F(CommandLineTest, SolverAtIndex3FollowsTheProblemClass)
{
    form.Choice("m_solverChoice")->SetStringSelection("Symphony");
    SelectFormulation(form, 1);
    EXPECT_TRUE(HasOption(Run(), "--solver", "l")) << "Symphony became Clp";
    SetIntegerCells(form, true);
    EXPECT_TRUE(HasOption(Run(), "--solver", "b")) << "Clp became Cbc";
}

} // namespace
} // namespace vrn::test
