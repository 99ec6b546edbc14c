#include "backend_locator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{

namespace fs = std::filesystem;

TEST(BackendSearchFolders, OwnFolderFirstThenEachPathEntry)
{
    EXPECT_EQ(vrn::BackendSearchFolders("/opt/vrn", "/usr/bin:/bin"),
              (std::vector<std::string>{"/opt/vrn", "/usr/bin", "/bin"}));
    EXPECT_EQ(vrn::BackendSearchFolders("/opt/vrn", ""), (std::vector<std::string>{"/opt/vrn"}));
    // An empty entry stands for the current folder, as the system's own search reads it.
    EXPECT_EQ(vrn::BackendSearchFolders("/opt/vrn", ":/bin:"),
              (std::vector<std::string>{"/opt/vrn", ".", "/bin", "."}));
}

class FindExecutableTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vrn-locator-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        fs::create_directories(root / "own");
        fs::create_directories(root / "path1");
        fs::create_directories(root / "path2");
    }
    void TearDown() override { fs::remove_all(root); }

    std::string Place(const std::string& folder, bool executable)
    {
        const fs::path file = root / folder / "mainVRN.exe";
        std::ofstream(file) << "#!/bin/sh\n";
        chmod(file.c_str(), executable ? 0755 : 0644);
        return file.string();
    }

    std::vector<std::string> Folders() const
    {
        return {(root / "own").string(), (root / "path1").string(), (root / "path2").string()};
    }

    fs::path root;
};

TEST_F(FindExecutableTest, OwnFolderWinsOverPath)
{
    const std::string own = Place("own", true);
    Place("path1", true);
    EXPECT_EQ(vrn::FindExecutable("mainVRN.exe", Folders()), own);
}

TEST_F(FindExecutableTest, FirstPathFolderThatHoldsAnExecutable)
{
    Place("own", false);
    const std::string second = Place("path2", true);
    EXPECT_EQ(vrn::FindExecutable("mainVRN.exe", Folders()), second);
}

TEST_F(FindExecutableTest, AFolderOfThatNameIsNotTheProgram)
{
    fs::create_directories(root / "own" / "mainVRN.exe");
    EXPECT_EQ(vrn::FindExecutable("mainVRN.exe", Folders()), "");
}

TEST(BackendLocator, NotFoundMessageNamesTheProgramAndWhereItLooked)
{
    const std::string message = vrn::BackendNotFoundMessage("mainVRN.exe", "/opt/vrn/bin", "/usr/bin:/bin");
    EXPECT_NE(message.find("mainVRN.exe"), std::string::npos);
    EXPECT_NE(message.find("/opt/vrn/bin"), std::string::npos);
    EXPECT_NE(message.find("/usr/bin:/bin"), std::string::npos);
    EXPECT_EQ(message.find('\n'), std::string::npos);
}

TEST(BackendLocator, OwnFolderHoldsThisProgram)
{
    const std::string own = vrn::OwnProgramFolder();
    ASSERT_FALSE(own.empty());
    EXPECT_TRUE(fs::exists(fs::path(own) / fs::read_symlink("/proc/self/exe").filename()));
}

} // namespace
