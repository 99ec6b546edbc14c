#include "backend_process.h"

#include "tools/table_generator.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace vrn::test
{

const char* BackendProgram()
{
    return VRN_BACKEND_EXE;
}

const char* GeneratorProgram()
{
    return VRN_GENERATOR;
}

fs::path ExamplePath(const std::string& name)
{
    return fs::path(VRN_EXAMPLES_DIR) / name;
}

std::string ReadTextFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SolutionFile ReadSolutionFile(const fs::path& path)
{
    SolutionFile s;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
    {
        if (!line.empty() && line[0] == '#')
        {
            s.header += line + "\n";
            if (line.rfind("# cells: ", 0) == 0)
                s.announced = std::stoul(line.substr(9));
            continue;
        }
        std::istringstream fields(line);
        size_t index;
        double original, adjusted, change;
        char status;
        if (fields >> index >> original >> adjusted >> change >> status && index == s.adjusted.size())
            s.adjusted.push_back(adjusted);
        else
            s.whole = false;
    }
    return s;
}

namespace
{

std::vector<std::string> WithProgramName(std::vector<std::string> args)
{
    args.insert(args.begin(), "mainVRN.exe");
    return args;
}

} // namespace

ChildResult RunBackend(std::vector<std::string> args)
{
    return RunChild(BackendProgram(), WithProgramName(std::move(args)));
}

BackendChild::BackendChild(const std::vector<std::string>& args, ChildSetup setup)
    : ChildProcess(BackendProgram(), WithProgramName(args), setup)
{
}

void BackendProcessTest::SetUp()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    m_dir = fs::temp_directory_path() / ("vrn_" + std::string(test->test_suite_name()) + "_" +
                                         std::to_string(getpid()) + "_" + test->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
}

void BackendProcessTest::TearDown()
{
    fs::remove_all(m_dir);
}

fs::path BackendProcessTest::Write(const std::string& name, const std::string& text) const
{
    std::ofstream(m_dir / name, std::ios::binary) << text;
    return m_dir / name;
}

fs::path BackendProcessTest::WriteTable(const std::string& name, const Instance& table) const
{
    std::ofstream out(m_dir / name);
    WriteInstance(out, table);
    return m_dir / name;
}

fs::path BackendProcessTest::BigTable(Instance& table, int side) const
{
    GeneratorSettings settings;
    settings.dimensions = {Dimension::Flat(side), Dimension::Flat(side)};
    settings.seed = 3;
    table = GenerateTable(settings);
    return WriteTable("t" + std::to_string(side) + ".csp", table);
}

Instance BackendProcessTest::Parse(const std::string& text)
{
    ReadResult read = ReadInstanceText(text, false);
    EXPECT_TRUE(read.errors.empty());
    return read.instance;
}

} // namespace vrn::test
