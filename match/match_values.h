#pragma once

#include <array>
#include <concepts>
#include <cstdint>

#include "characters/core/character.h"
#include "characters/core/value_list.h"
#include "match/side_view.h"

enum GameState { MENU = 0, FIGHTING = 1, KNOCKOUT = 2, TIME_UP = 3, RING_OUT = 4 };

// Who plays a side: a person at the keyboard or the computer at a level.
enum PlayerControl { HUMAN = 0, CPU_EASY = 1, CPU_NORMAL = 2, CPU_HARD = 3 };
constexpr int PLAYER_CONTROL_COUNT = 4;

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

// What a value of the match is to the rules.
enum ValueUse : unsigned {
    // Only the tick's picture shows it: the hash leaves it out.
    PICTURE = 0,
    // The rules read it: the hash takes it.
    RULES = 1,
    // A value that came after hashes had been recorded: a run of these is
    // hashed only when one of them differs from a fresh match's, so that the
    // hashes recorded before still hold.
    LATE = 2,
    // The start of a bout leaves it as the menu and the bout before left it:
    // the replay's start block holds it.
    KEPT = 4,
};

// A value's use, and for a kept one its place in the replay's start block
// (docs/replay-format.md): `size` bytes `at` bytes from the block's start,
// or with size 0, bit `at` of the block's flags byte.
struct ValueRole {
    unsigned use = PICTURE;
    int at = -1;
    int size = 0;
    bool has(ValueUse u) const { return (use & u) != 0; }
};
constexpr ValueRole picture{PICTURE};
constexpr ValueRole rules{RULES};
constexpr ValueRole kept(int at, int size, unsigned more = 0)
{
    return {RULES | KEPT | more, at, size};
}
constexpr ValueRole keptFlag(int bit, unsigned more = 0)
{
    return {RULES | KEPT | more, bit, 0};
}

// Every value of a match but its fighters, once, in the order the hash takes
// them; walked over one match or over several side by side. A new value is
// its line here (the build refuses a MatchValues value missing from it).
template <class Visit, std::derived_from<MatchValues>... Values>
constexpr void forEachValue(Visit&& visit, Values&... v)
{
    visit(rules, v.gameState...);
    visit(kept(0, 1), v.playerOneChoice...);
    visit(kept(1, 1), v.playerTwoChoice...);
    visit(keptFlag(0), v.selectedPlayer...);
    visit(kept(2, 1, LATE), v.playerOneControl...);
    visit(kept(3, 1, LATE), v.playerTwoControl...);
    visit(keptFlag(1), v.titleShown...);
    visit(keptFlag(2), v.doorPhaseFlag...);
    visit(kept(28, 4), v.doorOffset...);
    visit(keptFlag(3), v.doorClosing...);
    visit(kept(32, 4), v.selectBrightness...);
    visit(keptFlag(4), v.selectBrightening...);
    visit(rules, v.boutEndTime...);
    visit(kept(24, 4), v.secondsLeft...);
    visit(rules, v.clockBrightness...);
    visit(keptFlag(5), v.clockBrightening...);
    visit(rules, v.pauseEnd...);
    visit(kept(20, 4), v.boutNumber...);
    visit(keptFlag(6, LATE), v.countTicks...);
    visit(picture, v.view...);
    visit(kept(36, 4), v.lastSideX...);
    visit(kept(40, 4), v.lastSideZ...);
    visit(picture, v.shownHealthOne...);
    visit(picture, v.shownHealthTwo...);
    visit(picture, v.shownClockBrightness...);
    visit(picture, v.menuLayers...);
    visit(picture, v.menuLayerCount...);
    visit(kept(12, 8), v.tick...);
}
static_assert(listsEveryValue<MatchValues>(), "forEachValue must list every value of MatchValues");
