// Pads are SDL's virtual joysticks, seen through SDL's real game-controller
// layer and the game's own poll; the fighters read the key table as in a bout.
#include <GL/freeglut.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

#include "audio/sound_bank.h"
#include "characters/core/character.h"
#include "characters/core/trace.h"
#include "characters/jack.h"
#include "players/pads.h"
#include "shell/game.h"
#include "shell/shell.h"
#include "tests/support/keyboard.h"
#include "tests/unit/test_fighter.h"

namespace {

class VirtualPad {
public:
    // A joystick of an unknown type has no controller mapping.
    explicit VirtualPad(const char* name = "Test pad", SDL_JoystickType type = SDL_JOYSTICK_TYPE_GAMECONTROLLER)
        : name(name),
          type(type)
    {
        plug();
    }
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void plug()
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = Uint16(type);
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = name;
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        ASSERT_GE(index, 0) << SDL_GetError();
        joystick = SDL_JoystickOpen(index);
        ASSERT_NE(joystick, nullptr) << SDL_GetError();
        id = SDL_JoystickInstanceID(joystick);
    }

    void unplug()
    {
        if (!joystick)
            return;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
                SDL_JoystickDetachVirtual(i);
        SDL_JoystickClose(joystick);
        joystick = nullptr;
    }

    void press(SDL_GameControllerButton button, bool down = true)
    {
        SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
    }
    void release(SDL_GameControllerButton button) { press(button, false); }
    // A fraction of the axis's full travel, negative left or up.
    void tilt(SDL_GameControllerAxis axis, double fraction)
    {
        SDL_JoystickSetVirtualAxis(joystick, axis, Sint16(std::lround(fraction * 32767)));
    }

    const char* name;
    SDL_JoystickType type;
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID id = -1;
};

class PadTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell().keys.controls = defaultControls();
        releaseKeyboard();
        ASSERT_TRUE(openPads());
        pollInput();
        std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);
        one.setOpponent(&two);
        // The fighters' trace is not what these tests look at.
        testing::internal::CaptureStdout();
    }

    void TearDown() override
    {
        testing::internal::GetCapturedStdout();
        closePads();
        // With SDL closed the poll sees no pads, and lets go of what they held.
        pollInput();
        releaseKeyboard();
    }

    // One bout tick as the frame routine runs it, on fighters without models.
    void tick()
    {
        pollInput();
        one.update(shell().keys.keyState);
        two.update(shell().keys.keyState);
        one.draw();
        two.draw();
    }

    float distance() const { return std::hypot(one.x - two.x, one.z - two.z); }

    TestFighter one{0.0f, -8.0f, 1, nullptr, jackMoves};
    TestFighter two{0.0f, 8.0f, 2, &one, jackMoves};
};

TEST_F(PadTest, APadWalksPlayerOneInAndStrikes)
{
    VirtualPad pad;
    tick();
    EXPECT_EQ(padPlayer(pad.id), 1);
    EXPECT_EQ(heldCount(), 0);

    const float before = distance();
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    for (int i = 0; i < 10; ++i)
        tick();
    EXPECT_EQ(shell().keys.keyState[2], 1);
    EXPECT_EQ(heldCount(), 1);
    EXPECT_EQ(one.state, MOVE_RIGHT);
    EXPECT_NEAR(distance(), before - 10 * 0.2f, 1e-3f);

    pad.release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad.press(SDL_CONTROLLER_BUTTON_A);
    tick();
    EXPECT_EQ(shell().keys.keyState[2], 0);
    EXPECT_EQ(shell().keys.keyState[4], 1);
    EXPECT_EQ(heldCount(), 1);
    EXPECT_EQ(one.state, ATTACK_H);
    EXPECT_FALSE(two.isAttacking() || two.isMoving());
}

TEST_F(PadTest, AJoystickWithoutALayoutIsNamedOnceAndPlaysNobody)
{
    TraceSilence quiet;
    testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    VirtualPad stick("Flight stick", SDL_JOYSTICK_TYPE_FLIGHT_STICK);
    for (int i = 0; i < 5; ++i) {
        stick.press(SDL_GameControllerButton(i % 2));
        tick();
    }
    const int held = heldCount();
    const std::string out = testing::internal::GetCapturedStdout();
    testing::internal::CaptureStdout();
    EXPECT_EQ(out, "Joystick \"Flight stick\" is not a game controller SDL knows the layout of: it is not used\n");
    EXPECT_EQ(held, 0);
}

TEST_F(PadTest, TwoPadsPlayBothSides)
{
    VirtualPad first("First pad");
    VirtualPad second("Second pad");
    tick();
    EXPECT_EQ(padPlayer(first.id), 1);
    EXPECT_EQ(padPlayer(second.id), 2);

    second.press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    first.press(SDL_CONTROLLER_BUTTON_X);
    tick();
    EXPECT_EQ(shell().keys.keyState[7], 1);
    EXPECT_EQ(shell().keys.keyState[6], 1);
    EXPECT_EQ(heldCount(), 2);
    EXPECT_EQ(two.state, MOVE_LEFT);
    EXPECT_EQ(one.state, BLOCK);

    second.release(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    second.press(SDL_CONTROLLER_BUTTON_B);
    first.release(SDL_CONTROLLER_BUTTON_X);
    first.press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    tick();
    EXPECT_EQ(shell().keys.keyState[12], 1);
    EXPECT_EQ(shell().keys.keyState[6], 1);
    EXPECT_EQ(heldCount(), 2);
    EXPECT_EQ(two.state, ATTACK_V);
}

TEST_F(PadTest, AnUnpluggedPadLetsGoAndPlaysOnWhenBack)
{
    VirtualPad pad("Pad of player one");
    VirtualPad other("Pad of player two");
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    for (int i = 0; i < 5; ++i)
        tick();
    ASSERT_EQ(one.state, MOVE_RIGHT);

    pad.unplug();
    tick();
    EXPECT_EQ(shell().keys.keyState[2], 0);
    // The fighter stops: it does not walk on.
    for (int i = 0; i < 30; ++i)
        tick();
    const float stoppedAt = distance();
    for (int i = 0; i < 30; ++i)
        tick();
    EXPECT_FLOAT_EQ(distance(), stoppedAt);
    EXPECT_NE(one.state, MOVE_RIGHT);

    // A third pad plugged in meanwhile does not take player 1's place.
    VirtualPad spare("Spare pad");
    tick();
    EXPECT_EQ(padPlayer(spare.id), 0);

    pad.plug();
    tick();
    EXPECT_EQ(padPlayer(pad.id), 1);
    EXPECT_EQ(padPlayer(other.id), 2);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    tick();
    EXPECT_EQ(shell().keys.keyState[2], 1);
    EXPECT_EQ(one.state, MOVE_RIGHT);

    // With both players taken the spare moves nobody.
    spare.press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    tick();
    EXPECT_EQ(padPlayer(spare.id), 0);
    EXPECT_EQ(heldCount(), 1);
    spare.release(SDL_CONTROLLER_BUTTON_DPAD_UP);

    // Gone for good: the spare takes player 1 with its next press.
    pad.unplug();
    tick();
    EXPECT_EQ(padPlayer(spare.id), 0);
    EXPECT_EQ(heldCount(), 0);
    spare.press(SDL_CONTROLLER_BUTTON_A);
    tick();
    EXPECT_EQ(padPlayer(spare.id), 1);
    EXPECT_EQ(shell().keys.keyState[4], 1);
    EXPECT_EQ(one.state, ATTACK_H);
}

TEST_F(PadTest, KeyboardAndPadHoldTogether)
{
    VirtualPad pad;
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    onKeyPress('d', 0, 0);
    tick();
    onKeyRelease('d', 0, 0);
    EXPECT_EQ(shell().keys.keyState[2], 1) << "a key's release let go of the pad's hold";
    onKeyPress('d', 0, 0);
    pad.release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    tick();
    EXPECT_EQ(shell().keys.keyState[2], 1) << "the pad's release let go of the key's hold";
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    tick();
    pad.unplug();
    tick();
    EXPECT_EQ(shell().keys.keyState[2], 1) << "unplugging let go of the key's hold";
    onKeyRelease('d', 0, 0);
    EXPECT_EQ(shell().keys.keyState[2], 0);
    EXPECT_EQ(heldCount(), 0);
}

TEST_F(PadTest, TheStickActsOnlyPastItsDeadZone)
{
    VirtualPad pad;
    struct Tilt {
        SDL_GameControllerAxis axis;
        double fraction;
        int index;  // player 1's entry it holds past the dead zone
    };
    const Tilt tilts[] = {
        {SDL_CONTROLLER_AXIS_LEFTX, 1.0, 2},
        {SDL_CONTROLLER_AXIS_LEFTX, -1.0, 0},
        {SDL_CONTROLLER_AXIS_LEFTY, -1.0, 1},
        {SDL_CONTROLLER_AXIS_LEFTY, 1.0, 3},
    };
    for (const Tilt& t : tilts) {
        pad.tilt(t.axis, t.fraction * 0.34);
        tick();
        EXPECT_EQ(heldCount(), 0) << t.axis << " " << t.fraction;
        pad.tilt(t.axis, t.fraction * 0.36);
        tick();
        EXPECT_EQ(shell().keys.keyState[t.index], 1) << t.axis << " " << t.fraction;
        EXPECT_EQ(heldCount(), 1);
        pad.tilt(t.axis, t.fraction * 0.34);
        tick();
        EXPECT_EQ(heldCount(), 0) << t.axis << " " << t.fraction;
        pad.tilt(t.axis, 0.0);
    }
    // The right stick is not bound by default.
    pad.tilt(SDL_CONTROLLER_AXIS_RIGHTX, 1.0);
    tick();
    EXPECT_EQ(heldCount(), 0);
}

TEST_F(PadTest, TheControlsFileMovesPadInputs)
{
    shell().keys.controls = parseControls("[player1]\npad_attack_h = right_trigger\npad_block = south\n", "f").controls;
    VirtualPad pad;
    pad.press(SDL_CONTROLLER_BUTTON_A);
    tick();
    EXPECT_EQ(shell().keys.keyState[6], 1);
    EXPECT_EQ(shell().keys.keyState[4], 0);
    pad.release(SDL_CONTROLLER_BUTTON_A);
    pad.tilt(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 1.0);
    tick();
    EXPECT_EQ(shell().keys.keyState[4], 1);
    EXPECT_EQ(heldCount(), 1);
}

// The whole menu by pad, through the game's own frames: poll, tick, draw.
class PadMenuTest : public testing::Test {
protected:
    void SetUp() override
    {
        shell().keys.controls = defaultControls();
        releaseKeyboard();
        ASSERT_TRUE(openPads());
        liveMatch() = Match{};
        testing::internal::CaptureStdout();
    }

    void TearDown() override
    {
        testing::internal::GetCapturedStdout();
        closePads();
        pollInput();
        releaseKeyboard();
        liveMatch() = Match{};
        stopSound(soundTable[SoundId::BACKGROUND]);
    }

    static Match& m() { return liveMatch(); }

    // A button pressed for one frame and let go on the next.
    static void tap(VirtualPad& pad, SDL_GameControllerButton button)
    {
        pad.press(button);
        advanceFrame();
        pad.release(button);
        advanceFrame();
    }

    // Frames until done; false when the limit runs out first.
    static bool framesUntil(const std::function<bool()>& done, int limit = 400)
    {
        for (int f = 0; f < limit; ++f) {
            if (done())
                return true;
            advanceFrame();
        }
        return done();
    }
};

TEST_F(PadMenuTest, APadAloneGoesFromTheTitleToABout)
{
    VirtualPad pad;
    advanceFrame();
    // Up and down do nothing on the title.
    tap(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_TRUE(m().titleShown);
    EXPECT_TRUE(m().doorPhaseFlag);
    EXPECT_EQ(m().selectedPlayer, 0);

    tap(pad, SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(m().titleShown);
    EXPECT_FALSE(m().doorPhaseFlag) << "the doors did not start";
    ASSERT_TRUE(framesUntil([] { return !m().titleShown && !m().doorPhaseFlag; }));

    tap(pad, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_EQ(m().selectedPlayer, 1);
    EXPECT_EQ(m().playerTwoChoice, DARTH);
    tap(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_EQ(m().playerTwoChoice, JACK);
    tap(pad, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(m().playerTwoChoice, DARTH);
    tap(pad, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(m().playerTwoChoice, JACK);
    EXPECT_EQ(m().playerOneChoice, JACK);

    // The stick chooses rows as the d-pad does, once per push.
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, -1.0);
    advanceFrame();
    advanceFrame();
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0.0);
    EXPECT_EQ(m().selectedPlayer, 0);
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 1.0);
    advanceFrame();
    advanceFrame();
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 0.0);
    EXPECT_EQ(m().playerOneChoice, DARTH);
    EXPECT_EQ(m().gameState, MENU);

    tap(pad, SDL_CONTROLLER_BUTTON_START);
    ASSERT_EQ(m().gameState, FIGHTING);
    EXPECT_EQ(m().playerOne->kind(), DARTH);
    EXPECT_EQ(m().playerTwo->kind(), JACK);

    // And the same pad fights.
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    EXPECT_TRUE(framesUntil([] { return m().playerOne->state == MOVE_RIGHT; }, 10));
    pad.release(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    pad.press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_TRUE(framesUntil([] { return m().playerOne->state == ATTACK_H; }, 10));
    // Start in a bout does nothing.
    tap(pad, SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(m().gameState, FIGHTING);
}

TEST_F(PadMenuTest, StartOpensTheDoorsAndASecondPadChoosesToo)
{
    VirtualPad first("First pad");
    VirtualPad second("Second pad");
    advanceFrame();
    tap(second, SDL_CONTROLLER_BUTTON_START);
    EXPECT_FALSE(m().doorPhaseFlag);
    EXPECT_EQ(m().gameState, MENU);
    ASSERT_TRUE(framesUntil([] { return !m().titleShown; }));
    tap(second, SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    tap(second, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    tap(first, SDL_CONTROLLER_BUTTON_DPAD_UP);
    tap(first, SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    EXPECT_EQ(m().playerOneChoice, DARTH);
    EXPECT_EQ(m().playerTwoChoice, JACK);
    tap(first, SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(m().gameState, FIGHTING);
}

}  // namespace
