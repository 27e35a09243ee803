#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "characters/core/character.h"
#include "characters/core/events.h"
#include "characters/core/key_layout.h"
#include "match/match_values.h"
#include "match/menu_layout.h"

// What pads asked of the menu since the last tick; each press counts once.
struct MenuPresses {
    bool confirm = false;  // a horizontal attack (south by default)
    bool start = false;    // a start button
    int row = -1;          // the row chosen last: 0 by up, 1 by down
    int switches = 0;      // presses of left or right
};

// Who plays each side and with which fighter, set at once on the menu
// without a click or a sound (how the demo chooses before each bout).
struct SideChoices {
    int choice[2] = {JACK, DARTH};
    int control[2] = {HUMAN, HUMAN};
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
    // Applied before the tick's clicks; only in the menu. Never recorded:
    // the bout's start holds what it chose.
    std::optional<SideChoices> sides;
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
void menuChooseSides(Match& match, const SideChoices& sides);
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

// Who wins a bout that ends so, as the fighters stand: 1 or 2, or 0 for
// none. A ring-out goes to the one still on the arena; a knock-out or the
// clock to the healthier, and to neither when both are down.
int boutWinner(int ending, const Character& one, const Character& two);
// How a bout ended: the first ending state it reached, and who won.
struct BoutOutcome {
    int ending = FIGHTING;  // FIGHTING: the bout is not over
    int winner = 0;         // 1 or 2; 0 for none
    int winnerChoice = JACK;
};
// The bout's ending, once the match shows one (not yet back at the title).
std::optional<BoutOutcome> boutEnding(const Match& match);
// Back to the title; the doors then run by themselves.
void returnToTitle(Match& match);

// A hash of everything the rules keep, equal for equal games.
std::uint64_t stateHash(const Match& match);
