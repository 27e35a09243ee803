#include "shell/data_folder.h"

#include <filesystem>
#include <system_error>

#include "zandrel_build.h"

namespace fs = std::filesystem;

namespace {

bool isFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// "" when folder holds both graphics/ and sounds/, else what it lacks.
std::string lacking(const fs::path& folder)
{
    bool graphics = isFolder(folder / "graphics");
    bool sounds = isFolder(folder / "sounds");
    if (graphics && sounds)
        return "";
    if (graphics)
        return "no sounds/";
    if (sounds)
        return "no graphics/";
    return "neither graphics/ nor sounds/";
}

std::string asPrefix(std::string folder)
{
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

}  // namespace

DataFolder findDataFolder(
    const char* environmentFolder, const std::string& installedFolder, const std::string& sourceFolder)
{
    DataFolder found;
    std::string missing = lacking(".");
    if (missing.empty())
        return found;
    std::error_code error;
    std::string lookedIn = "the working directory " + fs::current_path(error).string();
    // A working directory without either is the usual case once installed.
    if (missing != "neither graphics/ nor sounds/")
        found.messages.push_back("The working directory has " + missing + ": looking further");

    if (environmentFolder != nullptr && *environmentFolder != '\0') {
        lookedIn += ", $ZANDREL_DATA " + std::string(environmentFolder);
        missing = lacking(environmentFolder);
        if (missing.empty()) {
            found.prefix = asPrefix(environmentFolder);
            return found;
        }
        found.messages.push_back(
            "ZANDREL_DATA folder " + std::string(environmentFolder) + " has " + missing + ": looking further");
    }

    if (!installedFolder.empty()) {
        lookedIn += ", " + installedFolder;
        missing = lacking(installedFolder);
        if (missing.empty()) {
            found.prefix = asPrefix(installedFolder);
            return found;
        }
        found.messages.push_back("Installed data folder " + installedFolder + " has " + missing);
    }

    if (!sourceFolder.empty()) {
        lookedIn += ", " + sourceFolder;
        if (lacking(sourceFolder).empty()) {
            found.prefix = asPrefix(sourceFolder);
            return found;
        }
    }
    found.messages.push_back("No folder with the game's graphics/ and sounds/ found: "
                             "playing without what is missing");
    found.notFound = "no graphics/ and sounds/ in " + lookedIn + ": the game shows blank pictures and plays silently";
    return found;
}

std::string installedDataFolder()
{
    std::error_code error;
    fs::path binary = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return "";
    return (binary.parent_path() / ZANDREL_DATA_FROM_BINARY).lexically_normal().string();
}

std::string sourceDataFolder()
{
    const std::string buildTree = ZANDREL_BUILD_TREE;
    std::error_code error;
    const std::string binary = fs::read_symlink("/proc/self/exe", error).string();
    if (error || buildTree.empty() || binary.rfind(buildTree + "/", 0) != 0)
        return "";
    return ZANDREL_SOURCE_TREE;
}
