// Bouts started and finished through the game's callbacks must not grow the
// heap: each new bout releases the fighters of the last one.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "audio/sound_bank.h"
#include "characters/core/character.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/input.h"
#include "shell/match.h"

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

long fakeNow = 9000;
long fakeCalendarSeconds() { return fakeNow; }
void fakeSleepUntilSecond(long second) { fakeNow = std::max(fakeNow, second); }

// Bytes the program holds from malloc and new; AddressSanitizer keeps its own count.
std::size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

// One bout from the start label to the title: some swings, then a knock-out.
void playBout(int number)
{
    titleShown = false;
    doorPhaseFlag = false;
    playerOneChoice = number % 2;
    playerTwoChoice = (number / 2) % 2;
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 400, 450);
    ASSERT_EQ(gameState, FIGHTING);
    for (int f = 0; f < 40; ++f) {
        keyState[4] = f < 20;
        keyState[12] = f >= 10;
        onDisplay();
    }
    std::fill(std::begin(keyState), std::end(keyState), 0);
    playerTwo->health = 0.0f;
    for (int f = 0; f < 10 && gameState != MENU; ++f)
        onDisplay();
    ASSERT_EQ(gameState, MENU);
}

// The heap a pair of fighters takes, GL lists and textures included.
long pairFootprint()
{
    const std::size_t before = heapInUse();
    Character* one = new Jack(0.0f, -8.0f, 1, nullptr);
    Character* two = new Darth(0.0f, 8.0f, 2, one);
    const std::size_t after = heapInUse();
    delete one;
    delete two;
    return long(after) - long(before);
}

TEST(Memory, HundredBoutsLeaveTheHeapWhereTheFirstLeftIt)
{
    calendarSeconds = fakeCalendarSeconds;
    sleepUntilSecond = fakeSleepUntilSecond;
    playerOne = nullptr;
    playerTwo = nullptr;
    Sound savedJackWin = jackWinSound, savedDarthWin = darthWinSound;
    jackWinSound = Sound{};
    darthWinSound = Sound{};
    gameState = MENU;

    // A hundred bouts of trace lines go nowhere.
    std::fflush(stdout);
    const int savedStdout = dup(STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    ASSERT_GE(devNull, 0);
    dup2(devNull, STDOUT_FILENO);

    // The first four bouts meet every pairing once, so GL has built all it
    // keeps for them; from then on the heap must stay level. The renderer
    // sometimes holds a buffer for a few bouts, so each stretch counts by its
    // lowest reading.
    std::vector<std::size_t> inUse;
    for (int bout = 0; bout < 100; ++bout) {
        playBout(bout);
        inUse.push_back(heapInUse());
    }
    const long pair = pairFootprint();

    std::fflush(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    close(devNull);

    const long early = long(*std::min_element(inUse.begin() + 4, inUse.begin() + 20));
    const long late = long(*std::min_element(inUse.end() - 16, inUse.end()));
    std::fprintf(stderr, "heap in use: %zu after the first bout, %ld early, %ld late; one pair %ld\n",
                 inUse.front(), early, late, pair);
    EXPECT_GT(pair, 0);
    // Keeping every finished bout's fighters would add about 80 pairs.
    EXPECT_LT(late - early, 10 * pair);

    jackWinSound = savedJackWin;
    darthWinSound = savedDarthWin;
    calendarSeconds = systemCalendarSeconds;
    sleepUntilSecond = systemSleepUntilSecond;
    titleShown = true;
    doorPhaseFlag = true;
}

}  // namespace
