#pragma once

// Where the game keeps its replays, and how it names and saves them.
#include <ctime>
#include <filesystem>
#include <string>

#include "match/match.h"
#include "replay/replay_file.h"

constexpr int KEPT_REPLAYS = 100;

// $XDG_DATA_HOME/zandrel/replays, or ~/.local/share/zandrel/replays.
std::filesystem::path replayFolder();
// "2026-12-08_22-41-07_darth-vs-jack.zrp" from the bout's start in local time,
// with "_" and the tag before ".zrp" when there is one.
std::string replayFileName(const Replay& replay, std::time_t start, const std::string& tag = {});
// Writes the replay into the folder (made if missing) under a name of its
// own, then keeps only the newest replays there. The saved file's path, or ""
// with `error` set.
std::filesystem::path saveReplay(const Replay& replay, const std::filesystem::path& folder, std::string& error);
// The same under the given name (a number added if it is taken).
std::filesystem::path saveReplay(
    const Replay& replay, const std::filesystem::path& folder, const std::string& name, std::string& error);
// Whether a file name is one replayFileName or saveReplay makes.
bool isGameReplayName(const std::string& name);
// Removes the oldest of the replays the game saved in the folder beyond
// `keep`; any other file stays.
void pruneReplays(const std::filesystem::path& folder, int keep);
