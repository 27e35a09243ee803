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

#include <glm/gtc/type_ptr.hpp>

#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/darth_model.h"
#include "scene/textures.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

// Column-major 4x4, multiplied on the right as glTranslatef and friends do.
struct Mat {
    std::array<double, 16> m{};

    static Mat identity()
    {
        Mat r;
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0;
        return r;
    }
    static Mat from(const float* gl)
    {
        Mat r;
        for (int i = 0; i < 16; ++i)
            r.m[i] = gl[i];
        return r;
    }
    Mat operator*(const Mat& b) const
    {
        Mat r;
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) {
                double sum = 0.0;
                for (int k = 0; k < 4; ++k)
                    sum += m[k * 4 + row] * b.m[col * 4 + k];
                r.m[col * 4 + row] = sum;
            }
        return r;
    }
    Mat translate(double x, double y, double z) const
    {
        Mat t = identity();
        t.m[12] = x;
        t.m[13] = y;
        t.m[14] = z;
        return *this * t;
    }
    Mat scale(double x, double y, double z) const
    {
        Mat s = identity();
        s.m[0] = x;
        s.m[5] = y;
        s.m[10] = z;
        return *this * s;
    }
    // Rodrigues' rotation about a unit axis, angle in degrees.
    Mat rotate(double degrees, double x, double y, double z) const
    {
        double len = std::sqrt(x * x + y * y + z * z);
        x /= len;
        y /= len;
        z /= len;
        double a = degrees * M_PI / 180.0;
        double c = std::cos(a);
        double s = std::sin(a);
        double t = 1.0 - c;
        Mat r = identity();
        r.m[0] = t * x * x + c;
        r.m[1] = t * x * y + s * z;
        r.m[2] = t * x * z - s * y;
        r.m[4] = t * x * y - s * z;
        r.m[5] = t * y * y + c;
        r.m[6] = t * y * z + s * x;
        r.m[8] = t * x * z + s * y;
        r.m[9] = t * y * z - s * x;
        r.m[10] = t * z * z + c;
        return *this * r;
    }
    std::array<double, 3> apply(double x, double y, double z) const
    {
        return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
    }
};

// An opponent that only stands where it is put.
class Target : public Character {
public:
    Target(float x, float z, int player) : Character(x, z, player, nullptr, darthMoves) {}
    void posePass(const glm::mat4&) override {}
    FighterKind kind() const override { return DARTH; }
};

// The camera GL's modelview matrix holds, for the pose pass on the CPU.
glm::mat4 glCamera()
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return glm::make_mat4(m);
}

// The pose pass under GL's camera, then the model drawn there: the body and
// weapon points as the rules found them and as GL held them.
DrawnPoints poseAndDraw(Darth& darth, const DarthModel& model)
{
    darth.posePass(glCamera());
    DrawnPoints drawn;
    model.draw(darth, &drawn);
    return drawn;
}

Mat sideCamera(double eyeX, double eyeY, double eyeZ, double atY)
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
    float camera[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, camera);
    return Mat::from(camera);
}

// The right fist's weapon frame, composed from the model's transforms.
Mat weaponFrame(const Mat& camera, const Darth& d)
{
    const Frame& p = d.pose;
    Mat m = camera.translate(d.x, 0, d.z).rotate(d.facing, 0, 1, 0);
    if (d.player == 2)
        m = m.scale(-1, 1, 1);
    m = m.rotate(60, 0, 1, 0).translate(0, p.bodyHeight, 0).scale(-1, 1, 1);
    m = m.translate(0, 2.5, 0)
            .rotate(p.bodyAngleTurn, 0, 1, 0)
            .rotate(p.bodyAngleTiltForward, 1, 0, 0)
            .rotate(p.bodyAngleTiltSide, 0, 0, 1);
    m = m.translate(-2, 2.5, -0.5)
            .rotate(90, 1, 0, 0)
            .rotate(p.armRUpperAngleForward, -1, 0, 0)
            .rotate(p.armRUpperAngleOut, 0, -1, 0)
            .rotate(p.armRUpperAngleRotate, 0, 0, 1);
    m = m.translate(0, 0, 2).rotate(p.armRForeAngle, 0, 1, 0).translate(0, 0, 1.8);
    return m.rotate(p.lightsaberAngleForward, 1, 0, 0)
        .rotate(p.lightsaberAngleRotate, 0, 0, 1)
        .rotate(p.lightsaberAngleTurn, 0, 1, 0);
}

void expectTranslation(const float* captured, const std::array<double, 3>& expected, const char* what)
{
    EXPECT_NEAR(captured[12], expected[0], 1e-3) << what;
    EXPECT_NEAR(captured[13], expected[1], 1e-3) << what;
    EXPECT_NEAR(captured[14], expected[2], 1e-3) << what;
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
        Mat camera = sideCamera(-19.2, 7.0, 0.0, 5.0);
        DrawnPoints drawn = poseAndDraw(darth, model);
        expectTranslation(darth.bodyMatrix, camera.apply(1.5, 1.3 + 2.5, darth.z), "body");
        expectTranslation(drawn.body, camera.apply(1.5, 1.3 + 2.5, darth.z), "drawn body");
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
        Mat camera = sideCamera(-16.0, 8.0, 3.0, 4.0);
        DrawnPoints drawn = poseAndDraw(darth, model);
        ASSERT_NE(darth.facing, 0.0f);
        Mat weapon = weaponFrame(camera, darth);
        for (const WeaponPoint& p : WEAPON_POINTS) {
            expectTranslation(darth.weaponPointMatrix[p.slot], weapon.apply(p.x, 0, 0), "weapon point");
            expectTranslation(drawn.weapon[p.slot], weapon.apply(p.x, 0, 0), "drawn weapon point");
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
