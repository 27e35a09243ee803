#pragma once

#include <array>

// The key table: 1 while a control is held. Each player's seven controls sit
// together in this order, player 1's at entries 0 to 6 and player 2's at 7 to
// 13; the fighters, the keyboard and pads, the computer players, replays and
// network inputs all read and write it by this layout.
enum class Action { Left, Up, Right, Down, AttackH, AttackV, Block };
constexpr int ACTION_COUNT = 7;
constexpr int PLAYER_COUNT = 2;
// Room for spare entries: replays hold all of them.
constexpr int KEY_STATE_SIZE = 36;
using KeyState = std::array<int, KEY_STATE_SIZE>;

constexpr int keyIndex(int player, Action action)
{
    return (player - 1) * ACTION_COUNT + int(action);
}
