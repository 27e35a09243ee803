// Jack in the shared real GL context: where his body and knife points land,
// in the pose pass and in his model's drawing, and what he looks like.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/type_ptr.hpp>

#include "characters/core/trace.h"
#include "characters/jack.h"
#include "characters/jack_model.h"
#include "scene/textures.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

// Column-major 4x4, composed the way glTranslatef, glRotatef and glScalef do.
struct Mat {
    double m[16];
};

Mat identity()
{
    Mat r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0;
    return r;
}

Mat operator*(const Mat& a, const Mat& b)
{
    Mat r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 4; ++k)
                r.m[col * 4 + row] += a.m[k * 4 + row] * b.m[col * 4 + k];
    return r;
}

Mat translation(double x, double y, double z)
{
    Mat r = identity();
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Mat scaling(double x, double y, double z)
{
    Mat r = identity();
    r.m[0] = x;
    r.m[5] = y;
    r.m[10] = z;
    return r;
}

Mat rotation(double degrees, double x, double y, double z)
{
    double length = std::sqrt(x * x + y * y + z * z);
    x /= length;
    y /= length;
    z /= length;
    double a = degrees * M_PI / 180.0;
    double c = std::cos(a);
    double s = std::sin(a);
    Mat r = identity();
    r.m[0] = x * x * (1 - c) + c;
    r.m[1] = y * x * (1 - c) + z * s;
    r.m[2] = x * z * (1 - c) - y * s;
    r.m[4] = x * y * (1 - c) - z * s;
    r.m[5] = y * y * (1 - c) + c;
    r.m[6] = y * z * (1 - c) + x * s;
    r.m[8] = x * z * (1 - c) + y * s;
    r.m[9] = y * z * (1 - c) - x * s;
    r.m[10] = z * z * (1 - c) + c;
    return r;
}

Mat currentModelview()
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    Mat r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = m[i];
    return r;
}

void expectMatrix(const float* actual, const Mat& expected, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected.m[i], 2e-3) << what << " element " << i;
}

// The other fighter: only stands where it is put.
class Target : public Character {
public:
    Target(float x, float z, int player) : Character(x, z, player, nullptr, jackMoves) {}
    void posePass(const glm::mat4&) override {}
    FighterKind kind() const override { return JACK; }
};

// The camera GL's modelview matrix holds, for the pose pass on the CPU.
glm::mat4 glCamera()
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return glm::make_mat4(m);
}

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
    Mat point;
    for (int i = 0; i < 16; ++i)
        point.m[i] = eyeMatrix[i];
    point = point * translation(x, y, z);
    double projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double unit[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    int viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    double wx = 0;
    double wy = 0;
    double wz = 0;
    gluProject(point.m[12], point.m[13], point.m[14], unit, projection, viewport, &wx, &wy, &wz);
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
        const Mat camera = currentModelview();
        jack.posePass(glCamera());
        DrawnPoints drawn;
        model.draw(jack, &drawn);

        // The first keyframe has no increments: a pose off it stays put.
        for (int i = 0; i < Frame::FIELDS; ++i)
            ASSERT_EQ(jack.pose[i], posed[i]) << "field " << i;
        const Frame& p = jack.pose;

        double heading = std::atan2(5.0 - -3.0, 4.0 - 1.0) * -180.0 / M_PI + (player == 2 ? 180.0 : 0.0);
        EXPECT_NEAR(std::remainder(jack.facing - heading, 360.0), 0.0, 1e-3);
        Mat root = camera * translation(1, 0, -3) * rotation(jack.facing, 0, 1, 0);
        if (player == 2)
            root = root * scaling(-1, 1, 1);
        Mat torso = root * rotation(60, 0, 1, 0) * translation(0, p.bodyHeight, 0) * scaling(-1, 1, 1) *
            translation(0, 2.5, 0) * rotation(p.bodyAngleTurn, 0, 1, 0) * rotation(p.bodyAngleTiltForward, 1, 0, 0) *
            rotation(p.bodyAngleTiltSide, 0, 0, 1);
        expectMatrix(jack.bodyMatrix, torso, "body");
        expectMatrix(drawn.body, torso, "drawn body");

        Mat fist = torso * translation(-2, 2.5, -0.5) * rotation(90, 1, 0, 0) *
            rotation(p.armRUpperAngleForward, -1, 0, 0) * rotation(p.armRUpperAngleOut, 0, -1, 0) *
            rotation(p.armRUpperAngleRotate, 0, 0, 1) * translation(0, 0, 2) * rotation(p.armRForeAngle, 0, 1, 0) *
            translation(0, 0, 1.8);
        Mat blade = fist * rotation(p.knifeAngleForward, 1, 0, 0) * rotation(p.knifeAngleRotate, 0, 0, 1) *
            translation(0, 1.2, 0.2) * rotation(p.knifeAngleTurn, 0, 1, 0);
        const Mat tips[4] = {blade * translation(-2.6, 7, 0), blade * translation(0.4, 7, 0),
            blade * translation(-2.6, 3.5, 0), blade * translation(-2.6, 0, 0)};
        for (int i = 0; i < 4; ++i) {
            expectMatrix(jack.weaponPointMatrix[i], tips[i], "weapon point");
            expectMatrix(drawn.weapon[i], tips[i], "drawn weapon point");
        }

        // The draw leaves the matrix stack as it found it.
        Mat after = currentModelview();
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(after.m[i], camera.m[i], 1e-6);
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
