#include "shell/match.h"

#include <GL/freeglut.h>

#include "audio/sound_bank.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "shell/clock.h"

int gameState = MENU;
Character* playerOne = nullptr;
Character* playerTwo = nullptr;
int playerOneChoice = 0;
int playerTwoChoice = 1;
int selectedPlayer = 0;
bool titleShown = true;
bool doorPhaseFlag = true;
float doorOffset = 0.1f;
bool doorClosing = true;
int boutEndTime = 0;
int secondsLeft = 0;
float clockBrightness = 1.0f;
bool clockBrightening = false;
float selectBrightness = 1.0f;
bool selectBrightening = false;

namespace {

// The menu's click regions, in pixels of the 800 by 600 window it was laid out for.
constexpr int MENU_WIDTH = 800;
constexpr int MENU_HEIGHT = 600;

struct Region {
    int left, top, right, bottom;
    bool contains(MenuPoint p) const
    {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
};

constexpr Region PLAYER_ONE_ROW = {240, 258, 510, 317};
constexpr Region PLAYER_TWO_ROW = {249, 361, 501, 407};
constexpr Region START_LABEL = {320, 430, 475, 470};

constexpr int BOUT_SECONDS = 60;
constexpr float START_X = 0.0f;
constexpr float PLAYER_ONE_START_Z = -8.0f;
constexpr float PLAYER_TWO_START_Z = 8.0f;

constexpr double DOOR_SHUT = 6.7;
constexpr double DOOR_STEP = 0.1;

constexpr int PULSE_SECONDS = 10;
constexpr double PULSE_DIMMEST = 0.2;
constexpr double PULSE_STEP = 0.02;

Character* createFighter(int choice, float z, int player, Character* opponent)
{
    if (choice == 0)
        return new Jack(START_X, z, player, opponent);
    return new Darth(START_X, z, player, opponent);
}

void flip(int& choice)
{
    choice = choice == 0 ? 1 : 0;
}

// The window's current size; 800 by 600 when there is no window to ask.
void windowSize(int& width, int& height)
{
    width = 0;
    height = 0;
    if (glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0) {
        width = glutGet(GLUT_WINDOW_WIDTH);
        height = glutGet(GLUT_WINDOW_HEIGHT);
    }
    if (width <= 0 || height <= 0) {
        width = MENU_WIDTH;
        height = MENU_HEIGHT;
    }
}

}  // namespace

MenuPoint toMenuPoint(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {double(x), double(y)};
    const double scale = double(MENU_HEIGHT) / height;
    return {MENU_WIDTH / 2.0 + (x - width / 2.0) * scale, y * scale};
}

void onMouse(int, int state, int x, int y)
{
    if (gameState != MENU)
        return;
    if (titleShown && state != GLUT_DOWN)
        doorPhaseFlag = false;

    int width, height;
    windowSize(width, height);
    const MenuPoint p = toMenuPoint(x, y, width, height);
    const bool onSelectScreen = state == GLUT_UP && !titleShown;

    if (onSelectScreen && PLAYER_ONE_ROW.contains(p)) {
        selectedPlayer = 0;
        playOnce(clickSound);
        flip(playerOneChoice);
    }
    if (onSelectScreen && PLAYER_TWO_ROW.contains(p)) {
        selectedPlayer = 1;
        playOnce(clickSound);
        flip(playerTwoChoice);
    }
    if (onSelectScreen && START_LABEL.contains(p))
        startBout();
}

void startBout()
{
    playLooping(backgroundSound);
    boutEndTime = int(calendarSeconds()) + BOUT_SECONDS;
    clockBrightness = 1.0f;

    // The last bout's fighters go once the new pair stands; player 1 meets
    // its real opponent only after player 2 exists.
    Character* oldOne = playerOne;
    Character* oldTwo = playerTwo;
    playerOne = createFighter(playerOneChoice, PLAYER_ONE_START_Z, 1, nullptr);
    playerTwo = createFighter(playerTwoChoice, PLAYER_TWO_START_Z, 2, playerOne);
    playerOne->setOpponent(playerTwo);
    delete oldOne;
    delete oldTwo;

    gameState = FIGHTING;
}

void doorStep()
{
    if (doorOffset >= DOOR_SHUT) {
        doorClosing = false;
        titleShown = false;
        doorPhaseFlag = true;
        playOnce(closeSound);
    }
    if (doorOffset <= 0.0f) {
        doorClosing = true;
        doorPhaseFlag = false;
        playOnce(selectcharacterSound);
    }
    doorOffset = doorClosing ? doorOffset + DOOR_STEP : doorOffset - DOOR_STEP;
}

void clockStep()
{
    const long now = calendarSeconds();
    if (gameState == FIGHTING && now >= boutEndTime)
        gameState = TIME_UP;
    if (gameState == FIGHTING)
        secondsLeft = int(boutEndTime - now);
    if (secondsLeft <= PULSE_SECONDS) {
        if (clockBrightness <= PULSE_DIMMEST)
            clockBrightening = true;
        if (clockBrightness >= 1.0f)
            clockBrightening = false;
        clockBrightness = clockBrightening ? clockBrightness + PULSE_STEP
                                           : clockBrightness - PULSE_STEP;
    }
}

void returnToTitle()
{
    gameState = MENU;
    titleShown = true;
    doorPhaseFlag = false;
}
