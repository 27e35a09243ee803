// The rules run headless, from their inputs alone, and always the same way.
#include <gtest/gtest.h>

#include <vector>

#include "characters/core/trace.h"
#include "match/match.h"
#include "tests/support/random_bout.h"

// Recorded from the release build; the sanitizer build must agree.
constexpr std::uint64_t GOLDEN_HASH = 8308281542120926033ull;
constexpr int GOLDEN_TICKS = 3095;

namespace {

struct BoutRun {
    std::vector<std::uint64_t> hashes;
    std::string trace;
    int endState = -1;
};

BoutRun playRandomBout(std::uint32_t seed, int one, int two)
{
    BoutRun run;
    TraceCapture capture;
    Match match;
    RandomPlayers players(seed);
    startRandomBout(match, one, two, players.startSecond);
    for (int tick = 0; tick < 4000 && match.gameState != MENU; ++tick) {
        TickEvents events;
        step(match, players.next(), events);
        run.hashes.push_back(stateHash(match));
        if (match.gameState != FIGHTING && run.endState < 0)
            run.endState = match.gameState;
    }
    run.trace = capture.text();
    return run;
}

TEST(Simulation, TheSameInputsGiveTheSameGameTickByTick)
{
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        const BoutRun a = playRandomBout(seed, DARTH, JACK);
        const BoutRun b = playRandomBout(seed, DARTH, JACK);
        ASSERT_FALSE(a.hashes.empty());
        EXPECT_EQ(a.hashes, b.hashes) << "seed " << seed;
        EXPECT_EQ(a.trace, b.trace) << "seed " << seed;
        EXPECT_NE(a.endState, -1) << "seed " << seed << ": the bout never ended";
    }
    EXPECT_NE(playRandomBout(1, DARTH, JACK).hashes, playRandomBout(2, DARTH, JACK).hashes);
}

// The same bout hashes alike in every build (release, sanitizers): a change
// here means the rules computed something differently.
TEST(Simulation, ABoutEndsOnTheSameStateInEveryBuild)
{
    const BoutRun run = playRandomBout(7, JACK, DARTH);
    EXPECT_EQ(run.hashes.size(), 0u + GOLDEN_TICKS);
    EXPECT_EQ(run.hashes.back(), GOLDEN_HASH) << std::hex << run.hashes.back();
}

TEST(Simulation, ASwingHeldAsTheBoutStartsFacesTheOpponent)
{
    TraceSilence quiet;
    for (int choice : {JACK, DARTH}) {
        Match match;
        startRandomBout(match, choice, choice, 100);
        TickInput input;
        input.calendarSecond = 100;
        input.keyState[4] = 1;   // player 1's horizontal attack
        input.keyState[11] = 1;  // player 2's
        TickEvents events;
        step(match, input, events);
        ASSERT_TRUE(match.playerOne->isAttacking());
        // Player 1 at z -8 turns to +z; player 2 at z 8 turns back to it, mirrored.
        EXPECT_FLOAT_EQ(match.playerOne->facing, -90.0f);
        EXPECT_FLOAT_EQ(match.playerTwo->facing, 270.0f);
    }
}

TEST(Simulation, SoundsAreEventsInTheOrderTheyHappen)
{
    TraceSilence quiet;
    Match match;
    TickEvents events;
    match.titleShown = false;
    match.doorPhaseFlag = false;
    TickInput input;
    input.calendarSecond = 50;
    input.releases = {{375, 290}, {400, 450}};  // player 1's row, then START
    step(match, input, events);
    const std::vector<SoundEvent> expected = {
        {SoundAction::PLAY_ONCE, SoundId::CLICK}, {SoundAction::PLAY_LOOPING, SoundId::BACKGROUND}};
    EXPECT_EQ(events.sounds, expected);
    EXPECT_EQ(match.gameState, FIGHTING);
    EXPECT_EQ(match.playerOne->kind(), DARTH);
}

}  // namespace

namespace {

TEST(Simulation, ACopiedGamePlaysOnAloneAndAlike)
{
    TraceSilence quiet;
    Match match;
    RandomPlayers players(11);
    startRandomBout(match, DARTH, JACK, players.startSecond);
    for (int tick = 0; tick < 400; ++tick) {
        TickEvents events;
        step(match, players.next(), events);
    }
    Match saved = match;
    EXPECT_EQ(stateHash(saved), stateHash(match));
    EXPECT_EQ(saved.playerOne->opponent, saved.playerTwo.get());
    EXPECT_EQ(saved.playerTwo->opponent, saved.playerOne.get());

    RandomPlayers again = players;
    std::vector<std::uint64_t> original, restored;
    for (int tick = 0; tick < 300; ++tick) {
        TickEvents events;
        step(match, players.next(), events);
        original.push_back(stateHash(match));
    }
    const std::uint64_t afterOriginal = stateHash(match);
    for (int tick = 0; tick < 300; ++tick) {
        TickEvents events;
        step(saved, again.next(), events);
        restored.push_back(stateHash(saved));
    }
    EXPECT_EQ(original, restored);
    EXPECT_EQ(stateHash(match), afterOriginal) << "stepping the copy moved the original";
}

}  // namespace
