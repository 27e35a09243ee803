#pragma once

#include <filesystem>

#include "match/match.h"
#include "replay/recorder.h"
#include "replay/replay_store.h"

// Every bout of the live match is recorded and saved when it ends, or when
// the game exits mid-bout. A failure to save prints one message; play goes on.
class Recording {
public:
    // Only the game main starts records; tests that tick the shell do not.
    void start();
    // A demo tick, or a watched one, is not recorded.
    void beforeTick(const Match& match, bool unrecorded);
    void afterTick(const Match& match, const TickInput& input, bool unrecorded);
    // The window closes, or the game exits, with a bout under way: the file
    // it was saved to, if it was.
    std::filesystem::path saveUnfinished();

private:
    ReplayRecorder recorder;
    bool on = false;
};
