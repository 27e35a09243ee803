// When a fighter's pose pass puts its weapon points to the opponent: only
// while attacking, every point of every tick of the swing, in a fixed order.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "characters/core/pose_stack.h"
#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "tests/support/frames.h"

namespace {

// An opponent that records every hit question and answers from a script.
class Target : public Character {
public:
    Target(float x, float z, int player, const MoveSet& moves) : Character(x, z, player, nullptr, moves) {}
    void posePass(const glm::mat4&) override {}
    FighterKind kind() const override { return DARTH; }
    bool checkHit(float x, float y, float z) override
    {
        int call = static_cast<int>(points.size());
        points.push_back({x, y, z});
        trace("asked %d\n", call);
        return call < 32 && ((answers >> call) & 1);
    }
    std::vector<std::array<float, 3>> points;
    unsigned answers = 0;  // bit i: the answer to the i-th question
};

void expectAskedAt(const Target& other, std::size_t from, const float* matrix, int i)
{
    ASSERT_LT(from + i, other.points.size());
    EXPECT_EQ(other.points[from + i][0], matrix[12]) << i;
    EXPECT_EQ(other.points[from + i][1], matrix[13]) << i;
    EXPECT_EQ(other.points[from + i][2], matrix[14]) << i;
}

const glm::mat4 SIDE_CAMERA = lookAt(-19.2, 7.0, 0.0, 0.0, 5.0, 0.0, 0.0, 1.0, 0.0);

// Darth's weapon slots in the order they are put to the opponent.
constexpr int DARTH_ASKING_ORDER[] = {0, 3, 1, 2};

}  // namespace

TEST(DarthWeapon, AsksTheOpponentOnlyWhileAttacking)
{
    Target other(0.0f, 8.0f, 2, darthMoves);
    TraceCapture capture;
    Darth darth(0.0f, -8.0f, 1, &other);
    darth.posePass(SIDE_CAMERA);
    darth.posePass(SIDE_CAMERA);
    EXPECT_TRUE(other.points.empty());
    EXPECT_EQ(countOf(capture.text(), "hit someone"), 0);

    int keys[36] = {};
    keys[darth.keyAttackH] = 1;
    darth.update(keys);
    ASSERT_TRUE(darth.isAttacking());
    other.answers = 0b0101;  // the first and third points hit
    capture.clear();
    darth.posePass(SIDE_CAMERA);
    ASSERT_EQ(other.points.size(), 4u);
    for (int i = 0; i < 4; ++i)
        expectAskedAt(other, 0, darth.weaponPointMatrix[DARTH_ASKING_ORDER[i]], i);
    EXPECT_EQ(countOf(capture.text(), "Darth hit someone!\n"), 2);

    // Once the swing is over the opponent is left alone again.
    keys[darth.keyAttackH] = 0;
    for (int t = 0; t < 40 && darth.isAttacking(); ++t)
        darth.posePass(SIDE_CAMERA);
    ASSERT_FALSE(darth.isAttacking());
    std::size_t asked = other.points.size();
    darth.posePass(SIDE_CAMERA);
    EXPECT_EQ(other.points.size(), asked);
}

TEST(JackWeapon, AsksAboutHitsOnlyWhileAttackingFourTimesInOrder)
{
    Target other(0.0f, 8.0f, 2, jackMoves);
    TraceCapture capture;
    Jack jack(0.0f, -8.0f, 1, &other);
    EXPECT_EQ(capture.text(), "adding 0th frame\ninitializing Jack as player 1\nstate = RESTING\n");

    capture.clear();
    for (int i = 0; i < 3; ++i)
        jack.posePass(SIDE_CAMERA);
    EXPECT_EQ(capture.text(), "");
    EXPECT_TRUE(other.points.empty());

    int keys[36] = {};
    keys[jack.keyAttackH] = 1;
    jack.update(keys);
    ASSERT_EQ(jack.state, ATTACK_H);

    other.answers = 0b1010;  // the second and fourth points reach him
    capture.clear();
    jack.posePass(SIDE_CAMERA);
    EXPECT_EQ(capture.text(),
        "asking if hit other person\nasked 0\nasked 1\nJack hit someone!\nasked 2\nasked 3\nJack hit someone!\n");
    ASSERT_EQ(other.points.size(), 4u);
    for (int i = 0; i < 4; ++i)
        expectAskedAt(other, 0, jack.weaponPointMatrix[i], i);

    // Every tick of the swing asks again, with no memory of earlier hits.
    jack.posePass(SIDE_CAMERA);
    EXPECT_EQ(other.points.size(), 8u);

    // Back at rest he stops asking.
    keys[jack.keyAttackH] = 0;
    for (int t = 0; t < 100 && jack.state == ATTACK_H; ++t)
        jack.posePass(SIDE_CAMERA);
    ASSERT_NE(jack.state, ATTACK_H);
    std::size_t asked = other.points.size();
    jack.posePass(SIDE_CAMERA);
    // The tick that reaches the rest pose ends the attack before the knife is walked.
    EXPECT_EQ(asked, 4u * 24u);
    EXPECT_EQ(other.points.size(), asked);
}
