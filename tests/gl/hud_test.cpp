#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include "characters/core/trace.h"
#include "match/match.h"
#include "scene/camera.h"
#include "scene/hud.h"
#include "scene/textures.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

// A bout just started at second 1000; each frame is one tick of it, then its
// HUD drawn as the game draws it.
class Hud : public testing::Test {
protected:
    void SetUp() override
    {
        TraceSilence quiet;
        TickEvents events;
        startBout(m, 1000, events);
    }

    void TearDown() override
    {
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glLoadIdentity();
    }

    // One bout frame's HUD: under the camera's view, with the scene behind it
    // cleared to blue so the bars stand out.
    void drawHudFrame()
    {
        TickInput in;
        in.calendarSecond = 1000;
        TickEvents events;
        step(m, in, events);
        boutProjection();
        litScene();
        glClearColor(0.1f, 0.2f, 0.8f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        setCamera(m.view);
        glPushMatrix();
        placeHud(m.view);
        glGetDoublev(GL_MODELVIEW_MATRIX, hudModelview);
        drawHealthBars(m.shownHealthOne, m.shownHealthTwo, m.playerOneChoice, m.playerTwoChoice);
        drawClock(m.shownClockBrightness, m.secondsLeft);
        glPopMatrix();
        glClearColor(0, 0, 0, 1);
    }

    // The window pixel (from the top) where a point in HUD coordinates lands.
    Rgb hudPixel(double x, double y, double z)
    {
        double projection[16];
        int viewport[4];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        double wx, wy, wz;
        gluProject(x, y, z, hudModelview, projection, viewport, &wx, &wy, &wz);
        return pixelAt(int(std::lround(wx)), 599 - int(std::lround(wy)));
    }

    static bool red(Rgb p) { return p.r > 150 && p.g < 60 && p.b < 60; }
    static bool dark(Rgb p) { return p.r < 40 && p.g < 40 && p.b < 40; }

    Match m;
    double hudModelview[16] = {};
};

}  // namespace

TEST(HudBars, LengthFollowsHealthAndNeverGoesBelowZero)
{
    EXPECT_FLOAT_EQ(healthBarLength(100.0f), 11.0f);
    EXPECT_FLOAT_EQ(healthBarLength(50.0f), 5.5f);
    EXPECT_FLOAT_EQ(healthBarLength(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(healthBarLength(-0.6f), 0.0f);
}

TEST(HudBars, HeadingTurnsFromPlayerOneTowardsPlayerTwo)
{
    // The start of a bout: player 2 straight along +z from player 1, the camera at -x.
    EXPECT_NEAR(hudHeading(-1.0f, 0.0f), 90.0f, 1e-4);
    // Player 2 along +x: arc cosine 0, and z2 is not above z1.
    EXPECT_NEAR(hudHeading(0.0f, 1.0f), 360.0f, 1e-4);
    // Player 2 along -x.
    EXPECT_NEAR(hudHeading(0.0f, -1.0f), 180.0f, 1e-4);
    // Player 2 along -z.
    EXPECT_NEAR(hudHeading(1.0f, 0.0f), 270.0f, 1e-4);
    // A component rounded past 1 stays on the circle.
    EXPECT_NEAR(hudHeading(0.0f, 1.0000001f), 360.0f, 1e-4);
    EXPECT_FALSE(std::isnan(hudHeading(NAN, NAN)));
}

TEST_F(Hud, FightersOnOnePointStillPlaceTheHud)
{
    float lastX = -1.0f, lastZ = 0.0f;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    placeHud(sideView(3.0f, 4.0f, 3.0f, 4.0f, lastX, lastZ));
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; i++)
        EXPECT_TRUE(std::isfinite(m[i])) << "element " << i;
    glLoadIdentity();
}

TEST_F(Hud, HealthBarsShowOnScreenAtTheirPlace)
{
    unsigned int white = solidTexture(255, 255, 255);
    const TextureTable saved = textureTable;
    for (unsigned int& digit : textureTable.digitTextures)
        digit = white;

    drawHudFrame();
    saveSnapshot("hud-full");
    EXPECT_EQ(m.secondsLeft, 60);
    // Full bars, player 1's towards screen left and player 2's towards the right.
    for (double x : {-3.0, -6.0, -10.0})
        EXPECT_TRUE(red(hudPixel(x, 10.0, -4.0))) << "player 1's bar at " << x;
    for (double x : {3.0, 6.0, 10.0})
        EXPECT_TRUE(red(hudPixel(x, 10.0, -4.0))) << "player 2's bar at " << x;
    int leftX = 0, rightX = 0;
    {
        double projection[16];
        int viewport[4];
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
        double wy, wz, wx;
        gluProject(-6.0, 10.0, -4.0, hudModelview, projection, viewport, &wx, &wy, &wz);
        leftX = int(wx);
        gluProject(6.0, 10.0, -4.0, hudModelview, projection, viewport, &wx, &wy, &wz);
        rightX = int(wx);
        EXPECT_GT(wy, 450) << "the bars run along the top of the screen";
    }
    EXPECT_LT(leftX, 400);
    EXPECT_GT(rightX, 400);
    // The clock digits sit between the bars, just below them.
    Rgb clock = hudPixel(-0.35, 8.85, 0.0);
    EXPECT_GT(clock.r, 200);
    EXPECT_GT(clock.b, 200);

    // Half health: player 1's bar ends 5.5 from the centre, the black backing shows beyond.
    m.playerOne->health = 50.0f;
    drawHudFrame();
    saveSnapshot("hud-half");
    EXPECT_TRUE(red(hudPixel(-4.0, 10.0, -4.0)));
    EXPECT_TRUE(dark(hudPixel(-9.0, 10.0, -4.0)));
    EXPECT_TRUE(red(hudPixel(9.0, 10.0, -4.0))) << "player 2's bar keeps its length";

    textureTable = saved;
    glDeleteTextures(1, &white);
}
