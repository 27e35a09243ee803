#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "players/cpu_player.h"

// Who plays a side in a headless bout: a CPU level (CPU_EASY, CPU_NORMAL,
// CPU_HARD), the button masher, or one of the scripted habits.
constexpr int MASHER = PLAYER_CONTROL_COUNT;
constexpr int WALK_IN = MASHER + 1;
constexpr int BLOCKER = MASHER + 2;
constexpr int CIRCLER = MASHER + 3;
constexpr int TURTLE = MASHER + 4;
constexpr int CONTENDER_COUNT = MASHER + 5;
std::unique_ptr<Player> makePlayer(int contender, int player, std::uint32_t seed);
const char* contenderName(int contender);
// "easy", "normal", "hard", "masher", "walkin", "blocker", "circler" or
// "turtle"; -1 for anything else.
int contenderNamed(const std::string& name);

enum BoutEnd { KNOCKED_OUT = 0, TIMED_OUT = 1, RANG_OUT = 2, NEVER_ENDED = 3 };

struct BoutSetup {
    int contender[2];  // player 1, player 2
    int kind[2];       // JACK or DARTH
    std::uint32_t seed;
};

struct BoutResult {
    int winner = 0;  // 1, 2, or 0 for a draw
    BoutEnd end = NEVER_ENDED;
    // The player who walked off the arena by its own controls, or 0.
    int selfRingOut = 0;
    // Attack rows that took effect, a bit per row of each fighter's table.
    unsigned rowsUsed[2] = {};
    int ticks = 0;
};

// A fresh match, the choices, a bout, and ticks until the game is back in
// the menu; the calendar advances a second every 60 ticks.
BoutResult playBout(const BoutSetup& setup);

// Bouts between two contenders: every pairing of fighters, each side in
// both slots, seeds fixed by the bout's number.
struct Tally {
    int bouts = 0;
    int wins[2] = {};       // of contender a, b
    int draws = 0;          // by time, equal health
    int winsBy[2][3] = {};  // by knock-out, time, ring-out
    int selfRingOuts[2] = {};
    int neverEnded = 0;
    unsigned rowsUsed[2][2] = {};  // [contender][kind]
};
// The bouts are shared out between `threads` threads (0: one a core);
// `boutOver` (when given) is called once a bout is over, with the number
// over so far, from whichever thread played it, one call at a time. The
// tally does not depend on the number of threads.
Tally playPairing(
    int a, int b, int bouts, std::uint32_t firstSeed, int threads = 0, const std::function<void(int)>& boutOver = {});

// Which rows of its fighter's table take effect when `fighter` (before its
// update) reads these held controls.
unsigned rowsTakingEffect(const Character& fighter, unsigned held);
