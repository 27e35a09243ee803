#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "shell/data_folder.h"

namespace fs = std::filesystem;

namespace {

// Three candidate places in a scratch folder, the working directory moved
// into the first for each test.
class DataFolderTest : public testing::Test {
protected:
    fs::path root, working, environment, installed;
    fs::path previous;

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "zandrel-data-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        working = root / "work";
        environment = root / "env";
        installed = root / "usr/share/zandrel";
        for (const fs::path& place : {working, environment, installed})
            fs::create_directories(place);
        previous = fs::current_path();
        fs::current_path(working);
    }
    void TearDown() override
    {
        fs::current_path(previous);
        fs::remove_all(root);
    }

    static void fill(const fs::path& place, bool graphics, bool sounds)
    {
        if (graphics)
            fs::create_directories(place / "graphics");
        if (sounds)
            fs::create_directories(place / "sounds");
    }
    std::string env() const { return environment.string(); }
};

TEST_F(DataFolderTest, TheWorkingDirectoryComesFirstAndKeepsPathsAsTheyWere)
{
    fill(working, true, true);
    fill(environment, true, true);
    fill(installed, true, true);
    DataFolder found = findDataFolder(env().c_str(), installed.string());
    EXPECT_EQ(found.prefix, "");
    EXPECT_TRUE(found.messages.empty());
}

TEST_F(DataFolderTest, ZandrelDataComesNextWhenTheWorkingDirectoryHasNeither)
{
    fill(environment, true, true);
    fill(installed, true, true);
    DataFolder found = findDataFolder(env().c_str(), installed.string());
    EXPECT_EQ(found.prefix, env() + "/");
    EXPECT_TRUE(found.messages.empty());
    // A trailing slash is not doubled.
    EXPECT_EQ(findDataFolder((env() + "/").c_str(), installed.string()).prefix, env() + "/");
}

TEST_F(DataFolderTest, APartialWorkingDirectoryIsReportedAndPassedOver)
{
    fill(working, false, true);
    fill(environment, true, true);
    DataFolder found = findDataFolder(env().c_str(), installed.string());
    EXPECT_EQ(found.prefix, env() + "/");
    ASSERT_EQ(found.messages.size(), 1u);
    EXPECT_EQ(found.messages[0], "The working directory has no graphics/: looking further");
}

TEST_F(DataFolderTest, TheInstalledFolderIsLastAndUnsetOrEmptyZandrelDataIsSkippedQuietly)
{
    fill(installed, true, true);
    for (const char* unset : {static_cast<const char*>(nullptr), ""}) {
        DataFolder found = findDataFolder(unset, installed.string());
        EXPECT_EQ(found.prefix, installed.string() + "/");
        EXPECT_TRUE(found.messages.empty());
    }
}

TEST_F(DataFolderTest, AMissingOrPartialZandrelDataIsReportedAndPassedOver)
{
    fill(installed, true, true);
    fill(environment, true, false);
    DataFolder partial = findDataFolder(env().c_str(), installed.string());
    EXPECT_EQ(partial.prefix, installed.string() + "/");
    ASSERT_EQ(partial.messages.size(), 1u);
    EXPECT_EQ(partial.messages[0], "ZANDREL_DATA folder " + env() + " has no sounds/: looking further");

    std::string nowhere = (root / "nowhere").string();
    DataFolder missing = findDataFolder(nowhere.c_str(), installed.string());
    EXPECT_EQ(missing.prefix, installed.string() + "/");
    ASSERT_EQ(missing.messages.size(), 1u);
    EXPECT_EQ(
        missing.messages[0], "ZANDREL_DATA folder " + nowhere + " has neither graphics/ nor sounds/: looking further");
}

TEST_F(DataFolderTest, FilesNamedLikeTheFoldersDoNotCount)
{
    std::ofstream(environment / "graphics") << "not a folder";
    fill(environment, false, true);
    fill(installed, true, true);
    DataFolder found = findDataFolder(env().c_str(), installed.string());
    EXPECT_EQ(found.prefix, installed.string() + "/");
    ASSERT_EQ(found.messages.size(), 1u);
    EXPECT_NE(found.messages[0].find("has no graphics/"), std::string::npos);
}

TEST_F(DataFolderTest, WithNothingFoundTheGameStartsFromTheWorkingDirectory)
{
    fill(working, true, false);
    fill(environment, false, true);
    fill(installed, true, false);
    DataFolder found = findDataFolder(env().c_str(), installed.string());
    EXPECT_EQ(found.prefix, "");
    ASSERT_EQ(found.messages.size(), 4u);
    EXPECT_EQ(found.messages[0], "The working directory has no sounds/: looking further");
    EXPECT_EQ(found.messages[1], "ZANDREL_DATA folder " + env() + " has no graphics/: looking further");
    EXPECT_EQ(found.messages[2], "Installed data folder " + installed.string() + " has no sounds/");
    EXPECT_EQ(
        found.messages[3], "No folder with the game's graphics/ and sounds/ found: playing without what is missing");
    // Without even an installed folder to name.
    EXPECT_EQ(findDataFolder(nullptr, "").messages.size(), 2u);
}

TEST_F(DataFolderTest, TheSourceTreeComesLastAndNothingFoundIsOneLineNamingEveryPlace)
{
    const fs::path source = root / "src";
    fill(source, true, true);
    fill(installed, true, false);
    EXPECT_EQ(findDataFolder(nullptr, installed.string(), source.string()).prefix, source.string() + "/");
    EXPECT_EQ(findDataFolder(nullptr, "", source.string()).notFound, "");

    fs::remove_all(source / "sounds");
    const DataFolder found = findDataFolder(env().c_str(), installed.string(), source.string());
    EXPECT_EQ(found.prefix, "");
    EXPECT_EQ(found.notFound,
        "no graphics/ and sounds/ in the working directory " + working.string() + ", $ZANDREL_DATA " + env() + ", " +
            installed.string() + ", " + source.string() + ": the game shows blank pictures and plays silently");
}

TEST(InstalledDataFolder, LiesBesideTheBinarysFolderUnderShare)
{
    fs::path binary = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(installedDataFolder(), (binary.parent_path().parent_path() / "share/zandrel").string());
}

}  // namespace
