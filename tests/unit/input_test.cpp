#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <iterator>

#include "characters/core/character.h"
#include "characters/jack.h"
#include "players/controls.h"
#include "shell/shell.h"
#include "tests/support/keyboard.h"

namespace {

// Runs the real Character rules without a model or a window.
class Standin : public Character {
public:
    Standin(int player) : Character(0.0f, 0.0f, player, nullptr, jackMoves) {}
    void posePass(const glm::mat4&) override {}
    FighterKind kind() const override { return JACK; }
};

class KeyboardTest : public testing::Test {
protected:
    void SetUp() override
    {
        useShell(&game);
        releaseEverything();
    }
    void TearDown() override
    {
        releaseEverything();
        useShell(nullptr);
    }

    // Every key let go, then the default keys in place.
    static void releaseEverything()
    {
        releaseKeyboard();
        shell().keys.controls = defaultControls();
        std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);
    }

    static std::array<int, KEY_STATE_SIZE> table()
    {
        std::array<int, KEY_STATE_SIZE> copy;
        std::copy(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), copy.begin());
        return copy;
    }

    Shell game;
};

struct Binding {
    unsigned char key;
    int index;
};

constexpr Binding CHARACTER_KEYS[] = {
    {'a', 0},
    {'w', 1},
    {'d', 2},
    {'s', 3},
    {'t', 4},
    {'y', 5},
    {'u', 6},
    {'1', 11},
    {'2', 12},
    {'3', 13},
};

TEST_F(KeyboardTest, EachBoundCharacterHoldsOnlyItsOwnEntry)
{
    for (const Binding& b : CHARACTER_KEYS) {
        onKeyPress(b.key, 17, 23);
        EXPECT_EQ(shell().keys.keyState[b.index], 1) << b.key;
        EXPECT_EQ(heldCount(), 1) << b.key;
        onKeyPress(b.key, 0, 0);  // auto-repeat changes nothing
        EXPECT_EQ(heldCount(), 1) << b.key;
        onKeyRelease(b.key, 400, 300);
        EXPECT_EQ(heldCount(), 0) << b.key;
    }
}

TEST_F(KeyboardTest, ArrowsHoldPlayerTwosMovementEntries)
{
    const std::pair<int, int> arrows[] = {
        {GLUT_KEY_LEFT, 7}, {GLUT_KEY_UP, 8}, {GLUT_KEY_RIGHT, 9}, {GLUT_KEY_DOWN, 10}};
    for (auto [key, index] : arrows) {
        onSpecialPress(key, 0, 0);
        EXPECT_EQ(shell().keys.keyState[index], 1) << key;
        EXPECT_EQ(heldCount(), 1) << key;
        onSpecialRelease(key, 0, 0);
        EXPECT_EQ(heldCount(), 0) << key;
    }
}

TEST_F(KeyboardTest, EveryOtherCharacterDoesNothing)
{
    // Upper case covers Caps Lock and Shift; Escape and q must not quit.
    for (int code = 0; code < 256; ++code) {
        const unsigned char key = static_cast<unsigned char>(code);
        if (std::any_of(
                std::begin(CHARACTER_KEYS), std::end(CHARACTER_KEYS), [key](const Binding& b) { return b.key == key; }))
            continue;
        onKeyPress(key, 0, 0);
        EXPECT_EQ(heldCount(), 0) << code;
    }

    // A release of an unbound key leaves a held key alone, unless it is the
    // same key under Shift ('W' for 'w'; see the Shift tests).
    onKeyPress('w', 0, 0);
    for (unsigned char key : {'A', 'S', 'D', 'T', 'Y', 'U', '!', '@', '#', '\x1b'})
        onKeyRelease(key, 0, 0);
    EXPECT_EQ(shell().keys.keyState[1], 1);
}

TEST_F(KeyboardTest, OtherSpecialKeysDoNothing)
{
    const int others[] = {GLUT_KEY_F1, GLUT_KEY_F12, GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN, GLUT_KEY_HOME, GLUT_KEY_END,
        GLUT_KEY_INSERT, GLUT_KEY_SHIFT_L, GLUT_KEY_CTRL_L, GLUT_KEY_ALT_L, 0, -1};
    for (int key : others) {
        onSpecialPress(key, 0, 0);
        EXPECT_EQ(heldCount(), 0) << key;
    }
    onSpecialPress(GLUT_KEY_UP, 0, 0);
    for (int key : others)
        onSpecialRelease(key, 0, 0);
    EXPECT_EQ(shell().keys.keyState[8], 1);
}

TEST_F(KeyboardTest, EachFighterReadsItsOwnSevenKeys)
{
    const Standin one(1);
    const Standin two(2);
    const int Character::*controls[] = {&Character::keyUp, &Character::keyDown, &Character::keyRight,
        &Character::keyLeft, &Character::keyAttackH, &Character::keyAttackV, &Character::keyBlock};
    const unsigned char playerOneKeys[] = {'w', 's', 'd', 'a', 't', 'y', 'u'};
    const int playerTwoKeys[] = {GLUT_KEY_UP, GLUT_KEY_DOWN, GLUT_KEY_RIGHT, GLUT_KEY_LEFT};
    const unsigned char playerTwoDigits[] = {'1', '2', '3'};

    for (int i = 0; i < 7; ++i) {
        if (i < 4)
            onSpecialPress(playerTwoKeys[i], 0, 0);
        else
            onKeyPress(playerTwoDigits[i - 4], 0, 0);
        EXPECT_EQ(shell().keys.keyState[two.*controls[i]], 1) << i;
        for (int j = 0; j < 7; ++j)
            EXPECT_EQ(shell().keys.keyState[one.*controls[j]], 0) << i << " " << j;
        std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);

        onKeyPress(playerOneKeys[i], 0, 0);
        EXPECT_EQ(shell().keys.keyState[one.*controls[i]], 1) << i;
        for (int j = 0; j < 7; ++j)
            EXPECT_EQ(shell().keys.keyState[two.*controls[j]], 0) << i << " " << j;
        std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);
    }
}

TEST_F(KeyboardTest, BothPlayersHoldEverythingAtOnce)
{
    for (const Binding& b : CHARACTER_KEYS)
        onKeyPress(b.key, 0, 0);
    for (int key : {GLUT_KEY_LEFT, GLUT_KEY_UP, GLUT_KEY_RIGHT, GLUT_KEY_DOWN})
        onSpecialPress(key, 0, 0);
    const auto held = table();
    for (int i = 0; i < KEY_STATE_SIZE; ++i)
        EXPECT_EQ(held[i], i < 14 ? 1 : 0) << i;
}

// A key pressed before Shift and released after it reports its release as
// the shifted character (and the other way round), on whatever layout.
struct ShiftedRelease {
    unsigned char pressed;
    unsigned char released;
    int index;
};
constexpr ShiftedRelease SHIFTED_RELEASES[] = {
    {'a', 'A', 0}, {'w', 'W', 1}, {'d', 'D', 2}, {'s', 'S', 3}, {'t', 'T', 4}, {'y', 'Y', 5}, {'u', 'U', 6},
    {'1', '!', 11},   // US, UK, German
    {'1', '&', 11},   // French: the digit is the shifted character
    {'2', '@', 12},   // US
    {'2', '"', 12},   // UK, German
    {'2', 0xE9, 12},  // French e acute
    {'3', '#', 13},   // US
    {'3', 0xA3, 13},  // UK pound
    {'3', 0xA7, 13},  // German section sign
    {'3', '"', 13},   // French
};

TEST_F(KeyboardTest, AKeyReleasedUnderShiftIsReleased)
{
    for (const ShiftedRelease& r : SHIFTED_RELEASES) {
        onKeyPress(r.pressed, 0, 0);
        ASSERT_EQ(shell().keys.keyState[r.index], 1) << r.pressed;
        // The Shift key itself reaches only the special-key callback, and holds nothing.
        onSpecialPress(GLUT_KEY_SHIFT_L, 0, 0);
        EXPECT_EQ(heldCount(), 1) << r.pressed;
        onKeyRelease(r.released, 0, 0);
        EXPECT_EQ(shell().keys.keyState[r.index], 0) << r.pressed << " released as " << int(r.released);
        onSpecialRelease(GLUT_KEY_SHIFT_L, 0, 0);
        EXPECT_EQ(heldCount(), 0) << r.pressed;
    }
}

TEST_F(KeyboardTest, AShiftedReleaseLetsGoOnlyOfItsOwnKey)
{
    // Both players hold everything; each shifted release drops one entry.
    for (const Binding& b : CHARACTER_KEYS)
        onKeyPress(b.key, 0, 0);
    for (unsigned char key : {'A', '!'})
        onKeyRelease(key, 0, 0);
    const auto held = table();
    for (const Binding& b : CHARACTER_KEYS)
        EXPECT_EQ(held[b.index], b.key == 'a' || b.key == '1' ? 0 : 1) << b.key;
}

TEST_F(KeyboardTest, ShiftedReleasesFollowTheControlsFile)
{
    // A player who binds upper case or accented letters gets the same mend.
    shell().keys.controls = parseControls("[player1]\nleft = Q\nright = \xC3\xA9\nblock = 0xe8\n", "test").controls;
    const std::pair<unsigned char, unsigned char> cases[] = {{'Q', 'q'}, {0xE9, 0xC9}, {0xE8, '7'}};
    for (auto [pressed, released] : cases) {
        onKeyPress(pressed, 0, 0);
        ASSERT_EQ(heldCount(), 1) << int(pressed);
        onKeyRelease(released, 0, 0);
        EXPECT_EQ(heldCount(), 0) << int(pressed);
    }
    // Today's letter for left is free now and holds nothing.
    onKeyPress('a', 0, 0);
    EXPECT_EQ(heldCount(), 0);
}

}  // namespace
