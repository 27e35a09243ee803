#include <gtest/gtest.h>

#include <cmath>

#include "match/side_view.h"

namespace {

class SideViewTest : public testing::Test {
protected:
    void place(float x1, float z1, float x2, float z2)
    {
        one = {x1, z1};
        two = {x2, z2};
    }
    // The view of the fighters where they stand now, remembering the side as the game does.
    SideView sideView() { return ::sideView(one.x, one.z, two.x, two.z, lastSideX, lastSideZ); }

    struct Spot {
        float x, z;
    };
    Spot one{0.0f, -8.0f};
    Spot two{0.0f, 8.0f};
    float lastSideX = -1.0f;
    float lastSideZ = 0.0f;
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
