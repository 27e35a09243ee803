// Many bouts back to back on one Match, played by two seeded random players:
// nothing may turn NaN, every bout must end and bring back the title, and the
// heap must not creep.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>

#include "characters/core/trace.h"
#include "match/match.h"
#include "tests/support/heap.h"

#if !defined(__SANITIZE_ADDRESS__)
// Bytes held through operator new: the game's own objects (fighters, keyframe
// records, queue nodes).
static long newBytesInUse = 0;

// The replacements pair malloc with free themselves.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size)
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    newBytesInUse += static_cast<long>(malloc_usable_size(block));
    return block;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* block) noexcept
{
    if (!block)
        return;
    newBytesInUse -= static_cast<long>(malloc_usable_size(block));
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    operator delete(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    operator delete(block);
}
#endif

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int BOUTS = 60;  // the sanitized build is several times slower
#else
constexpr int BOUTS = 200;
#endif
constexpr int TICKS_PER_FAKE_SECOND = 3;  // a 60-second bout lasts 180 ticks
constexpr int TICK_LIMIT = 2000;
constexpr MenuPoint START = {400, 450};

long gameObjectBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return 0;
#else
    return newBytesInUse;
#endif
}

enum Temperament { AGGRESSOR, RUNNER, DABBLER, STANDER };

// The seven controls of one player, in key state order: left, up, right, down, H, V, block.
struct RandomPlayer {
    int first;  // 0 for player 1, 7 for player 2
    Temperament temperament;
    int towards() const { return first == 0 ? 2 : 0; }
    int away() const { return first == 0 ? 0 : 2; }

    void play(const Match& m, KeyState& keys, std::mt19937& rng)
    {
        const auto press = [&](int control, bool down) { keys[first + control] = down ? 1 : 0; };
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        float gap = std::hypot(m.playerOne->x - m.playerTwo->x, m.playerOne->z - m.playerTwo->z);
        switch (temperament) {
        case AGGRESSOR:
            // Walks in, then swings away at close range.
            press(towards(), gap > 5.0f && chance(rng) < 0.9);
            press(away(), false);
            press(4, gap < 8.0f && chance(rng) < 0.7);
            press(5, gap < 8.0f && chance(rng) < 0.2);
            press(1, chance(rng) < 0.03);
            press(6, chance(rng) < 0.03);
            break;
        case STANDER: press(6, chance(rng) < 0.02); break;
        case RUNNER:
            press(away(), chance(rng) < 0.95);
            press(towards(), false);
            press(3, chance(rng) < 0.1);
            press(6, false);
            break;
        case DABBLER:
            for (int control = 0; control < 7; ++control)
                if (chance(rng) < 0.1)
                    press(control, !keys[first + control]);
            break;
        }
    }
};

bool allFinite(const Character& fighter)
{
    bool finite = std::isfinite(fighter.x) && std::isfinite(fighter.z) && std::isfinite(fighter.facing) &&
        std::isfinite(fighter.health);
    for (int i = 0; i < Frame::FIELDS; ++i)
        finite = finite && std::isfinite(fighter.pose[i]);
    return finite;
}

struct SoakResult {
    std::string problem;
    int endings[5] = {};
    int pairings[2][2] = {};
    std::size_t heapAfterTenth = 0;
    std::size_t heapAfterLast = 0;
    long objectsAfterTenth = 0;
    long objectsAfterLast = 0;
};

SoakResult playBouts()
{
    TraceSilence quiet;
    SoakResult result;
    Match m;
    TickInput in;
    long tickCount = 0;
    const auto tick = [&] {
        in.calendarSecond = 50'000 + tickCount++ / TICKS_PER_FAKE_SECOND;
        TickEvents events;
        step(m, in, events);
        in.releases.clear();
    };
    std::mt19937 rng(20261208);
    for (int bout = 1; bout <= BOUTS; ++bout) {
        m.playerOneChoice = static_cast<int>(rng() % 2);
        m.playerTwoChoice = static_cast<int>(rng() % 2);
        RandomPlayer one{0, static_cast<Temperament>(rng() % 4)};
        RandomPlayer two{7, static_cast<Temperament>(rng() % 4)};
        in.keyState.fill(0);
        m.titleShown = false;
        m.doorPhaseFlag = false;
        in.releases = {START};
        tick();
        if (m.gameState != FIGHTING) {
            result.problem = "bout " + std::to_string(bout) + " did not start";
            return result;
        }
        result.pairings[m.playerOneChoice][m.playerTwoChoice]++;
        // A full-strength knock-out takes longer than the quickened clock
        // allows, so against an aggressor some bouts start with the other
        // fighter already worn down.
        if (one.temperament == AGGRESSOR && rng() % 2)
            m.playerTwo->health = static_cast<float>(5 + rng() % 25);
        if (two.temperament == AGGRESSOR && rng() % 2)
            m.playerOne->health = static_cast<float>(5 + rng() % 25);

        int frame = 0;
        int ending = FIGHTING;
        while (m.gameState != MENU) {
            if (frame == TICK_LIMIT) {
                result.problem = "bout " + std::to_string(bout) + " never ended";
                return result;
            }
            if (m.gameState == FIGHTING) {
                one.play(m, in.keyState, rng);
                two.play(m, in.keyState, rng);
            }
            tick();
            if (ending == FIGHTING && m.gameState != FIGHTING)
                ending = m.gameState;
            if (!allFinite(*m.playerOne) || !allFinite(*m.playerTwo)) {
                result.problem = "a value went NaN or infinite in bout " + std::to_string(bout) + " at frame " +
                    std::to_string(frame);
                return result;
            }
            ++frame;
        }
        result.endings[ending]++;
        if (!m.titleShown || m.doorPhaseFlag) {
            result.problem = "bout " + std::to_string(bout) + " did not bring back the title";
            return result;
        }
        if (bout == 10) {
            result.heapAfterTenth = heapInUse();
            result.objectsAfterTenth = gameObjectBytes();
        }
    }
    result.heapAfterLast = heapInUse();
    result.objectsAfterLast = gameObjectBytes();
    return result;
}

TEST(Soak, RandomBoutsBackToBackEndCleanly)
{
    // No sound plays, so the end-of-bout waits pass at once.
    SoakResult result = playBouts();
    ASSERT_EQ(result.problem, "");
    const int* endings = result.endings;
    std::fprintf(stderr,
        "knock-outs %d, time-ups %d, ring-outs %d; game objects after bout 10: %ld bytes, after %d: %ld; "
        "whole heap after bout 10: %zu, after %d: %zu\n",
        endings[KNOCKOUT], endings[TIME_UP], endings[RING_OUT], result.objectsAfterTenth, BOUTS,
        result.objectsAfterLast, result.heapAfterTenth, BOUTS, result.heapAfterLast);
    EXPECT_GT(endings[KNOCKOUT], 0);
    EXPECT_GT(endings[TIME_UP], 0);
    EXPECT_GT(endings[RING_OUT], 0);
    for (auto& row : result.pairings)
        for (int count : row)
            EXPECT_GT(count, 0);
#if !defined(__SANITIZE_ADDRESS__)
    // (Under the sanitizers LeakSanitizer checks the heap instead.)
    EXPECT_LT(std::labs(result.objectsAfterLast - result.objectsAfterTenth), 1L << 20);
#endif
}

}  // namespace
