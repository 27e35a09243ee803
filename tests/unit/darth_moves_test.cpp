// Darth's keyframe tables, played by a fighter without GL.
#include <gtest/gtest.h>

#include <string>

#include "characters/darth.h"
#include "tests/unit/test_fighter.h"

namespace {

enum Player1Key { RIGHT = 2, DOWN = 3, KEY_H = 4, KEY_V = 5, KEY_BLOCK = 6 };
enum DarthRow { RIGHT_H, LEFT_H, PLAIN_H, DOWN_V, UP_V, PLAIN_V };

// "10i 13": steps per keyframe, i when interrupting, c when the caller decides.
std::string shape(Keyframes keyframes)
{
    std::string s;
    for (const Keyframe& k : keyframes) {
        if (!s.empty())
            s += ' ';
        s += std::to_string(k.steps);
        if (k.blend == INTERRUPT)
            s += 'i';
        else if (k.blend == CALLER)
            s += 'c';
    }
    return s;
}

const Frame& rowFrame(DarthRow r, int i)
{
    return darthMoves.attackRows[r].keyframes[i].target;
}

class DarthMoves : public testing::Test {
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
    void press(std::initializer_list<int> held)
    {
        int keys[36] = {};
        for (int k : held)
            keys[k] = 1;
        darth->update(keys);
    }
    // Draws until the pose equals the frame; the number of ticks it took, 0 if never.
    int ticksUntil(const Frame& target, int limit = 300)
    {
        for (int t = 1; t <= limit; ++t) {
            darth->draw();
            if (samePose(darth->pose, target))
                return t;
        }
        return 0;
    }
    const Frame& front() const { return darth->framelist.front().target; }
    const Frame& back() const { return lastTarget(*darth); }

    TestFighter* darth = nullptr;
    TestFighter* opponent = nullptr;
};

TEST(DarthTables, RowAndStepCounts)
{
    const Frame rest = {
        8, 0, -16, 0, 0, 72, 17, 46, 110, 58, 11, 48, 98, 66, 66, -12, 90, 170, 192, -106, 80, 174, 24, 36};
    EXPECT_TRUE(samePose(darthMoves.rest, rest));
    EXPECT_EQ(shape(darthMoves.block), "5i");
    EXPECT_EQ(shape(darthMoves.breathing), "15");
    EXPECT_TRUE(samePose(darthMoves.breathing[0].target, rest));
    EXPECT_EQ(shape(darthMoves.circleStep), "10c 15");
    EXPECT_EQ(shape(darthMoves.walkStep), "10c 15");
    EXPECT_EQ(shape(darthMoves.hitReaction), "5i");
    EXPECT_EQ(shape(darthMoves.ringOut), "20i 100");
    EXPECT_EQ(shape(darthMoves.lose), "20i 20");
    EXPECT_EQ(shape(darthMoves.win), "10 10 10 10 10 10 10 15 10 20 20 15 15 10 15 15 15 20 10 250");
    EXPECT_FLOAT_EQ(darthMoves.win[19].target.bodyHeight, 23.198196f);
    EXPECT_FLOAT_EQ(darthMoves.win[19].target.lightsaberAngleRotate, 5174.0f);

    struct Expected {
        unsigned keys;
        const char* shape;
        bool sound;
        int state;
        const char* message;
    };
    const Expected rows[] = {
        {CONTROL_RIGHT | CONTROL_H, "10i 13", false, ATTACK_H, nullptr},
        {CONTROL_LEFT | CONTROL_H, "7i 10 8 10 7 8", true, ATTACK_H, "state = ATTACK_H\n"},
        {CONTROL_H, "7i 10", false, ATTACK_H, nullptr},
        {CONTROL_DOWN | CONTROL_V, "15i", false, ATTACK_V, nullptr},
        {CONTROL_UP | CONTROL_V, "7i 8 9 7 8 13 11 10", true, ATTACK_V, "state = ATTACK_V\n"},
        {CONTROL_V, "10", false, ATTACK_V, nullptr},
    };
    ASSERT_EQ(darthMoves.attackRows.size(), std::size(rows));
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const AttackRow& row = darthMoves.attackRows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(row.keys, rows[i].keys);
        EXPECT_TRUE(row.gated);
        EXPECT_EQ(shape(row.keyframes), rows[i].shape);
        EXPECT_TRUE(row.rest);
        EXPECT_EQ(row.sound, rows[i].sound);
        EXPECT_EQ(row.state, rows[i].state);
        EXPECT_EQ(std::string(row.message ? row.message : ""), std::string(rows[i].message ? rows[i].message : ""));
    }
    EXPECT_EQ(darthMoves.attackSound, SoundId::DARTH_ATTACK);
    EXPECT_EQ(darthMoves.blockSound, SoundId::DARTH_BLOCK);
    EXPECT_EQ(darthMoves.hitSound, SoundId::DARTH_HIT);
    EXPECT_EQ(darthMoves.ringoutSound, SoundId::DARTH_RINGOUT);
    EXPECT_EQ(darthMoves.winSound, SoundId::DARTH_WIN);
}

TEST_F(DarthMoves, RestPoseAtOnceOrOverFiveSteps)
{
    const Frame& block = darthMoves.block[0].target;
    TestFighter other(0.0f, -8.0f, 1, opponent, darthMoves);
    int keys[36] = {};
    keys[KEY_BLOCK] = 1;
    for (Character* fighter : {static_cast<Character*>(darth), static_cast<Character*>(&other)}) {
        fighter->update(keys);
        for (int t = 0; t < 5; ++t)
            fighter->animate();
        ASSERT_TRUE(samePose(fighter->pose, block));
    }

    // Over 5 steps: the pose is left alone and the rest pose queued behind the block pose.
    darth->restPose(5, false);
    EXPECT_TRUE(samePose(darth->pose, block));
    EXPECT_TRUE(samePose(back(), darthMoves.rest));
    EXPECT_FLOAT_EQ(darth->framelist.back().delta[0], (8.0f - 14.0f) / 5);

    // At once: the pose jumps to rest, and the queued rest pose takes 25 steps.
    other.restPose(0, false);
    EXPECT_TRUE(samePose(other.pose, darthMoves.rest));
    EXPECT_TRUE(samePose(lastTarget(other), darthMoves.rest));
    EXPECT_FLOAT_EQ(other.framelist.back().delta[0], (8.0f - 14.0f) / 25);
    EXPECT_FLOAT_EQ(other.framelist.back().delta[18], (192.0f - 276.0f) / 25);
}

TEST_F(DarthMoves, RightHSecondKeyframeFollowsOnTheNextTick)
{
    press({RIGHT, KEY_H});
    EXPECT_EQ(ticksUntil(rowFrame(RIGHT_H, 0)), 10);
    EXPECT_EQ(darth->framelist.size(), 2u);
    darth->draw();
    EXPECT_EQ(darth->framelist.size(), 1u);  // only the rest pose is left
    EXPECT_TRUE(samePose(front(), darthMoves.rest));
    EXPECT_EQ(ticksUntil(darthMoves.rest), 5);
    EXPECT_EQ(darth->state, RESTING);
}

TEST_F(DarthMoves, VerticalWaitsBehindTheSteppingCycle)
{
    press({RIGHT});
    darth->draw();
    ASSERT_EQ(darth->state, MOVE_RIGHT);
    const Frame& walkEnd = darthMoves.walkStep[1].target;

    press({KEY_V});
    EXPECT_EQ(darth->state, ATTACK_V);
    EXPECT_TRUE(samePose(front(), darthMoves.walkStep[0].target));
    EXPECT_EQ(darth->framelist.size(), 5u);  // walk, walk, rest, V, rest

    int walked = ticksUntil(walkEnd);
    // The first draw only retired the initial rest entry.
    EXPECT_EQ(walked, 10 + 15);
    EXPECT_EQ(ticksUntil(darthMoves.rest), 5);
    EXPECT_EQ(ticksUntil(rowFrame(PLAIN_V, 0)), 10);
}

TEST_F(DarthMoves, DownVerticalStartsFromTheLivePoseAtOnce)
{
    press({RIGHT});
    darth->draw();
    darth->draw();
    Frame live = darth->pose;

    press({DOWN, KEY_V});
    EXPECT_EQ(darth->state, ATTACK_V);
    EXPECT_EQ(darth->framelist.size(), 2u);  // DOWN+V, rest
    const Frame& target = rowFrame(DOWN_V, 0);
    EXPECT_TRUE(samePose(front(), target));
    EXPECT_FLOAT_EQ(darth->framelist.front().delta[0], (target[0] - live[0]) / 15);
    EXPECT_EQ(ticksUntil(target), 15);
}

TEST_F(DarthMoves, WinDuringAnAttackPlaysAfterIt)
{
    press({KEY_H});
    darth->win();
    EXPECT_EQ(darth->framelist.size(), 3u + 20u);
    EXPECT_TRUE(samePose(front(), rowFrame(PLAIN_H, 0)));
    EXPECT_TRUE(samePose(back(), darthMoves.win[19].target));
    EXPECT_EQ(ticksUntil(darthMoves.rest), 7 + 10 + 5);
    EXPECT_EQ(ticksUntil(darthMoves.win[0].target), 10);
}

TEST_F(DarthMoves, LoseAndRingOutCutOffTheAttack)
{
    press({KEY_H});
    darth->draw();
    darth->lose();
    EXPECT_EQ(darth->framelist.size(), 2u);
    EXPECT_TRUE(samePose(front(), darthMoves.lose[0].target));
    EXPECT_EQ(ticksUntil(darthMoves.lose[0].target), 20);

    darth->ringOut();
    EXPECT_TRUE(darth->events->ringOut);
    EXPECT_EQ(darth->framelist.size(), 2u);
    EXPECT_TRUE(samePose(front(), darthMoves.ringOut[0].target));
    EXPECT_TRUE(samePose(back(), darthMoves.ringOut[1].target));
}

TEST_F(DarthMoves, HitDuringAnAttackKeepsTheAttackState)
{
    press({KEY_H});
    darth->draw();
    EXPECT_TRUE(darth->checkHit(0.5f, 0.0f, 0.0f));
    EXPECT_EQ(darth->state, ATTACK_H);
    EXPECT_EQ(darth->framelist.size(), 2u);  // flinch, rest
    EXPECT_EQ(ticksUntil(darthMoves.hitReaction[0].target), 5);
    EXPECT_EQ(darth->state, ATTACK_H);
    EXPECT_EQ(ticksUntil(darthMoves.rest), 5);
    EXPECT_EQ(darth->state, RESTING);
}

}  // namespace
