#pragma once

class Character;

enum GameState { MENU = 0, FIGHTING = 1, KNOCKOUT = 2, TIME_UP = 3, RING_OUT = 4 };

extern int gameState;
extern Character* playerOne;
extern Character* playerTwo;
extern int playerOneChoice;  // 0 Jack, anything else Darth
extern int playerTwoChoice;
extern int selectedPlayer;   // row clicked last: 0 player 1, 1 player 2
extern bool titleShown;
extern bool doorPhaseFlag;
extern float doorOffset;
extern bool doorClosing;
extern int boutEndTime;
extern int secondsLeft;
extern float clockBrightness;
extern bool clockBrightening;
extern float selectBrightness;
extern bool selectBrightening;

// GLUT mouse callback: the menu acts on button releases only.
void onMouse(int button, int state, int x, int y);
// Creates the two fighters and starts the music and the clock.
void startBout();
// One step of the menu doors, run before they are drawn.
void doorStep();
// One step of the bout clock, run before its digits are drawn.
void clockStep();
// Back to the title; the doors then run by themselves.
void returnToTitle();
