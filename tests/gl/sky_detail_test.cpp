// The sky picture is fine enough for the bout's view: its size, that the
// game's own decoder and texture upload take it, and how many screen pixels
// one of its texels covers under the game's real camera and projection.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <glm/gtc/type_ptr.hpp>
#include <glm/mat4x4.hpp>

#include "match/side_view.h"
#include "scene/arena.h"
#include "scene/bmp.h"
#include "scene/camera.h"
#include "scene/textures.h"
#include "shell/game.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

const char* const SKY_PICTURE = "graphics/background.bmp";

// The sky sphere as the arena draws it; the feedback test below holds these
// to what drawSky really sends.
constexpr double SKY_RADIUS = 120.0;
constexpr double SKY_TURN_DEGREES = 150.0;
constexpr int SKY_SLICES = 7;
constexpr int SKY_STACKS = 7;
constexpr double PI = 3.14159265358979323846;

constexpr int SCREEN_WIDTH = 800;
constexpr int SCREEN_HEIGHT = 600;
constexpr double NEAR_PLANE = 1.5;

struct SkyVertex {
    glm::dvec3 p;
    double s, t;
};

// Vertex (slice i, ring j) of the sphere in world coordinates, laid out as
// GLU's textured sphere lays it out, then turned as drawSky turns it: the
// pole axis from z to y, then the turn about y.
SkyVertex skyVertex(int i, int j)
{
    double theta = 2 * PI * i / SKY_SLICES, phi = PI * j / SKY_STACKS;
    glm::dvec3 local{SKY_RADIUS * std::sin(phi) * std::sin(theta), SKY_RADIUS * std::sin(phi) * std::cos(theta),
        SKY_RADIUS * std::cos(phi)};
    glm::dvec3 upright{local.x, local.z, -local.y};
    double a = SKY_TURN_DEGREES * PI / 180;
    glm::dvec3 turned{upright.x * std::cos(a) + upright.z * std::sin(a), upright.y,
        -upright.x * std::sin(a) + upright.z * std::cos(a)};
    return {turned, 1.0 - double(i) / SKY_SLICES, 1.0 - double(j) / SKY_STACKS};
}

// The game's projection at 800 by 600 times its bout camera for the fighters
// at (x1, z1) and (x2, z2), column-major.
void placeBoutCamera(float x1, float z1, float x2, float z2)
{
    float lastSideX = -1.0f, lastSideZ = 0.0f;
    onReshape(SCREEN_WIDTH, SCREEN_HEIGHT);
    setCamera(sideView(x1, z1, x2, z2, lastSideX, lastSideZ));
}

glm::dmat4 boutViewProjection(float x1, float z1, float x2, float z2)
{
    placeBoutCamera(x1, z1, x2, z2);
    glm::dmat4 projection;
    glGetDoublev(GL_PROJECTION_MATRIX, glm::value_ptr(projection));
    return projection * currentModelview();
}

// The longest screen span, in pixels, of one texel step along the picture's
// rows or columns, over every visible point of the sky: sampled densely over
// each of the sphere's triangles, both ways a quad may be split.
double widestTexel(const glm::dmat4& m, int pictureWidth, int pictureHeight, double margin = 0)
{
    double widest = 0;
    constexpr int STEPS = 24;
    for (int j = 0; j < SKY_STACKS; ++j)
        for (int i = 0; i < SKY_SLICES; ++i) {
            SkyVertex corner[4] = {skyVertex(i, j), skyVertex(i + 1, j), skyVertex(i + 1, j + 1), skyVertex(i, j + 1)};
            const int triangles[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 1, 3}, {1, 2, 3}};
            for (const auto& tri : triangles) {
                const SkyVertex &a = corner[tri[0]], &b = corner[tri[1]], &c = corner[tri[2]];
                // Texel coordinates of the two edges, and the world step per texel.
                double s1 = (b.s - a.s) * pictureWidth, t1 = (b.t - a.t) * pictureHeight;
                double s2 = (c.s - a.s) * pictureWidth, t2 = (c.t - a.t) * pictureHeight;
                double det = s1 * t2 - s2 * t1;
                if (std::fabs(det) < 1e-9)
                    continue;  // a triangle squeezed to a line at a pole
                glm::dvec3 e1 = b.p - a.p, e2 = c.p - a.p;
                glm::dvec3 perS = (e1 * t2 - e2 * t1) * (1 / det);
                glm::dvec3 perT = (e2 * s1 - e1 * s2) * (1 / det);
                for (int u = 0; u <= STEPS; ++u)
                    for (int v = 0; u + v <= STEPS; ++v) {
                        glm::dvec3 p = a.p + e1 * (double(u) / STEPS) + e2 * (double(v) / STEPS);
                        glm::dvec4 clip = m * glm::dvec4(p, 1.0);
                        double w = clip.w;
                        if (w < NEAR_PLANE)
                            continue;
                        double x = (clip.x / w + 1) * SCREEN_WIDTH / 2, y = (clip.y / w + 1) * SCREEN_HEIGHT / 2;
                        if (x < margin * SCREEN_WIDTH || x > (1 - margin) * SCREEN_WIDTH ||
                            y < margin * SCREEN_HEIGHT || y > (1 - margin) * SCREEN_HEIGHT)
                            continue;
                        // Screen step of a world step d: the derivative of the projection.
                        auto screenStep = [&](glm::dvec3 d) {
                            glm::dvec4 dc = m * glm::dvec4(d, 0.0);
                            double dx = (dc.x - clip.x / w * dc.w) / w * SCREEN_WIDTH / 2;
                            double dy = (dc.y - clip.y / w * dc.w) / w * SCREEN_HEIGHT / 2;
                            return std::hypot(dx, dy);
                        };
                        widest = std::max({widest, screenStep(perS), screenStep(perT)});
                    }
            }
        }
    return widest;
}

struct PictureSize {
    int width = 0, height = 0;
};

PictureSize decodedSize(const std::string& path)
{
    std::unique_ptr<BitmapImage, void (*)(BitmapImage*)> image(decodeBmp(path.c_str()), freeBitmapImage);
    if (!image)
        return {};
    return {image->width, image->height};
}

TEST(SkyDetail, PictureIsWideAndDecodesAndUploadsThroughTheGame)
{
    PictureSize size = decodedSize(SKY_PICTURE);
    EXPECT_GE(size.width, 2048);
    EXPECT_EQ(size.height * 2, size.width) << "zenith to nadir is half the way round";

    unsigned int name = 0;
    ASSERT_EQ(loadTexture(SKY_PICTURE, &name), 1);
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0, magFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    EXPECT_EQ(width, size.width);
    EXPECT_EQ(height, size.height);
    EXPECT_EQ(magFilter, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &name);
}

TEST(SkyDetail, AllPicturesTogetherStayUnderSixteenMegabytes)
{
    const char* names[] = {"marble", "background", "ground2", "jackface", "darthface", "jack", "darthmaul", "player",
        "select", "start", "title", "door", "maulface", "maultop", "maulbot", "jacksuit", "blade", "0", "1", "2", "3",
        "4", "5", "6", "7", "8", "9"};
    long long bytes = 0;
    for (const char* name : names) {
        PictureSize size = decodedSize(std::string("graphics/") + name + ".bmp");
        EXPECT_GT(size.width, 0) << name;
        // Drivers commonly keep RGB textures as four bytes a texel.
        bytes += 4LL * size.width * size.height;
    }
    EXPECT_LT(bytes, 16LL * 1024 * 1024);
}

TEST(SkyDetail, ModelOfTheSkyIsWhatDrawSkySends)
{
    glm::dmat4 m = boutViewProjection(0.0f, -8.0f, 0.0f, 8.0f);
    // drawSky under the same camera, caught in feedback mode.
    placeBoutCamera(0.0f, -8.0f, 0.0f, 8.0f);
    int others = 0;
    const std::vector<FeedbackVertex> sent = feedbackVertices(drawSky, &others);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(others, 0) << "drawSky sends only polygons";

    // Sphere corners in front of the camera and well inside the window, as this test models them.
    std::vector<std::array<double, 4>> modelled;
    for (int j = 0; j <= SKY_STACKS; ++j)
        for (int i = 0; i <= SKY_SLICES; ++i) {
            SkyVertex v = skyVertex(i, j);
            glm::dvec4 clip = m * glm::dvec4(v.p, 1.0);
            if (clip.w < NEAR_PLANE)
                continue;
            double x = (clip.x / clip.w + 1) * SCREEN_WIDTH / 2, y = (clip.y / clip.w + 1) * SCREEN_HEIGHT / 2;
            if (x > 1 && x < SCREEN_WIDTH - 1 && y > 1 && y < SCREEN_HEIGHT - 1)
                modelled.push_back({x, y, v.s, v.t});
        }
    ASSERT_FALSE(modelled.empty());

    // Every modelled corner is a vertex that drawSky sent, at the same place
    // on the screen and with the same texture coordinates.
    for (const auto& corner : modelled) {
        bool found = std::any_of(sent.begin(), sent.end(), [&](const FeedbackVertex& v) {
            return std::fabs(v.x - corner[0]) < 0.05 && std::fabs(v.y - corner[1]) < 0.05 &&
                std::fabs(v.s - corner[2]) < 1e-4 && std::fabs(v.t - corner[3]) < 1e-4;
        });
        EXPECT_TRUE(found) << "no vertex sent at " << corner[0] << ", " << corner[1] << " with texture " << corner[2]
                           << ", " << corner[3];
    }
}

// The bout opens with the fighters at their starting points, the camera
// between the arena's middle and its edge, looking across the sky. In the
// middle half of the screen, where the horizon and the mountains stand, a
// texel spans at most two pixels; towards the corners the perspective
// stretches everything, the sky too, by up to half again.
TEST(SkyDetail, TexelSpansAtMostTwoPixelsInTheOpeningView)
{
    PictureSize size = decodedSize(SKY_PICTURE);
    ASSERT_GT(size.width, 0);
    glm::dmat4 view = boutViewProjection(0.0f, -8.0f, 0.0f, 8.0f);
    EXPECT_LE(widestTexel(view, size.width, size.height, 0.25), 2.0);
    EXPECT_LE(widestTexel(view, size.width, size.height), 3.0);
}

// The measure itself: seen from the sphere's centre, along the view's axis, a
// texel's angle times the pixels per radian at the middle of the screen.
TEST(SkyDetail, TexelMeasureAgreesWithTheSphereSeenFromItsCentre)
{
    onReshape(SCREEN_WIDTH, SCREEN_HEIGHT);
    // Looking along -z from the centre: the projection alone.
    glm::dmat4 m;
    glGetDoublev(GL_PROJECTION_MATRIX, glm::value_ptr(m));
    const int width = 2048, height = 1024;
    double pixelsPerRadian = SCREEN_HEIGHT / 2 / std::tan(30.0 * PI / 180);
    double expected = 2 * PI / width * pixelsPerRadian;
    // A flat facet of the seven-sided sphere sits nearer than the radius.
    double facet = std::sin(PI / SKY_SLICES) / (PI / SKY_SLICES) / std::cos(PI / SKY_SLICES);
    double measured = widestTexel(m, width, height, 0.45);
    EXPECT_GT(measured, expected * 0.95);
    EXPECT_LT(measured, expected * facet / std::cos(PI / (2 * SKY_STACKS)) * 1.05);
}

}  // namespace
