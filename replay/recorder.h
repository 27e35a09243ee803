#pragma once

#include <optional>

#include "match/match.h"
#include "replay/replay_file.h"

// The version of the game that records, as the build names it.
const char* gameVersion();

// What the match keeps that the bout's start leaves as it is.
BoutStart boutStartOf(const Match& match);

TickRecord recordOf(const TickInput& input);
// The tick's input without releases: a replayed bout never clicks.
TickInput inputOf(const TickRecord& record);

// Follows a match tick by tick and keeps a replay of each bout in it: from
// the tick a START release begins the bout to the tick it is back in the menu.
class ReplayRecorder {
public:
    // Before each step, with the match as the step will find it. True when
    // the bout under way was ended between ticks (the match was sent back to
    // the title): its replay ends at the last tick, take it with takeFinished().
    bool beforeTick(const Match& match);
    // After the step, with its input. True when a bout's replay has just
    // been completed: take it with takeFinished().
    bool afterTick(const Match& match, const TickInput& input);
    Replay takeFinished();

    bool recording() const { return active; }
    // The bout under way, ending at its last tick (the window closes).
    std::optional<Replay> takeUnfinished();

private:
    void finish();

    BoutStart before;
    int stateBefore = MENU;
    bool active = false;
    Replay current;
    // The match's hash after the last tick recorded.
    std::uint64_t lastHash = 0;
    Replay finished;
};
