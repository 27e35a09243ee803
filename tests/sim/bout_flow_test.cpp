// The menu's start, whole bouts and how they end, stepped tick by tick on a
// fresh Match with scripted keys and a calendar the tests move by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "match/match.h"
#include "tests/support/frames.h"

namespace {

constexpr MenuPoint START = {400, 450};

class BoutFlow : public testing::Test {
protected:
    void SetUp() override
    {
        // The select screen, Jack against Darth.
        m.titleShown = false;
        m.doorPhaseFlag = false;
    }

    void clickStart()
    {
        TickEvents events;
        menuRelease(m, START, now, events);
    }

    // Steps the match, with `hold` setting the keys before each tick, until
    // `done`; returns the number of ticks, or -1 if `limit` ran out first.
    int runUntil(const std::function<bool()>& done, const std::function<void(KeyState&)>& hold, int limit = 4000)
    {
        TraceSilence quiet;
        for (int f = 0; f < limit; ++f) {
            in.keyState.fill(0);
            hold(in.keyState);
            in.calendarSecond = now;
            TickEvents events;
            step(m, in, events);
            if (done())
                return f + 1;
        }
        return -1;
    }

    bool over() const { return m.gameState != FIGHTING; }
    bool atMenu() const { return m.gameState == MENU; }

    void expectTitlePhase()
    {
        EXPECT_EQ(m.gameState, MENU);
        EXPECT_TRUE(m.titleShown);
        EXPECT_FALSE(m.doorPhaseFlag);
    }

    // After a knock-out or the clock: the win sound is waited for, then the
    // last picture stays two seconds while the keys do nothing, then the title.
    void expectPauseThenTitle()
    {
        in.winSoundPlaying = true;
        ASSERT_EQ(runUntil([this] { return atMenu(); }, holdUp, 3), -1);
        EXPECT_EQ(m.pauseEnd, 0);
        in.winSoundPlaying = false;
        const float x = m.playerOne->getX(), z = m.playerOne->getZ();
        EXPECT_EQ(runUntil([this] { return atMenu(); }, holdUp, 30), -1);
        EXPECT_EQ(m.pauseEnd, now + 2) << "the end-of-bout pause";
        EXPECT_FLOAT_EQ(m.playerOne->getX(), x);
        EXPECT_FLOAT_EQ(m.playerOne->getZ(), z);
        now += 1;
        EXPECT_EQ(runUntil([this] { return atMenu(); }, holdUp, 5), -1);
        now += 1;
        EXPECT_EQ(runUntil([this] { return atMenu(); }, holdUp), 1);
        expectTitlePhase();
    }

    static void noKeys(KeyState&) {}
    static void holdUp(KeyState& keys) { keys[0] = 1; }
    // Jack (player 1) swings while Darth (player 2) walks into the knife.
    static void jackSwingsDarthWalksIn(KeyState& keys) { keys[4] = keys[7] = 1; }

    Match m;
    TickInput in;
    long now = 5000;
};

TEST_F(BoutFlow, StartLabelBeginsABoutWithTheChosenFighters)
{
    now = 7000;
    m.clockBrightness = 0.3f;
    TraceCapture capture;
    clickStart();
    const std::string trace = capture.text();

    ASSERT_EQ(m.gameState, FIGHTING);
    const auto jackLine = trace.find("initializing Jack as player 1\n");
    const auto darthLine = trace.find("initializing Darth as player 2\n");
    ASSERT_NE(jackLine, std::string::npos) << trace;
    ASSERT_NE(darthLine, std::string::npos) << trace;
    EXPECT_LT(jackLine, darthLine);

    ASSERT_NE(dynamic_cast<Jack*>(m.playerOne.get()), nullptr);
    ASSERT_NE(dynamic_cast<Darth*>(m.playerTwo.get()), nullptr);
    EXPECT_EQ(m.playerOne->player, 1);
    EXPECT_EQ(m.playerTwo->player, 2);
    EXPECT_FLOAT_EQ(m.playerOne->getX(), 0.0f);
    EXPECT_FLOAT_EQ(m.playerOne->getZ(), -8.0f);
    EXPECT_FLOAT_EQ(m.playerTwo->getX(), 0.0f);
    EXPECT_FLOAT_EQ(m.playerTwo->getZ(), 8.0f);
    EXPECT_EQ(m.playerOne->opponent, m.playerTwo.get());
    EXPECT_EQ(m.playerTwo->opponent, m.playerOne.get());
    EXPECT_EQ(m.boutEndTime, 7060);
    EXPECT_FLOAT_EQ(m.clockBrightness, 1.0f);

    // The next bout replaces both, the other way round this time.
    const Character* oldOne = m.playerOne.get();
    const Character* oldTwo = m.playerTwo.get();
    returnToTitle(m);
    m.titleShown = false;
    m.playerOneChoice = DARTH;
    m.playerTwoChoice = JACK;
    capture.clear();
    clickStart();
    const std::string second = capture.text();
    EXPECT_NE(second.find("initializing Darth as player 1\n"), std::string::npos) << second;
    EXPECT_NE(second.find("initializing Jack as player 2\n"), std::string::npos) << second;
    ASSERT_NE(dynamic_cast<Darth*>(m.playerOne.get()), nullptr);
    ASSERT_NE(dynamic_cast<Jack*>(m.playerTwo.get()), nullptr);
    EXPECT_NE(m.playerOne.get(), oldOne);
    EXPECT_NE(m.playerTwo.get(), oldTwo);
    EXPECT_EQ(m.playerOne->opponent, m.playerTwo.get());
    EXPECT_EQ(m.playerTwo->opponent, m.playerOne.get());

    // The first ticks of the new pair run on live fighters only.
    EXPECT_EQ(runUntil([] { return false; }, noKeys, 30), -1);
    EXPECT_EQ(m.gameState, FIGHTING);
}

TEST_F(BoutFlow, StartWhileTheDoorsPartBeginsAtOnce)
{
    m.doorPhaseFlag = true;
    m.doorClosing = false;
    m.doorOffset = 3.0f;
    clickStart();
    ASSERT_EQ(m.gameState, FIGHTING);

    // After the bout the doors finish parting over the title, then shut over it.
    returnToTitle(m);
    TickEvents events;
    int steps = 0;
    while (!m.doorClosing && steps < 100) {
        doorStep(m, events);
        ++steps;
        EXPECT_TRUE(m.titleShown);
    }
    EXPECT_GE(steps, 30);
    EXPECT_LE(steps, 32);
    EXPECT_FALSE(m.doorPhaseFlag);
    while (m.titleShown && steps < 300) {
        doorStep(m, events);
        ++steps;
    }
    EXPECT_FALSE(m.titleShown);
    EXPECT_TRUE(m.doorPhaseFlag);
}

TEST_F(BoutFlow, EveryDoorTickMovesTheHalvesByATenth)
{
    m.titleShown = true;
    m.doorClosing = true;
    m.doorOffset = 3.0f;
    TickEvents events;
    menuTick(m, events);
    EXPECT_NEAR(m.doorOffset, 3.1f, 1e-5);
    // The tick's picture: the title, then the doors where they now are.
    ASSERT_EQ(m.menuLayerCount, 2);
    EXPECT_EQ(m.menuLayers[0].kind, MenuLayer::TITLE);
    EXPECT_EQ(m.menuLayers[1].kind, MenuLayer::DOORS);
    EXPECT_NEAR(m.menuLayers[1].doorOffset, 3.1f, 1e-5);
    menuTick(m, events);
    EXPECT_NEAR(m.doorOffset, 3.2f, 1e-5);

    m.doorClosing = false;
    menuTick(m, events);
    EXPECT_NEAR(m.doorOffset, 3.1f, 1e-5);
}

TEST_F(BoutFlow, KnockOutByRepeatedHits)
{
    clickStart();
    ASSERT_GT(runUntil([this] { return over(); }, jackSwingsDarthWalksIn), 0);
    ASSERT_EQ(m.gameState, KNOCKOUT);
    EXPECT_LE(m.playerTwo->health, 0.0f);
    EXPECT_FLOAT_EQ(m.playerOne->health, 100.0f);
    EXPECT_TRUE(samePose(lastTarget(*m.playerOne), jackMoves.win.back().target));
    EXPECT_TRUE(samePose(lastTarget(*m.playerTwo), darthMoves.lose.back().target));
    expectPauseThenTitle();
}

TEST_F(BoutFlow, ClockCountsDownAndStopsTheBoutAtTheEnd)
{
    now = 1000;
    clickStart();
    m.boutEndTime = 1042;
    ASSERT_EQ(runUntil([this] { return over(); }, noKeys, 1), -1);
    EXPECT_EQ(m.secondsLeft, 42);

    m.boutEndTime = 1000;
    ASSERT_EQ(runUntil([this] { return over(); }, noKeys, 1), 1);
    EXPECT_EQ(m.gameState, TIME_UP);
    EXPECT_EQ(m.secondsLeft, 42) << "the digits keep their last value once the bout is over";
}

TEST_F(BoutFlow, TimeUpWithEqualHealthHasNoWinner)
{
    clickStart();
    ASSERT_EQ(runUntil([] { return false; }, noKeys, 20), -1);
    now = m.boutEndTime - 1;
    ASSERT_EQ(runUntil([] { return false; }, noKeys, 3), -1);
    EXPECT_EQ(m.secondsLeft, 1);
    now = m.boutEndTime;
    ASSERT_EQ(runUntil([this] { return over(); }, noKeys), 1);
    EXPECT_EQ(m.gameState, TIME_UP);
    EXPECT_EQ(m.secondsLeft, 1);
    EXPECT_FLOAT_EQ(m.playerOne->health, m.playerTwo->health);
    EXPECT_FALSE(samePose(lastTarget(*m.playerOne), jackMoves.win.back().target));
    EXPECT_FALSE(samePose(lastTarget(*m.playerOne), jackMoves.lose.back().target));
    EXPECT_FALSE(samePose(lastTarget(*m.playerTwo), darthMoves.win.back().target));
    EXPECT_FALSE(samePose(lastTarget(*m.playerTwo), darthMoves.lose.back().target));
    expectPauseThenTitle();
}

TEST_F(BoutFlow, TimeUpGoesToTheHealthier)
{
    clickStart();
    ASSERT_GT(runUntil([this] { return m.playerTwo->health < 100.0f; }, jackSwingsDarthWalksIn), 0);
    ASSERT_GT(m.playerTwo->health, 0.0f);
    now = m.boutEndTime;
    ASSERT_EQ(runUntil([this] { return over(); }, noKeys), 1);
    EXPECT_EQ(m.gameState, TIME_UP);
    EXPECT_TRUE(samePose(lastTarget(*m.playerOne), jackMoves.win.back().target));
    EXPECT_TRUE(samePose(lastTarget(*m.playerTwo), darthMoves.lose.back().target));
    expectPauseThenTitle();
}

TEST_F(BoutFlow, RingOutByWalkingOffTheEdge)
{
    m.playerOneChoice = DARTH;
    m.playerTwoChoice = JACK;
    clickStart();
    // Darth backs away from Jack until he drops off the arena.
    const int frames = runUntil([this] { return over(); }, holdUp);
    ASSERT_GT(frames, 150);
    ASSERT_EQ(m.gameState, RING_OUT);
    EXPECT_LT(m.playerOne->getZ(), -40.0f);
    EXPECT_FALSE(m.playerOne->inArena());
    EXPECT_TRUE(samePose(lastTarget(*m.playerOne), darthMoves.ringOut.back().target));

    // The ring-out sound is waited for; then the title, with no pause.
    in.ringoutSoundPlaying = true;
    EXPECT_EQ(runUntil([this] { return atMenu(); }, noKeys, 3), -1);
    in.ringoutSoundPlaying = false;
    EXPECT_EQ(runUntil([this] { return atMenu(); }, noKeys), 1);
    expectTitlePhase();
}

// How the demo chooses: in the tick's input, before its clicks, silently,
// and only on the menu.
TEST_F(BoutFlow, SidesChosenInTheInputComeBeforeItsClicksAndOnlyOnTheMenu)
{
    in.sides = SideChoices{{DARTH, DARTH}, {CPU_HARD, CPU_EASY}};
    in.releases = {START};
    TickEvents events;
    step(m, in, events);
    ASSERT_EQ(m.gameState, FIGHTING);
    EXPECT_EQ(m.playerOne->kind(), DARTH);
    EXPECT_EQ(m.playerTwo->kind(), DARTH);
    EXPECT_EQ(m.playerOneControl, CPU_HARD);
    EXPECT_EQ(m.playerTwoControl, CPU_EASY);
    EXPECT_EQ(
        std::count(events.sounds.begin(), events.sounds.end(), SoundEvent{SoundAction::PLAY_ONCE, SoundId::CLICK}), 0);

    in.sides = SideChoices{};
    in.releases.clear();
    step(m, in, events);
    EXPECT_EQ(m.playerOneChoice, DARTH);
    EXPECT_EQ(m.playerOneControl, CPU_HARD);
}

}  // namespace
