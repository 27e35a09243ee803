#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "characters/core/character.h"
#include "shell/clock.h"
#include "shell/game.h"
#include "shell/match.h"

namespace {

const MoveSet stillMoves{};
std::vector<std::string> calls;

// Records which end-of-bout operations the frame loop calls.
struct Recorder : Character {
    Recorder(int player) : Character(0, player == 1 ? -8.0f : 8.0f, player, nullptr, stillMoves) {}
    void draw() override {}
    void lose() override { calls.push_back("p" + std::to_string(player) + ".lose"); }
    void win() override { calls.push_back("p" + std::to_string(player) + ".win"); }
};

struct BoutEnd : testing::Test {
    Recorder one{1};
    Recorder two{2};
    void SetUp() override
    {
        calls.clear();
        playerOne = &one;
        playerTwo = &two;
        gameState = FIGHTING;
    }
    void TearDown() override
    {
        playerOne = nullptr;
        playerTwo = nullptr;
        gameState = MENU;
        titleShown = true;  // the phase a new process starts in
        doorPhaseFlag = true;
        calendarSeconds = systemCalendarSeconds;
        sleepUntilSecond = systemSleepUntilSecond;
    }
};

TEST_F(BoutEnd, BothDownInOneFrameIsAKnockOutWithoutAWinner)
{
    one.health = 0.0f;
    two.health = -1.4f;
    checkBoutEnd();
    EXPECT_EQ(calls, (std::vector<std::string>{"p1.lose"}));
    EXPECT_EQ(gameState, KNOCKOUT);
}

TEST_F(BoutEnd, KnockOutBeatsTimeUpAndRingOut)
{
    gameState = TIME_UP;
    two.health = 0.0f;
    checkBoutEnd();
    EXPECT_EQ(calls, (std::vector<std::string>{"p2.lose", "p1.win"}));
    EXPECT_EQ(gameState, KNOCKOUT);

    calls.clear();
    gameState = RING_OUT;
    two.health = 50.0f;
    one.health = -0.5f;
    checkBoutEnd();
    EXPECT_EQ(calls, (std::vector<std::string>{"p1.lose", "p2.win"}));
    EXPECT_EQ(gameState, KNOCKOUT);
}

TEST_F(BoutEnd, TimeUpComparesHealth)
{
    gameState = TIME_UP;
    checkBoutEnd();
    EXPECT_TRUE(calls.empty());  // a draw: nobody loses or wins
    EXPECT_EQ(gameState, TIME_UP);

    one.health = 40.0f;
    checkBoutEnd();
    EXPECT_EQ(calls, (std::vector<std::string>{"p1.lose", "p2.win"}));

    calls.clear();
    one.health = 100.0f;
    two.health = 99.9f;
    checkBoutEnd();
    EXPECT_EQ(calls, (std::vector<std::string>{"p2.lose", "p1.win"}));
    EXPECT_EQ(gameState, TIME_UP);
}

TEST_F(BoutEnd, RingOutAndAnOrdinaryFrameAreLeftAlone)
{
    checkBoutEnd();
    EXPECT_EQ(gameState, FIGHTING);
    gameState = RING_OUT;
    checkBoutEnd();
    EXPECT_EQ(gameState, RING_OUT);
    EXPECT_TRUE(calls.empty());
}

long fakeNow;
std::vector<long> sleptUntil;

TEST_F(BoutEnd, PauseSleepsUntilTheTargetSecondThenShowsTheTitle)
{
    fakeNow = 1000;
    sleptUntil.clear();
    calendarSeconds = [] { return fakeNow; };
    sleepUntilSecond = [](long second) {
        sleptUntil.push_back(second);
        fakeNow = second;
    };
    gameState = KNOCKOUT;
    titleShown = false;
    doorPhaseFlag = true;
    endBout(2);  // no win sound can play without a sound device
    EXPECT_EQ(sleptUntil, (std::vector<long>{1002}));
    EXPECT_EQ(gameState, MENU);
    EXPECT_TRUE(titleShown);
    EXPECT_FALSE(doorPhaseFlag);
}

}  // namespace
