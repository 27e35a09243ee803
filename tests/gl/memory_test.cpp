// Bouts started, drawn and finished through the game's callbacks must not
// grow the heap: each new bout releases the fighters and models of the last one.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "audio/sound_bank.h"
#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "scene/darth_model.h"
#include "scene/jack_model.h"
#include "scene/match_drawing.h"
#include "scene/textures.h"
#include "shell/game.h"
#include "shell/shell.h"
#include "tests/gl/scene_test_helpers.h"
#include "tests/support/heap.h"

namespace {

// One bout from the start label to the title: some swings, then a knock-out,
// then the pause the calendar runs out.
void playBout(int number)
{
    Match& m = liveMatch();
    m.titleShown = false;
    m.doorPhaseFlag = false;
    m.playerOneChoice = number % 2;
    m.playerTwoChoice = (number / 2) % 2;
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 160, 180);  // the start label in the small window
    advanceFrame();
    ASSERT_EQ(m.gameState, FIGHTING);
    for (int f = 0; f < 40; ++f) {
        shell().keys.keyState[4] = f < 20;
        shell().keys.keyState[12] = f >= 10;
        advanceFrame();
    }
    std::fill(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 0);
    m.playerTwo->health = 0.0f;
    for (int f = 0; f < 10 && m.gameState != MENU; ++f) {
        advanceFrame();
        ++LiveMatchScope::calendar;
    }
    ASSERT_EQ(m.gameState, MENU);
}

// The heap a pair of fighters takes with their models, GL lists and textures included.
long pairFootprint()
{
    const std::size_t before = heapInUse();
    auto* one = new Jack(0.0f, -8.0f, 1, nullptr);
    auto* two = new Darth(0.0f, 8.0f, 2, one);
    unsigned int textures[5] = {};
    const char* files[5] = {"graphics/jacksuit.bmp", "graphics/blade.bmp", "graphics/maulface.bmp",
        "graphics/maultop.bmp", "graphics/maulbot.bmp"};
    for (int i = 0; i < 5; ++i)
        loadTexture(files[i], &textures[i]);
    auto* jackModel = new JackModel(textures[0], textures[1]);
    auto* darthModel = new DarthModel(textures[2], textures[3], textures[4]);
    const std::size_t after = heapInUse();
    delete jackModel;
    delete darthModel;
    delete one;
    delete two;
    return long(after) - long(before);
}

// A small window: this is about memory, not pixels. The other tests get
// theirs back.
class Memory : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(resizeWindow(320, 240));
        onReshape(320, 240);
    }
    void TearDown() override
    {
        resizeWindow(800, 600);
        boutProjection();
    }
};

TEST_F(Memory, HundredBoutsLeaveTheHeapWhereTheFirstLeftIt)
{
    LiveMatchScope live(9000);

    // A hundred bouts of trace lines go nowhere.
    TraceSilence quiet;

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

    const long early = long(*std::min_element(inUse.begin() + 4, inUse.begin() + 20));
    const long late = long(*std::min_element(inUse.end() - 16, inUse.end()));
    std::fprintf(stderr, "heap in use: %zu after the first bout, %ld early, %ld late; one pair %ld\n", inUse.front(),
        early, late, pair);
    EXPECT_GT(pair, 0);
    // Keeping every finished bout's fighters would add about 80 pairs.
    EXPECT_LT(late - early, 10 * pair);

    releaseFighterModels();
}

}  // namespace
