#pragma once

#include <cstdint>
#include <span>

#include "players/cpu_lookahead.h"
#include "players/cpu_reach.h"
#include "players/cpu_view.h"

// How a level plays: how late it sees, how far and how widely it looks
// ahead, and how often it errs.
struct CpuLevel {
    int reaction;         // ticks between what it sees and what it does
    int think;            // ticks one decision's search is spread over, and the least it keeps to a choice
    Foresight foresight;  // how far it looks, against how many guesses, how carefully
    double hesitation;    // chance a decision is to stand still a while
    double wrongMove;     // chance an attack is any row, in reach or not
    double lateBlock;     // chance a block it chose comes a decision late
    double misjudge;      // how far off its judgement of each option is, in hits
};
CpuLevel cpuLevel(int control);

// A small deterministic generator: the same seed plays the same bout.
class CpuRandom {
public:
    explicit CpuRandom(std::uint32_t seed = 1);
    std::uint32_t next();
    double uniform() { return (next() >> 8) / double(1u << 24); }
    int below(int n) { return n > 0 ? int(next() % std::uint32_t(n)) : 0; }

private:
    std::uint32_t state;
};

// The computer playing one side at a level. Each tick it sees the match,
// keeps it, and acts only on what it saw `reaction` ticks ago: it brings that
// match up to the present with its own presses since, guessing the
// opponent's from what it saw them doing, then looks ahead from there
// (spread over the ticks of its current choice). It presses its own seven
// keys only.
class CpuPlayer : public Player {
public:
    CpuPlayer(int player, int control, std::uint32_t seed);
    void play(const MatchView& view, KeyState& keys) override;
    int reaction() const { return level.reaction; }

    // What it decides on one view, with nothing held over: for tests.
    unsigned decide(const MatchView& seen);

private:
    static constexpr int HISTORY = 64;
    void startThinking(long now, const MatchView& seen, long from);
    void choose(long from);
    void noteHabit(int state);
    unsigned planned(long tick) const;

    int player;
    CpuLevel level;
    CpuRandom random;
    MatchView history[HISTORY];
    unsigned pressed[HISTORY] = {};  // what it held each tick
    long seenCount = 0;
    int lastSeenState = RESTING;        // the opponent's, in the view it acted on last
    Beliefs habits{{0.5, 0.25, 0.25}};  // what the opponent has been seen doing, lately most

    Script plan;
    long planStart = 0;
    long planEnd = 0;  // the tick it decides again
    bool planSwings = false;
    Lookahead search;
    long searchFor = -1;  // the tick the search's choice starts, or -1
};

// Presses and releases its seven keys at random: the baseline any level must beat.
class ButtonMasher : public Player {
public:
    ButtonMasher(int player, std::uint32_t seed) : player(player), random(seed) {}
    void play(const MatchView& view, KeyState& keys) override;

private:
    int player;
    CpuRandom random;
    bool held[7] = {};
};
