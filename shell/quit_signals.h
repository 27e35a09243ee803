#pragma once

// SIGINT, SIGTERM and SIGHUP end the game as closing its window does. The
// handler only notes the signal, for the next paced frame to act on; a second
// signal before then exits at once. A signal ignored when the game started
// (nohup, a background job) stays ignored.
void catchQuitSignals();
// The signal caught, or 0.
int quitSignal();
// "SIGINT" and the like.
const char* signalName(int signal);
