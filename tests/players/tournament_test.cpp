// The tournament: its scripted habits, its threads, and a short tournament
// of the hard level against the walk-in player.
#include <gtest/gtest.h>

#include "characters/core/trace.h"
#include "players/tournament.h"

namespace {

// Each habit, as player 2 against a player 1 who stands 10 apart and swings
// now and then: the share of ticks it blocks, swings, circles and walks in.
TEST(Tournament, EachHabitPlaysAsItsNameSays)
{
    TraceSilence quiet;
    struct Row {
        int habit;
        double blocksAtLeast, blocksAtMost;
        bool swings, circles, walksIn;
    };
    const Row rows[] = {
        {WALK_IN, 0.0, 0.0, true, false, true},
        {BLOCKER, 0.8, 0.99, true, false, false},
        {TURTLE, 1.0, 1.0, false, false, false},
        {CIRCLER, 0.0, 0.0, true, true, false},
    };
    for (const Row& r : rows) {
        Match m;
        TickEvents events;
        startBout(m, 1000, events);
        m.playerOne->z = -5.0f;
        m.playerTwo->z = 5.0f;
        auto habit = makePlayer(r.habit, 2, 3);
        const PlayerKeys k = playerKeys(2);
        int ticks = 0, blocks = 0, swings = 0, circles = 0, walks = 0;
        for (int t = 0; t < 600 && m.gameState == FIGHTING; ++t) {
            TickInput input;
            input.calendarSecond = 1000 + t / TICK_RATE;
            habit->play(viewOf(m), input.keyState);
            ++ticks;
            blocks += input.keyState[k.block];
            const int swinging = input.keyState[k.attackH] | input.keyState[k.attackV];
            swings += swinging;
            circles += (input.keyState[k.up] | input.keyState[k.down]) & (1 - swinging);
            walks += input.keyState[k.left] & (1 - swinging);
            writeControls(1, t % 90 < 2 ? CONTROL_H : 0u, input.keyState);
            m.playerOne->z = std::max(m.playerOne->z, -30.0f);
            step(m, input, events);
            events.sounds.clear();
        }
        const double blocked = double(blocks) / ticks;
        EXPECT_GE(blocked, r.blocksAtLeast) << contenderName(r.habit);
        EXPECT_LE(blocked, r.blocksAtMost) << contenderName(r.habit);
        EXPECT_EQ(swings > 0, r.swings) << contenderName(r.habit);
        EXPECT_EQ(circles > 0, r.circles) << contenderName(r.habit);
        EXPECT_EQ(walks > 0, r.walksIn) << contenderName(r.habit);
    }
}

// Bouts shared out between threads tally as they do on one.
TEST(Tournament, ThreadsChangeNothingButTheTime)
{
    const Tally one = playPairing(WALK_IN, CIRCLER, 8, 5, 1);
    const Tally two = playPairing(WALK_IN, CIRCLER, 8, 5, 3);
    EXPECT_EQ(one.wins[0], two.wins[0]);
    EXPECT_EQ(one.wins[1], two.wins[1]);
    EXPECT_EQ(one.draws, two.draws);
    for (int side = 0; side < 2; ++side)
        for (int how = 0; how < 3; ++how)
            EXPECT_EQ(one.winsBy[side][how], two.winsBy[side][how]);
    EXPECT_EQ(one.rowsUsed[0][JACK], two.rowsUsed[0][JACK]);
    EXPECT_EQ(one.rowsUsed[1][DARTH], two.rowsUsed[1][DARTH]);
}

// The walk-in player beats nobody at the hard level, and bouts end by a
// knock-out or a ring-out rather than on time.
TEST(Tournament, HardBeatsTheWalkInPlayerAndFinishesItsBouts)
{
    const Tally t = playPairing(CPU_HARD, WALK_IN, 8, 1, 2);
    EXPECT_GE(t.wins[0], 7);
    EXPECT_GE(t.winsBy[0][KNOCKED_OUT] + t.winsBy[0][RANG_OUT], t.wins[0] / 2);
    EXPECT_EQ(t.selfRingOuts[0], 0);
    EXPECT_EQ(t.neverEnded, 0);
}

}  // namespace
