#pragma once

#include "match/match.h"
#include "players/controls.h"

// The keyboard and the pads as the key table. Each keeps its own holds and
// the table is their union, so a release on one leaves a hold on the other.
class HeldKeys {
public:
    // 1 while a bound key or pad input is held.
    int keyState[KEY_STATE_SIZE] = {};
    // The bindings in use: today's keys until start() reads the controls file.
    Controls controls = defaultControls();

    void keyPress(unsigned char key);
    void keyRelease(unsigned char key);
    void specialPress(int key);
    void specialRelease(int key);
    // Reads the controls file, saying what is wrong with it, and opens the pads.
    void start();
    // Once per tick: the pads into the key table; returns their menu presses.
    MenuPresses poll();

private:
    void hold(int* source, int index, int held);

    int keyboardHeld[KEY_STATE_SIZE] = {};
    int padHeld[KEY_STATE_SIZE] = {};
};

// The window's keyboard callbacks, on the shell's held keys.
void onKeyPress(unsigned char key, int x, int y);
void onKeyRelease(unsigned char key, int x, int y);
void onSpecialPress(int key, int x, int y);
void onSpecialRelease(int key, int x, int y);
// The shell's held keys polled: the pads into the key table, their menu presses.
MenuPresses pollInput();
