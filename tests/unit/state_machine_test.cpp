// The shared state machine, played on Darth's moves by a fighter without GL.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "characters/core/character.h"
#include "characters/darth.h"
#include "tests/unit/test_fighter.h"

namespace {

enum Player1Key { LEFT = 0, UP = 1, RIGHT = 2, DOWN = 3, KEY_H = 4, KEY_V = 5, KEY_BLOCK = 6 };

std::vector<std::string> stateLines(const std::string& out)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < out.size()) {
        std::size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        std::string line = out.substr(start, end - start);
        if (line.rfind("state = ", 0) == 0)
            lines.push_back(line.substr(8));
        start = end + 1;
    }
    return lines;
}

class StateMachine : public testing::Test {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        opponent = new TestFighter(0.0f, 8.0f, 2, nullptr, darthMoves);
        darth = new TestFighter(0.0f, -8.0f, 1, opponent, darthMoves);
        opponent->setOpponent(darth);
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override
    {
        delete darth;
        delete opponent;
    }

    // One displayed frame for Darth: update, then the tick at the start of draw.
    void tick()
    {
        darth->update(keys);
        darth->draw();
    }
    void hold(std::initializer_list<int> held)
    {
        for (int& k : keys)
            k = 0;
        for (int k : held)
            keys[k] = 1;
    }
    const Frame& front() const { return darth->framelist.front().target; }
    float distance() const { return std::hypot(darth->x - opponent->x, darth->z - opponent->z); }

    TestFighter* darth = nullptr;
    TestFighter* opponent = nullptr;
    int keys[36] = {};
};

const Frame& row(const AttackRow& r, int i)
{
    return r.keyframes[i].target;
}
const AttackRow& attackRow(int i)
{
    return darthMoves.attackRows[i];
}
enum DarthRow { RIGHT_H, LEFT_H, PLAIN_H, DOWN_V, UP_V, PLAIN_V };

TEST_F(StateMachine, LoneFighterCyclesRestingAndBreathingWithoutMoving)
{
    testing::internal::CaptureStdout();
    for (int i = 0; i < 12; ++i) {
        tick();
        if (!samePose(darth->pose, darthMoves.rest)) {
            ADD_FAILURE() << "moved on tick " << i;
            break;
        }
    }
    std::vector<std::string> lines = stateLines(testing::internal::GetCapturedStdout());
    std::vector<std::string> expected;
    for (int i = 0; i < 4; ++i) {
        expected.push_back("BREATHING");
        expected.push_back("RESTING");
    }
    EXPECT_EQ(lines, expected);
}

TEST_F(StateMachine, HorizontalAttackPlaysItsKeyframesThenRests)
{
    hold({KEY_H});
    testing::internal::CaptureStdout();
    darth->update(keys);
    EXPECT_TRUE(stateLines(testing::internal::GetCapturedStdout()).empty());
    EXPECT_EQ(darth->state, ATTACK_H);

    hold({});
    testing::internal::CaptureStdout();
    int restingAt = 0;
    for (int t = 1; t <= 30; ++t) {
        darth->draw();
        if (t == 7) {
            EXPECT_TRUE(samePose(darth->pose, row(attackRow(PLAIN_H), 0)));
        }
        if (t == 17) {
            EXPECT_TRUE(samePose(darth->pose, row(attackRow(PLAIN_H), 1)));
        }
        if (darth->state == RESTING) {
            restingAt = t;
            break;
        }
        EXPECT_EQ(darth->state, ATTACK_H);
        darth->update(keys);
    }
    EXPECT_EQ(restingAt, 7 + 10 + 5);
    EXPECT_TRUE(samePose(darth->pose, darthMoves.rest));
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), std::vector<std::string>{"RESTING"});
}

TEST_F(StateMachine, FirstAttackRowGatesTheLaterOnes)
{
    // Right+H fires; left+H (which would print its state) and H and V are gated.
    hold({RIGHT, LEFT, KEY_H, KEY_V});
    testing::internal::CaptureStdout();
    darth->update(keys);
    EXPECT_TRUE(stateLines(testing::internal::GetCapturedStdout()).empty());
    EXPECT_EQ(darth->state, ATTACK_H);
    EXPECT_EQ(darth->framelist.size(), 3u);
    EXPECT_TRUE(samePose(front(), row(attackRow(RIGHT_H), 0)));
    EXPECT_TRUE(samePose(lastTarget(*darth), darthMoves.rest));
    // An attack state skips movement.
    EXPECT_FLOAT_EQ(darth->z, -8.0f);
    EXPECT_FLOAT_EQ(darth->x, 0.0f);
}

TEST_F(StateMachine, BlockAndVerticalQueueTheAttackBehindTheBlockPose)
{
    hold({KEY_BLOCK, KEY_V});
    testing::internal::CaptureStdout();
    darth->update(keys);
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), std::vector<std::string>{"BLOCK"});
    EXPECT_EQ(darth->state, ATTACK_V);
    EXPECT_EQ(darth->framelist.size(), 3u);  // block pose, V, rest
    EXPECT_TRUE(samePose(front(), darthMoves.block[0].target));

    hold({});
    for (int t = 1; t <= 5; ++t)
        darth->draw();
    EXPECT_TRUE(samePose(darth->pose, darthMoves.block[0].target));
    for (int t = 1; t <= 10; ++t)
        darth->draw();
    EXPECT_TRUE(samePose(darth->pose, row(attackRow(PLAIN_V), 0)));
    EXPECT_EQ(darth->state, ATTACK_V);
}

TEST_F(StateMachine, ReleasingTheDirectionsStopsWithTheRestPose)
{
    hold({RIGHT});
    testing::internal::CaptureStdout();
    for (int t = 0; t < 5; ++t)
        tick();
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), std::vector<std::string>{"MOVE_RIGHT"});
    EXPECT_NEAR(darth->z, -8.0f + 5 * 0.2f, 1e-4);
    Frame midStep = darth->pose;
    ASSERT_FALSE(samePose(midStep, darthMoves.rest));

    hold({});
    testing::internal::CaptureStdout();
    darth->update(keys);
    EXPECT_EQ(darth->state, STOPPING);
    EXPECT_EQ(darth->framelist.size(), 1u);
    EXPECT_TRUE(samePose(front(), darthMoves.rest));
    for (int t = 1; t <= 5; ++t) {
        EXPECT_EQ(darth->state, STOPPING) << "tick " << t;
        darth->draw();
        if (t < 5)
            darth->update(keys);
    }
    EXPECT_EQ(darth->state, RESTING);
    EXPECT_TRUE(samePose(darth->pose, darthMoves.rest));
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), std::vector<std::string>{"RESTING"});
    EXPECT_NEAR(darth->z, -7.0f, 1e-4);
}

TEST_F(StateMachine, BlockingWhileWalkingStopsTheFighter)
{
    hold({RIGHT});
    tick();
    tick();
    float z = darth->z;

    hold({RIGHT, KEY_BLOCK});
    testing::internal::CaptureStdout();
    for (int t = 0; t < 10; ++t)
        tick();
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), std::vector<std::string>{"BLOCK"});
    EXPECT_EQ(darth->state, BLOCK);
    EXPECT_FLOAT_EQ(darth->z, z);
    EXPECT_TRUE(samePose(darth->pose, darthMoves.block[0].target));

    // Letting go of block with the direction still held walks again at once.
    hold({RIGHT});
    testing::internal::CaptureStdout();
    darth->update(keys);
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), (std::vector<std::string>{"RESTING", "MOVE_RIGHT"}));
    EXPECT_NEAR(darth->z, z + 0.2f, 1e-4);
}

TEST_F(StateMachine, DiagonalFlipsBetweenCirclingAndWalkingEveryUpdate)
{
    hold({UP, RIGHT});
    testing::internal::CaptureStdout();
    darth->update(keys);
    // Only the circling cycle is queued: the walk half finds a moving state.
    EXPECT_EQ(darth->framelist.size(), 1u + 2u + 1u);
    darth->draw();
    for (int t = 1; t < 4; ++t)
        tick();
    std::vector<std::string> expected;
    for (int t = 0; t < 4; ++t) {
        expected.push_back("MOVE_UP");
        expected.push_back("MOVE_RIGHT");
    }
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), expected);
    EXPECT_EQ(darth->state, MOVE_RIGHT);
    // Circling keeps the distance; each walk step closes it by 0.2.
    EXPECT_NEAR(distance(), 16.0f - 4 * 0.2f, 1e-3);
    EXPECT_NE(darth->x, 0.0f);
}

TEST_F(StateMachine, HitWhileBreathingFlinchesThenRests)
{
    tick();
    ASSERT_EQ(darth->state, BREATHING);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(darth->checkHit(1.5f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(darth->health, 100.0f - 1.7f);
    EXPECT_NEAR(darth->z, -8.5f, 1e-4);
    EXPECT_EQ(darth->state, BREATHING);
    EXPECT_EQ(darth->framelist.size(), 2u);  // flinch, rest
    EXPECT_TRUE(samePose(front(), darthMoves.hitReaction[0].target));

    hold({});
    int restingAt = 0;
    for (int t = 1; t <= 20; ++t) {
        darth->draw();
        if (t == 5) {
            EXPECT_TRUE(samePose(darth->pose, darthMoves.hitReaction[0].target));
        }
        if (darth->state == RESTING) {
            restingAt = t;
            break;
        }
        darth->update(keys);
    }
    EXPECT_EQ(restingAt, 10);
    EXPECT_EQ(stateLines(testing::internal::GetCapturedStdout()), std::vector<std::string>{"RESTING"});
}

TEST_F(StateMachine, HitWhileRestingQueuesBreathingBehindTheFlinch)
{
    ASSERT_EQ(darth->state, RESTING);
    EXPECT_TRUE(darth->checkHit(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(darth->state, RESTING);
    darth->update(keys);
    EXPECT_EQ(darth->state, BREATHING);
    EXPECT_EQ(darth->framelist.size(), 4u);  // flinch, rest, breathing, rest
    EXPECT_TRUE(samePose(front(), darthMoves.hitReaction[0].target));
    for (int t = 0; t < 5; ++t)
        darth->draw();
    EXPECT_TRUE(samePose(darth->pose, darthMoves.hitReaction[0].target));
}

TEST_F(StateMachine, BlockedHitCostsNothing)
{
    hold({KEY_BLOCK});
    tick();
    ASSERT_EQ(darth->state, BLOCK);
    std::size_t queued = darth->framelist.size();
    EXPECT_TRUE(darth->checkHit(1.5f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(darth->health, 100.0f);
    EXPECT_EQ(darth->framelist.size(), queued);
    EXPECT_NEAR(darth->z, -8.5f, 1e-4);
    EXPECT_FALSE(darth->checkHit(0.0f, 0.0f, 2.0f));  // exactly at reach: no hit
}

}  // namespace
