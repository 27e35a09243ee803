// Darth and Jack fight, ticked as a bout ticks them: the knife and the
// lightsaber are tested against the other's body point, costing health and
// knocking back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "match/side_view.h"
#include "tests/support/frames.h"

namespace {

constexpr float HIT_REACH = 2.0f;

bool played(const TickEvents& events, SoundId id)
{
    return std::count(events.sounds.begin(), events.sounds.end(), SoundEvent{SoundAction::PLAY_ONCE, id}) > 0;
}

float floorDistance(const Character& a, const Character& b)
{
    return std::hypot(a.x - b.x, a.z - b.z);
}

struct SwingResult {
    int hits = 0;
    int frames = 0;
    TickEvents events;  // everything the swing made heard
};

struct Expected {
    const char* hitLine;
    const Frame& flinch;
    SoundId defenderSound;  // the hit or block sound
    SoundId attackSound;    // NONE when the swing plays none
};

// Ticks both fighters as a bout does (both updates, then both pose passes
// under the camera of the tick, player 1 first) with the attack key pressed
// for one tick, until the attacker's swing is over, checking every pose pass
// of the attacker against the hit rule worked out from its weapon points.
SwingResult swing(Character& attacker, int attackKey, Character& defender, int* keys, const Expected& expected)
{
    Character& one = attacker.player == 1 ? attacker : defender;
    Character& two = attacker.player == 1 ? defender : attacker;
    float lastX = -1.0f, lastZ = 0.0f;
    const auto camera = [&] { return cameraMatrix(sideView(one.x, one.z, two.x, two.z, lastX, lastZ)); };
    SwingResult result;
    one.reportTo(&result.events);
    two.reportTo(&result.events);
    TraceCapture trace;
    // One tick first: a fighter takes his heading in the pose pass, and keeps
    // it through a swing.
    glm::mat4 view = camera();
    one.update(keys);
    two.update(keys);
    one.posePass(view);
    two.posePass(view);

    keys[attackKey] = 1;
    do {
        view = camera();
        TickEvents updates;
        one.reportTo(&updates);
        two.reportTo(&updates);
        one.update(keys);
        two.update(keys);
        if (keys[attackKey] && expected.attackSound != SoundId::NONE) {
            EXPECT_TRUE(played(updates, expected.attackSound));
        }
        keys[attackKey] = 0;
        for (Character* posed : {&one, &two}) {
            TickEvents events;
            posed->reportTo(&events);
            defender.reportTo(&events);
            if (posed != &attacker) {
                posed->posePass(view);
                continue;
            }
            const float bodyX = defender.bodyMatrix[12];
            const float bodyZ = defender.bodyMatrix[14];
            const float healthBefore = defender.health;
            const float gapBefore = floorDistance(attacker, defender);
            const std::size_t queuedBefore = defender.framelist.size();
            trace.clear();
            attacker.posePass(view);
            const std::string out = trace.text();
            result.events.sounds.insert(result.events.sounds.end(), events.sounds.begin(), events.sounds.end());
            if (!attacker.isAttacking() && result.frames > 0)
                continue;  // the tick that ends the swing asks nothing

            int hits = 0;
            float knockBack = 0.0f;
            for (int i = 0; i < 4; ++i) {
                float d =
                    std::hypot(bodyX - attacker.weaponPointMatrix[i][12], bodyZ - attacker.weaponPointMatrix[i][14]);
                if (d < HIT_REACH) {
                    ++hits;
                    knockBack += HIT_REACH - d;
                }
            }
            EXPECT_EQ(countOf(out, expected.hitLine), hits) << out;
            EXPECT_NEAR(floorDistance(attacker, defender), gapBefore + knockBack, 1e-3);
            float damage = defender.isBlocking() ? 0.0f : hits * HIT_DAMAGE;
            EXPECT_NEAR(defender.health, healthBefore - damage, 1e-4);
            EXPECT_EQ(played(events, expected.defenderSound), hits > 0);
            if (hits > 0 && defender.isBlocking()) {
                EXPECT_EQ(defender.framelist.size(), queuedBefore);
            } else if (hits > 0) {
                // The flinch cuts off whatever the defender was playing; its rest pose follows.
                EXPECT_EQ(defender.framelist.size(), 2u);
                for (int f = 0; f < Frame::FIELDS; ++f)
                    EXPECT_EQ(defender.framelist.front().target[f], expected.flinch[f]) << f;
            }
            result.hits += hits;
        }
        ++result.frames;
    } while (attacker.isAttacking() && result.frames < 200);
    EXPECT_FALSE(attacker.isAttacking()) << "the swing never ended";
    EXPECT_TRUE(result.events.fighting);
    EXPECT_FALSE(result.events.ringOut);
    one.reportTo(nullptr);
    two.reportTo(nullptr);
    return result;
}

class Duel : public testing::Test {
protected:
    TraceCapture introductions;  // kept from the output
    int keys[36] = {};
};

}  // namespace

TEST_F(Duel, JacksKnifeReachesDarthCostsHealthAndKnocksHimBack)
{
    Jack jack(0.0f, -2.0f, 1, nullptr);
    Darth darth(0.0f, 2.0f, 2, &jack);
    jack.setOpponent(&darth);

    SwingResult result = swing(jack, jack.keyAttackH, darth, keys,
        {"Jack hit someone!\n", darthMoves.hitReaction[0].target, SoundId::DARTH_HIT, SoundId::JACK_ATTACK});
    ASSERT_GT(result.hits, 0) << "the knife never came within reach";
    EXPECT_NEAR(darth.health, 100.0f - result.hits * HIT_DAMAGE, 1e-3);
    EXPECT_GT(floorDistance(jack, darth), 4.0f);
}

TEST_F(Duel, DarthBlockingJacksKnifeIsOnlyPushedBack)
{
    Jack jack(0.0f, -2.0f, 1, nullptr);
    Darth darth(0.0f, 2.0f, 2, &jack);
    jack.setOpponent(&darth);
    keys[darth.keyBlock] = 1;

    SwingResult result = swing(jack, jack.keyAttackH, darth, keys,
        {"Jack hit someone!\n", darthMoves.hitReaction[0].target, SoundId::DARTH_BLOCK, SoundId::NONE});
    ASSERT_GT(result.hits, 0);
    EXPECT_EQ(darth.health, 100.0f);
    EXPECT_EQ(darth.state, BLOCK);
    EXPECT_GT(floorDistance(jack, darth), 4.0f);
    EXPECT_FALSE(played(result.events, SoundId::DARTH_HIT));
}

TEST_F(Duel, DarthsLightsaberReachesJackAndHeFlinches)
{
    // The lightsaber's plain swing comes round at a longer range than the knife's.
    Darth darth(0.0f, -3.5f, 1, nullptr);
    Jack jack(0.0f, 3.5f, 2, &darth);
    darth.setOpponent(&jack);
    // Jack stands breathing; the first hit interrupts that with his flinch.
    SwingResult result = swing(darth, darth.keyAttackH, jack, keys,
        {"Darth hit someone!\n", jackMoves.hitReaction[0].target, SoundId::JACK_HIT, SoundId::NONE});
    ASSERT_GT(result.hits, 0) << "the lightsaber never came within reach";
    EXPECT_NEAR(jack.health, 100.0f - result.hits * HIT_DAMAGE, 1e-3);
    EXPECT_GT(floorDistance(jack, darth), 7.0f);
}

TEST_F(Duel, JackBlockingTheLightsaberIsOnlyPushedBack)
{
    Darth darth(0.0f, -3.5f, 1, nullptr);
    Jack jack(0.0f, 3.5f, 2, &darth);
    darth.setOpponent(&jack);
    keys[jack.keyBlock] = 1;

    SwingResult result = swing(darth, darth.keyAttackH, jack, keys,
        {"Darth hit someone!\n", jackMoves.hitReaction[0].target, SoundId::JACK_BLOCK, SoundId::NONE});
    ASSERT_GT(result.hits, 0);
    EXPECT_EQ(jack.health, 100.0f);
    EXPECT_EQ(jack.state, BLOCK);
    EXPECT_GT(floorDistance(jack, darth), 7.0f);
    EXPECT_FALSE(played(result.events, SoundId::JACK_HIT));
}

TEST(DuelFlinch, AHitAfterTheBoutIsOverCostsHealthWithoutAFlinch)
{
    TraceSilence quiet;
    Jack jack(0.0f, -2.0f, 1, nullptr);
    Darth darth(0.0f, 2.0f, 2, &jack);
    jack.setOpponent(&darth);
    TickEvents over;
    over.fighting = false;
    darth.reportTo(&over);
    const std::size_t queued = darth.framelist.size();
    darth.bodyMatrix[12] = 1.0f;
    darth.bodyMatrix[14] = 1.0f;
    ASSERT_TRUE(darth.checkHit(1.5f, 0.0f, 1.0f));
    EXPECT_NEAR(darth.health, 100.0f - HIT_DAMAGE, 1e-4);
    EXPECT_EQ(darth.framelist.size(), queued);
    EXPECT_TRUE(played(over, SoundId::DARTH_HIT));
}
