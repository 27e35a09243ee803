#pragma once

// The key table (KEY_STATE_SIZE entries, with the match) holds each
// player's seven controls, in the order of that player's entries.
enum class Action { Left, Up, Right, Down, AttackH, AttackV, Block };
constexpr int ACTION_COUNT = 7;
constexpr int PLAYER_COUNT = 2;

// Player 1 holds entries 0 to 6, player 2 entries 7 to 13.
constexpr int keyIndex(int player, Action action)
{
    return (player - 1) * ACTION_COUNT + int(action);
}
