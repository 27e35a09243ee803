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
    if (player == 1)
        return {1, 3, 2, 0, 4, 5, 6};
    return {8, 10, 9, 7, 11, 12, 13};
}
