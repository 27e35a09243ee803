// The table the computer plays by: where each attack row lands.
#include "players/cpu_reach.h"

#include <cmath>

#include "characters/darth.h"
#include "characters/jack.h"

namespace {

constexpr unsigned UP_V = CONTROL_UP | CONTROL_V;
constexpr unsigned DOWN_V = CONTROL_DOWN | CONTROL_V;
constexpr unsigned LEFT_H = CONTROL_LEFT | CONTROL_H;
constexpr unsigned RIGHT_H = CONTROL_RIGHT | CONTROL_H;

// Hits each row lands on a standing opponent, by the distance between the
// fighters from 1.0 to 16.0 in steps of 0.5, as `tournament --reach`
// measures them by playing each row through the rules.
constexpr CpuMove darthTable[] = {
    {RIGHT_H, false, {0, 0, 0, 0, 0, 0, 0, 0, 8, 9, 7, 8, 7, 5, 7, 7, 6, 5, 4, 3, 3, 3, 3, 1, 1, 0, 0, 0, 0, 0, 0}},
    {LEFT_H, false, {8, 7, 6, 6, 8, 11, 9, 9, 9, 8, 8, 8, 7, 5, 4, 4, 3, 3, 3, 3, 2, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}},
    {CONTROL_H, false, {0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 3, 5, 5, 4, 4, 5, 5, 3, 1, 2, 2, 2, 2, 2, 1, 0, 0, 0}},
    {DOWN_V, false, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 3, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {UP_V, false,
        {19, 19, 21, 20, 19, 17, 14, 13, 12, 11, 14, 13, 11, 11, 11, 10, 11, 10, 8, 5, 4, 3, 4, 3, 3, 0, 0, 0, 0, 0,
            0}},
    {CONTROL_V, false, {3, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 5, 3, 3, 4, 4, 4, 4, 2, 2, 2, 1, 1, 1, 0, 0, 0, 0, 0}},
};

// The spin turns a vertical swing already under way into a turn of the body
// (measured that way, so its hits include the swing's first ones).
constexpr CpuMove jackTable[] = {
    {LEFT_H, true, {0, 0, 0, 1, 8, 8, 10, 10, 8, 7, 6, 6, 6, 6, 6, 6, 4, 4, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0}},
    {DOWN_V, false, {0, 0, 0, 0, 2, 9, 9, 9, 9, 9, 9, 8, 8, 7, 8, 5, 4, 5, 5, 4, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {CONTROL_V, false,
        {3, 6, 7, 15, 16, 14, 16, 12, 14, 10, 10, 8, 9, 9, 8, 7, 6, 3, 3, 4, 3, 4, 2, 2, 2, 1, 0, 0, 0, 0, 0}},
    {CONTROL_H, false,
        {0, 0, 0, 17, 16, 16, 12, 13, 14, 12, 12, 12, 13, 10, 10, 11, 10, 9, 8, 6, 6, 6, 5, 2, 1, 0, 0, 0, 0, 0, 0}},
};

}  // namespace

std::span<const CpuMove> cpuMoves(int kind)
{
    if (kind == DARTH)
        return darthTable;
    return jackTable;
}

int CpuMove::hitsAt(float distance) const
{
    const int i = int(std::lround((distance - REACH_NEAREST) / REACH_STEP));
    return i >= 0 && i < REACH_STEPS ? hits[i] : 0;
}

int swingTicks(int kind, const CpuMove& move)
{
    const MoveSet& set = kind == DARTH ? darthMoves : jackMoves;
    const std::size_t row = std::size_t(&move - cpuMoves(kind).data());
    int ticks = 0;
    for (const Keyframe& k : set.attackRows[row].keyframes)
        ticks += k.steps;
    return ticks + (set.attackRows[row].rest ? 5 : 0);
}

float strikeRange(int kind, int hits)
{
    float range = 0.0f;
    for (const CpuMove& m : cpuMoves(kind))
        for (int i = 0; i < REACH_STEPS; ++i)
            if (m.hits[i] >= hits)
                range = std::fmax(range, REACH_NEAREST + i * REACH_STEP);
    return range;
}

float farthestReach(int kind)
{
    return strikeRange(kind, 1);
}

float threatReach(int kind)
{
    return strikeRange(kind, 2);
}
