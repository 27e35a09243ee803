#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "match/match.h"
#include "scene/match_drawing.h"
#include "scene/screens.h"
#include "scene/textures.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

// The menu's fixed view, lit as in the game, with one-colour art in the menu's slots.
class MenuScreens : public testing::Test {
protected:
    void SetUp() override
    {
        saved = textureTable;
        TextureTable& t = textureTable;
        t.titleTexture = solidTexture(40, 200, 40);
        t.doorTexture = solidTexture(200, 40, 40);
        unsigned int white = solidTexture(255, 255, 255);
        t.jackfaceTexture = t.jackTexture = t.darthfaceTexture = t.darthmaulTexture = white;
        t.playerTexture = t.selectTexture = t.startTexture = white;
        t.digitTextures[1] = t.digitTextures[2] = white;

        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, 800.0 / 600.0, 1.5, 300.0);
        glMatrixMode(GL_MODELVIEW);
        litScene();
        glNormal3f(0.0f, 0.0f, 1.0f);
        glClearColor(0, 0, 0, 1);
        clear();
    }

    void TearDown() override
    {
        unsigned int made[3] = {textureTable.titleTexture, textureTable.doorTexture, textureTable.jackfaceTexture};
        glDeleteTextures(3, made);
        textureTable = saved;
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
    }

    void clear()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(0, 10, 20, 0, 0, 0, 0, 1, 0);
    }

    // One menu tick, then its picture as the game draws it.
    void menuFrame()
    {
        TickEvents events;
        menuTick(m, events);
        clear();
        drawMatch(m);
    }

    TextureTable saved;
    Match m;
};

}  // namespace

TEST_F(MenuScreens, TitleLeavesTexturingOnDoorsAndSelectTurnItOff)
{
    glDisable(GL_TEXTURE_2D);
    drawTitle();
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    saveSnapshot("title");
    Rgb title = pixelAt(400, 300);
    EXPECT_GT(title.g, 150);
    EXPECT_LT(title.r, 80);

    glEnable(GL_TEXTURE_2D);
    drawDoors(3.0f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    glEnable(GL_TEXTURE_2D);
    drawSelectScreen(JACK, DARTH, 0, 1.0f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(MenuScreens, DoorHalvesMeetInTheMiddleWhenShut)
{
    m.titleShown = true;
    m.doorPhaseFlag = false;
    m.doorClosing = true;

    m.doorOffset = 3.3f;  // drawn at 3.4: half shut, the title between the halves
    menuFrame();
    saveSnapshot("doors-half");
    Rgb middleOpen = pixelAt(400, 300);
    EXPECT_GT(middleOpen.g, 150);
    EXPECT_LT(middleOpen.r, 80);
    for (int x : {60, 740}) {
        Rgb half = pixelAt(x, 300);
        EXPECT_GT(half.r, 150) << "at x " << x;
        EXPECT_LT(half.g, 80) << "at x " << x;
    }

    m.doorOffset = 6.6f;  // drawn at 6.7: shut
    menuFrame();
    saveSnapshot("doors-shut");
    for (int x : {380, 400, 420}) {
        Rgb middle = pixelAt(x, 300);
        EXPECT_GT(middle.r, 150) << "at x " << x;
        EXPECT_LT(middle.g, 80) << "at x " << x;
    }
}

// Player 1's row is the pulsing one before any click.
TEST_F(MenuScreens, SelectedRowPulsesWhileTheOtherStaysWhite)
{
    m.titleShown = false;
    m.doorPhaseFlag = false;
    m.selectedPlayer = 0;
    m.selectBrightness = 1.0f;
    m.selectBrightening = false;
    m.playerOneChoice = JACK;
    m.playerTwoChoice = DARTH;

    float dimmest = 1.0f, brightest = 0.0f;
    int rowOneMin = 255, rowOneMax = 0, rowTwoMin = 255, rowTwoMax = 0;
    for (int frame = 0; frame < 100; frame++) {
        menuFrame();
        if (frame == 35)
            saveSnapshot("select-dim");
        dimmest = std::min(dimmest, m.selectBrightness);
        brightest = std::max(brightest, m.selectBrightness);
        // Inside the click regions of the two rows.
        int one = pixelAt(300, 290).r;
        int two = pixelAt(300, 384).r;
        rowOneMin = std::min(rowOneMin, one);
        rowOneMax = std::max(rowOneMax, one);
        rowTwoMin = std::min(rowTwoMin, two);
        rowTwoMax = std::max(rowTwoMax, two);
    }
    EXPECT_NEAR(dimmest, 0.2f, 0.021f);
    EXPECT_NEAR(brightest, 1.0f, 0.021f);
    EXPECT_GT(rowOneMax, 200);
    EXPECT_LT(rowOneMin, 80);
    EXPECT_GT(rowTwoMin, 200);
    EXPECT_EQ(rowTwoMin, rowTwoMax);
}

TEST_F(MenuScreens, SecondRowPulsesOnceSelected)
{
    clear();
    drawSelectScreen(JACK, DARTH, 1, 0.5f);
    saveSnapshot("select-row-two");
    EXPECT_LT(pixelAt(300, 384).r, 170);
    EXPECT_GT(pixelAt(300, 290).r, 200);
}
