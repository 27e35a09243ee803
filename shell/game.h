#pragma once

#include <string>

#include "match/match.h"
#include "shell/options.h"

// The entry sequence on the shell in use: window, callbacks, art, lights,
// sound, main loop. argc and argv go to glutInit; the art and sounds are read
// from under dataPrefix ("" for the working directory). With options.demo the
// computer plays both sides until a key or a click.
int runGame(int argc, char** argv, const Options& options = {}, const std::string& dataPrefix = "");
// All of it but the main loop.
void startGame(int argc, char** argv, const Options& options = {}, const std::string& dataPrefix = "");
// The window with its art, lights and sound, without the callbacks.
void openGameWindow(int argc, char** argv, const Options& options, const std::string& dataPrefix);
// The window's callbacks, all reaching the shell in use.
void setWindowCallbacks();

// The window's current size; 800 by 600 when there is no window to ask.
void windowSize(int& width, int& height);

// The shell's match: the one the window shows and the keyboard and mouse play.
Match& liveMatch();

// One paced frame of the shell: its ticks, their sounds, then the picture.
void advanceFrame();
// Waits out the rest of the 1/60 s frame.
void waitForNextFrame();
// Idle callback: waits out the rest of the 1/60 s frame, ends the game on a
// quit signal, else advanceFrame().
void onIdle();
// Display callback (expose, resize): marks the window for the next paced
// frame, which draws it; no tick, no drawing here.
void onDisplay();
void onReshape(int width, int height);
// GLUT mouse callback: button releases go to the menu on the next tick.
void onMouse(int button, int state, int x, int y);
