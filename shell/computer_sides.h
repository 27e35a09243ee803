#pragma once

#include <vector>

#include "match/match.h"

// The computer's sides of the live match: each tick, after the keyboard has
// filled the key table, every side the select screen gave to the computer
// overwrites its own seven entries. Its players start afresh with each bout.
void playComputerSides(const Match& match, KeyState& keys);

// The demo: both sides played by the computer at random levels and with
// random fighters, bout after bout, until a key or a click ends it.
void startDemo(Match& match);
bool demoRunning();
// In the menu, the clicks a person would make to start the next bout.
void demoTick(Match& match, std::vector<MenuPoint>& releases);
// Back to the title waiting for a click, both sides human, the music stopped.
void leaveDemo(Match& match, TickEvents& events);
