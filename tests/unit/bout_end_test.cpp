#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "characters/core/character.h"
#include "match/match.h"

namespace {

const MoveSet stillMoves{};
std::vector<std::string> calls;

// Records which end-of-bout operations the tick calls.
struct Recorder : Character {
    Recorder(int player) : Character(0, player == 1 ? -8.0f : 8.0f, player, nullptr, stillMoves) {}
    void posePass(const glm::mat4&) override { ++posePasses; }
    FighterKind kind() const override { return JACK; }
    int posePasses = 0;
    void lose() override { calls.push_back("p" + std::to_string(player) + ".lose"); }
    void win() override { calls.push_back("p" + std::to_string(player) + ".win"); }
};

struct BoutEnd : testing::Test {
    Match match;
    Recorder& one;
    Recorder& two;
    int& gameState;
    BoutEnd() : one(*new Recorder(1)), two(*new Recorder(2)), gameState(match.gameState)
    {
        match.playerOne.reset(&one);
        match.playerTwo.reset(&two);
        one.setOpponent(&two);
        two.setOpponent(&one);
        calls.clear();
        gameState = FIGHTING;
    }
    void checkBoutEnd() { ::checkBoutEnd(match); }
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

TEST_F(BoutEnd, PauseHoldsTheLastPictureUntilTheTargetSecondThenShowsTheTitle)
{
    gameState = KNOCKOUT;
    match.titleShown = false;
    match.doorPhaseFlag = true;
    TickInput input;
    input.calendarSecond = 1000;
    TickEvents events;
    step(match, input, events);  // no win sound playing: the pause begins
    EXPECT_EQ(match.pauseEnd, 1002);
    // Nothing moves: the fighters are not posed while the pause holds.
    const int passes = one.posePasses + two.posePasses;
    for (long now : {1000, 1001}) {
        input.calendarSecond = now;
        step(match, input, events);
        EXPECT_EQ(gameState, KNOCKOUT);
    }
    EXPECT_EQ(one.posePasses + two.posePasses, passes);
    input.calendarSecond = 1002;
    step(match, input, events);
    EXPECT_EQ(gameState, MENU);
    EXPECT_TRUE(match.titleShown);
    EXPECT_FALSE(match.doorPhaseFlag);
}

TEST_F(BoutEnd, PauseWaitsForTheWinSound)
{
    gameState = KNOCKOUT;
    TickInput input;
    input.calendarSecond = 1000;
    input.winSoundPlaying = true;
    TickEvents events;
    for (int i = 0; i < 3; ++i)
        step(match, input, events);
    EXPECT_EQ(match.pauseEnd, 0);
    input.winSoundPlaying = false;
    input.calendarSecond = 1005;
    step(match, input, events);
    EXPECT_EQ(match.pauseEnd, 1007);
}

}  // namespace
