#pragma once

// The entry sequence: window, callbacks, art, lights, sound, main loop.
int runGame(int argc, char** argv);
// All of it but the main loop.
void startGame(int argc, char** argv);

// One frame: draw the current game state, advance the fighters one tick,
// check for the end of a bout, swap. Never sleeps (but for the end-of-bout pause).
void onDisplay();
// Idle callback: waits out the rest of the 1/60 s frame, then onDisplay().
void onIdle();
void onReshape(int width, int height);
void endBout(int seconds);
// The knock-out and time-up rules at the end of a FIGHTING frame.
void checkBoutEnd();
