#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "match/match.h"
#include "replay/replay_file.h"

// Every bout of the live match is recorded and saved when it ends, or when
// the game exits mid-bout. A failure to save prints one message; play goes on.
void startReplayRecording();
void recordBeforeTick(const Match& match);
void recordAfterTick(const Match& match, const TickInput& input);

constexpr int KEPT_REPLAYS = 100;

// $XDG_DATA_HOME/zandrel/replays, or ~/.local/share/zandrel/replays.
std::filesystem::path replayFolder();
// "2026-12-08_22-41-07_darth-vs-jack.zrp", from the bout's start in local time.
std::string replayFileName(const Replay& replay);
// Writes the replay into the folder (made if missing), then keeps only the
// newest replays there. The saved file's path, or "" with `error` set.
std::filesystem::path saveReplay(const Replay& replay, const std::filesystem::path& folder, std::string& error);
// Removes the oldest replays of the folder beyond `keep`.
void pruneReplays(const std::filesystem::path& folder, int keep);
