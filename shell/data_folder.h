#pragma once

#include <string>
#include <vector>

// Where the art and sounds were found, as a prefix for "graphics/..." and
// "sounds/...": "" for the working directory, else a folder ending in '/'.
struct DataFolder {
    std::string prefix;
    // Why a place was passed over, one line each, for standard output.
    std::vector<std::string> messages;
    // When no place held both: one line for standard error saying where the
    // game looked.
    std::string notFound;
};

// Looks in the working directory, then in environmentFolder ($ZANDREL_DATA,
// nullptr when unset), then in installedFolder (the installed share/zandrel),
// then in sourceFolder (the source tree of a build run from its build tree;
// "" for none). A place counts when it holds both graphics/ and sounds/. When
// none does, the working directory is used and the game goes on without what
// is missing.
DataFolder findDataFolder(
    const char* environmentFolder, const std::string& installedFolder, const std::string& sourceFolder = "");

// The installed data folder for the running binary, from /proc/self/exe and
// the install layout ("" when the binary cannot be found).
std::string installedDataFolder();
// The source tree the binary was built from, when the binary runs from its
// build tree; "" otherwise.
std::string sourceDataFolder();
