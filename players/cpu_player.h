#pragma once

#include <cstdint>
#include <span>

#include "players/cpu_view.h"

// One attack row as the computer plays it: the controls to press and how
// many hits it lands on a standing opponent at each distance.
constexpr float REACH_NEAREST = 1.0f;
constexpr float REACH_STEP = 0.5f;
constexpr int REACH_STEPS = 31;  // to 16.0
struct CpuMove {
    unsigned controls;  // Control bits of the row's keys
    bool duringSwing;   // pressed while another swing plays (Jack's spin)
    unsigned char hits[REACH_STEPS];
    int hitsAt(float distance) const;
};
std::span<const CpuMove> cpuMoves(int kind);
// The farthest distance from which some row lands `hits` hits.
float strikeRange(int kind, int hits);
// The farthest distance from which any row of the fighter lands a hit.
float farthestReach(int kind);
// How far a fighter's swings reach (two hits or more).
float threatReach(int kind);

// How a level plays: how late it sees, and how often it errs.
struct CpuLevel {
    int minHits;        // the fewest hits a row must promise to be swung
    int reaction;       // ticks between what it sees and what it does
    double hesitation;  // chance a decision is to stand still a while
    double wrongMove;   // chance an attack is any row, in reach or not
    double lateBlock;   // chance it does not block a swing in reach
    double edgeCare;    // room it keeps behind its back, world units
    double guard;       // chance it blocks while waiting in reach
    double counter;     // chance it swings into a swing rather than block
    int patience;       // ticks it guards against swings before going in
    float leadToKeep;   // health ahead at which it keeps out of reach
    float margin;       // room it keeps beyond the opponent's reach when ahead
};
CpuLevel cpuLevel(int control);

// A small deterministic generator: the same seed plays the same bout.
class CpuRandom {
public:
    explicit CpuRandom(std::uint32_t seed = 1) : state(seed * 2654435761u ^ 0x9E3779B9u) {}
    std::uint32_t next();
    double uniform() { return (next() >> 8) / double(1u << 24); }
    int below(int n) { return n > 0 ? int(next() % std::uint32_t(n)) : 0; }

private:
    std::uint32_t state;
};

// The computer playing one side at a level. It acts each tick on the view
// from `reaction` ticks ago, through its own seven keys only.
class CpuPlayer : public Player {
public:
    CpuPlayer(int player, int control, std::uint32_t seed);
    void play(const MatchView& view, KeyState& keys) override;
    int reaction() const { return level.reaction; }

    // What it decides on one view, with nothing held over: for tests.
    unsigned decide(const MatchView& seen);

private:
    static constexpr int HISTORY = 32;
    struct Step {
        unsigned controls;
        int ticks;
    };
    void plan(unsigned controls, int ticks)
    {
        if (queuedCount < 4)
            queued[queuedCount++] = {controls, ticks};
    }
    void strike(const CpuMove& move, int kind);
    const CpuMove* chooseMove(int kind, float d);
    float walkedSinceSeen() const;
    float strikeDistance(int kind) const;
    unsigned retreat(const FighterView& me, const FighterView& op, float d);
    unsigned circleAway(const FighterView& me, const FighterView& op, float d) const;
    unsigned keepAway(const FighterView& me, const FighterView& op, float d);
    unsigned moveControls(const FighterView& me, const FighterView& op, float d);

    int player;
    CpuLevel level;
    CpuRandom random;
    MatchView history[HISTORY];
    unsigned pressed[HISTORY] = {};  // what it held each tick
    long swingUntil = 0;             // the tick its own swing is over
    int guarded = 0;                 // ticks it has blocked in a row
    long seenCount = 0;
    Step queued[4] = {};
    int queuedCount = 0;
    int queuedAt = 0;
    int circleSense = 1;
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

// The distance from (x, z) to the arena's edge going along (ux, uz), a unit direction.
float roomBehind(float x, float z, float ux, float uz);
