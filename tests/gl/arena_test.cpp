#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "scene/arena.h"
#include "scene/textures.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

// Every vertex the arena sends to the rasteriser, in window coordinates, with
// its texture coordinates, under an orthographic view from straight above.
std::vector<FeedbackVertex> arenaFeedback(double modelview[16], double projection[16], int viewport[4])
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-150, 150, -150, 150, -150, 150);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);

    return feedbackVertices(drawArena);
}

// Whether a vertex at the top face's corner k carries texture coordinates (s, t).
bool cornerDrawnWith(const std::vector<FeedbackVertex>& vertices, int k, float s, float t, const double modelview[16],
    const double projection[16], const int viewport[4])
{
    ArenaCorner c = arenaCorner(k);
    double wx, wy, wz;
    gluProject(c.x, 0.0, c.z, modelview, projection, viewport, &wx, &wy, &wz);
    for (const FeedbackVertex& v : vertices) {
        if (std::fabs(v.x - wx) < 0.01 && std::fabs(v.y - wy) < 0.01 && std::fabs(v.s - s) < 1e-4f &&
            std::fabs(v.t - t) < 1e-4f)
            return true;
    }
    return false;
}

}  // namespace

TEST(Arena, TopTextureCoordinatesRepeatTheMarbleSixTimes)
{
    TexCoord v4 = arenaTopTexCoord(arenaCorner(4).x, arenaCorner(4).z);
    EXPECT_FLOAT_EQ(v4.s, 0.0f);
    EXPECT_FLOAT_EQ(v4.t, 1.8525f);
    TexCoord v7 = arenaTopTexCoord(arenaCorner(7).x, arenaCorner(7).z);
    EXPECT_FLOAT_EQ(v7.s, 4.1475f);
    EXPECT_FLOAT_EQ(v7.t, 6.0f);
    TexCoord v0 = arenaTopTexCoord(arenaCorner(0).x, arenaCorner(0).z);
    EXPECT_FLOAT_EQ(v0.s, 6.0f);
    EXPECT_FLOAT_EQ(v0.t, 4.1475f);
    EXPECT_FLOAT_EQ(arenaCorner(8).x, arenaCorner(0).x);
    EXPECT_FLOAT_EQ(arenaCorner(8).z, arenaCorner(0).z);
}

TEST(Arena, DrawnCornersCarryTheirTextureCoordinates)
{
    double modelview[16], projection[16];
    int viewport[4];
    std::vector<FeedbackVertex> vertices = arenaFeedback(modelview, projection, viewport);
    ASSERT_FALSE(vertices.empty());
    EXPECT_TRUE(cornerDrawnWith(vertices, 4, 0.0f, 1.8525f, modelview, projection, viewport));
    EXPECT_TRUE(cornerDrawnWith(vertices, 7, 4.1475f, 6.0f, modelview, projection, viewport));
    EXPECT_TRUE(cornerDrawnWith(vertices, 2, 4.1475f, 0.0f, modelview, projection, viewport));
    EXPECT_TRUE(cornerDrawnWith(vertices, 6, 1.8525f, 6.0f, modelview, projection, viewport));
}

TEST(Arena, BothDrawingsLeaveTexturingOffWhateverTheStateOnEntry)
{
    boutProjection();
    for (bool enabledBefore : {true, false}) {
        if (enabledBefore)
            glEnable(GL_TEXTURE_2D);
        else
            glDisable(GL_TEXTURE_2D);
        drawArena();
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "arena, entered with " << enabledBefore;

        if (enabledBefore)
            glEnable(GL_TEXTURE_2D);
        drawSky();
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "sky, entered with " << enabledBefore;
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Arena, SkyLeavesTheModelviewAsItFoundIt)
{
    boutProjection();
    gluLookAt(-19.2, 7, 0, 0, 5, 0, 0, 1, 0);
    GLfloat before[16], after[16];
    GLint depthBefore, depthAfter;
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);
    drawSky();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthBefore, depthAfter);
    for (int i = 0; i < 16; i++)
        EXPECT_FLOAT_EQ(before[i], after[i]) << "element " << i;
}

TEST(Arena, MarbleIsFilteredLinearAndRepeatedOnEveryDraw)
{
    const TextureTable saved = textureTable;
    textureTable.marbleTexture = solidTexture(200, 200, 200);
    glBindTexture(GL_TEXTURE_2D, textureTable.marbleTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    boutProjection();
    drawArena();

    GLint minFilter, magFilter, wrapS, wrapT, envMode;
    glBindTexture(GL_TEXTURE_2D, textureTable.marbleTexture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &envMode);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
    EXPECT_EQ(envMode, GL_MODULATE);

    glDeleteTextures(1, &textureTable.marbleTexture);
    textureTable = saved;
}

// The bout's opening view: marble under the fighters, rock below the rim,
// sky above the horizon, each lit and textured.
TEST(Arena, OpeningViewShowsMarbleRockAndSky)
{
    const TextureTable saved = textureTable;
    textureTable.marbleTexture = solidTexture(255, 255, 255);
    textureTable.ground2Texture = solidTexture(160, 90, 40);
    textureTable.backgroundTexture = solidTexture(40, 80, 230);

    boutProjection();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    litScene();
    glLoadIdentity();
    gluLookAt(-19.2, 7, 0, 0, 5, 0, 0, 1, 0);
    drawArena();
    drawSky();
    saveSnapshot("arena");

    Rgb ground = pixelAt(400, 560);
    EXPECT_GT(ground.r, 180);
    EXPECT_NEAR(ground.r, ground.b, 10);
    Rgb sky = pixelAt(400, 40);
    EXPECT_GT(sky.b, 150);
    EXPECT_LT(sky.r, 80);

    // From high above and far out the rim and the rock below it show.
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gluLookAt(-90, 30, 0, 0, -30, 0, 0, 1, 0);
    drawArena();
    drawSky();
    saveSnapshot("rock");
    Rgb rock = pixelAt(400, 380);
    EXPECT_GT(rock.r, rock.b + 60);

    glDisable(GL_LIGHTING);
    unsigned int made[3] = {textureTable.marbleTexture, textureTable.ground2Texture, textureTable.backgroundTexture};
    glDeleteTextures(3, made);
    textureTable = saved;
}
