// Jack's moves played through the real state machine on a fighter without a model.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "characters/jack.h"
#include "tests/unit/test_fighter.h"

namespace {

// Jack's moves and state machine, with draw() reduced to its animation tick.
struct MovesOnly : TestFighter {
    explicit MovesOnly(Character* opponent = nullptr) : TestFighter(0.0f, -8.0f, 1, opponent, jackMoves) {}
};

struct Keys {
    int table[36] = {};
    void press(int key) { table[key] = 1; }
    void release(int key) { table[key] = 0; }
    void releaseAll()
    {
        for (int& k : table)
            k = 0;
    }
};

const AttackRow& row(int i)
{
    return jackMoves.attackRows[i];
}

// Draws until the state leaves `state`; returns the number of draws (capped).
int drawWhile(Character& c, int state, int cap = 1000)
{
    int draws = 0;
    while (c.state == state && draws < cap) {
        c.animate();
        ++draws;
    }
    return draws;
}

struct Shape {
    const char* name;
    Keyframes keyframes;
    std::vector<int> steps;
    std::vector<Blend> blends;
};

}  // namespace

TEST(JackMoves, EveryTableHasItsKeyframesStepsAndBlends)
{
    const Shape shapes[] = {
        {"block", jackMoves.block, {5}, {INTERRUPT}},
        {"breathing", jackMoves.breathing, {25}, {APPEND}},
        {"circleStep", jackMoves.circleStep, {10}, {CALLER}},
        {"walkStep", jackMoves.walkStep, {10, 10, 10}, {CALLER, APPEND, APPEND}},
        {"hitReaction", jackMoves.hitReaction, {5}, {INTERRUPT}},
        {"ringOut", jackMoves.ringOut, {20, 100}, {INTERRUPT, APPEND}},
        {"lose", jackMoves.lose, {20, 20}, {INTERRUPT, APPEND}},
        {"win", jackMoves.win, {25, 25, 25, 25, 25}, {APPEND, APPEND, APPEND, APPEND, APPEND}},
        {"spin", row(0).keyframes, {10, 10, 10, 10}, {INTERRUPT, APPEND, APPEND, APPEND}},
        {"down+V", row(1).keyframes, {5, 5}, {INTERRUPT, APPEND}},
        {"V", row(2).keyframes, {10, 8, 8}, {INTERRUPT, APPEND, APPEND}},
        {"H", row(3).keyframes, {10, 10}, {INTERRUPT, APPEND}},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        ASSERT_EQ(shape.keyframes.size(), shape.steps.size());
        for (std::size_t i = 0; i < shape.steps.size(); ++i) {
            EXPECT_EQ(shape.keyframes[i].steps, shape.steps[i]) << "keyframe " << i;
            EXPECT_EQ(shape.keyframes[i].blend, shape.blends[i]) << "keyframe " << i;
        }
    }

    ASSERT_EQ(jackMoves.attackRows.size(), 4u);
    EXPECT_EQ(row(0).keys, CONTROL_LEFT | CONTROL_H);
    EXPECT_EQ(row(1).keys, CONTROL_DOWN | CONTROL_V);
    EXPECT_EQ(row(2).keys, unsigned{CONTROL_V});
    EXPECT_EQ(row(3).keys, unsigned{CONTROL_H});
    const bool gated[] = {false, true, true, true};
    const bool rest[] = {false, false, true, true};
    const bool sound[] = {false, false, true, true};
    const int state[] = {STATE_UNCHANGED, ATTACK_V, ATTACK_V, ATTACK_H};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(row(i).gated, gated[i]);
        EXPECT_EQ(row(i).rest, rest[i]);
        EXPECT_EQ(row(i).sound, sound[i]);
        EXPECT_EQ(row(i).state, state[i]);
    }
    EXPECT_EQ(row(0).message, nullptr);
    EXPECT_EQ(row(1).message, nullptr);
    EXPECT_STREQ(row(2).message, "state = ATTACK_V\n");
    EXPECT_STREQ(row(3).message, "state = ATTACK_H\n");

    EXPECT_EQ(jackMoves.attackSound, SoundId::JACK_ATTACK);
    EXPECT_EQ(jackMoves.blockSound, SoundId::JACK_BLOCK);
    EXPECT_EQ(jackMoves.hitSound, SoundId::JACK_HIT);
    EXPECT_EQ(jackMoves.ringoutSound, SoundId::JACK_RINGOUT);
    EXPECT_EQ(jackMoves.winSound, SoundId::JACK_WIN);

    // Values the other tables are told apart by: his own rest pose, the
    // spin's turn, the fall's depth, the victory's knife twirl.
    const Frame restPose = {
        8, 0, 0, 0, 0, 72, 17, 46, 110, 58, 11, 48, 98, 66, 66, -12, 90, 170, 192, -106, 80, 86, 0, -16};
    EXPECT_TRUE(samePose(jackMoves.rest, restPose));
    EXPECT_EQ(row(0).keyframes[0].target.bodyAngleTurn, 64.0f);
    EXPECT_EQ(row(0).keyframes[3].target.bodyAngleTurn, -274.0f);
    EXPECT_EQ(row(0).keyframes[3].target.headAngleTurn, 260.0f);
    EXPECT_EQ(jackMoves.ringOut[0].target.bodyHeight, -1.5f);
    EXPECT_EQ(jackMoves.ringOut[1].target.bodyHeight, -40.8f);
    EXPECT_EQ(jackMoves.win[3].target.knifeAngleTurn, 396.0f);
    EXPECT_EQ(jackMoves.win[4].target.knifeAngleTurn, 366.0f);
}

TEST(JackMoves, LeftAndHFromRestingSpinsThenSwingsAndSpinsWhileHeld)
{
    MovesOnly jack;
    Keys keys;
    keys.press(jack.keyLeft);
    keys.press(jack.keyAttackH);

    testing::internal::CaptureStdout();
    jack.update(keys.table);
    std::string out = testing::internal::GetCapturedStdout();
    // The spin is queued and at once cut off by the swing.
    EXPECT_NE(out.find("interrupt: discarding 3th frame\n"), std::string::npos) << out;
    EXPECT_NE(out.find("state = ATTACK_H\n"), std::string::npos) << out;
    EXPECT_EQ(jack.state, ATTACK_H);
    ASSERT_EQ(jack.framelist.size(), 3u);
    EXPECT_TRUE(samePose(jack.framelist.front().target, row(3).keyframes[0].target));
    EXPECT_TRUE(samePose(lastTarget(jack), jackMoves.rest));

    // Held on: the spin is queued again every update, interrupting the swing.
    const float startX = jack.x;
    const float startZ = jack.z;
    float previousTurn = 0.0f;
    jack.draw();
    for (int frame = 0; frame < 20; ++frame) {
        testing::internal::CaptureStdout();
        jack.update(keys.table);
        out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("interrupt: discarding"), std::string::npos);
        EXPECT_EQ(out.find("state ="), std::string::npos) << out;
        EXPECT_EQ(jack.state, ATTACK_H);
        ASSERT_EQ(jack.framelist.size(), 4u);
        EXPECT_TRUE(samePose(lastTarget(jack), lastTarget(row(0).keyframes)));
        jack.draw();
        if (frame > 0) {
            EXPECT_GT(jack.pose.bodyAngleTurn, previousTurn);
        }
        EXPECT_LT(jack.pose.bodyAngleTurn, 64.0f);
        previousTurn = jack.pose.bodyAngleTurn;
    }
    // Left is a direction, but an attacking fighter does not walk.
    EXPECT_EQ(jack.x, startX);
    EXPECT_EQ(jack.z, startZ);

    // Released: the spin plays out in the attack state and ends in its last pose.
    keys.releaseAll();
    testing::internal::CaptureStdout();
    int draws = 0;
    while (jack.state == ATTACK_H && draws < 200) {
        jack.update(keys.table);
        jack.draw();
        ++draws;
    }
    out = testing::internal::GetCapturedStdout();
    EXPECT_GT(draws, 30);
    EXPECT_LT(draws, 200);
    EXPECT_EQ(jack.state, RESTING);
    EXPECT_NE(out.find("state = RESTING\n"), std::string::npos);
    EXPECT_TRUE(samePose(jack.pose, lastTarget(row(0).keyframes)));

    // Breathing turns him back through 274 degrees over its 25 ticks.
    testing::internal::CaptureStdout();
    jack.update(keys.table);
    jack.draw();  // the spin's last entry is discarded
    for (int tick = 1; tick <= 25; ++tick) {
        jack.draw();
        if (tick < 25) {
            EXPECT_LT(jack.pose.bodyAngleTurn, 0.0f);
        }
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(jack.pose.bodyAngleTurn, 0.0f);
    EXPECT_EQ(jack.pose.bodyAngleTiltForward, 10.0f);
}

TEST(JackMoves, LeftAndHDuringTheVAttackSpinsInsteadOfResting)
{
    MovesOnly jack;
    Keys keys;
    keys.press(jack.keyAttackV);
    testing::internal::CaptureStdout();
    jack.update(keys.table);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("state = ATTACK_V\n"), std::string::npos);
    ASSERT_EQ(jack.framelist.size(), 4u);
    EXPECT_TRUE(samePose(lastTarget(jack), jackMoves.rest));

    keys.releaseAll();
    testing::internal::CaptureStdout();
    for (int i = 0; i < 12; ++i) {
        jack.update(keys.table);
        jack.draw();
    }
    keys.press(jack.keyLeft);
    keys.press(jack.keyAttackH);
    jack.update(keys.table);
    out = testing::internal::GetCapturedStdout();

    // The gated H row stays shut; the spin replaces the rest of the V attack.
    EXPECT_EQ(out.find("state = ATTACK_H"), std::string::npos);
    EXPECT_EQ(jack.state, ATTACK_V);
    ASSERT_EQ(jack.framelist.size(), 4u);
    EXPECT_TRUE(samePose(jack.framelist.front().target, row(0).keyframes[0].target));
    EXPECT_TRUE(samePose(lastTarget(jack), lastTarget(row(0).keyframes)));

    keys.releaseAll();
    testing::internal::CaptureStdout();
    int draws = 0;
    while (jack.state == ATTACK_V && draws < 200) {
        jack.update(keys.table);
        jack.draw();
        ++draws;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(draws, 40);
    EXPECT_TRUE(samePose(jack.pose, lastTarget(row(0).keyframes)));
}

TEST(JackMoves, HAndVTogetherTheVRowFiresAndShutsH)
{
    MovesOnly jack;
    Keys keys;
    keys.press(jack.keyAttackH);
    keys.press(jack.keyAttackV);
    testing::internal::CaptureStdout();
    jack.update(keys.table);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(jack.state, ATTACK_V);
    EXPECT_NE(out.find("state = ATTACK_V\n"), std::string::npos);
    EXPECT_EQ(out.find("state = ATTACK_H\n"), std::string::npos);
    ASSERT_EQ(jack.framelist.size(), 4u);
    EXPECT_TRUE(samePose(jack.framelist.front().target, row(2).keyframes[0].target));

    // Held on: nothing new is queued until the attack ends (10 + 8 + 8 + 5 ticks).
    testing::internal::CaptureStdout();
    int draws = 0;
    while (jack.state == ATTACK_V && draws < 100) {
        jack.update(keys.table);
        jack.draw();
        ++draws;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(draws, 31);
    EXPECT_TRUE(samePose(jack.pose, jackMoves.rest));
}

TEST(JackMoves, DownAndVEndsWithoutRestAndBreathingCarriesHimBack)
{
    MovesOnly jack;
    Keys keys;
    keys.press(jack.keyDown);
    keys.press(jack.keyAttackV);
    const float startX = jack.x;
    const float startZ = jack.z;
    testing::internal::CaptureStdout();
    jack.update(keys.table);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(jack.state, ATTACK_V);
    EXPECT_EQ(out.find("state = ATTACK_V"), std::string::npos) << "the down row says nothing";
    ASSERT_EQ(jack.framelist.size(), 2u);
    EXPECT_TRUE(samePose(lastTarget(jack), lastTarget(row(1).keyframes)));
    // Down is a direction too, but the attack comes first and stops him circling.
    EXPECT_EQ(jack.x, startX);

    keys.releaseAll();
    testing::internal::CaptureStdout();
    int draws = drawWhile(jack, ATTACK_V);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(draws, 10);
    EXPECT_EQ(jack.state, RESTING);
    EXPECT_EQ(jack.z, startZ);
    EXPECT_TRUE(samePose(jack.pose, lastTarget(row(1).keyframes)));

    testing::internal::CaptureStdout();
    jack.update(keys.table);
    EXPECT_EQ(jack.state, BREATHING);
    draws = drawWhile(jack, BREATHING);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(draws, 1 + 25 + 5);
    EXPECT_TRUE(samePose(jack.pose, jackMoves.rest));
}

TEST(JackMoves, BreathingVisiblyTiltsAndLifts)
{
    MovesOnly jack;
    Keys keys;
    testing::internal::CaptureStdout();
    for (int cycle = 0; cycle < 3; ++cycle) {
        jack.update(keys.table);
        ASSERT_EQ(jack.state, BREATHING);
        int rising = 0;
        int falling = 0;
        float tiltMin = 100.0f;
        float tiltMax = -100.0f;
        float heightMin = 100.0f;
        float heightMax = -100.0f;
        float previous = jack.pose.bodyAngleTiltForward;
        while (jack.state == BREATHING && rising + falling < 100) {
            jack.draw();
            float tilt = jack.pose.bodyAngleTiltForward;
            rising += tilt > previous;
            falling += tilt < previous;
            previous = tilt;
            tiltMin = std::min(tiltMin, tilt);
            tiltMax = std::max(tiltMax, tilt);
            heightMin = std::min(heightMin, jack.pose.bodyHeight);
            heightMax = std::max(heightMax, jack.pose.bodyHeight);
        }
        EXPECT_EQ(jack.state, RESTING);
        EXPECT_EQ(rising, 25);
        EXPECT_EQ(falling, 5);
        EXPECT_EQ(tiltMin, 8.0f);
        EXPECT_EQ(tiltMax, 10.0f);
        EXPECT_EQ(heightMin, 0.0f);
        EXPECT_EQ(heightMax, 0.1f);
    }
    std::string out = testing::internal::GetCapturedStdout();
    auto count = [&out](const std::string& line) {
        int n = 0;
        for (std::size_t at = out.find(line); at != std::string::npos; at = out.find(line, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("state = BREATHING\n"), 3);
    EXPECT_EQ(count("state = RESTING\n"), 3);
}

TEST(JackMoves, WinPlaysAfterTheQueuedSwingOver125Ticks)
{
    MovesOnly jack;
    Keys keys;
    keys.press(jack.keyAttackH);
    testing::internal::CaptureStdout();
    jack.update(keys.table);  // 10 + 10 + 5 ticks
    jack.win();
    EXPECT_EQ(jack.framelist.size(), 3u + 5u);
    for (int tick = 0; tick < 25 + 124; ++tick)
        jack.draw();
    EXPECT_FALSE(samePose(jack.pose, lastTarget(jackMoves.win)));
    jack.draw();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(samePose(jack.pose, lastTarget(jackMoves.win)));
}

TEST(JackMoves, RingOutFallsAt20ThenDescends100)
{
    MovesOnly jack;
    Keys keys;
    keys.press(jack.keyAttackV);
    testing::internal::CaptureStdout();
    jack.update(keys.table);
    jack.draw();
    jack.ringOut();
    EXPECT_TRUE(jack.events->ringOut);
    EXPECT_EQ(jack.framelist.size(), 2u);
    for (int tick = 0; tick < 20; ++tick)
        jack.draw();
    EXPECT_EQ(jack.pose.bodyHeight, -1.5f);
    for (int tick = 0; tick < 99; ++tick)
        jack.draw();
    EXPECT_GT(jack.pose.bodyHeight, -40.8f);
    jack.draw();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(samePose(jack.pose, lastTarget(jackMoves.ringOut)));
    EXPECT_EQ(jack.state, RESTING);
}
