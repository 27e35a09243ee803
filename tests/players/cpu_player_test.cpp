// The computer player sees a delayed view, writes its own keys, and plays to
// the rules of the situation in front of it.
#include <gtest/gtest.h>

#include <cmath>

#include "characters/core/trace.h"
#include "players/cpu_player.h"
#include "players/tournament.h"

namespace {

// Player 1 as `kind` at (x1, z1), player 2 at (x2, z2) in `state`.
MatchView situation(int kind, float x1, float z1, float x2, float z2, int opponentState, int opponentKind = JACK)
{
    MatchView v;
    v.fighting = true;
    v.secondsLeft = 50;
    v.fighters[0] = {kind, x1, z1, 0.0f, RESTING, 100.0f};
    v.fighters[1] = {opponentKind, x2, z2, 0.0f, opponentState, 100.0f};
    return v;
}

bool held(const KeyState& keys, int entry)
{
    return keys[entry] != 0;
}

TEST(CpuPlayer, InReachAndOpenItAttacksWithARowThatLands)
{
    for (int kind : {JACK, DARTH}) {
        int attacks = 0;
        for (std::uint32_t seed = 1; seed <= 50; ++seed) {
            CpuPlayer cpu(1, CPU_HARD, seed);
            const unsigned controls = cpu.decide(situation(kind, 0, -3, 0, 3, BREATHING));
            if (controls & (CONTROL_H | CONTROL_V))
                ++attacks;
        }
        EXPECT_GE(attacks, 45) << "kind " << kind;
    }
}

TEST(CpuPlayer, ASwingInReachIsBlockedAndABlockIsNotStruckInto)
{
    // Beyond its own rows' reach, within the opponent's: nothing to strike with.
    int blocks = 0;
    int strikesIntoBlock = 0;
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        CpuPlayer swinging(1, CPU_HARD, seed);
        if (swinging.decide(situation(DARTH, 0, -7, 0, 7, ATTACK_H)) == CONTROL_BLOCK)
            ++blocks;
        CpuPlayer guarded(1, CPU_HARD, seed);
        if (guarded.decide(situation(DARTH, 0, -3, 0, 3, BLOCK)) & (CONTROL_H | CONTROL_V))
            ++strikesIntoBlock;
    }
    EXPECT_GE(blocks, 40);
    EXPECT_EQ(strikesIntoBlock, 0);
}

TEST(CpuPlayer, WithItsBackToTheEdgeItMovesAwayFromIt)
{
    // Player 1 at the edge, the opponent between it and the middle, out of reach.
    for (int control : {int(CPU_EASY), int(CPU_HARD)}) {
        CpuPlayer cpu(1, control, 3);
        const unsigned controls = cpu.decide(situation(DARTH, 0, -39.5f, 0, -24, BREATHING));
        EXPECT_EQ(controls & CONTROL_LEFT, 0u) << "never a step back off the edge";
        EXPECT_NE(controls & (CONTROL_UP | CONTROL_DOWN | CONTROL_RIGHT), 0u);
    }
    EXPECT_FLOAT_EQ(roomBehind(0, -39.5f, 0, -1), 0.5f);
    // Along the diagonal the cut corner comes first; along x, the straight side.
    EXPECT_NEAR(roomBehind(10, 10, std::sqrt(0.5f), std::sqrt(0.5f)), (55.3f - 20) / std::sqrt(2.0f), 1e-3f);
    EXPECT_NEAR(roomBehind(30, 0, std::sqrt(0.5f), std::sqrt(0.5f)), 10 * std::sqrt(2.0f), 1e-3f);
}

TEST(CpuPlayer, AheadOnHealthItKeepsOutOfReachAndLevelItGoesIn)
{
    int retreats = 0;
    int strikes = 0;
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        MatchView ahead = situation(JACK, 0, -6, 0, 6, BREATHING);
        ahead.fighters[1].health = 90.0f;
        CpuPlayer leading(1, CPU_HARD, seed);
        const unsigned away = leading.decide(ahead);
        EXPECT_EQ(away & (CONTROL_H | CONTROL_V | CONTROL_RIGHT), 0u) << "seed " << seed;
        if (away & CONTROL_LEFT)
            ++retreats;
        CpuPlayer level(1, CPU_HARD, seed);
        if (level.decide(situation(JACK, 0, -6, 0, 6, BREATHING)) & (CONTROL_H | CONTROL_V))
            ++strikes;
    }
    EXPECT_GE(retreats, 45);
    EXPECT_GE(strikes, 45);
}

// The view it acts on is old, but its own steps since then it knows: walking
// in on an opponent seen just beyond its reach, it strikes once it has
// walked the difference, though the view never shows it any nearer.
TEST(CpuPlayer, ItCountsItsOwnStepsSinceWhatItSaw)
{
    CpuPlayer cpu(1, CPU_HARD, 7);
    const PlayerKeys k = playerKeys(1);
    const MatchView far = situation(JACK, 0, -7.8f, 0, 7.8f, BREATHING, DARTH);
    int walked = 0;
    int firstStrike = -1;
    for (int t = 0; t < 80 && firstStrike < 0; ++t) {
        KeyState keys{};
        cpu.play(far, keys);
        walked += held(keys, k.right);
        if (held(keys, k.attackH) || held(keys, k.attackV))
            firstStrike = t;
    }
    ASSERT_GE(firstStrike, 0) << "it never struck";
    EXPECT_GE(walked, 8) << "it struck from beyond its reach";
}

// Far apart, then, from tick 40, the opponent swings close by: the computer
// walks in until it has seen the swing `reaction` ticks later.
TEST(CpuPlayer, NothingItSeesActsBeforeItsReactionTime)
{
    EXPECT_GE(CpuPlayer(1, CPU_HARD, 1).reaction(), 8);
    for (int control : {int(CPU_EASY), int(CPU_NORMAL), int(CPU_HARD)}) {
        CpuPlayer cpu(1, control, 11);
        const int reaction = cpu.reaction();
        const PlayerKeys k = playerKeys(1);
        int firstBlock = -1;
        for (int t = 0; t < 40 + reaction + 30; ++t) {
            MatchView v = t < 40 ? situation(DARTH, 0, -15, 0, 15, BREATHING) : situation(DARTH, 0, -7, 0, 7, ATTACK_H);
            KeyState keys{};
            cpu.play(v, keys);
            if (t < reaction) {
                for (int entry = 0; entry < 7; ++entry)
                    EXPECT_EQ(keys[entry], 0) << "tick " << t;
            }
            if (firstBlock < 0 && held(keys, k.block))
                firstBlock = t;
        }
        EXPECT_GE(firstBlock, 40 + reaction) << "level " << control;
        EXPECT_LE(firstBlock, 40 + reaction + 20) << "level " << control;
    }
}

TEST(CpuPlayer, PlayersWriteTheirOwnSevenEntriesAndNothingElse)
{
    TraceSilence quiet;
    for (int player : {1, 2}) {
        const PlayerKeys k = playerKeys(player);
        const int own[7] = {k.up, k.down, k.right, k.left, k.attackH, k.attackV, k.block};
        for (int contender : {int(CPU_EASY), int(CPU_HARD), MASHER}) {
            Match m;
            TickEvents events;
            startBout(m, 100, events);
            auto p = makePlayer(contender, player, 5);
            int pressed = 0;
            for (int t = 0; t < 600 && m.gameState == FIGHTING; ++t) {
                KeyState keys;
                keys.fill(7);
                p->play(viewOf(m), keys);
                for (int entry = 0; entry < KEY_STATE_SIZE; ++entry) {
                    const bool mine = std::find(std::begin(own), std::end(own), entry) != std::end(own);
                    if (mine) {
                        ASSERT_TRUE(keys[entry] == 0 || keys[entry] == 1);
                        pressed += keys[entry];
                    } else {
                        ASSERT_EQ(keys[entry], 7) << "entry " << entry;
                    }
                }
                TickInput in;
                in.calendarSecond = 100 + t / 60;
                for (int entry : own)
                    in.keyState[entry] = keys[entry];
                step(m, in, events);
            }
            EXPECT_GT(pressed, 0) << "contender " << contender;
        }
    }
}

TEST(CpuPlayer, TheSameSeedPlaysTheSameBout)
{
    BoutSetup setup{{CPU_NORMAL, CPU_HARD}, {JACK, DARTH}, 17};
    const BoutResult a = playBout(setup);
    const BoutResult b = playBout(setup);
    EXPECT_EQ(a.ticks, b.ticks);
    EXPECT_EQ(a.winner, b.winner);
    EXPECT_EQ(a.rowsUsed[0], b.rowsUsed[0]);
}

// The rows the computer counts on land where its table says (re-measured).
TEST(CpuPlayer, ItsReachTableMatchesTheRules)
{
    TraceSilence quiet;
    for (int kind : {JACK, DARTH}) {
        for (const CpuMove& move : cpuMoves(kind)) {
            if (move.duringSwing)
                continue;
            int best = 0;
            for (int i = 0; i < REACH_STEPS; ++i)
                if (move.hits[i] > move.hits[best])
                    best = i;
            const float d = REACH_NEAREST + best * REACH_STEP;
            Match m;
            m.playerOneChoice = kind;
            m.playerTwoChoice = kind;
            TickEvents events;
            startBout(m, 1000, events);
            m.playerOne->z = -d / 2;
            m.playerTwo->z = d / 2;
            for (int t = 0; t < 150 && m.gameState == FIGHTING; ++t) {
                TickInput in;
                in.calendarSecond = 1000;
                if (t == 0)
                    writeControls(1, move.controls, in.keyState);
                step(m, in, events);
            }
            EXPECT_EQ(int((100.0f - m.playerTwo->health) / HIT_DAMAGE + 0.5f), move.hits[best])
                << "kind " << kind << " controls " << move.controls << " at " << d;
        }
    }
}

// A short tournament: the levels are in order, every bout ends, and nobody
// walks off the arena by itself.
TEST(Tournament, HardBeatsEasyAndEveryBoutEnds)
{
    const Tally t = playPairing(CPU_HARD, CPU_EASY, 20, 1);
    EXPECT_EQ(t.bouts, 20);
    EXPECT_GE(t.wins[0], 15);
    EXPECT_EQ(t.neverEnded, 0);
    EXPECT_EQ(t.selfRingOuts[0], 0);
    EXPECT_EQ(t.selfRingOuts[1], 0);
}

// The masher swings almost without pause and reaches as far as the
// computer does; the hard level still wins most bouts against it.
TEST(Tournament, HardBeatsTheMasherInMostBouts)
{
    const Tally t = playPairing(CPU_HARD, MASHER, 20, 1);
    EXPECT_GE(t.wins[0], 15);
    EXPECT_EQ(t.selfRingOuts[0], 0);
    EXPECT_EQ(t.neverEnded, 0);
}

}  // namespace
