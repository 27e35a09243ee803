#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "characters/core/character.h"
#include "characters/core/events.h"
#include "match/menu_layout.h"
#include "match/side_view.h"

enum GameState { MENU = 0, FIGHTING = 1, KNOCKOUT = 2, TIME_UP = 3, RING_OUT = 4 };

// Who plays a side: a person at the keyboard or the computer at a level.
enum PlayerControl { HUMAN = 0, CPU_EASY = 1, CPU_NORMAL = 2, CPU_HARD = 3 };
constexpr int PLAYER_CONTROL_COUNT = 4;

constexpr int KEY_STATE_SIZE = 36;
using KeyState = std::array<int, KEY_STATE_SIZE>;

// What pads asked of the menu since the last tick; each press counts once.
struct MenuPresses {
    bool confirm = false;  // a horizontal attack (south by default)
    bool start = false;    // a start button
    int row = -1;          // the row chosen last: 0 by up, 1 by down
    int switches = 0;      // presses of left or right
};

// Everything one tick reads. Nothing else reaches the rules.
struct TickInput {
    // 1 while the bound key is held.
    KeyState keyState{};
    // Mouse button releases since the last tick, on the menu's 800 by 600 layout.
    std::vector<MenuPoint> releases;
    MenuPresses padPresses;
    // The calendar second, for the bout clock and the end-of-bout pause
    // (unless the match counts ticks).
    long calendarSecond = 0;
    // Whether a win sound, or a ring-out sound, is still playing: the end of a
    // bout waits for them.
    bool winSoundPlaying = false;
    bool ringoutSoundPlaying = false;
};

// One layer of a menu tick's picture, in drawing order.
struct MenuLayer {
    enum Kind : std::uint8_t { TITLE, DOORS, SELECT } kind;
    float doorOffset;
    float selectBrightness;
};

// All of a Match but its fighters: plain values, copied as they are.
struct MatchValues {
    int gameState = MENU;
    int playerOneChoice = JACK;  // 0 Jack, anything else Darth
    int playerTwoChoice = DARTH;
    int selectedPlayer = 0;  // row clicked last: 0 player 1, 1 player 2
    // Chosen beside each row on the select screen; kept for the next bout.
    int playerOneControl = HUMAN;
    int playerTwoControl = HUMAN;

    bool titleShown = true;
    bool doorPhaseFlag = true;
    float doorOffset = 0.1f;
    bool doorClosing = true;
    float selectBrightness = 1.0f;
    bool selectBrightening = false;

    int boutEndTime = 0;
    int secondsLeft = 0;
    float clockBrightness = 1.0f;
    bool clockBrightening = false;
    // 0, or the calendar second at which the end-of-bout pause is over.
    long pauseEnd = 0;
    // Bouts started so far: drawing makes new models when it changes.
    int boutNumber = 0;
    // The bout clock and the end-of-bout pause count ticks (60 a second)
    // instead of reading the calendar: two machines playing one bout agree.
    bool countTicks = false;

    // The camera side of the tick, and the one to keep when the fighters meet.
    SideView view{};
    float lastSideX = -1.0f;
    float lastSideZ = 0.0f;

    // What the picture of this tick shows that the rules have moved on from:
    // the HUD is drawn before the fighters act, the menu in layers.
    float shownHealthOne = 100.0f;
    float shownHealthTwo = 100.0f;
    float shownClockBrightness = 1.0f;
    std::array<MenuLayer, 4> menuLayers{};
    int menuLayerCount = 0;

    std::uint64_t tick = 0;
};

// The whole game between two ticks: the menu, the choices, the bout and its
// fighters. A fresh Match is the game as it starts.
struct Match : MatchValues {
    Match() = default;
    Match(Match&&) = default;
    Match& operator=(Match&&) = default;
    // A copy is a whole game of its own: its fighters face each other.
    Match(const Match& other);
    Match& operator=(const Match& other);

    std::unique_ptr<Character> playerOne;
    std::unique_ptr<Character> playerTwo;
};

// Ticks a second, as the game paces its frames.
constexpr int TICK_RATE = 60;

// The second a tick's rules read: the tick count's, or the calendar's.
long stepSecond(const Match& match, const TickInput& input);
// Advances the game by one tick; its sounds are added to `events` in order.
void step(Match& match, const TickInput& input, TickEvents& events);

// The pieces of a tick, for tests that drive one rule at a time.
void menuRelease(Match& match, MenuPoint point, long calendarSecond, TickEvents& events);
void menuPadPresses(Match& match, const MenuPresses& presses, long calendarSecond, TickEvents& events);
// What the menu does, for a click or a pad: on the title the doors start; on
// the select screen a row is chosen, a row's fighter switched (with a click),
// the bout begun. Each does nothing where it does not apply.
void menuOpenDoors(Match& match);
void menuChooseRow(Match& match, int row);
void menuSwitchFighter(Match& match, int row, TickEvents& events);
void menuStart(Match& match, long calendarSecond, TickEvents& events);
// HUMAN, CPU EASY, CPU NORMAL, CPU HARD, then HUMAN again.
int nextControl(int control);
void startBout(Match& match, long calendarSecond, TickEvents& events);
void doorStep(Match& match, TickEvents& events);
void selectPulseStep(Match& match);
// The menu layers of one tick, with their door and pulse steps.
void menuTick(Match& match, TickEvents& events);
void clockStep(Match& match, long calendarSecond);
// The knock-out and time-up rules at the end of a FIGHTING tick.
void checkBoutEnd(Match& match);
// Back to the title; the doors then run by themselves.
void returnToTitle(Match& match);

// A hash of everything the rules keep, equal for equal games.
std::uint64_t stateHash(const Match& match);
