#include "players/cpu_view.h"

namespace {

FighterView fighterView(const Character& c)
{
    return {int(c.kind()), c.x, c.z, c.facing, c.state, c.health};
}

}  // namespace

MatchView viewOf(const Match& m)
{
    MatchView view;
    view.fighting = m.gameState == FIGHTING && m.playerOne && m.playerTwo;
    view.secondsLeft = m.secondsLeft;
    if (m.playerOne && m.playerTwo) {
        view.fighters[0] = fighterView(*m.playerOne);
        view.fighters[1] = fighterView(*m.playerTwo);
    }
    return view;
}

// The same indices a fighter takes from its player number.
PlayerKeys playerKeys(int player)
{
    const int p = player == 1 ? 1 : 2;
    return {keyIndex(p, Action::Up), keyIndex(p, Action::Down), keyIndex(p, Action::Right), keyIndex(p, Action::Left),
        keyIndex(p, Action::AttackH), keyIndex(p, Action::AttackV), keyIndex(p, Action::Block)};
}

void writeControls(int player, unsigned controls, KeyState& keys)
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
