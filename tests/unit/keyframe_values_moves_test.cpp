// Both fighters' keyframes checked value by value against the move tables,
// written out here by hand: the telling joints of every keyframe, a weighted
// sum of each keyframe's 24 values (so no number can change or two swap
// unnoticed), and each swing played from rest turning the way it should.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "characters/darth.h"
#include "characters/jack.h"
#include "tests/unit/test_fighter.h"

namespace {

// Frame fields, counted from 0 in record order.
enum Column {
    TILT = 0,
    SIDE = 1,
    TURN = 2,
    HEIGHT = 3,
    HEAD = 4,
    LEG_R_OUT = 5,
    LEG_R_ROTATE = 6,
    LEG_L_OUT = 9,
    LEG_L_ROTATE = 10,
    ARM_R_FORWARD = 14,
    ARM_R_ROTATE = 15,
    ARM_L_FORWARD = 18,
    WEAPON_TURN = 21,
    WEAPON_FORWARD = 22,
    WEAPON_ROTATE = 23,
};

enum DarthRow { D_RIGHT_H, D_LEFT_H, D_H, D_DOWN_V, D_UP_V, D_V };
enum JackRow { J_SPIN, J_DOWN_V, J_V, J_H };

struct Joint {
    Column column;
    std::vector<float> values;  // one per keyframe
};

struct MoveTable {
    const char* name;
    Keyframes keyframes;
    std::vector<double> sums;  // per keyframe: the values times their column numbers 1 to 24
    std::vector<Joint> joints;
};

double weightedSum(const Frame& f)
{
    double sum = 0.0;
    for (int i = 0; i < Frame::FIELDS; ++i)
        sum += (i + 1) * static_cast<double>(f[i]);
    return sum;
}

void checkTables(const std::vector<MoveTable>& tables)
{
    for (const MoveTable& table : tables) {
        SCOPED_TRACE(table.name);
        ASSERT_EQ(table.keyframes.size(), table.sums.size());
        for (std::size_t k = 0; k < table.sums.size(); ++k)
            EXPECT_NEAR(weightedSum(table.keyframes[k].target), table.sums[k], 0.01) << "keyframe " << k + 1;
        for (const Joint& joint : table.joints) {
            ASSERT_EQ(joint.values.size(), table.keyframes.size()) << "column " << joint.column + 1;
            for (std::size_t k = 0; k < joint.values.size(); ++k)
                EXPECT_FLOAT_EQ(table.keyframes[k].target[joint.column], joint.values[k])
                    << "keyframe " << k + 1 << ", column " << joint.column + 1;
        }
    }
}

Keyframes darthRow(DarthRow r)
{
    return darthMoves.attackRows[r].keyframes;
}
Keyframes jackRow(JackRow r)
{
    return jackMoves.attackRows[r].keyframes;
}

}  // namespace

TEST(KeyframeValues, DarthsMovesMatchHisTables)
{
    checkTables({
        {"block", darthMoves.block, {19333.2}, {{TILT, {14}}, {TURN, {-24}}, {WEAPON_FORWARD, {-20}}}},
        {"breathing", darthMoves.breathing, {19184}, {{TURN, {-16}}, {WEAPON_TURN, {174}}}},
        {"circleStep", darthMoves.circleStep, {20047.6, 18342},
            {{HEIGHT, {-0.6f, 0}}, {SIDE, {0, -8}}, {LEG_R_ROTATE, {47, 15}}, {LEG_L_ROTATE, {37, 35}}}},
        {"walkStep", darthMoves.walkStep, {16820, 17330},
            {{TURN, {-38, -2}}, {LEG_R_OUT, {98, 54}}, {LEG_L_OUT, {34, 78}}}},
        {"right+H", darthRow(D_RIGHT_H), {16390, 16390}, {{HEAD, {-42, -42}}, {LEG_R_OUT, {-2, -2}}}},
        {"left+H", darthRow(D_LEFT_H), {18587.2, 16569.2, 20896.8, 28652, 27872, 28910},
            {{TURN, {-6, 50, 72, -6, -100, -106}}, {WEAPON_FORWARD, {24, 24, 184, 480, 454, 454}}}},
        {"H", darthRow(D_H), {15738, 17662}, {{TURN, {84, -40}}, {HEAD, {-94, 30}}, {WEAPON_ROTATE, {-12, 78}}}},
        {"down+V", darthRow(D_DOWN_V), {23092}, {{TILT, {78}}, {LEG_R_OUT, {154}}, {LEG_L_OUT, {162}}}},
        {"up+V", darthRow(D_UP_V), {11342, 12028, 11036, 8060.8, 8000.8, 6812.8, 5016, 2984},
            {{TILT, {12, 28, 60, 18, -34, -84, -184, -260}}, {HEIGHT, {0, 0, 0, 1.2f, 2.2f, 2.2f, 4, 4}},
                {LEG_R_OUT, {72, 72, 72, 90, 90, 18, -46, -142}}, {LEG_L_OUT, {58, 58, 58, 58, 58, 18, -114, -252}}}},
        {"V", darthRow(D_V), {21632}, {{TURN, {30}}, {HEAD, {-54}}, {WEAPON_TURN, {250}}}},
        {"hitReaction", darthMoves.hitReaction, {16132}, {{TILT, {-26}}, {HEAD, {36}}, {WEAPON_TURN, {86}}}},
        {"ringOut", darthMoves.ringOut, {17966, 18968.8}, {{TILT, {-46, -88}}, {HEIGHT, {-2, -40.8f}}}},
        {"lose", darthMoves.lose, {17974, 19128.8}, {{TILT, {-46, -88}}, {HEIGHT, {0, -0.8f}}}},
        {"win", darthMoves.win,
            {19894.4, 23326, 21383.2, 19512, 17910, 10916, 4822, 1714, -1394, -2712, -3316, 7324.8, 8438.8, 13526.8,
                16012.8, 19049.2, 20098, 20933.2, 61721.6, 144770.7928},
            {{TILT, {52, 8, 2, 8, 8, 8, 8, 8, 8, 34, 18, 38, 144, 214, 292, 344, 372, 392, 368, 368}},
                {HEIGHT,
                    {-0.4f, 0, 1.8f, 0, 0, 0, 0, 0, 0, 0, 0, 1.2f, 4.2f, 4.2f, 4.2f, 2.8f, 0, -0.2f, 2.4f, 23.198196f}},
                {WEAPON_ROTATE,
                    {-2, 90, 14, 36, 24, -174, -374, -476, -594, -650, -560, -362, -362, -204, -146, -42, -10, -10,
                        1624, 5174}}}},
    });
}

TEST(KeyframeValues, JacksMovesMatchHisTables)
{
    checkTables({
        {"block", jackMoves.block, {21720}, {{TURN, {22}}, {ARM_R_ROTATE, {100}}, {WEAPON_FORWARD, {158}}}},
        {"breathing", jackMoves.breathing, {15498.4}, {{TILT, {10}}, {HEIGHT, {0.1f}}}},
        {"circleStep", jackMoves.circleStep, {15604}, {{LEG_R_OUT, {76}}, {LEG_L_OUT, {74}}}},
        {"walkStep", jackMoves.walkStep, {16614, 15900, 14882.4},
            {{TURN, {-34, -2, -2}}, {LEG_R_OUT, {58, 84, 38}}, {LEG_L_OUT, {80, 26, 52}}}},
        {"left+H", jackRow(J_SPIN), {15020, 15872.8, 16176.8, 16498.8},
            {{TURN, {64, 4, -148, -274}}, {HEAD, {-92, -36, 120, 260}}, {HEIGHT, {0, 1.2f, 1.2f, 1.2f}}}},
        {"down+V", jackRow(J_DOWN_V), {17272, 17288},
            {{TURN, {0, -30}}, {WEAPON_TURN, {86, 172}}, {WEAPON_FORWARD, {54, 54}}}},
        {"V", jackRow(J_V), {16022, 13394, 12288},
            {{TURN, {-88, -16, 0}}, {LEG_L_OUT, {20, 20, 142}}, {ARM_R_FORWARD, {66, 172, 34}}}},
        {"H", jackRow(J_H), {20122, 19002},
            {{TURN, {-48, -22}}, {HEAD, {58, 0}}, {ARM_L_FORWARD, {202, 154}}, {WEAPON_FORWARD, {130, 130}}}},
        {"hitReaction", jackMoves.hitReaction, {16132}, {{TILT, {-26}}, {HEAD, {36}}}},
        {"ringOut", jackMoves.ringOut, {17968, 18968.8}, {{TILT, {-46, -88}}, {HEIGHT, {-1.5f, -40.8f}}}},
        {"lose", jackMoves.lose, {17974, 19128.8}, {{TILT, {-46, -88}}, {HEIGHT, {0, -0.8f}}}},
        {"win", jackMoves.win, {14632, 18246, 22944, 25416, 24170},
            {{WEAPON_TURN, {86, 100, 224, 396, 366}}, {TURN, {28, 36, 42, 42, 20}}}},
    });
}

// Each swing played from rest with its keys held for one update: over the
// keyframe it swings to, the joint moves only one way, from `from` to `to`.
TEST(KeyframeValues, EachSwingFromRestTurnsTheWayItShould)
{
    struct Swing {
        const char* name;
        const MoveSet& moves;
        unsigned controls;
        int row;
        int keyframe;  // counted from 0; `from` is the keyframe before's value
        Column column;
        float from;
        float to;
    };
    const Swing swings[] = {
        {"Darth H", darthMoves, CONTROL_H, D_H, 1, TURN, 84, -40},
        {"Darth left+H saber", darthMoves, CONTROL_LEFT | CONTROL_H, D_LEFT_H, 3, WEAPON_FORWARD, 184, 480},
        {"Darth left+H body", darthMoves, CONTROL_LEFT | CONTROL_H, D_LEFT_H, 4, TURN, -6, -100},
        {"Darth up+V rise", darthMoves, CONTROL_UP | CONTROL_V, D_UP_V, 2, TILT, 28, 60},
        {"Darth up+V flip", darthMoves, CONTROL_UP | CONTROL_V, D_UP_V, 7, TILT, -184, -260},
        {"Jack H body", jackMoves, CONTROL_H, J_H, 1, TURN, -48, -22},
        {"Jack H arm", jackMoves, CONTROL_H, J_H, 1, ARM_L_FORWARD, 202, 154},
        {"Jack V", jackMoves, CONTROL_V, J_V, 1, TURN, -88, -16},
        {"Jack V leg", jackMoves, CONTROL_V, J_V, 2, LEG_L_OUT, 20, 142},
        {"Jack down+V", jackMoves, CONTROL_DOWN | CONTROL_V, J_DOWN_V, 1, WEAPON_TURN, 86, 172},
    };
    for (const Swing& swing : swings) {
        SCOPED_TRACE(swing.name);
        testing::internal::CaptureStdout();
        TestFighter fighter(0.0f, -8.0f, 1, nullptr, swing.moves);
        int keys[36] = {};
        const std::pair<unsigned, int> bindings[] = {
            {CONTROL_UP, fighter.keyUp},
            {CONTROL_DOWN, fighter.keyDown},
            {CONTROL_LEFT, fighter.keyLeft},
            {CONTROL_RIGHT, fighter.keyRight},
            {CONTROL_H, fighter.keyAttackH},
            {CONTROL_V, fighter.keyAttackV},
        };
        for (auto [control, key] : bindings)
            keys[key] = (swing.controls & control) ? 1 : 0;
        fighter.update(keys);

        const Keyframes keyframes = swing.moves.attackRows[swing.row].keyframes;
        int before = 0;
        for (int k = 0; k < swing.keyframe; ++k)
            before += keyframes[k].steps;
        for (int t = 0; t < before; ++t)
            fighter.draw();
        const float start = fighter.pose[swing.column];
        const float sign = swing.to > swing.from ? 1.0f : -1.0f;
        float previous = start;
        int wrongWay = 0;
        for (int t = 0; t < keyframes[swing.keyframe].steps; ++t) {
            fighter.draw();
            wrongWay += (fighter.pose[swing.column] - previous) * sign <= 0.0f;
            previous = fighter.pose[swing.column];
        }
        testing::internal::GetCapturedStdout();
        EXPECT_FLOAT_EQ(start, swing.from);
        EXPECT_EQ(wrongWay, 0);
        EXPECT_FLOAT_EQ(previous, swing.to);
    }
}
