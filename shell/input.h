#pragma once

#include "match/match.h"
#include "players/controls.h"

// 1 while a bound key or pad input is held. The keyboard and the pads each
// keep their own holds and this is their union, so a release on one leaves a
// hold on the other.
extern int keyState[KEY_STATE_SIZE];
// The bindings in use: today's keys until startInput reads the controls file.
extern Controls activeControls;

void onKeyPress(unsigned char key, int x, int y);
void onKeyRelease(unsigned char key, int x, int y);
void onSpecialPress(int key, int x, int y);
void onSpecialRelease(int key, int x, int y);

// Reads the controls file, saying what is wrong with it, and opens the pads.
void startInput();
// Once per tick: the pads into the key table; returns their menu presses.
MenuPresses pollInput();
