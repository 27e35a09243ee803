// The menu and whole bouts, driven through the game's own callbacks and frame
// routine in the test window, with a calendar the tests move by hand.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "audio/sound_bank.h"
#include "characters/core/character.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "shell/camera.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/input.h"
#include "shell/match.h"

namespace {

long fakeNow = 5000;
long fakeCalendarSeconds() { return fakeNow; }
void fakeSleepUntilSecond(long second) { fakeNow = std::max(fakeNow, second); }

bool sameFrame(const Frame& a, const Frame& b)
{
    return std::equal(a.values(), a.values() + Frame::FIELDS, b.values());
}

// The pose a fighter will end on once its queue has played out.
const Frame& lastTarget(const Character* fighter)
{
    return *fighter->framelist->back().target;
}

class MatchFlow : public testing::Test {
protected:
    void SetUp() override
    {
        calendarSeconds = fakeCalendarSeconds;
        sleepUntilSecond = fakeSleepUntilSecond;
        std::fill(std::begin(keyState), std::end(keyState), 0);
        // Whatever earlier tests in this process left there is not ours to free.
        playerOne = nullptr;
        playerTwo = nullptr;
        // A machine with sounds would hold the end of a bout for as long as they play.
        for (Sound* s : endOfBoutSounds) {
            saved.push_back(*s);
            *s = Sound{};
        }
        gameState = MENU;
        titleShown = false;
        doorPhaseFlag = false;
        playerOneChoice = 0;
        playerTwoChoice = 1;
        selectedPlayer = 0;
    }

    void TearDown() override
    {
        std::fill(std::begin(keyState), std::end(keyState), 0);
        for (std::size_t i = 0; i < saved.size(); ++i)
            *endOfBoutSounds[i] = saved[i];
        calendarSeconds = systemCalendarSeconds;
        sleepUntilSecond = systemSleepUntilSecond;
        gameState = MENU;
        titleShown = true;
        doorPhaseFlag = true;
    }

    static void click(int x, int y)
    {
        onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
        onMouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
    }

    static void clickStart() { click(400, 450); }

    // Runs frames, with `hold` setting the keys before each, until `done`;
    // returns the number of frames, or -1 if `limit` ran out first.
    static int runUntil(const std::function<bool()>& done, const std::function<void(int)>& hold,
                        int limit = 4000)
    {
        testing::internal::CaptureStdout();
        int frames = -1;
        for (int f = 0; f < limit; ++f) {
            hold(f);
            onDisplay();
            if (done()) {
                frames = f + 1;
                break;
            }
        }
        testing::internal::GetCapturedStdout();
        return frames;
    }

    static void expectTitlePhase()
    {
        EXPECT_EQ(gameState, MENU);
        EXPECT_TRUE(titleShown);
        EXPECT_FALSE(doorPhaseFlag);
    }

    Sound* endOfBoutSounds[4] = {&jackWinSound, &darthWinSound, &jackRingoutSound,
                                 &darthRingoutSound};
    std::vector<Sound> saved;
};

const auto noKeys = [](int) { std::fill(std::begin(keyState), std::end(keyState), 0); };

TEST_F(MatchFlow, StartLabelBeginsABoutWithTheChosenFighters)
{
    fakeNow = 7000;
    clockBrightness = 0.3f;
    testing::internal::CaptureStdout();
    clickStart();
    const std::string trace = testing::internal::GetCapturedStdout();

    ASSERT_EQ(gameState, FIGHTING);
    const auto jackLine = trace.find("initializing Jack as player 1\n");
    const auto darthLine = trace.find("initializing Darth as player 2\n");
    ASSERT_NE(jackLine, std::string::npos) << trace;
    ASSERT_NE(darthLine, std::string::npos) << trace;
    EXPECT_LT(jackLine, darthLine);

    ASSERT_NE(dynamic_cast<Jack*>(playerOne), nullptr);
    ASSERT_NE(dynamic_cast<Darth*>(playerTwo), nullptr);
    EXPECT_EQ(playerOne->player, 1);
    EXPECT_EQ(playerTwo->player, 2);
    EXPECT_FLOAT_EQ(playerOne->getX(), 0.0f);
    EXPECT_FLOAT_EQ(playerOne->getZ(), -8.0f);
    EXPECT_FLOAT_EQ(playerTwo->getX(), 0.0f);
    EXPECT_FLOAT_EQ(playerTwo->getZ(), 8.0f);
    EXPECT_EQ(playerOne->opponent, playerTwo);
    EXPECT_EQ(playerTwo->opponent, playerOne);
    EXPECT_EQ(boutEndTime, 7060);
    EXPECT_FLOAT_EQ(clockBrightness, 1.0f);

    // The next bout replaces both, the other way round this time.
    const Character* oldOne = playerOne;
    const Character* oldTwo = playerTwo;
    returnToTitle();
    titleShown = false;
    playerOneChoice = 1;
    playerTwoChoice = 0;
    testing::internal::CaptureStdout();
    clickStart();
    const std::string second = testing::internal::GetCapturedStdout();
    EXPECT_NE(second.find("initializing Darth as player 1\n"), std::string::npos) << second;
    EXPECT_NE(second.find("initializing Jack as player 2\n"), std::string::npos) << second;
    ASSERT_NE(dynamic_cast<Darth*>(playerOne), nullptr);
    ASSERT_NE(dynamic_cast<Jack*>(playerTwo), nullptr);
    EXPECT_NE(playerOne, oldOne);
    EXPECT_NE(playerTwo, oldTwo);
    EXPECT_EQ(playerOne->opponent, playerTwo);
    EXPECT_EQ(playerTwo->opponent, playerOne);

    // The first frames of the new pair run on live fighters only.
    EXPECT_EQ(runUntil([] { return false; }, noKeys, 30), -1);
    EXPECT_EQ(gameState, FIGHTING);
}

TEST_F(MatchFlow, StartWhileTheDoorsPartBeginsAtOnce)
{
    doorPhaseFlag = true;
    doorClosing = false;
    doorOffset = 3.0f;
    clickStart();
    ASSERT_EQ(gameState, FIGHTING);

    // After the bout the doors finish parting over the title, then shut over it.
    returnToTitle();
    int steps = 0;
    while (!doorClosing && steps < 100) {
        doorStep();
        ++steps;
        EXPECT_TRUE(titleShown);
    }
    EXPECT_GE(steps, 30);
    EXPECT_LE(steps, 32);
    EXPECT_FALSE(doorPhaseFlag);
    while (titleShown && steps < 300) {
        doorStep();
        ++steps;
    }
    EXPECT_FALSE(titleShown);
    EXPECT_TRUE(doorPhaseFlag);
}

TEST_F(MatchFlow, AResizedWindowKeepsItsRows)
{
    const auto resize = [](int width, int height) {
        glutReshapeWindow(width, height);
        for (int i = 0; i < 20 && (glutGet(GLUT_WINDOW_WIDTH) != width ||
                                   glutGet(GLUT_WINDOW_HEIGHT) != height); ++i)
            glutMainLoopEvent();
    };
    glutDisplayFunc([] {});

    resize(1000, 750);
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1000);
    ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 750);
    // Player 1's row now spans 300..637 across and 322..396 down: this point
    // is on it, though outside every region of the unscaled window.
    click(620, 380);
    EXPECT_EQ(playerOneChoice, 1);
    EXPECT_EQ(playerTwoChoice, 1);
    click(500, 470);  // player 2's row, scaled
    EXPECT_EQ(playerTwoChoice, 0);
    EXPECT_EQ(selectedPlayer, 1);

    // Wider than 4:3: the menu stays as tall, centred.
    resize(1200, 600);
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 1200);
    click(200 + 245, 290);  // left end of player 1's row
    EXPECT_EQ(playerOneChoice, 0);
    click(200 + 235, 290);
    EXPECT_EQ(playerOneChoice, 0);

    resize(800, 600);
    ASSERT_EQ(glutGet(GLUT_WINDOW_WIDTH), 800);
    click(375, 290);
    EXPECT_EQ(playerOneChoice, 1);
}

TEST_F(MatchFlow, KnockOutByRepeatedHits)
{
    clickStart();
    // Jack swings while Darth walks into the knife.
    const int frames = runUntil([] { return gameState != FIGHTING; },
                                [](int) { keyState[4] = 1; keyState[7] = 1; });
    ASSERT_GT(frames, 0);
    ASSERT_EQ(gameState, KNOCKOUT);
    EXPECT_LE(playerTwo->health, 0.0f);
    EXPECT_FLOAT_EQ(playerOne->health, 100.0f);
    EXPECT_TRUE(sameFrame(lastTarget(playerOne), jackMoves.win.back().target));
    EXPECT_TRUE(sameFrame(lastTarget(playerTwo), darthMoves.lose.back().target));

    // The keys no longer act once the bout is over.
    const float x = playerOne->getX(), z = playerOne->getZ();
    const long before = fakeNow;
    EXPECT_EQ(runUntil([] { return gameState == MENU; }, [](int) { keyState[0] = 1; }), 1);
    EXPECT_FLOAT_EQ(playerOne->getX(), x);
    EXPECT_FLOAT_EQ(playerOne->getZ(), z);
    EXPECT_GE(fakeNow, before + 2) << "the end-of-bout pause";
    expectTitlePhase();
}

TEST_F(MatchFlow, TimeUpWithEqualHealthHasNoWinner)
{
    clickStart();
    ASSERT_EQ(runUntil([] { return false; }, noKeys, 20), -1);
    fakeNow = boutEndTime - 1;
    ASSERT_EQ(runUntil([] { return false; }, noKeys, 3), -1);
    EXPECT_EQ(secondsLeft, 1);
    fakeNow = boutEndTime;
    ASSERT_EQ(runUntil([] { return gameState != FIGHTING; }, noKeys), 1);
    EXPECT_EQ(gameState, TIME_UP);
    EXPECT_EQ(secondsLeft, 1);
    EXPECT_FLOAT_EQ(playerOne->health, playerTwo->health);
    EXPECT_FALSE(sameFrame(lastTarget(playerOne), jackMoves.win.back().target));
    EXPECT_FALSE(sameFrame(lastTarget(playerOne), jackMoves.lose.back().target));
    EXPECT_FALSE(sameFrame(lastTarget(playerTwo), darthMoves.win.back().target));
    EXPECT_FALSE(sameFrame(lastTarget(playerTwo), darthMoves.lose.back().target));

    EXPECT_EQ(runUntil([] { return gameState == MENU; }, noKeys), 1);
    expectTitlePhase();
}

TEST_F(MatchFlow, TimeUpGoesToTheHealthier)
{
    clickStart();
    ASSERT_GT(runUntil([] { return playerTwo->health < 100.0f; },
                       [](int) { keyState[4] = 1; keyState[7] = 1; }), 0);
    ASSERT_GT(playerTwo->health, 0.0f);
    fakeNow = boutEndTime;
    ASSERT_EQ(runUntil([] { return gameState != FIGHTING; }, noKeys), 1);
    EXPECT_EQ(gameState, TIME_UP);
    EXPECT_TRUE(sameFrame(lastTarget(playerOne), jackMoves.win.back().target));
    EXPECT_TRUE(sameFrame(lastTarget(playerTwo), darthMoves.lose.back().target));

    EXPECT_EQ(runUntil([] { return gameState == MENU; }, noKeys), 1);
    expectTitlePhase();
}

TEST_F(MatchFlow, RingOutByWalkingOffTheEdge)
{
    playerOneChoice = 1;
    playerTwoChoice = 0;
    clickStart();
    // Darth backs away from Jack until he drops off the arena.
    const int frames = runUntil([] { return gameState != FIGHTING; },
                                [](int) { keyState[0] = 1; });
    ASSERT_GT(frames, 150);
    ASSERT_EQ(gameState, RING_OUT);
    EXPECT_LT(playerOne->getZ(), -40.0f);
    EXPECT_FALSE(playerOne->inArena());
    EXPECT_TRUE(sameFrame(lastTarget(playerOne), darthMoves.ringOut.back().target));

    const long before = fakeNow;
    EXPECT_EQ(runUntil([] { return gameState == MENU; }, noKeys), 1);
    EXPECT_EQ(fakeNow, before) << "no pause after a ring-out";
    expectTitlePhase();
}

TEST_F(MatchFlow, CameraLooksAtTheFightersFromTheSide)
{
    clickStart();
    setCamera();
    GLdouble got[16], want[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    glLoadIdentity();
    gluLookAt(-19.2, 7.0, 0.0, 0.0, 5.0, 0.0, 0.0, 1.0, 0.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, want);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-5) << i;

    // Two fighters on one point still give a finite view.
    playerTwo->x = playerOne->x;
    playerTwo->z = playerOne->z;
    setCamera();
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(got[i])) << i;
    EXPECT_EQ(runUntil([] { return false; }, noKeys, 5), -1);
    glLoadIdentity();
}

TEST(Lights, OneLightAboveAndBehindTheViewer)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(3.0f, 4.0f, 5.0f);
    setupLights();
    GLfloat position[4], ambient[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
    const GLfloat wantPosition[4] = {0.0f, 12.0f, 10.0f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(position[i], wantPosition[i]) << i;
        EXPECT_FLOAT_EQ(ambient[i], i < 3 ? 0.8f : 1.0f) << i;
    }
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
    glPopMatrix();
}

// A second of silence as a RIFF WAVE file, so the door sounds can be heard
// playing through OpenAL's null device.
std::string writeSilence(const char* name)
{
    const std::string path = testing::TempDir() + name;
    const unsigned rate = 8000, bytes = rate * 5;
    std::ofstream out(path, std::ios::binary);
    const auto u32 = [&out](unsigned v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    const auto u16 = [&out](unsigned short v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate);
    u16(1);
    u16(8);
    out.write("data", 4);
    u32(bytes);
    const std::string samples(bytes, char(128));
    out.write(samples.data(), bytes);
    return path;
}

TEST(MenuSounds, DoorsAndRowsPlayTheirSounds)
{
    static bool deviceOpen = InitDirectSound();
    ASSERT_TRUE(deviceOpen);
    Sound savedClose = closeSound, savedSelect = selectcharacterSound, savedClick = clickSound;
    LoadDirectSound(closeSound, writeSilence("close.wav").c_str());
    LoadDirectSound(selectcharacterSound, writeSilence("select.wav").c_str());
    LoadDirectSound(clickSound, writeSilence("click.wav").c_str());
    ASSERT_NE(closeSound.source, 0u);

    gameState = MENU;
    titleShown = true;
    doorPhaseFlag = false;
    doorOffset = 0.1f;
    doorClosing = true;
    for (int i = 1; i < 68; ++i)
        doorStep();
    EXPECT_FALSE(isPlayingOnce(closeSound));
    doorStep();
    EXPECT_TRUE(isPlayingOnce(closeSound));
    EXPECT_FALSE(isPlayingOnce(selectcharacterSound));
    for (int i = 1; i < 69; ++i)
        doorStep();
    EXPECT_FALSE(isPlayingOnce(selectcharacterSound));
    doorStep();
    EXPECT_TRUE(isPlayingOnce(selectcharacterSound));
    EXPECT_FALSE(doorPhaseFlag);

    EXPECT_FALSE(isPlayingOnce(clickSound));
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 375, 384);
    EXPECT_TRUE(isPlayingOnce(clickSound));

    for (Sound* s : {&closeSound, &selectcharacterSound, &clickSound})
        stopSound(*s);
    closeSound = savedClose;
    selectcharacterSound = savedSelect;
    clickSound = savedClick;
    titleShown = true;
    doorPhaseFlag = true;
    doorOffset = 0.1f;
    doorClosing = true;
    playerTwoChoice = 1;
    selectedPlayer = 0;
}

}  // namespace
