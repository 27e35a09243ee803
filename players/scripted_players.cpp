// Simple habits of a person: walking in and swinging, blocking, circling.
#include "players/scripted_players.h"

#include <cmath>

namespace {

bool attacking(int state)
{
    return state == ATTACK_H || state == ATTACK_V;
}

struct Sides {
    const FighterView& me;
    const FighterView& op;
    float apart;
};

Sides sidesOf(const MatchView& view, int player)
{
    const FighterView& me = view.fighters[player - 1];
    const FighterView& op = view.fighters[2 - player];
    return {me, op, std::hypot(op.x - me.x, op.z - me.z)};
}

unsigned towards(int player)
{
    return player == 1 ? CONTROL_RIGHT : CONTROL_LEFT;
}

// Any swing-starting row that lands from `d`, at random; 0 when none does.
unsigned rowLandingFrom(int kind, float d, CpuRandom& random)
{
    unsigned rows[8];
    int count = 0;
    for (const CpuMove& m : cpuMoves(kind))
        if (!m.duringSwing && m.hitsAt(d) > 0)
            rows[count++] = m.controls;
    return count ? rows[random.below(count)] : 0u;
}

}  // namespace

void WalkInPlayer::play(const MatchView& view, KeyState& keys)
{
    unsigned controls = 0;
    if (view.fighting) {
        const Sides s = sidesOf(view, player);
        if (attacking(s.me.state)) {
            controls = row;  // held on: the next swing starts the moment this one ends
        } else if ((row = rowLandingFrom(s.me.kind, s.apart, random)) != 0) {
            controls = row;
        } else {
            controls = towards(player);
        }
    }
    writeControls(player, controls, keys);
}

void BlockerPlayer::play(const MatchView& view, KeyState& keys)
{
    unsigned controls = CONTROL_BLOCK;
    if (view.fighting) {
        const Sides s = sidesOf(view, player);
        const bool swingOver = attacking(opponentWas) && !attacking(s.op.state);
        opponentWas = s.op.state;
        if (swing == 0 && (swingOver ? random.uniform() < 0.7 : random.below(120) == 0)) {
            row = rowLandingFrom(s.me.kind, s.apart, random);
            swing = row ? 3 : 0;
        }
        if (swing > 0) {
            --swing;
            controls = row;
        }
    }
    writeControls(player, controls, keys);
}

void TurtlePlayer::play(const MatchView&, KeyState& keys)
{
    writeControls(player, CONTROL_BLOCK, keys);
}

void CirclerPlayer::play(const MatchView& view, KeyState& keys)
{
    unsigned controls = 0;
    if (view.fighting) {
        const Sides s = sidesOf(view, player);
        const float reach = threatReach(s.me.kind);
        if (++ticks % 120 == 0)
            circle = random.below(2) ? CONTROL_UP : CONTROL_DOWN;
        if (attacking(s.me.state)) {
            controls = 0;
        } else if (ticks >= nextPoke && s.apart <= reach) {
            controls = rowLandingFrom(s.me.kind, s.apart, random);
            nextPoke = ticks + 30 + random.below(40);
        } else if (s.apart > reach + 1.0f) {
            controls = towards(player) | circle;
        } else if (s.apart < reach - 3.0f) {
            controls = (player == 1 ? CONTROL_LEFT : CONTROL_RIGHT) | circle;
        } else {
            controls = circle;
        }
    }
    writeControls(player, controls, keys);
}
