// The computer in situations that decide fights, played through the rules
// from its own delayed view, and a short tournament against a simple habit.
#include <gtest/gtest.h>

#include <cmath>

#include "characters/core/trace.h"
#include "players/scripted_players.h"
#include "players/tournament.h"

namespace {

enum Expect {
    UNHURT,          // takes no hit: it blocked or stepped clear in time
    PUNISHES,        // lands hits on the swinger and takes none
    KEEPS_ITS_FEET,  // still on the arena at the end
};

// The computer plays player 1 at (0, cpuZ); player 2 stands at (0, cpuZ + apart)
// and presses `keys` on ticks 0 and 1 (a spin: vertical first, the spin on 5 and 6),
// or, with keys 0, walks in and swings throughout.
struct Situation {
    const char* name;
    int level;
    int cpuKind;
    int opponentKind;
    float cpuZ;
    float apart;
    unsigned keys;
    bool spin;
    Expect expect;
};

// Swings that land late enough to be seen: the hard level sees 8 ticks
// late, the normal one 14.
constexpr Situation situations[] = {
    {"blocks Jack's vertical swing seen coming", CPU_HARD, DARTH, JACK, -5.5f, 11.0f, CONTROL_V, false, UNHURT},
    {"blocks Jack's far vertical swing", CPU_HARD, JACK, JACK, -6.25f, 12.5f, CONTROL_V, false, UNHURT},
    {"blocks Darth's sweep seen coming", CPU_HARD, JACK, DARTH, -5.0f, 10.0f, CONTROL_LEFT | CONTROL_H, false, UNHURT},
    {"blocks Darth's low swing seen coming", CPU_HARD, DARTH, DARTH, -5.5f, 11.0f, CONTROL_DOWN | CONTROL_V, false,
        UNHURT},
    {"normal blocks Jack's vertical swing", CPU_NORMAL, JACK, JACK, -5.5f, 11.0f, CONTROL_V, false, UNHURT},
    {"punishes Darth's somersault from too far", CPU_HARD, JACK, DARTH, -7.5f, 15.0f, CONTROL_UP | CONTROL_V, false,
        PUNISHES},
    {"punishes Jack's swing from too far", CPU_HARD, DARTH, JACK, -7.5f, 15.0f, CONTROL_V, false, PUNISHES},
    {"normal punishes Darth's low swing that missed", CPU_NORMAL, JACK, DARTH, -7.5f, 15.0f, CONTROL_DOWN | CONTROL_V,
        false, PUNISHES},
    {"back to the edge, Jack walks in swinging", CPU_HARD, DARTH, JACK, -39.6f, 22.0f, 0, false, KEEPS_ITS_FEET},
    {"back to the edge, Darth walks in swinging", CPU_HARD, JACK, DARTH, -39.6f, 22.0f, 0, false, KEEPS_ITS_FEET},
    {"back to the edge, easy", CPU_EASY, JACK, DARTH, -39.6f, 22.0f, 0, false, KEEPS_ITS_FEET},
};

struct Outcome {
    float taken = 0.0f;
    float given = 0.0f;
    bool inArena = true;
};

Outcome play(const Situation& s, std::uint32_t seed)
{
    TraceSilence quiet;
    Match m;
    m.playerOneChoice = s.cpuKind;
    m.playerTwoChoice = s.opponentKind;
    TickEvents events;
    startBout(m, 1000, events);
    m.playerOne->z = s.cpuZ;
    m.playerTwo->z = s.cpuZ + s.apart;
    m.playerOne->updateFacing();
    m.playerTwo->updateFacing();
    CpuPlayer cpu(1, s.level, seed);
    WalkInPlayer walkIn(2, seed);
    for (int t = 0; t < 150 && m.gameState == FIGHTING; ++t) {
        TickInput input;
        input.calendarSecond = 1000;
        const MatchView view = viewOf(m);
        cpu.play(view, input.keyState);
        if (s.keys == 0)
            walkIn.play(view, input.keyState);
        else if (s.spin && t < 2)
            writeControls(2, CONTROL_V, input.keyState);
        else if (t < 2 || (s.spin && t >= 5 && t < 7))
            writeControls(2, s.keys, input.keyState);
        step(m, input, events);
        events.sounds.clear();
    }
    return {100.0f - m.playerOne->health, 100.0f - m.playerTwo->health, m.playerOne->inArena()};
}

TEST(CpuLookahead, SituationsThatDecideFights)
{
    for (const Situation& s : situations) {
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            const Outcome o = play(s, seed);
            switch (s.expect) {
            case UNHURT: EXPECT_EQ(o.taken, 0.0f) << s.name << ", seed " << seed; break;
            case PUNISHES:
                EXPECT_EQ(o.taken, 0.0f) << s.name << ", seed " << seed;
                EXPECT_GT(o.given, 0.0f) << s.name << ", seed " << seed;
                break;
            case KEEPS_ITS_FEET: EXPECT_TRUE(o.inArena) << s.name << ", seed " << seed; break;
            }
        }
    }
}

// Two computers of one seed shown one match press the same keys, tick by
// tick: replays and network rollback depend on it.
TEST(CpuLookahead, DecidesTheSameForTheSameSeed)
{
    TraceSilence quiet;
    for (int level : {int(CPU_EASY), int(CPU_NORMAL), int(CPU_HARD)}) {
        Match m;
        TickEvents events;
        startBout(m, 1000, events);
        CpuPlayer a(2, level, 9);
        CpuPlayer b(2, level, 9);
        for (int t = 0; t < 400 && m.gameState == FIGHTING; ++t) {
            TickInput input;
            input.calendarSecond = 1000 + t / TICK_RATE;
            KeyState other{};
            const MatchView view = viewOf(m);
            a.play(view, input.keyState);
            b.play(view, other);
            ASSERT_EQ(input.keyState, other) << "level " << level << ", tick " << t;
            writeControls(1, (t / 50) % 2 ? CONTROL_RIGHT : CONTROL_H, input.keyState);
            step(m, input, events);
            events.sounds.clear();
        }
    }
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
