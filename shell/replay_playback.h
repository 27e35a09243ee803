#pragma once

#include <string>

#include "replay/player.h"
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
// Shows the replay in the window at normal speed through the shell's frames,
// then returns. Space pauses, the right arrow steps a tick while paused, +
// and - change the speed.
int watchReplay(const std::string& path, int argc, char** argv, const Options& options, const std::string& dataPrefix);

// A replay watched in the window: its player, speed and pause.
class Playback {
public:
    explicit Playback(const Replay& replay) : player(replay) {}
    // Ticks due this frame at the speed chosen: none while paused.
    int ticksDue();
    // Space, + and -; true for the right arrow while paused (a tick to step).
    void key(unsigned char key);
    bool stepKey(int specialKey) const;
    // What the window shows of it: "x1  tick 290 of 1539", or "x8  paused at ...".
    std::string status() const;
    // Once finished: the outcome and whether the game ended on the recorded
    // state, printed; the exit code.
    int report() const;

    ReplayPlayer player;

private:
    int speed = 2;  // of x0.25, x0.5, x1, x2, x4, x8
    bool paused = false;
    // Ticks owed to the speed, carried from frame to frame.
    double owed = 0.0;
};
