#pragma once

#include <cstdint>

#include "players/cpu_player.h"

// Simple habits of a person, played on the view of the present tick with
// no mistakes: what any level of the computer should be measured against.

// Walks straight in and swings without pause, never blocking.
class WalkInPlayer : public Player {
public:
    WalkInPlayer(int player, std::uint32_t seed) : player(player), random(seed) {}
    void play(const MatchView& view, KeyState& keys) override;

private:
    int player;
    CpuRandom random;
    unsigned row = 0;
};

// Blocks nearly always; swings back when a swing at it is over, and now and then.
class BlockerPlayer : public Player {
public:
    BlockerPlayer(int player, std::uint32_t seed) : player(player), random(seed) {}
    void play(const MatchView& view, KeyState& keys) override;

private:
    int player;
    CpuRandom random;
    int opponentWas = RESTING;
    int swing = 0;  // ticks left of pressing its swing
    unsigned row = 0;
};

// Holds block from the first tick to the last.
class TurtlePlayer : public Player {
public:
    explicit TurtlePlayer(int player) : player(player) {}
    void play(const MatchView& view, KeyState& keys) override;

private:
    int player;
};

// Circles round the opponent at the edge of its own reach and pokes.
class CirclerPlayer : public Player {
public:
    CirclerPlayer(int player, std::uint32_t seed) : player(player), random(seed) {}
    void play(const MatchView& view, KeyState& keys) override;

private:
    int player;
    CpuRandom random;
    unsigned circle = CONTROL_UP;
    int ticks = 0;
    int nextPoke = 30;
};
