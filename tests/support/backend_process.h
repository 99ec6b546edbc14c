// What the back-end's process tests share: mainVRN.exe of this build started from an argument
// vector, each test's own output folder, the files it writes there and the result files it reads back.
#pragma once

#include "instance/instance.h"
#include "tools/child_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vrn::test
{

// mainVRN.exe and vrn-gen of this build, and an instance of the examples folder.
const char* BackendProgram();
const char* GeneratorProgram();
std::filesystem::path ExamplePath(const std::string& name = "table3x3.csp");

// The whole file, byte for byte; empty when it cannot be read.
std::string ReadTextFile(const std::filesystem::path& path);

// A .sol file: its header lines, each cell's adjusted value in order, the cell count its header
// announces, and whether every other line is a whole cell line in its place.
struct SolutionFile
{
    std::string header;
    std::vector<double> adjusted;
    size_t announced = 0;
    bool whole = true;
};
SolutionFile ReadSolutionFile(const std::filesystem::path& path);

// mainVRN.exe with `args` after its name, to the end, standard input closed at once (end of input
// is not a stop).
ChildResult RunBackend(std::vector<std::string> args);

// mainVRN.exe with `args` after its name, as a child the test talks to.
class BackendChild : public ChildProcess
{
public:
    explicit BackendChild(const std::vector<std::string>& args, ChildSetup setup = {});
};

// Each test's own output folder, empty when the test starts and removed after it.
class BackendProcessTest : public ::testing::Test
{
protected:
    std::filesystem::path m_dir;

    void SetUp() override;
    void TearDown() override;

    // A file of the folder with this text, byte for byte.
    std::filesystem::path Write(const std::string& name, const std::string& text) const;
    // A .csp file of the folder with this table.
    std::filesystem::path WriteTable(const std::string& name, const Instance& table) const;
    // A generated SIDE x SIDE table with its margins (seed 3), written as tSIDE.csp; `table` gets it.
    std::filesystem::path BigTable(Instance& table, int side = 60) const;
    // The text of an instance of the examples folder.
    static std::string Example(const std::string& name = "table3x3.csp")
    {
        return ReadTextFile(ExamplePath(name));
    }
    // The table of a .csp text that has no errors.
    static Instance Parse(const std::string& text);
};

} // namespace vrn::test
