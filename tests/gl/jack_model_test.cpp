// Jack in the shared real GL context: where his body and knife points land,
// in the pose pass and in his model's drawing, and what he looks like.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "characters/core/trace.h"
#include "characters/jack.h"
#include "scene/jack_model.h"
#include "scene/textures.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

void expectMatrix(const float* actual, const glm::dmat4& expected, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], glm::value_ptr(expected)[i], 2e-3) << what << " element " << i;
}

// The other fighter: only stands where it is put.
class Target : public Character {
public:
    Target(float x, float z, int player) : Character(x, z, player, nullptr, jackMoves) {}
    void posePass(const glm::mat4&) override {}
    FighterKind kind() const override { return JACK; }
};

void sideCamera()
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 4.0 / 3.0, 1.5, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float globalAmbient[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const float lightPosition[] = {0.0f, 12.0f, 10.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    gluLookAt(-16.0, 7.0, 0.0, 0.0, 5.0, 0.0, 0.0, 1.0, 0.0);
}

struct Pixel {
    int r, g, b;
};

// The average colour of the 5 by 5 pixels around an eye-space point.
Pixel pixelAt(const float* eyeMatrix, double x, double y, double z)
{
    const glm::dvec4 point = glm::dmat4(glm::make_mat4(eyeMatrix)) * glm::dvec4(x, y, z, 1.0);
    double projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double unit[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    double wx = 0;
    double wy = 0;
    double wz = 0;
    gluProject(point.x, point.y, point.z, unit, projection, viewport, &wx, &wy, &wz);
    unsigned char block[5 * 5 * 3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(static_cast<int>(wx) - 2, static_cast<int>(wy) - 2, 5, 5, GL_RGB, GL_UNSIGNED_BYTE, block);
    Pixel sum{0, 0, 0};
    for (int i = 0; i < 25; ++i) {
        sum.r += block[i * 3];
        sum.g += block[i * 3 + 1];
        sum.b += block[i * 3 + 2];
    }
    return {sum.r / 25, sum.g / 25, sum.b / 25};
}

class JackModelTest : public testing::Test {
protected:
    void SetUp() override
    {
        glDisable(GL_LIGHTING);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

}  // namespace

TEST_F(JackModelTest, BodyAndKnifePointsSitWhereTheTransformsPutThem)
{
    for (int player = 1; player <= 2; ++player) {
        SCOPED_TRACE(player);
        Target other(4.0f, 5.0f, 3 - player);
        TraceSilence quiet;
        Jack jack(1.0f, -3.0f, player, &other);
        const JackModel model(0, 0);
        // A pose with every joint of the chain away from zero.
        for (int i = 0; i < Frame::FIELDS; ++i)
            jack.pose[i] = 7.0f * (i + 1) - 40.0f;
        jack.pose.bodyHeight = 0.6f;
        Frame posed = jack.pose;

        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(-14.0, 8.0, 3.0, 1.0, 4.0, 1.0, 0.0, 1.0, 0.0);
        const glm::dmat4 camera = currentModelview();
        jack.posePass(glCamera());
        DrawnPoints drawn;
        model.draw(jack, &drawn);

        // The first keyframe has no increments: a pose off it stays put.
        for (int i = 0; i < Frame::FIELDS; ++i)
            ASSERT_EQ(jack.pose[i], posed[i]) << "field " << i;
        const Frame& p = jack.pose;

        double heading = std::atan2(5.0 - -3.0, 4.0 - 1.0) * -180.0 / M_PI + (player == 2 ? 180.0 : 0.0);
        EXPECT_NEAR(std::remainder(jack.facing - heading, 360.0), 0.0, 1e-3);
        const glm::dvec3 X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1), MIRROR(-1, 1, 1);
        glm::dmat4 torso = rotated(glm::translate(camera, {1, 0, -3}), jack.facing, Y);
        if (player == 2)
            torso = glm::scale(torso, MIRROR);
        torso = glm::scale(glm::translate(rotated(torso, 60, Y), {0, p.bodyHeight, 0}), MIRROR);
        torso =
            rotated(rotated(rotated(glm::translate(torso, {0, 2.5, 0}), p.bodyAngleTurn, Y), p.bodyAngleTiltForward, X),
                p.bodyAngleTiltSide, Z);
        expectMatrix(jack.bodyMatrix, torso, "body");
        expectMatrix(drawn.body, torso, "drawn body");

        glm::dmat4 fist = rotated(glm::translate(torso, {-2, 2.5, -0.5}), 90, X);
        fist = rotated(
            rotated(rotated(fist, p.armRUpperAngleForward, -X), p.armRUpperAngleOut, -Y), p.armRUpperAngleRotate, Z);
        fist = glm::translate(rotated(glm::translate(fist, {0, 0, 2}), p.armRForeAngle, Y), {0, 0, 1.8});
        glm::dmat4 blade = rotated(rotated(fist, p.knifeAngleForward, X), p.knifeAngleRotate, Z);
        blade = rotated(glm::translate(blade, {0, 1.2, 0.2}), p.knifeAngleTurn, Y);
        const glm::dmat4 tips[4] = {glm::translate(blade, {-2.6, 7, 0}), glm::translate(blade, {0.4, 7, 0}),
            glm::translate(blade, {-2.6, 3.5, 0}), glm::translate(blade, {-2.6, 0, 0})};
        for (int i = 0; i < 4; ++i) {
            expectMatrix(jack.weaponPointMatrix[i], tips[i], "weapon point");
            expectMatrix(drawn.weapon[i], tips[i], "drawn weapon point");
        }

        // The draw leaves the matrix stack as it found it.
        const glm::dmat4 after = currentModelview();
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(glm::value_ptr(after)[i], glm::value_ptr(camera)[i], 1e-6);
    }
}

TEST_F(JackModelTest, RestPosePictureShowsHisPaleHeadAndGreySuit)
{
    Target other(0.0f, 8.0f, 2);
    TraceSilence quiet;
    Jack jack(0.0f, 0.0f, 1, &other);
    // His suit and blade art, as a bout loads it.
    unsigned int suitTexture = 0, bladeTexture = 0;
    loadTexture("graphics/jacksuit.bmp", &suitTexture);
    loadTexture("graphics/blade.bmp", &bladeTexture);
    const JackModel model(suitTexture, bladeTexture);
    glClearColor(0.1f, 0.15f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    sideCamera();
    jack.posePass(glCamera());
    model.draw(jack);
    glFinish();

    EXPECT_TRUE(saveSnapshot("jack"));

    Pixel head = pixelAt(jack.bodyMatrix, 0.0, 5.5, 0.0);
    EXPECT_GT(head.r, 190);
    EXPECT_GT(head.g, 190);
    EXPECT_GT(head.b, 190);

    Pixel suit = pixelAt(jack.bodyMatrix, 0.0, 1.0, 0.0);
    EXPECT_GT(suit.r, 50);
    EXPECT_LT(suit.r, head.r - 30);
    EXPECT_LT(std::abs(suit.r - suit.g), 30);
    EXPECT_LT(std::abs(suit.g - suit.b), 30);

    // Nothing of him strays into the corner.
    unsigned char corner[3];
    glReadPixels(10, 10, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, corner);
    EXPECT_LT(corner[0], 40);
    EXPECT_GT(corner[2], 60);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 1);
}
