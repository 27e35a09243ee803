// The computer player: what it sees, when, and what it presses.
#include "players/cpu_player.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned CONTROL_BLOCK = 1u << 6;
constexpr unsigned UP_V = CONTROL_UP | CONTROL_V;
constexpr unsigned DOWN_V = CONTROL_DOWN | CONTROL_V;
constexpr unsigned LEFT_H = CONTROL_LEFT | CONTROL_H;
constexpr unsigned RIGHT_H = CONTROL_RIGHT | CONTROL_H;

// Hits each row lands on a standing opponent, by the distance between the
// fighters from 1.0 to 16.0 in steps of 0.5, as `tournament --reach`
// measures them by playing each row through the rules.
constexpr CpuMove darthMoves[] = {
    {RIGHT_H, false, {0, 0, 0, 0, 0, 0, 0, 0, 8, 9, 7, 8, 7, 5, 7, 7, 6, 5, 4, 3, 3, 3, 3, 1, 1, 0, 0, 0, 0, 0, 0}},
    {LEFT_H, false, {8, 7, 6, 6, 8, 11, 9, 9, 9, 8, 8, 8, 7, 5, 4, 4, 3, 3, 3, 3, 2, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0}},
    {CONTROL_H, false, {0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 2, 2, 2, 3, 5, 5, 4, 4, 5, 5, 3, 1, 2, 2, 2, 2, 2, 1, 0, 0, 0}},
    {DOWN_V, false, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 3, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {UP_V, false, {19, 19, 21, 20, 19, 17, 14, 13, 12, 11, 14, 13, 11, 11, 11, 10, 11, 10, 8, 5, 4, 3, 4, 3, 3, 0, 0, 0, 0, 0, 0}},
    {CONTROL_V, false, {3, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 5, 3, 3, 4, 4, 4, 4, 2, 2, 2, 1, 1, 1, 0, 0, 0, 0, 0}},
};

// The spin turns a vertical swing already under way into a turn of the body
// (measured that way, so its hits include the swing's first ones).
constexpr CpuMove jackMoves[] = {
    {LEFT_H, true, {0, 0, 0, 1, 8, 8, 10, 10, 8, 7, 6, 6, 6, 6, 6, 6, 4, 4, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 0, 0}},
    {DOWN_V, false, {0, 0, 0, 0, 2, 9, 9, 9, 9, 9, 9, 8, 8, 7, 8, 5, 4, 5, 5, 4, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
    {CONTROL_V, false, {3, 6, 7, 15, 16, 14, 16, 12, 14, 10, 10, 8, 9, 9, 8, 7, 6, 3, 3, 4, 3, 4, 2, 2, 2, 1, 0, 0, 0, 0, 0}},
    {CONTROL_H, false, {0, 0, 0, 17, 16, 16, 12, 13, 14, 12, 12, 12, 13, 10, 10, 11, 10, 9, 8, 6, 6, 6, 5, 2, 1, 0, 0, 0, 0, 0, 0}},
};

constexpr double PI = 3.14159265;
constexpr float CIRCLE_ARC = 2.0f * float(PI) * 0.04f;
constexpr float WALK = 0.2f;

bool attacking(int state)
{
    return state == ATTACK_H || state == ATTACK_V;
}

}  // namespace

std::span<const CpuMove> cpuMoves(int kind)
{
    if (kind == DARTH)
        return darthMoves;
    return jackMoves;
}

int CpuMove::hitsAt(float distance) const
{
    const int i = int(std::lround((distance - REACH_NEAREST) / REACH_STEP));
    return i >= 0 && i < REACH_STEPS ? hits[i] : 0;
}

int mostHitsAt(int kind, float distance)
{
    int most = 0;
    for (const CpuMove& m : cpuMoves(kind))
        most = std::max(most, m.hitsAt(distance));
    return most;
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

float threatReach(int kind)
{
    float reach = 0.0f;
    for (const CpuMove& m : cpuMoves(kind))
        for (int i = 0; i < REACH_STEPS; ++i)
            if (m.hits[i] >= 2)
                reach = std::fmax(reach, REACH_NEAREST + i * REACH_STEP);
    return reach;
}

// Slower eyes, more mistakes and less nerve down the levels.
CpuLevel cpuLevel(int control)
{
    switch (control) {
    case CPU_EASY:
        return {6, 24, 0.15, 0.35, 0.5, 8.0, 0.3, 0.3, 15.0f};
    case CPU_NORMAL:
        return {5, 14, 0.07, 0.15, 0.25, 9.0, 0.7, 0.6, 4.0f};
    default:
        return {4, 8, 0.02, 0.04, 0.05, 10.0, 1.0, 1.0, 1.0f};
    }
}

std::uint32_t CpuRandom::next()
{
    // xorshift32: the same numbers on every machine.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float roomBehind(float x, float z, float ux, float uz)
{
    // The octagon as eight half-planes a.p <= c.
    struct Side {
        float ax, az, c;
    };
    constexpr Side sides[] = {
        {1, 0, 40}, {-1, 0, 40}, {0, 1, 40}, {0, -1, 40},
        {1, 1, 55.3f}, {-1, -1, 55.3f}, {1, -1, 55.3f}, {-1, 1, 55.3f},
    };
    float room = 1e9f;
    for (const Side& s : sides) {
        float along = s.ax * ux + s.az * uz;
        if (along <= 0.0f)
            continue;
        room = std::fmin(room, (s.c - (s.ax * x + s.az * z)) / along);
    }
    return room;
}

CpuPlayer::CpuPlayer(int player, int control, std::uint32_t seed)
    : player(player), level(cpuLevel(control)), random(seed)
{
}

void CpuPlayer::strike(const CpuMove& move)
{
    if (move.duringSwing) {
        plan(CONTROL_V, 2);
        plan(0, 3);
        plan(move.controls, 2);
    } else {
        plan(move.controls, 2);
    }
    // Block held through the swing takes over the moment it ends.
    plan(CONTROL_BLOCK, 4 + random.below(6));
}

// Away from the opponent while the room behind lasts, else round it.
unsigned CpuPlayer::retreat(const FighterView& me, const FighterView& op, float d)
{
    const unsigned away = player == 1 ? CONTROL_LEFT : CONTROL_RIGHT;
    const float back = roomBehind(me.x, me.z, (me.x - op.x) / d, (me.z - op.z) / d);
    if (back > level.edgeCare)
        return away;
    return circleAway(me, op, d);
}

// The sense of circling that leaves more room behind.
unsigned CpuPlayer::circleAway(const FighterView& me, const FighterView& op, float d) const
{
    auto roomAfterCircling = [&](unsigned control) {
        double sense = player == 1 ? 1.0 : -1.0;
        double t = sense * 20.0 * CIRCLE_ARC / d;
        if (control == CONTROL_DOWN)
            t = -t;
        double rx = me.x - op.x, rz = me.z - op.z;
        float x = float(op.x + std::cos(t) * rx - std::sin(t) * rz);
        float z = float(op.z + std::sin(t) * rx + std::cos(t) * rz);
        return roomBehind(x, z, (x - op.x) / d, (z - op.z) / d);
    };
    return roomAfterCircling(CONTROL_UP) >= roomAfterCircling(CONTROL_DOWN) ? CONTROL_UP : CONTROL_DOWN;
}

// Where to stand: walk in to striking distance, keep the edge behind at bay.
unsigned CpuPlayer::moveControls(const FighterView& me, const FighterView& op, float d)
{
    const unsigned towards = player == 1 ? CONTROL_RIGHT : CONTROL_LEFT;
    const unsigned away = player == 1 ? CONTROL_LEFT : CONTROL_RIGHT;
    const float ux = (me.x - op.x) / d;
    const float uz = (me.z - op.z) / d;
    const float back = roomBehind(me.x, me.z, ux, uz);

    const unsigned better = circleAway(me, op, d);
    const bool inReach = d <= threatReach(op.kind);
    const bool swinging = attacking(op.state);
    if (back < level.edgeCare) {
        // Back to the edge: get round the opponent, or step in when it is safe.
        if (!swinging && d > 9.0f)
            return towards | better;
        return better;
    }

    float preferred = strikeRange(me.kind, level.minHits);
    if (d > preferred + 1.0f && !swinging)
        return towards;
    if (d < preferred - 2.0f && back > level.edgeCare + 4.0f && !inReach)
        return away;
    if (inReach && random.uniform() < level.guard)
        return CONTROL_BLOCK;
    if (random.uniform() < 0.3)
        circleSense = random.uniform() < 0.5 ? 1 : -1;
    if (inReach)
        return 0;
    return random.uniform() < 0.5 ? 0u : (circleSense > 0 ? CONTROL_UP : CONTROL_DOWN);
}

// Rows that land more are chosen more; a wrong move is any row at all.
const CpuMove& CpuPlayer::chooseMove(int kind, float d)
{
    std::span<const CpuMove> moves = cpuMoves(kind);
    if (random.uniform() < level.wrongMove)
        return moves[random.below(int(moves.size()))];
    int total = 0;
    for (const CpuMove& m : moves)
        total += m.hitsAt(d) * m.hitsAt(d);
    int pick = random.below(total);
    for (const CpuMove& m : moves)
        if ((pick -= m.hitsAt(d) * m.hitsAt(d)) < 0)
            return m;
    return moves[0];
}

unsigned CpuPlayer::decide(const MatchView& seen)
{
    if (!seen.fighting)
        return 0;
    const FighterView& me = seen.fighters[player == 1 ? 0 : 1];
    const FighterView& op = seen.fighters[player == 1 ? 1 : 0];
    const float d = std::hypot(op.x - me.x, op.z - me.z);
    if (d <= 0.0f)
        return 0;

    if (random.uniform() < level.hesitation) {
        plan(0, 4 + random.below(10));
        return 0;
    }
    const bool opSwinging = attacking(op.state);
    const bool threat = d <= threatReach(op.kind);

    // Ahead on health: keep out of reach and let the clock run.
    if (me.health >= op.health + level.leadToKeep && d < threatReach(op.kind) + 1.5f) {
        unsigned away = retreat(me, op, d);
        if (away == 0 && threat && opSwinging)
            away = CONTROL_BLOCK;
        plan(away, 3);
        return away;
    }

    // In reach and open: strike with a row that lands from here.
    if (!attacking(me.state) && op.state != BLOCK && (!opSwinging || random.uniform() < level.counter) &&
        mostHitsAt(me.kind, d) >= level.minHits) {
        strike(chooseMove(me.kind, d));
        return queued[0].controls;
    }

    // A swing coming within reach: block it, unless this is the one missed.
    if (threat && opSwinging) {
        if (random.uniform() >= level.lateBlock) {
            plan(CONTROL_BLOCK, 4);
            return CONTROL_BLOCK;
        }
        plan(0, 6);
        return 0;
    }

    unsigned move = moveControls(me, op, d);
    plan(move, 3);
    return move;
}

void CpuPlayer::write(unsigned controls, KeyState& keys) const
{
    const PlayerKeys k = playerKeys(player);
    keys[k.up] = (controls & CONTROL_UP) ? 1 : 0;
    keys[k.down] = (controls & CONTROL_DOWN) ? 1 : 0;
    keys[k.right] = (controls & CONTROL_RIGHT) ? 1 : 0;
    keys[k.left] = (controls & CONTROL_LEFT) ? 1 : 0;
    keys[k.attackH] = (controls & CONTROL_H) ? 1 : 0;
    keys[k.attackV] = (controls & CONTROL_V) ? 1 : 0;
    keys[k.block] = (controls & CONTROL_BLOCK) ? 1 : 0;
}

void CpuPlayer::play(const MatchView& view, KeyState& keys)
{
    history[seenCount % HISTORY] = view;
    ++seenCount;
    if (seenCount <= level.reaction) {
        write(0, keys);
        return;
    }
    const MatchView& seen = history[(seenCount - 1 - level.reaction) % HISTORY];

    if (queuedAt >= queuedCount) {
        queuedCount = 0;
        queuedAt = 0;
        decide(seen);
    }
    unsigned controls = 0;
    if (queuedAt < queuedCount) {
        controls = queued[queuedAt].controls;
        if (--queued[queuedAt].ticks <= 0)
            ++queuedAt;
    }
    write(controls, keys);
}

void ButtonMasher::play(const MatchView&, KeyState& keys)
{
    const PlayerKeys k = playerKeys(player);
    const int entries[7] = {k.up, k.down, k.right, k.left, k.attackH, k.attackV, k.block};
    for (int i = 0; i < 7; ++i) {
        if (random.below(23) == 0)
            held[i] = !held[i];
        keys[entries[i]] = held[i] ? 1 : 0;
    }
}
