#pragma once

#include <string>

#include "replay/replay_file.h"
#include "shell/options.h"

// Exit codes of playing a replay.
constexpr int REPLAY_MATCHES = 0;
constexpr int REPLAY_DIFFERS = 1;
constexpr int REPLAY_UNREADABLE = 2;

// Reads and checks a replay file; `message` names the file and what is wrong.
bool readReplayFile(const std::string& path, Replay& replay, std::string& message);

// Plays the replay headless as fast as it goes: the trace lines, the outcome
// and whether the final state matches.
int verifyReplay(const std::string& path);
// Shows the replay in the window at normal speed, then returns. Space pauses,
// the right arrow steps a tick while paused, + and - change the speed.
int watchReplay(const std::string& path, int argc, char** argv, const Options& options, const std::string& dataPrefix);
