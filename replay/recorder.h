#pragma once

#include <optional>

#include "match/match.h"
#include "replay/replay_file.h"

// The version of the game that records, as the build names it.
const char* gameVersion();

TickRecord recordOf(const TickInput& input);
// The tick's input without releases: a replayed bout never clicks.
TickInput inputOf(const TickRecord& record);

// Follows a match tick by tick and keeps a replay of each bout in it: from
// the tick a START release begins the bout to the tick it is back in the menu.
class ReplayRecorder {
public:
    // Before each step, with the match as the step will find it.
    void beforeTick(const Match& match);
    // After the step, with its input. True when a bout's replay has just
    // been completed: take it with takeFinished().
    bool afterTick(const Match& match, const TickInput& input);
    Replay takeFinished();

    bool recording() const { return active; }
    // The bout under way, ending where the match stands (the window closes).
    std::optional<Replay> takeUnfinished(const Match& match);

private:
    void finish(const Match& match);

    BoutStart before;
    int stateBefore = MENU;
    bool active = false;
    Replay current;
    Replay finished;
};
