// The window's match, driven through the game's own callbacks and frame
// routine (mouse, key table, tick, sounds, picture) with a calendar the tests
// move by hand.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "audio/sound_bank.h"
#include "characters/core/trace.h"
#include "scene/camera.h"
#include "scene/match_drawing.h"
#include "shell/game.h"
#include "shell/shell.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

class MatchWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(resizeWindow(800, 600));
        boutProjection();
        live.emplace(5000);
        // The select screen, Jack against Darth.
        liveMatch().titleShown = false;
        liveMatch().doorPhaseFlag = false;
    }

    void TearDown() override
    {
        live.reset();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }

    // A click lands on the next frame.
    static void click(int x, int y)
    {
        onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
        onMouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
        TraceSilence quiet;
        advanceFrame();
    }

    static void clickStart() { click(400, 450); }

    // Runs frames, with `hold` setting the keys before each, until `done`;
    // returns the number of frames, or -1 if `limit` ran out first.
    static int runUntil(const std::function<bool()>& done, const std::function<void(int)>& hold, int limit = 4000)
    {
        TraceSilence quiet;
        for (int f = 0; f < limit; ++f) {
            hold(f);
            advanceFrame();
            if (done())
                return f + 1;
        }
        return -1;
    }

    std::optional<LiveMatchScope> live;
};

TEST_F(MatchWindow, AResizedWindowKeepsItsRows)
{
    Match& m = liveMatch();
    ASSERT_TRUE(resizeWindow(1000, 750));
    // Player 1's row now spans 300..637 across and 322..396 down: this point
    // is on it, though outside every region of the unscaled window.
    click(620, 380);
    EXPECT_EQ(m.playerOneChoice, 1);
    EXPECT_EQ(m.playerTwoChoice, 1);
    click(500, 470);  // player 2's row, scaled
    EXPECT_EQ(m.playerTwoChoice, 0);
    EXPECT_EQ(m.selectedPlayer, 1);

    // Wider than 4:3: the menu stays as tall, centred.
    ASSERT_TRUE(resizeWindow(1200, 600));
    click(200 + 245, 290);  // left end of player 1's row
    EXPECT_EQ(m.playerOneChoice, 0);
    click(200 + 235, 290);
    EXPECT_EQ(m.playerOneChoice, 0);

    ASSERT_TRUE(resizeWindow(800, 600));
    click(375, 290);
    EXPECT_EQ(m.playerOneChoice, 1);
}

// In any window shape each control of the select screen is drawn where its
// clicks land, and a click there works it.
TEST_F(MatchWindow, EveryWindowShapeShowsEachControlWhereItsClickLands)
{
    for (auto [width, height] : {std::pair{300, 500}, std::pair{500, 1000}, std::pair{800, 600}}) {
        ASSERT_TRUE(resizeWindow(width, height));
        live.reset();
        live.emplace(5000);
        Match& m = liveMatch();
        m.titleShown = m.doorPhaseFlag = false;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        viewMatch(m, width, height);
        drawMatch(m);
        std::vector<unsigned char> red(std::size_t(width) * height);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RED, GL_UNSIGNED_BYTE, red.data());

        // Each control, with what a click on it changes; START last.
        const std::pair<Region, std::function<bool()>> controls[] = {
            {PLAYER_ONE_ROW, [&m] { return m.playerOneChoice == DARTH; }},
            {PLAYER_TWO_ROW, [&m] { return m.playerTwoChoice == JACK; }},
            {PLAYER_ONE_CONTROL, [&m] { return m.playerOneControl == CPU_EASY; }},
            {PLAYER_TWO_CONTROL, [&m] { return m.playerTwoControl == CPU_EASY; }},
            {START_LABEL, [&m] { return m.gameState == FIGHTING; }},
        };
        for (const auto& [r, worked] : controls) {
            const std::string where = std::to_string(width) + "x" + std::to_string(height) + ", region at " +
                std::to_string(r.left) + "," + std::to_string(r.top);
            long landing = 0, lit = 0, sumX = 0, sumY = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (r.contains(clickOnMenu(x, y, width, height))) {
                        ++landing;
                        lit += red[std::size_t(height - 1 - y) * width + x] > 40;
                        sumX += x;
                        sumY += y;
                    }
            const MenuPoint first = clickOnMenu(0, 0, width, height);
            const MenuPoint last = clickOnMenu(width - 1, height - 1, width, height);
            EXPECT_TRUE(first.x <= r.left && first.y <= r.top && last.x >= r.right && last.y >= r.bottom)
                << where << ": partly outside the window";
            ASSERT_GT(landing, 0) << where << ": no pixel of the window reaches it";
            EXPECT_GT(lit * 2, landing) << where << ": not drawn where its clicks land";
            click(int(sumX / landing), int(sumY / landing));
            EXPECT_TRUE(worked()) << where << ": a click in its middle did nothing";
        }
    }
    ASSERT_TRUE(resizeWindow(800, 600));
}

TEST_F(MatchWindow, KnockOutPlayedWithTheKeyTableThenTheTitle)
{
    Match& m = liveMatch();
    clickStart();
    ASSERT_EQ(m.gameState, FIGHTING);
    // Jack swings while Darth walks into the knife.
    ASSERT_GT(runUntil([&m] { return m.gameState != FIGHTING; },
                  [](int) { shell().keys.keyState[4] = shell().keys.keyState[7] = 1; }),
        0);
    ASSERT_EQ(m.gameState, KNOCKOUT);
    EXPECT_LE(m.playerTwo->health, 0.0f);
    EXPECT_FLOAT_EQ(m.playerOne->health, 100.0f);

    // The keys no longer act; the last picture stays two seconds of the calendar.
    const float x = m.playerOne->getX(), z = m.playerOne->getZ();
    const long before = LiveMatchScope::calendar;
    const auto atMenu = [&m] { return m.gameState == MENU; };
    const auto backOff = [](int) { shell().keys.keyState[0] = 1; };
    EXPECT_EQ(runUntil(atMenu, backOff, 20), -1);
    EXPECT_FLOAT_EQ(m.playerOne->getX(), x);
    EXPECT_FLOAT_EQ(m.playerOne->getZ(), z);
    EXPECT_GT(runUntil(
                  atMenu, [](int f) { LiveMatchScope::calendar += f % 2; }, 20),
        0);
    EXPECT_GE(LiveMatchScope::calendar, before + 2) << "the end-of-bout pause";
    EXPECT_TRUE(m.titleShown);
    EXPECT_FALSE(m.doorPhaseFlag);
}

TEST_F(MatchWindow, CameraLooksAtTheFightersFromTheSide)
{
    Match& m = liveMatch();
    clickStart();
    ASSERT_EQ(m.gameState, FIGHTING);
    glMatrixMode(GL_MODELVIEW);
    setCamera(m.view);
    GLdouble got[16], want[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    glLoadIdentity();
    gluLookAt(-19.2, 7.0, 0.0, 0.0, 5.0, 0.0, 0.0, 1.0, 0.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, want);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-5) << i;

    // Two fighters on one point still give a finite view, and frames go on.
    m.playerTwo->x = m.playerOne->x;
    m.playerTwo->z = m.playerOne->z;
    EXPECT_EQ(runUntil([] { return false; }, [](int) {}, 5), -1);
    setCamera(m.view);
    glGetDoublev(GL_MODELVIEW_MATRIX, got);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(std::isfinite(got[i])) << i;
    EXPECT_TRUE(std::isfinite(m.playerOne->facing));
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
    glDisable(GL_LIGHTING);
}

// Seconds of silence as a RIFF WAVE file, so the door sounds can be heard
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

TEST_F(MatchWindow, DoorsAndRowsPlayTheirSounds)
{
    static bool deviceOpen = InitDirectSound();
    ASSERT_TRUE(deviceOpen);
    Sound& closeSound = soundTable[SoundId::CLOSE];
    Sound& selectcharacterSound = soundTable[SoundId::SELECTCHARACTER];
    Sound& clickSound = soundTable[SoundId::CLICK];
    LoadDirectSound(closeSound, writeSilence("close.wav").c_str());
    LoadDirectSound(selectcharacterSound, writeSilence("select.wav").c_str());
    LoadDirectSound(clickSound, writeSilence("click.wav").c_str());
    ASSERT_NE(closeSound.source, 0u);

    // The title with its doors shutting: one door step a frame.
    Match& m = liveMatch();
    m.titleShown = true;
    const auto frame = [] { runUntil([] { return false; }, [](int) {}, 1); };
    for (int i = 1; i < 68; ++i)
        frame();
    EXPECT_FALSE(isPlayingOnce(closeSound));
    frame();
    EXPECT_TRUE(isPlayingOnce(closeSound));
    EXPECT_FALSE(isPlayingOnce(selectcharacterSound));
    // The frame they shut steps them twice: once shutting, once parting.
    for (int i = 1; i < 68; ++i)
        frame();
    EXPECT_FALSE(isPlayingOnce(selectcharacterSound));
    frame();
    EXPECT_TRUE(isPlayingOnce(selectcharacterSound));
    EXPECT_FALSE(m.doorPhaseFlag);

    EXPECT_FALSE(isPlayingOnce(clickSound));
    click(375, 384);
    EXPECT_TRUE(isPlayingOnce(clickSound));

    for (Sound* s : {&closeSound, &selectcharacterSound, &clickSound})
        releaseSound(*s);
}

// The demo through the window's own frames: its choices reach the rules in
// the tick's input, the computer plays both sides, and a click gives the
// game back at the title and does nothing else.
TEST_F(MatchWindow, TheDemoPlaysThroughTheFramesAndAClickEndsIt)
{
    Match& m = liveMatch();
    m = Match{};
    shell().computer.startDemo();
    ASSERT_GT(runUntil([&m] { return m.gameState == FIGHTING; }, [](int) {}, 400), 0);
    EXPECT_NE(m.playerOneControl, HUMAN);
    EXPECT_NE(m.playerTwoControl, HUMAN);
    runUntil([] { return false; }, [](int) {}, 240);
    EXPECT_TRUE(m.playerOne->z != -8.0f || m.playerTwo->z != 8.0f || m.playerOne->x != 0.0f)
        << "nobody moved: the computer did not play";

    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 300);
    EXPECT_FALSE(shell().computer.demoRunning());
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 400, 300);
    TraceSilence quiet;
    advanceFrame();
    EXPECT_EQ(m.gameState, MENU);
    EXPECT_TRUE(m.titleShown);
    EXPECT_TRUE(m.doorPhaseFlag) << "the click that ended the demo opened the doors";
    EXPECT_EQ(m.playerOneControl, HUMAN);
    EXPECT_EQ(m.playerTwoControl, HUMAN);
}

}  // namespace
