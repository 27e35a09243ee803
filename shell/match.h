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

// Where a click at window pixel (x, y) of a width by height window falls on
// the 800 by 600 layout of the menu, which the perspective view scales with
// the height and keeps centred.
struct MenuPoint {
    double x, y;
};
MenuPoint toMenuPoint(int x, int y, int width, int height);

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
