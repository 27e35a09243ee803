// Many bouts back to back, played by two seeded random players through the
// game's own callbacks: nothing may turn NaN, every bout must end and bring
// back the title, and the heap must not creep.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <iterator>
#include <random>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "characters/core/character.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/input.h"
#include "shell/match.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#if !defined(__SANITIZE_ADDRESS__)
// Bytes held through operator new: the game's own objects (fighters, keyframe
// records, queue nodes). The GL driver allocates with malloc and caches
// shader variants as new drawing states turn up, which moves the whole heap
// by up to a megabyte without anything of ours growing.
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
constexpr int FRAMES_PER_FAKE_SECOND = 3;  // a 60-second bout lasts 180 frames
constexpr int FRAME_LIMIT = 2000;

long fakeNow = 50'000;
int frameCount = 0;
long fakeCalendarSeconds() { return fakeNow + frameCount / FRAMES_PER_FAKE_SECOND; }
void fakeSleepUntilSecond(long second) { fakeNow = second - frameCount / FRAMES_PER_FAKE_SECOND; }

// Everything malloc holds, the GL driver's own caches included.
std::size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

enum Temperament { AGGRESSOR, RUNNER, DABBLER, STANDER };

// The seven controls of one player, in keyState order: left, up, right, down, H, V, block.
struct RandomPlayer {
    int first;  // 0 for player 1, 7 for player 2
    Temperament temperament;
    int towards() const { return first == 0 ? 2 : 0; }
    int away() const { return first == 0 ? 0 : 2; }

    void press(int control, bool down) { keyState[first + control] = down ? 1 : 0; }

    void play(std::mt19937& rng)
    {
        std::uniform_real_distribution<double> chance(0.0, 1.0);
        float gap = std::hypot(playerOne->x - playerTwo->x, playerOne->z - playerTwo->z);
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
        case STANDER:
            press(6, chance(rng) < 0.02);
            break;
        case RUNNER:
            press(away(), chance(rng) < 0.95);
            press(towards(), false);
            press(3, chance(rng) < 0.1);
            press(6, false);
            break;
        case DABBLER:
            for (int control = 0; control < 7; ++control)
                if (chance(rng) < 0.1)
                    press(control, !keyState[first + control]);
            break;
        }
    }
};

long gameObjectBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return 0;
#else
    return newBytesInUse;
#endif
}

bool allFinite(const Character* fighter)
{
    bool finite = std::isfinite(fighter->x) && std::isfinite(fighter->z) && std::isfinite(fighter->facing) &&
                  std::isfinite(fighter->health);
    for (int i = 0; i < Frame::FIELDS; ++i)
        finite = finite && std::isfinite(fighter->pose[i]);
    return finite;
}

// Sends the game's trace to /dev/null while it lives; the test's own report stays.
struct SilencedTrace {
    int saved;
    SilencedTrace()
    {
        std::fflush(stdout);
        saved = dup(1);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        close(devNull);
    }
    ~SilencedTrace()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
};

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
    SilencedTrace silence;
    SoakResult result;
    std::mt19937 rng(20261208);
    for (int bout = 1; bout <= BOUTS; ++bout) {
        playerOneChoice = static_cast<int>(rng() % 2);
        playerTwoChoice = static_cast<int>(rng() % 2);
        RandomPlayer one{0, static_cast<Temperament>(rng() % 4)};
        RandomPlayer two{7, static_cast<Temperament>(rng() % 4)};
        std::fill(std::begin(keyState), std::end(keyState), 0);
        titleShown = false;
        doorPhaseFlag = false;
        onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 160, 180);  // the start label in the small window
        if (gameState != FIGHTING) {
            result.problem = "bout " + std::to_string(bout) + " did not start";
            return result;
        }
        result.pairings[playerOneChoice][playerTwoChoice]++;
        // A full-strength knock-out takes longer than the quickened clock
        // allows, so against an aggressor some bouts start with the other
        // fighter already worn down.
        if (one.temperament == AGGRESSOR && rng() % 2)
            playerTwo->health = static_cast<float>(5 + rng() % 25);
        if (two.temperament == AGGRESSOR && rng() % 2)
            playerOne->health = static_cast<float>(5 + rng() % 25);

        int frame = 0;
        int ending = FIGHTING;
        while (gameState != MENU) {
            if (frame == FRAME_LIMIT) {
                result.problem = "bout " + std::to_string(bout) + " never ended";
                return result;
            }
            if (gameState == FIGHTING) {
                one.play(rng);
                two.play(rng);
            }
            onDisplay();
            if (ending == FIGHTING && gameState != FIGHTING)
                ending = gameState;
            if (!allFinite(playerOne) || !allFinite(playerTwo)) {
                result.problem = "a value went NaN or infinite in bout " + std::to_string(bout) + " at frame " +
                                 std::to_string(frame);
                return result;
            }
            ++frame;
            ++frameCount;
        }
        result.endings[ending]++;
        if (!titleShown || doorPhaseFlag) {
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
    calendarSeconds = fakeCalendarSeconds;
    sleepUntilSecond = fakeSleepUntilSecond;
    // No sound device is opened, so the end-of-bout waits pass at once.
    // A small window: this is about rules and memory, not pixels.
    glutDisplayFunc([] {});
    glutReshapeWindow(320, 240);
    glutMainLoopEvent();
    onReshape(320, 240);

    SoakResult result = playBouts();
    ASSERT_EQ(result.problem, "");
    const int* endings = result.endings;
    std::size_t heapAfterTenth = result.heapAfterTenth;
    std::size_t heapAfterLast = result.heapAfterLast;
    std::fprintf(stderr,
                 "knock-outs %d, time-ups %d, ring-outs %d; game objects after bout 10: %ld bytes, after %d: %ld; "
                 "whole heap after bout 10: %zu, after %d: %zu\n",
                 endings[KNOCKOUT], endings[TIME_UP], endings[RING_OUT], result.objectsAfterTenth, BOUTS,
                 result.objectsAfterLast, heapAfterTenth, BOUTS, heapAfterLast);
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
