#pragma once

#include "match/match.h"
#include "players/controls.h"

// SDL's game-controller layer, for input only: no SDL window. Without it
// the game plays on from the keyboard after one message.
bool openPads();
void closePads();

// Reads every pad once: the pads' share of the key table into held (the
// first pad plays player 1, the second player 2), and their menu presses.
MenuPresses pollPads(const Controls& controls, KeyState& held);

// The player the pad with this SDL instance id plays; 0 while it waits for a
// free player or is not connected.
int padPlayer(int instanceId);

// How far a stick or trigger must travel, of its full travel, before it counts.
constexpr double PAD_DEAD_ZONE = 0.35;
