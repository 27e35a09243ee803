#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "match/match.h"
#include "replay/replay_file.h"

// A match as it stood when the recorded bout began, the bout started.
void beginRecordedBout(Match& match, const BoutStart& start, TickEvents& events);

// "knock-out, player 1 (Darth) wins", "time, a draw", ...
std::string describeOutcome(const BoutOutcome& outcome);

// Plays a replay's ticks, one at a time, on a match of its own.
class ReplayPlayer {
public:
    explicit ReplayPlayer(const Replay& replay);

    // Plays the next tick; false when there is none left.
    bool step(TickEvents& events);
    // The same in two halves, for a caller that plays the tick itself on
    // playing(): the next tick's recorded input (before the first, the
    // bout's start sounds into `events`), false when none is left; then
    // played() once the tick is done.
    bool next(TickInput& input, TickEvents& events);
    void played();
    // A bout still under way elsewhere (a watched room): its ticks as they
    // arrive, a run at a time, then the state it ended on.
    void append(const InputRun& run);
    void end(std::uint64_t finalHash) { replay.finalHash = finalHash; }
    Match& playing() { return game; }
    // Every tick given played (a bout still arriving may go on).
    bool finished() const { return ticksDone == replay.tickCount; }
    std::uint32_t ticksPlayed() const { return ticksDone; }
    std::uint32_t tickCount() const { return replay.tickCount; }
    const Match& match() const { return game; }
    const BoutOutcome& outcome() const { return result; }
    // Once finished: the game ended on the recorded state.
    bool hashMatches() const { return stateHash(game) == replay.finalHash; }
    std::uint64_t recordedHash() const { return replay.finalHash; }

private:
    void noteEnding();

    Replay replay;
    Match game;
    // The bout's start sounds, played with its first tick.
    TickEvents startEvents;
    std::size_t run = 0;
    std::uint32_t tickInRun = 0;
    std::uint32_t ticksDone = 0;
    BoutOutcome result;
};
