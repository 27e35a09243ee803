// Darth under a real GL context: his body and weapon points, his model's
// display lists, pictures.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "characters/core/trace.h"
#include "characters/darth.h"
#include "scene/darth_model.h"
#include "scene/textures.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

// An opponent that only stands where it is put.
class Target : public Character {
public:
    Target(float x, float z, int player) : Character(x, z, player, nullptr, darthMoves) {}
    void posePass(const glm::mat4&) override {}
    FighterKind kind() const override { return DARTH; }
};

// The pose pass under GL's camera, then the model drawn there: the body and
// weapon points as the rules found them and as GL held them.
DrawnPoints poseAndDraw(Darth& darth, const DarthModel& model)
{
    darth.posePass(glCamera());
    DrawnPoints drawn;
    model.draw(darth, &drawn);
    return drawn;
}

glm::dmat4 sideCamera(double eyeX, double eyeY, double eyeZ, double atY)
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 800.0 / 600.0, 1.5, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float globalAmbient[] = {0.8f, 0.8f, 0.8f, 1.0f};
    const float lightPosition[] = {0.0f, 12.0f, 10.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    gluLookAt(eyeX, eyeY, eyeZ, 0.0, atY, 0.0, 0.0, 1.0, 0.0);
    return currentModelview();
}

// The right fist's weapon frame, composed from the model's transforms.
glm::dmat4 weaponFrame(const glm::dmat4& camera, const Darth& d)
{
    const Frame& p = d.pose;
    const glm::dvec3 X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1), MIRROR(-1, 1, 1);
    glm::dmat4 m = rotated(glm::translate(camera, {d.x, 0, d.z}), d.facing, Y);
    if (d.player == 2)
        m = glm::scale(m, MIRROR);
    m = glm::scale(glm::translate(rotated(m, 60, Y), {0, p.bodyHeight, 0}), MIRROR);
    m = glm::translate(m, {0, 2.5, 0});
    m = rotated(rotated(rotated(m, p.bodyAngleTurn, Y), p.bodyAngleTiltForward, X), p.bodyAngleTiltSide, Z);
    m = rotated(glm::translate(m, {-2, 2.5, -0.5}), 90, X);
    m = rotated(rotated(rotated(m, p.armRUpperAngleForward, -X), p.armRUpperAngleOut, -Y), p.armRUpperAngleRotate, Z);
    m = glm::translate(rotated(glm::translate(m, {0, 0, 2}), p.armRForeAngle, Y), {0, 0, 1.8});
    return rotated(
        rotated(rotated(m, p.lightsaberAngleForward, X), p.lightsaberAngleRotate, Z), p.lightsaberAngleTurn, Y);
}

// Where a matrix takes a point.
glm::dvec3 apply(const glm::dmat4& m, double x, double y, double z)
{
    return glm::dvec3(m * glm::dvec4(x, y, z, 1.0));
}

void expectTranslation(const float* captured, const glm::dvec3& expected, const char* what)
{
    EXPECT_NEAR(captured[12], expected.x, 1e-3) << what;
    EXPECT_NEAR(captured[13], expected.y, 1e-3) << what;
    EXPECT_NEAR(captured[14], expected.z, 1e-3) << what;
}

// The weapon points, with their slots.
struct WeaponPoint {
    double x;
    int slot;
};
constexpr WeaponPoint WEAPON_POINTS[] = {{9.0, 0}, {5.5, 3}, {-9.0, 1}, {-5.5, 2}};

TEST(DarthModel, BodyPointIsTheCameraImageOfTheTorsoBase)
{
    for (int player : {1, 2}) {
        SCOPED_TRACE(player);
        Target other(-2.0f, player == 1 ? 6.0f : -8.0f, player == 1 ? 2 : 1);
        TraceSilence quiet;
        Darth darth(1.5f, player == 1 ? -6.0f : 5.0f, player, &other);
        DarthModel model(0, 0, 0);
        // The first keyframe never moves the pose, so a pose set here is drawn as it is.
        darth.pose.bodyHeight = 1.3f;
        darth.pose.bodyAngleTurn = 40.0f;
        darth.pose.bodyAngleTiltForward = 25.0f;
        glm::dmat4 camera = sideCamera(-19.2, 7.0, 0.0, 5.0);
        DrawnPoints drawn = poseAndDraw(darth, model);
        expectTranslation(darth.bodyMatrix, apply(camera, 1.5, 1.3 + 2.5, darth.z), "body");
        expectTranslation(drawn.body, apply(camera, 1.5, 1.3 + 2.5, darth.z), "drawn body");
    }
}

TEST(DarthModel, WeaponPointsSitWhereTheTransformsPutThem)
{
    for (int player : {1, 2}) {
        SCOPED_TRACE(player);
        Target other(-2.0f, player == 1 ? 6.0f : -7.0f, player == 1 ? 2 : 1);
        TraceSilence quiet;
        Darth darth(1.0f, player == 1 ? -6.0f : 4.0f, player, &other);
        DarthModel model(0, 0, 0);
        // Every joint of the chain turned, each by its own angle.
        for (int i = 0; i < Frame::FIELDS; ++i)
            darth.pose[i] = static_cast<float>(11 + 23 * i);
        darth.pose.bodyHeight = 0.7f;
        glm::dmat4 camera = sideCamera(-16.0, 8.0, 3.0, 4.0);
        DrawnPoints drawn = poseAndDraw(darth, model);
        ASSERT_NE(darth.facing, 0.0f);
        glm::dmat4 weapon = weaponFrame(camera, darth);
        for (const WeaponPoint& p : WEAPON_POINTS) {
            expectTranslation(darth.weaponPointMatrix[p.slot], apply(weapon, p.x, 0, 0), "weapon point");
            expectTranslation(drawn.weapon[p.slot], apply(weapon, p.x, 0, 0), "drawn weapon point");
        }
    }
}

TEST(DarthModel, ReleasesItsDisplayListsAndTexturesWithTheModel)
{
    unsigned int face = 0;
    ASSERT_EQ(loadTexture("graphics/maulface.bmp", &face), 1);
    auto* model = new DarthModel(face, 0, 0);
    unsigned int base = model->listBase;
    ASSERT_NE(base, 0u);
    EXPECT_TRUE(glIsList(base + 1));
    EXPECT_TRUE(glIsList(base + 8));
    delete model;
    for (unsigned int i = 0; i < 10; ++i)
        EXPECT_FALSE(glIsList(base + i)) << i;
    EXPECT_FALSE(glIsTexture(face));
}

struct Pixel {
    int r, g, b;
};

Pixel readPixel(int x, int y)
{
    unsigned char rgb[3];
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

// Window coordinates of a world point under the current matrices.
std::array<int, 2> project(double x, double y, double z)
{
    double model[16], proj[16];
    int view[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, view);
    double wx, wy, wz;
    gluProject(x, y, z, model, proj, view, &wx, &wy, &wz);
    return {static_cast<int>(std::lround(wx)), static_cast<int>(std::lround(wy))};
}

// Pixels of full red: only the blades glow; the lit dark red head and limbs stay below it.
struct RedArea {
    int count = 0;
    int minX = 800, maxX = -1, minY = 600, maxY = -1;
};

RedArea findRed()
{
    std::vector<unsigned char> pixels(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    RedArea area;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const unsigned char* p = &pixels[(y * 800 + x) * 3];
            if (p[0] >= 250 && p[1] < 60 && p[2] < 60) {
                ++area.count;
                area.minX = std::min(area.minX, x);
                area.maxX = std::max(area.maxX, x);
                area.minY = std::min(area.minY, y);
                area.maxY = std::max(area.maxY, y);
            }
        }
    return area;
}

class DarthPicture : public testing::Test {
protected:
    void SetUp() override
    {
        TraceSilence quiet;
        darth = std::make_unique<Darth>(0.0f, 0.0f, 1, &other);
        // His head's art, as a bout loads it.
        unsigned int face = 0, top = 0, bottom = 0;
        loadTexture("graphics/maulface.bmp", &face);
        loadTexture("graphics/maultop.bmp", &top);
        loadTexture("graphics/maulbot.bmp", &bottom);
        model = std::make_unique<DarthModel>(face, top, bottom);
        glClearColor(0.55f, 0.7f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override
    {
        glClearColor(0, 0, 0, 1);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
    }

    void draw()
    {
        darth->posePass(glCamera());
        model->draw(*darth);
    }

    Target other{0.0f, 16.0f, 2};
    std::unique_ptr<Darth> darth;
    std::unique_ptr<DarthModel> model;
};

TEST_F(DarthPicture, GameCameraShowsABladeAndTheDarkTorso)
{
    sideCamera(-14.0, 6.0, 0.0, 4.0);
    draw();
    glFinish();
    EXPECT_TRUE(saveSnapshot("darth"));

    // In his rest pose one blade rises from the fist towards the opponent, between hip and crown.
    RedArea red = findRed();
    EXPECT_GT(red.count, 400);
    std::array<int, 2> feet = project(0.0, 0.0, 0.0);
    std::array<int, 2> hips = project(0.0, 2.5, 0.0);
    std::array<int, 2> crown = project(0.0, 9.0, 0.0);
    EXPECT_GT(red.minY, hips[1]);
    EXPECT_LT(red.maxY, crown[1]);
    EXPECT_GT(red.minX, feet[0]);

    // The torso beside the hanging arm, drawn nearly black.
    std::array<int, 2> chest = project(0.0, 5.5, -1.3);
    Pixel torso = readPixel(chest[0], chest[1]);
    EXPECT_LT(torso.r, 60);
    EXPECT_LT(torso.g, 60);
    EXPECT_LT(torso.b, 60);
}

TEST_F(DarthPicture, FromTheFrontBothBladesShow)
{
    sideCamera(-6.0, 9.0, 14.0, 4.0);
    draw();
    glFinish();
    EXPECT_TRUE(saveSnapshot("darth_front"));

    RedArea red = findRed();
    std::array<int, 2> chest = project(0.0, 4.5, 0.0);
    // The blades reach well out on both sides of him.
    EXPECT_LT(red.minX, chest[0] - 150);
    EXPECT_GT(red.maxX, chest[0] + 150);
    Pixel torso = readPixel(chest[0], chest[1] + 20);
    EXPECT_LT(torso.r, 60);
    EXPECT_LT(torso.b, 60);
}

}  // namespace
