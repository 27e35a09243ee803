// Darth and Jack fight in one GL context: the knife and the lightsaber are
// tested against the other's body point, costing health and knocking back.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "audio/sound_bank.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "shell/camera.h"
#include "shell/match.h"

namespace {

constexpr float HIT_REACH = 2.0f;
constexpr float HIT_DAMAGE = 1.7f;

void loadSoundsOnce()
{
    static bool loaded = false;
    if (!loaded) {
        testing::internal::CaptureStdout();
        loadSoundBank();
        testing::internal::GetCapturedStdout();
        loaded = true;
    }
}

int countOf(const std::string& text, const std::string& line)
{
    int n = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++n;
    return n;
}

float floorDistance(const Character& a, const Character& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

struct SwingResult {
    int hits = 0;
    int frames = 0;
};

// Plays bout frames (both updates, then both draws, player 1 first) with the
// attack key pressed for one frame, until the attacker's swing is over, checking every draw of the attacker against the
// hit rule worked out from the points it captured.
struct Expected {
    const char* hitLine;
    const Frame& flinch;
    const Sound& defenderSound;  // the hit or block sound
    const Sound* attackSound;    // when the swing plays one
};

SwingResult swing(Character& attacker, int attackKey, Character& defender, int* keys, const Expected& expected)
{
    Character& one = attacker.player == 1 ? attacker : defender;
    Character& two = attacker.player == 1 ? defender : attacker;
    playerOne = &one;
    playerTwo = &two;
    // One frame first: a fighter takes his heading when drawn, and keeps it
    // through a swing.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setCamera();
    one.update(keys);
    two.update(keys);
    one.draw();
    two.draw();

    SwingResult result;
    keys[attackKey] = 1;
    do {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        setCamera();
        one.update(keys);
        two.update(keys);
        if (keys[attackKey] && expected.attackSound)
            EXPECT_TRUE(isPlayingOnce(*expected.attackSound));
        keys[attackKey] = 0;
        for (Character* drawn : {&one, &two}) {
            if (drawn != &attacker) {
                drawn->draw();
                continue;
            }
            const float bodyX = defender.bodyMatrix[12];
            const float bodyZ = defender.bodyMatrix[14];
            const float healthBefore = defender.health;
            const float gapBefore = floorDistance(attacker, defender);
            const std::size_t queuedBefore = defender.framelist->size();
            testing::internal::CaptureStdout();
            attacker.draw();
            std::string out = testing::internal::GetCapturedStdout();
            if (!attacker.isAttacking() && result.frames > 0)
                continue;  // the tick that ends the swing asks nothing

            int hits = 0;
            float knockBack = 0.0f;
            for (int i = 0; i < 4; ++i) {
                float d = std::hypot(bodyX - attacker.weaponPointMatrix[i][12],
                                     bodyZ - attacker.weaponPointMatrix[i][14]);
                if (d < HIT_REACH) {
                    ++hits;
                    knockBack += HIT_REACH - d;
                }
            }
            EXPECT_EQ(countOf(out, expected.hitLine), hits) << out;
            EXPECT_NEAR(floorDistance(attacker, defender), gapBefore + knockBack, 1e-3);
            float damage = defender.isBlocking() ? 0.0f : hits * HIT_DAMAGE;
            EXPECT_NEAR(defender.health, healthBefore - damage, 1e-4);
            if (hits > 0)
                EXPECT_TRUE(isPlayingOnce(expected.defenderSound));
            if (hits > 0 && defender.isBlocking()) {
                EXPECT_EQ(defender.framelist->size(), queuedBefore);
            } else if (hits > 0) {
                // The flinch cuts off whatever the defender was playing; its rest pose follows.
                EXPECT_EQ(defender.framelist->size(), 2u);
                for (int f = 0; f < Frame::FIELDS; ++f)
                    EXPECT_EQ((*defender.framelist->front().target)[f], expected.flinch[f]) << f;
            }
            result.hits += hits;
        }
        ++result.frames;
    } while (attacker.isAttacking() && result.frames < 200);
    return result;
}

class Duel : public testing::Test {
protected:
    void SetUp() override
    {
        loadSoundsOnce();
        ASSERT_NE(jackHitSound.source, 0u) << "no sound bank (run with ALSOFT_DRIVERS=null)";
        gameState = FIGHTING;
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, 4.0 / 3.0, 1.5, 300.0);
        glMatrixMode(GL_MODELVIEW);
    }
    void TearDown() override
    {
        playerOne = nullptr;
        playerTwo = nullptr;
        gameState = MENU;
    }
    int keys[36] = {};
};

}  // namespace

TEST_F(Duel, JacksKnifeReachesDarthCostsHealthAndKnocksHimBack)
{
    Jack jack(0.0f, -2.0f, 1, nullptr);
    Darth darth(0.0f, 2.0f, 2, &jack);
    jack.setOpponent(&darth);
    stopSound(jackAttackSound);

    SwingResult result =
        swing(jack, jack.keyAttackH, darth, keys, {"Jack hit someone!\n", darthMoves.hitReaction[0].target, darthHitSound, &jackAttackSound});
    ASSERT_GT(result.hits, 0) << "the knife never came within reach";
    EXPECT_NEAR(darth.health, 100.0f - result.hits * HIT_DAMAGE, 1e-3);
    EXPECT_GT(floorDistance(jack, darth), 4.0f);
    EXPECT_EQ(gameState, FIGHTING);
}

TEST_F(Duel, DarthBlockingJacksKnifeIsOnlyPushedBack)
{
    Jack jack(0.0f, -2.0f, 1, nullptr);
    Darth darth(0.0f, 2.0f, 2, &jack);
    jack.setOpponent(&darth);
    keys[darth.keyBlock] = 1;
    stopSound(darthHitSound);

    SwingResult result =
        swing(jack, jack.keyAttackH, darth, keys, {"Jack hit someone!\n", darthMoves.hitReaction[0].target, darthBlockSound, nullptr});
    ASSERT_GT(result.hits, 0);
    EXPECT_EQ(darth.health, 100.0f);
    EXPECT_EQ(darth.state, BLOCK);
    EXPECT_GT(floorDistance(jack, darth), 4.0f);
    EXPECT_FALSE(isPlayingOnce(darthHitSound));
}

TEST_F(Duel, DarthsLightsaberReachesJackAndHeFlinches)
{
    // The lightsaber's plain swing comes round at a longer range than the knife's.
    Darth darth(0.0f, -3.5f, 1, nullptr);
    Jack jack(0.0f, 3.5f, 2, &darth);
    darth.setOpponent(&jack);
    // Jack stands breathing; the first hit interrupts that with his flinch.
    SwingResult result =
        swing(darth, darth.keyAttackH, jack, keys, {"Darth hit someone!\n", jackMoves.hitReaction[0].target, jackHitSound, nullptr});
    ASSERT_GT(result.hits, 0) << "the lightsaber never came within reach";
    EXPECT_NEAR(jack.health, 100.0f - result.hits * HIT_DAMAGE, 1e-3);
    EXPECT_GT(floorDistance(jack, darth), 7.0f);
}

TEST_F(Duel, JackBlockingTheLightsaberIsOnlyPushedBack)
{
    // The lightsaber's plain swing comes round at a longer range than the knife's.
    Darth darth(0.0f, -3.5f, 1, nullptr);
    Jack jack(0.0f, 3.5f, 2, &darth);
    darth.setOpponent(&jack);
    keys[jack.keyBlock] = 1;
    stopSound(jackHitSound);

    SwingResult result =
        swing(darth, darth.keyAttackH, jack, keys, {"Darth hit someone!\n", jackMoves.hitReaction[0].target, jackBlockSound, nullptr});
    ASSERT_GT(result.hits, 0);
    EXPECT_EQ(jack.health, 100.0f);
    EXPECT_EQ(jack.state, BLOCK);
    EXPECT_GT(floorDistance(jack, darth), 7.0f);
    EXPECT_FALSE(isPlayingOnce(jackHitSound));
}
