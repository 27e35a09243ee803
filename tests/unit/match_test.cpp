#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "match/match.h"

namespace {

class MatchTest : public testing::Test {
protected:
    Match m;
    TickEvents events;
    long fakeNow = 0;
    int& gameState = m.gameState;
    int& playerOneChoice = m.playerOneChoice;
    int& playerTwoChoice = m.playerTwoChoice;
    int& selectedPlayer = m.selectedPlayer;
    bool& titleShown = m.titleShown;
    bool& doorPhaseFlag = m.doorPhaseFlag;
    float& doorOffset = m.doorOffset;
    bool& doorClosing = m.doorClosing;
    int& boutEndTime = m.boutEndTime;
    int& secondsLeft = m.secondsLeft;
    float& clockBrightness = m.clockBrightness;
    bool& clockBrightening = m.clockBrightening;

    // The mouse as the window hands it to the menu: releases only, on an 800 by 600 window.
    void onMouse(int, int state, int x, int y)
    {
        if (state == GLUT_UP)
            menuRelease(m, toMenuPoint(x, y, 800, 600), fakeNow, events);
    }
    void click(int x, int y, int button = GLUT_LEFT_BUTTON)
    {
        onMouse(button, GLUT_DOWN, x, y);
        onMouse(button, GLUT_UP, x, y);
    }
    void showSelectScreen()
    {
        titleShown = false;
        doorPhaseFlag = false;
    }
    void doorStep() { ::doorStep(m, events); }
    void clockStep() { ::clockStep(m, fakeNow); }
    void returnToTitle() { ::returnToTitle(m); }

    // Calls the door step until `done`, returning the number of calls.
    template <typename Done>
    int stepDoorsUntil(Done done, int limit = 1000)
    {
        for (int calls = 1; calls <= limit; ++calls) {
            doorStep();
            if (done())
                return calls;
        }
        return -1;
    }
};

// Middle of player 1's row, of player 2's row, of the start label, and of nothing.
constexpr int ROW_ONE_X = 375, ROW_ONE_Y = 290;
constexpr int ROW_TWO_X = 375, ROW_TWO_Y = 384;

// Declared first, so it sees the definitions before any test changes them.
TEST(MatchGlobals, StartInTheTitlePhase)
{
    const Match fresh;
    const auto& [gameState, playerOne, playerTwo, playerOneChoice, playerTwoChoice, selectedPlayer, titleShown,
        doorPhaseFlag, doorOffset, doorClosing, selectBrightness, selectBrightening, boutEndTime, secondsLeft,
        clockBrightness, clockBrightening] = std::tie(fresh.gameState, fresh.playerOne, fresh.playerTwo,
        fresh.playerOneChoice, fresh.playerTwoChoice, fresh.selectedPlayer, fresh.titleShown, fresh.doorPhaseFlag,
        fresh.doorOffset, fresh.doorClosing, fresh.selectBrightness, fresh.selectBrightening, fresh.boutEndTime,
        fresh.secondsLeft, fresh.clockBrightness, fresh.clockBrightening);
    EXPECT_EQ(gameState, MENU);
    EXPECT_EQ(playerOne, nullptr);
    EXPECT_EQ(playerTwo, nullptr);
    EXPECT_EQ(playerOneChoice, 0);
    EXPECT_EQ(playerTwoChoice, 1);
    EXPECT_EQ(selectedPlayer, 0);
    EXPECT_TRUE(titleShown);
    EXPECT_TRUE(doorPhaseFlag);
    EXPECT_FLOAT_EQ(doorOffset, 0.1f);
    EXPECT_TRUE(doorClosing);
    EXPECT_EQ(boutEndTime, 0);
    EXPECT_EQ(secondsLeft, 0);
    EXPECT_FLOAT_EQ(clockBrightness, 1.0f);
    EXPECT_FALSE(clockBrightening);
    EXPECT_FLOAT_EQ(selectBrightness, 1.0f);
    EXPECT_FALSE(selectBrightening);
}

TEST_F(MatchTest, AClickOnTheTitleOnlyStartsTheDoors)
{
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, ROW_ONE_X, ROW_ONE_Y);
    EXPECT_TRUE(doorPhaseFlag) << "a press alone does nothing";

    onMouse(GLUT_RIGHT_BUTTON, GLUT_UP, ROW_ONE_X, ROW_ONE_Y);
    EXPECT_FALSE(doorPhaseFlag);
    EXPECT_TRUE(titleShown);
    EXPECT_EQ(playerOneChoice, 0);
    EXPECT_EQ(selectedPlayer, 0);

    // While the doors shut over the title the rows still do nothing.
    click(ROW_TWO_X, ROW_TWO_Y);
    click(400, 450);
    EXPECT_EQ(playerTwoChoice, 1);
    EXPECT_EQ(selectedPlayer, 0);
    EXPECT_EQ(gameState, MENU);
}

TEST_F(MatchTest, ARowClickFlipsThatPlayerAndSelectsItsRow)
{
    showSelectScreen();
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, ROW_ONE_X, ROW_ONE_Y);
    EXPECT_EQ(playerOneChoice, 0) << "presses do nothing";

    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, ROW_ONE_X, ROW_ONE_Y);
    EXPECT_EQ(playerOneChoice, 1) << "the first click turns Jack into Darth";
    EXPECT_EQ(playerTwoChoice, 1);

    click(ROW_TWO_X, ROW_TWO_Y, GLUT_MIDDLE_BUTTON);
    EXPECT_EQ(selectedPlayer, 1);
    EXPECT_EQ(playerTwoChoice, 0);
    EXPECT_EQ(playerOneChoice, 1);

    click(ROW_TWO_X, ROW_TWO_Y);
    EXPECT_EQ(playerTwoChoice, 1) << "both may be Darth";

    click(ROW_ONE_X, ROW_ONE_Y);
    EXPECT_EQ(selectedPlayer, 0);
    EXPECT_EQ(playerOneChoice, 0);
    EXPECT_FALSE(titleShown);
    EXPECT_FALSE(doorPhaseFlag);
}

TEST_F(MatchTest, RowBoundsAreInclusive)
{
    showSelectScreen();
    struct Case {
        int x, y;
        int oneFlips, twoFlips;
    };
    const Case cases[] = {
        {240, 258, 1, 0},
        {510, 317, 1, 0},
        {239, 290, 0, 0},
        {511, 290, 0, 0},
        {375, 257, 0, 0},
        {375, 318, 0, 0},
        {249, 361, 0, 1},
        {501, 407, 0, 1},
        {248, 384, 0, 0},
        {502, 384, 0, 0},
        {375, 360, 0, 0},
        {375, 408, 0, 0},
        {319, 450, 0, 0},
        {476, 450, 0, 0},
        {400, 429, 0, 0},
        {400, 471, 0, 0},
    };
    for (const Case& c : cases) {
        const int one = playerOneChoice;
        const int two = playerTwoChoice;
        click(c.x, c.y);
        EXPECT_EQ(playerOneChoice != one, c.oneFlips == 1) << c.x << "," << c.y;
        EXPECT_EQ(playerTwoChoice != two, c.twoFlips == 1) << c.x << "," << c.y;
        EXPECT_EQ(gameState, MENU) << c.x << "," << c.y;
    }
}

TEST_F(MatchTest, NothingButAMenuListensToTheMouse)
{
    showSelectScreen();
    for (int state : {FIGHTING, KNOCKOUT, TIME_UP, RING_OUT}) {
        gameState = state;
        click(ROW_ONE_X, ROW_ONE_Y);
        EXPECT_EQ(playerOneChoice, 0);
        EXPECT_EQ(gameState, state);
    }
    gameState = FIGHTING;
    titleShown = true;
    doorPhaseFlag = true;
    click(10, 10);
    EXPECT_TRUE(doorPhaseFlag);
}

TEST(MenuPointTest, ClicksFollowTheScaledMenu)
{
    const MenuPoint same = toMenuPoint(240, 258, 800, 600);
    EXPECT_DOUBLE_EQ(same.x, 240);
    EXPECT_DOUBLE_EQ(same.y, 258);

    const MenuPoint doubled = toMenuPoint(1020, 634, 1600, 1200);
    EXPECT_DOUBLE_EQ(doubled.x, 510);
    EXPECT_DOUBLE_EQ(doubled.y, 317);

    // A wider window shows the same picture, as tall, centred.
    const MenuPoint wide = toMenuPoint(600 - 160, 258, 1200, 600);
    EXPECT_DOUBLE_EQ(wide.x, 240);
    EXPECT_DOUBLE_EQ(wide.y, 258);

    const MenuPoint tall = toMenuPoint(400, 300, 800, 1200);
    EXPECT_DOUBLE_EQ(tall.x, 400);
    EXPECT_DOUBLE_EQ(tall.y, 150);

    const MenuPoint minimised = toMenuPoint(10, 20, 800, 0);
    EXPECT_TRUE(std::isfinite(minimised.x) && std::isfinite(minimised.y));
}

TEST_F(MatchTest, DoorsShutOnTheSixtyEighthStepAndPartAgain)
{
    doorPhaseFlag = false;  // the title was clicked
    const int shut = stepDoorsUntil([&] { return !titleShown; });
    EXPECT_EQ(shut, 68);
    EXPECT_TRUE(doorPhaseFlag);
    EXPECT_FALSE(doorClosing);
    EXPECT_NEAR(doorOffset, 6.7, 0.15);

    const int apart = stepDoorsUntil([&] { return !doorPhaseFlag; });
    EXPECT_EQ(apart, 69);
    EXPECT_TRUE(doorClosing);
    EXPECT_NEAR(doorOffset, 0.0, 0.05);
    EXPECT_FALSE(titleShown);

    // Later cycles start from about 0 rather than 0.1: one step more to shut.
    titleShown = true;
    EXPECT_EQ(stepDoorsUntil([&] { return !titleShown; }), 69);
    EXPECT_EQ(stepDoorsUntil([&] { return !doorPhaseFlag; }), 69);
}

TEST_F(MatchTest, EachDoorStepMovesByATenth)
{
    doorPhaseFlag = false;
    float before = doorOffset;
    for (int i = 0; i < 300; ++i) {
        doorStep();
        EXPECT_NEAR(std::fabs(doorOffset - before), 0.1, 1e-5) << i;
        EXPECT_GT(doorOffset, -0.2f);
        EXPECT_LT(doorOffset, 6.9f);
        before = doorOffset;
    }
}

TEST_F(MatchTest, ClockCountsDownFromSixtyAndEndsTheBout)
{
    fakeNow = 1000;
    boutEndTime = 1060;
    gameState = FIGHTING;
    clockStep();
    EXPECT_EQ(secondsLeft, 60);

    // Above ten seconds the digits keep their brightness.
    clockBrightness = 0.5f;
    for (fakeNow = 1001; fakeNow <= 1049; ++fakeNow) {
        clockStep();
        clockStep();
        EXPECT_EQ(secondsLeft, 1060 - fakeNow);
        EXPECT_FLOAT_EQ(clockBrightness, 0.5f);
    }

    fakeNow = 1050;
    clockStep();
    EXPECT_EQ(secondsLeft, 10);
    EXPECT_FLOAT_EQ(clockBrightness, 0.48f);

    fakeNow = 1059;
    clockStep();
    EXPECT_EQ(secondsLeft, 1);
    EXPECT_EQ(gameState, FIGHTING);

    fakeNow = 1060;
    clockStep();
    EXPECT_EQ(gameState, TIME_UP);
    EXPECT_EQ(secondsLeft, 1) << "the clock shows 1 when time runs out";

    fakeNow = 1075;
    clockStep();
    EXPECT_EQ(gameState, TIME_UP);
    EXPECT_EQ(secondsLeft, 1);
}

TEST_F(MatchTest, AStalledClockStillEndsTheBout)
{
    fakeNow = 1000;
    boutEndTime = 1060;
    gameState = FIGHTING;
    clockStep();
    fakeNow = 1090;
    clockStep();
    EXPECT_EQ(gameState, TIME_UP);
    EXPECT_EQ(secondsLeft, 60);
}

TEST_F(MatchTest, ClockDigitsPulseInTheLastTenSeconds)
{
    fakeNow = 1055;
    boutEndTime = 1060;
    gameState = FIGHTING;
    float lowest = 1.0f;
    float highest = 0.0f;
    int turns = 0;
    bool wasBrightening = clockBrightening;
    for (int frame = 0; frame < 500; ++frame) {
        const float before = clockBrightness;
        clockStep();
        EXPECT_NEAR(std::fabs(clockBrightness - before), 0.02, 1e-5);
        lowest = std::min(lowest, clockBrightness);
        highest = std::max(highest, clockBrightness);
        turns += clockBrightening != wasBrightening;
        wasBrightening = clockBrightening;
    }
    EXPECT_NEAR(lowest, 0.2f, 0.021f);
    EXPECT_NEAR(highest, 1.0f, 0.021f);
    EXPECT_GE(turns, 10);

    // It goes on pulsing once the bout is over.
    for (int state : {KNOCKOUT, TIME_UP, RING_OUT}) {
        gameState = state;
        const float before = clockBrightness;
        clockStep();
        EXPECT_NE(clockBrightness, before);
    }
}

TEST_F(MatchTest, ReturningToTheTitleStartsTheDoorsAtOnce)
{
    gameState = KNOCKOUT;
    titleShown = false;
    doorPhaseFlag = true;
    playerOneChoice = 1;
    selectedPlayer = 1;
    returnToTitle();
    EXPECT_EQ(gameState, MENU);
    EXPECT_TRUE(titleShown);
    EXPECT_FALSE(doorPhaseFlag);
    EXPECT_EQ(playerOneChoice, 1);
    EXPECT_EQ(selectedPlayer, 1);
}

}  // namespace
