#pragma once

#include <span>

#include "characters/core/moves.h"

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
// A fighter's rows, in the order of its attack table.
std::span<const CpuMove> cpuMoves(int kind);
// Ticks from the press until the row's swing is over and the fighter is free.
int swingTicks(int kind, const CpuMove& move);
// The farthest distance from which some row lands `hits` hits.
float strikeRange(int kind, int hits);
// The farthest distance from which any row of the fighter lands a hit.
float farthestReach(int kind);
// How far a fighter's swings reach (two hits or more).
float threatReach(int kind);
