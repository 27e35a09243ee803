#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "characters/core/character.h"
#include "tests/unit/test_fighter.h"

namespace {

const MoveSet stillMoves{};

// The shared rules on their own, with no moves of any fighter.
struct Dummy : TestFighter {
    Dummy(float x, float z, int player, Character* opponent) : TestFighter(x, z, player, opponent, stillMoves) {}
};

struct Pair {
    Dummy one;
    Dummy two;
    Pair(float x1, float z1, float x2, float z2) : one(x1, z1, 1, nullptr), two(x2, z2, 2, &one)
    {
        one.setOpponent(&two);
    }
};

struct CharacterRules : testing::Test {};

TEST_F(CharacterRules, ControlIndicesFollowThePlayer)
{
    Pair p(0, -8, 0, 8);
    EXPECT_EQ((std::array{p.one.keyUp, p.one.keyDown, p.one.keyRight, p.one.keyLeft, p.one.keyAttackH, p.one.keyAttackV,
                  p.one.keyBlock}),
        (std::array{1, 3, 2, 0, 4, 5, 6}));
    EXPECT_EQ((std::array{p.two.keyUp, p.two.keyDown, p.two.keyRight, p.two.keyLeft, p.two.keyAttackH, p.two.keyAttackV,
                  p.two.keyBlock}),
        (std::array{8, 10, 9, 7, 11, 12, 13}));
    EXPECT_EQ(p.one.health, 100.0f);
    EXPECT_EQ(p.one.state, RESTING);
}

TEST_F(CharacterRules, StraightMovesAndTheShove)
{
    Pair far(0, -8, 0, 8);
    far.one.move(MOVE_RIGHT, 0.2f);
    EXPECT_FLOAT_EQ(far.one.z, -7.8f);
    EXPECT_FLOAT_EQ(far.two.z, 8.0f);  // 16 apart: nobody is shoved

    Pair near(0, -4, 0, 4);
    near.one.move(MOVE_RIGHT, 0.2f);
    EXPECT_FLOAT_EQ(near.two.z, 4.207f);
    EXPECT_NEAR(near.one.z, -3.7948f, 1e-4);
    EXPECT_FLOAT_EQ(near.one.x, 0.0f);

    // Player 2 walks towards with left and a negative amount, and shoves too.
    Pair back(0, -4, 0, 4);
    back.two.move(MOVE_LEFT, -0.2f);
    EXPECT_FLOAT_EQ(back.one.z, -4.207f);
    EXPECT_NEAR(back.two.z, 3.7948f, 1e-4);
}

TEST_F(CharacterRules, ClashStopsBothButMovingAwayDoesNot)
{
    Pair p(0, -3, 0, 3);
    p.one.state = MOVE_RIGHT;
    p.two.state = MOVE_LEFT;
    p.one.move(MOVE_RIGHT, 0.2f);
    p.two.move(MOVE_LEFT, -0.2f);
    EXPECT_EQ(p.one.z, -3.0f);
    EXPECT_EQ(p.two.z, 3.0f);

    p.two.state = MOVE_RIGHT;  // walking away: no shove, no clash
    p.one.move(MOVE_RIGHT, 0.2f);
    EXPECT_FLOAT_EQ(p.one.z, -2.8f);
    EXPECT_EQ(p.two.z, 3.0f);
}

TEST_F(CharacterRules, ArenaBoundsAreInclusive)
{
    Pair p(0, 0, 0, 10);
    auto inside = [&](float x, float z) {
        p.one.x = x;
        p.one.z = z;
        return p.one.inArena();
    };
    EXPECT_TRUE(inside(40, 0));
    EXPECT_FALSE(inside(40.001f, 0));
    EXPECT_TRUE(inside(-40, -15.29f));
    EXPECT_TRUE(inside(25, 25));
    EXPECT_FALSE(inside(30, 30));
    EXPECT_TRUE(inside(15.29f, 40));
    EXPECT_FALSE(inside(-40, -15.4f));
    EXPECT_FALSE(inside(-30, 30));
    EXPECT_FALSE(inside(0, -40.5f));
}

TEST_F(CharacterRules, CirclingKeepsTheDistanceAndTurnsByTheArc)
{
    Pair p(0, -8, 0, 8);
    for (int i = 0; i < 50; ++i)
        p.one.move(MOVE_UP, 0.04f);
    double d = std::hypot(p.one.x - p.two.x, p.one.z - p.two.z);
    EXPECT_NEAR(d, 16.0, 1e-3);
    double turned = std::atan2(p.one.x - p.two.x, -(p.one.z - p.two.z));
    EXPECT_NEAR(std::fabs(turned), 50 * 2 * 3.14159265 * 0.04 / 16, 1e-3);

    float x = p.one.x;
    p.one.move(MOVE_DOWN, 0.04f);
    p.one.move(MOVE_UP, 0.04f);
    EXPECT_NEAR(p.one.x, x, 1e-4);
}

TEST_F(CharacterRules, HitRuleReachDamageBlockAndKnockBack)
{
    Pair p(0, -8, 0, 8);
    // The defender's body point, in the camera's coordinates, at (0, 0).
    EXPECT_TRUE(p.two.checkHit(1.5f, 3.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.two.z, 8.5f);
    EXPECT_FLOAT_EQ(p.two.health, 98.3f);
    EXPECT_EQ(p.two.framelist.size(), 2u);  // the flinch queues its rest pose

    p.two.state = BLOCK;
    EXPECT_TRUE(p.two.checkHit(0.0f, 0.0f, 1.0f));
    EXPECT_FLOAT_EQ(p.two.z, 9.5f);
    EXPECT_FLOAT_EQ(p.two.health, 98.3f);

    p.two.state = RESTING;
    EXPECT_FALSE(p.two.checkHit(2.0f, 0.0f, 0.0f));  // exactly at reach: a miss
    EXPECT_FALSE(p.two.checkHit(NAN, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(p.two.z, 9.5f);
    EXPECT_FLOAT_EQ(p.two.health, 98.3f);

    // Player 1 is knocked back the other way.
    EXPECT_TRUE(p.one.checkHit(0.0f, 0.0f, 0.5f));
    EXPECT_FLOAT_EQ(p.one.z, -9.5f);
}

TEST_F(CharacterRules, KnockBackAcrossTheEdgeRingsOut)
{
    Pair p(0, 30, 0, 39.8f);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(p.two.checkHit(0.5f, 0.0f, 0.0f));
    testing::internal::GetCapturedStdout();
    EXPECT_GT(p.two.z, 40.0f);
    EXPECT_TRUE(p.two.events->ringOut);
    EXPECT_FLOAT_EQ(p.two.health, 98.3f);  // still costs health, but no flinch after the bout
    EXPECT_EQ(p.two.framelist.size(), 1u);

    Pair walker(0, 39.9f, 0, 0);
    walker.one.move(MOVE_LEFT, 0.2f);
    EXPECT_TRUE(walker.one.events->ringOut);
}

TEST_F(CharacterRules, FacingTurnsToTheOpponentAndHoldsDuringASwing)
{
    Pair p(0, -8, 0, 8);
    p.one.updateFacing();
    p.two.updateFacing();
    EXPECT_FLOAT_EQ(p.one.facing, -90.0f);
    EXPECT_FLOAT_EQ(p.two.facing, 270.0f);  // the half turn that pairs with the mirror

    p.one.x = -8;
    p.one.z = 8;  // now straight to player 2's left
    p.one.state = ATTACK_H;
    p.one.updateFacing();
    EXPECT_FLOAT_EQ(p.one.facing, -90.0f);
    p.one.state = RESTING;
    p.one.updateFacing();
    EXPECT_FLOAT_EQ(p.one.facing, 0.0f);
}

TEST_F(CharacterRules, FightersOnOnePointStayFinite)
{
    Pair p(3, 3, 3, 3);
    p.one.updateFacing();
    p.one.move(MOVE_RIGHT, 0.2f);
    p.one.move(MOVE_UP, 0.04f);
    p.two.move(MOVE_LEFT, -0.2f);
    p.one.pushBack(0.5f);
    for (const Character* c : {static_cast<Character*>(&p.one), static_cast<Character*>(&p.two)}) {
        EXPECT_TRUE(std::isfinite(c->x));
        EXPECT_TRUE(std::isfinite(c->z));
        EXPECT_TRUE(std::isfinite(c->facing));
    }
}

}  // namespace
