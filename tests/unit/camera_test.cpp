#include <gtest/gtest.h>

#include <cmath>

#include "characters/core/character.h"
#include "characters/jack.h"
#include "shell/camera.h"
#include "shell/match.h"

namespace {

class Standin : public Character {
public:
    Standin(float x, float z, int player) : Character(x, z, player, nullptr, jackMoves) {}
    void draw() override {}
};

class SideViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        playerOne = &one;
        playerTwo = &two;
    }
    void TearDown() override
    {
        playerOne = nullptr;
        playerTwo = nullptr;
    }
    void place(float x1, float z1, float x2, float z2)
    {
        one.x = x1;
        one.z = z1;
        two.x = x2;
        two.z = z2;
    }

    Standin one{0.0f, -8.0f, 1};
    Standin two{0.0f, 8.0f, 2};
};

TEST_F(SideViewTest, StartingPositionsPutTheEyeOnTheLeft)
{
    const SideView v = sideView();
    EXPECT_FLOAT_EQ(v.mx, 0.0f);
    EXPECT_FLOAT_EQ(v.mz, 0.0f);
    EXPECT_FLOAT_EQ(v.d, 16.0f);
    EXPECT_FLOAT_EQ(v.sx, -1.0f);
    EXPECT_FLOAT_EQ(v.sz, 0.0f);
    EXPECT_FLOAT_EQ(v.r, 19.2f);
    EXPECT_FLOAT_EQ(v.mx + v.sx * v.r, -19.2f);
}

TEST_F(SideViewTest, CameraKeepsFifteenUnitsWhenClose)
{
    place(3.0f, -2.0f, 3.0f, 10.5f);  // 12.5 apart
    SideView v = sideView();
    EXPECT_FLOAT_EQ(v.d, 12.5f);
    EXPECT_FLOAT_EQ(v.r, 15.0f);
    EXPECT_FLOAT_EQ(v.mz, 4.25f);

    place(1.0f, 1.0f, 2.0f, 1.0f);
    v = sideView();
    EXPECT_FLOAT_EQ(v.r, 15.0f);
    EXPECT_FLOAT_EQ(v.mx, 1.5f);
    EXPECT_FLOAT_EQ(v.sx, 0.0f);
    EXPECT_FLOAT_EQ(v.sz, 1.0f);
}

TEST_F(SideViewTest, CameraBacksAwayAsTheyPartAndStaysSideways)
{
    place(-12.0f, -9.0f, 12.0f, 9.0f);  // 30 apart
    const SideView v = sideView();
    EXPECT_FLOAT_EQ(v.d, 30.0f);
    EXPECT_FLOAT_EQ(v.r, 36.0f);
    EXPECT_FLOAT_EQ(v.sx, -0.6f);
    EXPECT_FLOAT_EQ(v.sz, 0.8f);
    // Perpendicular to the line from player 1 to player 2.
    EXPECT_NEAR(v.sx * 24.0f + v.sz * 18.0f, 0.0f, 1e-5f);
}

TEST_F(SideViewTest, FightersOnOnePointKeepTheLastSide)
{
    place(5.0f, -3.0f, 5.0f, 4.0f);
    const SideView before = sideView();
    place(5.0f, 2.0f, 5.0f, 2.0f);
    const SideView same = sideView();
    EXPECT_TRUE(std::isfinite(same.sx) && std::isfinite(same.sz));
    EXPECT_FLOAT_EQ(same.sx, before.sx);
    EXPECT_FLOAT_EQ(same.sz, before.sz);
    EXPECT_FLOAT_EQ(same.d, 0.0f);
    EXPECT_FLOAT_EQ(same.r, 15.0f);
    EXPECT_FLOAT_EQ(same.mx + same.sx * same.r, -10.0f);
}

}  // namespace
