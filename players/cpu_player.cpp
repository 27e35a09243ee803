// The computer player: what it sees, when, and what it presses.
#include "players/cpu_player.h"

#include <algorithm>
#include <cmath>

#include "characters/darth.h"
#include "characters/jack.h"

namespace {

// Marks the ticks of its own log when its swing was under way.
constexpr unsigned OWN_SWING = 1u << 7;
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

constexpr double PI = 3.14159265;
constexpr float CIRCLE_ARC = 2.0f * float(PI) * CIRCLE_AMOUNT;
constexpr float WALK = WALK_AMOUNT;

// Ticks from the press until the row's swing is over and the fighter is free.
int swingTicks(int kind, const CpuMove& move)
{
    const MoveSet& set = kind == DARTH ? darthMoves : jackMoves;
    const std::size_t row = std::size_t(&move - cpuMoves(kind).data());
    int ticks = 0;
    for (const Keyframe& k : set.attackRows[row].keyframes)
        ticks += k.steps;
    return ticks + (set.attackRows[row].rest ? 5 : 0);
}

bool attacking(int state)
{
    return state == ATTACK_H || state == ATTACK_V;
}

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

// Slower eyes and more mistakes down the levels; the weaker a level, the
// sooner it settles for a lead and keeps out of reach.
CpuLevel cpuLevel(int control)
{
    switch (control) {
    case CPU_EASY: return {2, 24, 0.15, 0.35, 0.3, 8.0, 0.3, 0.8, 24, 1.0f, 1.0f};
    case CPU_NORMAL: return {2, 14, 0.07, 0.15, 0.25, 9.0, 0.7, 0.9, 16, 3.0f, 1.0f};
    default: return {2, 8, 0.02, 0.04, 0.05, 10.0, 1.0, 1.0, 8, 3.0f, 1.5f};
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
        {1, 0, ARENA_HALF_WIDTH},
        {-1, 0, ARENA_HALF_WIDTH},
        {0, 1, ARENA_HALF_WIDTH},
        {0, -1, ARENA_HALF_WIDTH},
        {1, 1, ARENA_CORNER_CUT},
        {-1, -1, ARENA_CORNER_CUT},
        {1, -1, ARENA_CORNER_CUT},
        {-1, 1, ARENA_CORNER_CUT},
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
    : player(player),
      level(cpuLevel(control)),
      random(seed)
{}

void CpuPlayer::strike(const CpuMove& move, int kind)
{
    // Its own swing it knows without looking: it cannot move or block until it is over.
    swingUntil = seenCount + swingTicks(kind, move);
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

// How near it comes before it strikes: half a step inside the farthest
// distance from which a row lands the hits it wants.
float CpuPlayer::strikeDistance(int kind) const
{
    return strikeRange(kind, level.minHits) - REACH_STEP;
}

// How much nearer its own steps have brought it since the view it acts on.
float CpuPlayer::walkedSinceSeen() const
{
    const unsigned towards = player == 1 ? CONTROL_RIGHT : CONTROL_LEFT;
    const unsigned away = player == 1 ? CONTROL_LEFT : CONTROL_RIGHT;
    float walked = 0.0f;
    for (long t = std::max(0L, seenCount - 1 - level.reaction); t < seenCount - 1; ++t) {
        const unsigned c = pressed[t % HISTORY];
        if (c & (OWN_SWING | CONTROL_BLOCK | CONTROL_H | CONTROL_V))
            continue;
        if (c & towards)
            walked += WALK;
        else if (c & away)
            walked -= WALK;
    }
    return walked;
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

// Where to stand when behind or level: in to striking distance, with the
// edge behind kept at bay. Near the opponent's reach it commits to the walk
// in, so the stretch where only the opponent lands is crossed at once.
unsigned CpuPlayer::moveControls(const FighterView& me, const FighterView& op, float d)
{
    const unsigned towards = player == 1 ? CONTROL_RIGHT : CONTROL_LEFT;
    const unsigned away = player == 1 ? CONTROL_LEFT : CONTROL_RIGHT;
    const float back = roomBehind(me.x, me.z, (me.x - op.x) / d, (me.z - op.z) / d);
    const bool swinging = attacking(op.state);
    const float striking = strikeDistance(me.kind);

    if (back < level.edgeCare) {
        // Back to the edge: get round the opponent, or step in when it is safe.
        const unsigned better = circleAway(me, op, d);
        const unsigned move = !swinging || d <= striking ? towards | better : better;
        plan(move, 3);
        return move;
    }
    if (d > striking) {
        const bool dash = d < farthestReach(op.kind) + 3.0f;
        plan(towards, dash ? int((d - striking) / WALK) + 2 : 3);
        return towards;
    }
    if (d < striking - 5.0f && back > level.edgeCare + 4.0f) {
        plan(away, 3);
        return away;
    }
    if (op.state == BLOCK && random.uniform() < level.guard) {
        plan(CONTROL_BLOCK, 4);
        return CONTROL_BLOCK;
    }
    if (random.uniform() < 0.3)
        circleSense = random.uniform() < 0.5 ? 1 : -1;
    const unsigned circle = circleSense > 0 ? CONTROL_UP : CONTROL_DOWN;
    plan(circle, 3);
    return circle;
}

// Ahead on health: out of the opponent's reach, round it when the edge is
// near, and let the clock run.
unsigned CpuPlayer::keepAway(const FighterView& me, const FighterView& op, float d)
{
    const bool swinging = attacking(op.state);
    unsigned move = 0;
    if (d < farthestReach(op.kind) + level.margin) {
        move = retreat(me, op, d);
        if (d <= threatReach(op.kind) && swinging && (move & (CONTROL_LEFT | CONTROL_RIGHT)) == 0)
            move = CONTROL_BLOCK;
    } else if (roomBehind(me.x, me.z, (me.x - op.x) / d, (me.z - op.z) / d) < level.edgeCare + 6.0f) {
        move = circleAway(me, op, d);
    }
    plan(move, 3);
    return move;
}

// None when no row promises enough from here; else rows that land more hits
// for the time they take are chosen more, and a wrong move is any row at all.
const CpuMove* CpuPlayer::chooseMove(int kind, float d)
{
    std::span<const CpuMove> moves = cpuMoves(kind);
    if (d > strikeDistance(kind))
        return nullptr;
    if (random.uniform() < level.wrongMove)
        return &moves[random.below(int(moves.size()))];
    double total = 0.0;
    double weight[8] = {};
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const int hits = moves[i].hitsAt(d);
        if (hits >= level.minHits) {
            const double rate = double(hits) / swingTicks(kind, moves[i]);
            weight[i] = rate * rate;
            total += weight[i];
        }
    }
    double pick = random.uniform() * total;
    for (std::size_t i = 0; i < moves.size(); ++i)
        if ((pick -= weight[i]) < 0.0 && weight[i] > 0.0)
            return &moves[i];
    return &moves[0];
}

unsigned CpuPlayer::decide(const MatchView& seen)
{
    if (!seen.fighting)
        return 0;
    const FighterView& me = seen.fighters[player == 1 ? 0 : 1];
    const FighterView& op = seen.fighters[player == 1 ? 1 : 0];
    const float seenApart = std::hypot(op.x - me.x, op.z - me.z);
    if (seenApart <= 0.0f)
        return 0;
    const float d = std::fmax(0.5f, seenApart - walkedSinceSeen());

    if (random.uniform() < level.hesitation) {
        plan(0, 4 + random.below(10));
        return 0;
    }
    const bool opSwinging = attacking(op.state);
    const bool threat = d <= threatReach(op.kind);

    if (me.health >= op.health + level.leadToKeep) {
        guarded = 0;
        return keepAway(me, op, d);
    }

    // In reach and open: strike with a row that lands from here.
    if (seenCount >= swingUntil && !attacking(me.state) && op.state != BLOCK &&
        (!opSwinging || random.uniform() < level.counter)) {
        if (const CpuMove* move = chooseMove(me.kind, d)) {
            guarded = 0;
            strike(*move, me.kind);
            return queued[0].controls;
        }
    }

    // A swing coming within reach: block it, unless this is the one missed;
    // after a while behind the guard, go in all the same.
    if (threat && opSwinging && guarded < level.patience) {
        guarded += 4;
        if (random.uniform() >= level.lateBlock) {
            plan(CONTROL_BLOCK, 4);
            return CONTROL_BLOCK;
        }
        plan(0, 4);
        return 0;
    }
    guarded = 0;
    return moveControls(me, op, d);
}

void CpuPlayer::play(const MatchView& view, KeyState& keys)
{
    history[seenCount % HISTORY] = view;
    ++seenCount;
    if (seenCount <= level.reaction) {
        writeControls(player, 0, keys);
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
    pressed[(seenCount - 1) % HISTORY] = controls | (seenCount <= swingUntil ? OWN_SWING : 0u);
    writeControls(player, controls, keys);
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
