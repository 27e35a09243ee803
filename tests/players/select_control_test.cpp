// Who plays each side is chosen beside the player rows, where it is drawn,
// in any window size.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "match/match.h"

namespace {

// A select-screen point of the menu view, in window pixels (y from the top),
// as the menu's perspective projects it.
MenuPoint drawnAt(float x, float y, int width, int height)
{
    const glm::mat4 view = glm::lookAt(glm::vec3(0, 10, 20), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), float(width) / height, 1.5f, 300.0f);
    const glm::vec3 p = glm::project(glm::vec3(x, y, 10.0f), view, projection, glm::vec4(0, 0, width, height));
    return {p.x, height - p.y};
}

Match selectScreen()
{
    Match m;
    m.titleShown = false;
    m.doorPhaseFlag = false;
    return m;
}

int clicks(const TickEvents& events)
{
    int n = 0;
    for (const SoundEvent& e : events.sounds)
        n += e.id == SoundId::CLICK;
    return n;
}

TEST(SelectControl, ReleasesOnTheLabelCycleWhoPlaysThatSideInAnyWindow)
{
    for (auto [width, height] : {std::pair{800, 600}, std::pair{1200, 600}, std::pair{1024, 768}}) {
        Match m = selectScreen();
        // The middle of each label as drawn (3.5 by 1.5 at x 3.0, y 4.5 and 2.0).
        const MenuPoint one = drawnAt(4.75f, 5.25f, width, height);
        const MenuPoint two = drawnAt(4.75f, 2.75f, width, height);
        const int expected[] = {CPU_EASY, CPU_NORMAL, CPU_HARD, HUMAN};
        for (int expect : expected) {
            TickEvents events;
            menuRelease(m, toMenuPoint(int(one.x), int(one.y), width, height), 0, events);
            EXPECT_EQ(m.playerOneControl, expect) << width << "x" << height;
            EXPECT_EQ(clicks(events), 1);
        }
        TickEvents events;
        menuRelease(m, toMenuPoint(int(two.x), int(two.y), width, height), 0, events);
        EXPECT_EQ(m.playerTwoControl, CPU_EASY);
        EXPECT_EQ(m.playerOneControl, HUMAN);
        // The rows and the selection are not touched.
        EXPECT_EQ(m.playerOneChoice, JACK);
        EXPECT_EQ(m.playerTwoChoice, DARTH);
        EXPECT_EQ(m.selectedPlayer, 0);
        EXPECT_EQ(m.gameState, MENU);
    }
}

TEST(SelectControl, TheRegionsLieInsideTheDrawnLabelsAndApartFromTheRows)
{
    for (auto [region, y] : {std::pair{PLAYER_ONE_CONTROL, 4.5f}, std::pair{PLAYER_TWO_CONTROL, 2.0f}}) {
        const MenuPoint bottomLeft = drawnAt(3.0f, y, 800, 600);
        const MenuPoint topRight = drawnAt(6.5f, y + 1.5f, 800, 600);
        const MenuPoint bottomRight = drawnAt(6.5f, y, 800, 600);
        EXPECT_GE(region.left, bottomLeft.x - 1);
        EXPECT_LE(region.right, bottomRight.x + 1);
        EXPECT_LE(region.right, topRight.x + 1);
        EXPECT_GE(region.top, topRight.y - 1);
        EXPECT_LE(region.bottom, bottomLeft.y + 1);
        for (Region row : {PLAYER_ONE_ROW, PLAYER_TWO_ROW, START_LABEL})
            EXPECT_TRUE(region.left > row.right || region.bottom < row.top || region.top > row.bottom);
    }
}

TEST(SelectControl, TheChoiceStaysForTheNextBoutAndTheTitleIgnoresIt)
{
    Match m;
    TickEvents events;
    const MenuPoint label = {621, 290};
    menuRelease(m, label, 0, events);
    EXPECT_EQ(m.playerOneControl, HUMAN) << "the title only starts the doors";
    m = selectScreen();
    menuRelease(m, label, 0, events);
    menuRelease(m, {397, 450}, 0, events);
    ASSERT_EQ(m.gameState, FIGHTING);
    returnToTitle(m);
    EXPECT_EQ(m.playerOneControl, CPU_EASY);
    Match copy = m;
    EXPECT_EQ(copy.playerOneControl, CPU_EASY);
    EXPECT_NE(stateHash(m), stateHash(Match{}));
}

}  // namespace
