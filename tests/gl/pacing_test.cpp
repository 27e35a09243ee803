// Redraws the window system asks for show the game again; only the paced idle
// frames advance it.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "characters/core/trace.h"
#include "shell/game.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

TEST(Pacing, ExposesAndResizesRedrawWithoutATick)
{
    TraceSilence quiet;
    LiveMatchScope live(100);
    Match& match = liveMatch();
    match.titleShown = false;
    match.doorPhaseFlag = false;
    TickEvents events;
    startBout(match, LiveMatchScope::calendar, events);
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);

    const std::uint64_t before = match.tick;
    const std::uint64_t hash = stateHash(match);
    for (int i = 0; i < 20; ++i) {
        glutPostRedisplay();
        glutMainLoopEvent();
        onDisplay();
    }
    ASSERT_TRUE(resizeWindow(640, 480));
    ASSERT_TRUE(resizeWindow(800, 600));
    glutMainLoopEvent();
    EXPECT_EQ(match.tick, before);
    EXPECT_EQ(stateHash(match), hash);

    for (int i = 0; i < 10; ++i)
        onIdle();
    EXPECT_EQ(match.tick, before + 10);

    glutDisplayFunc([] {});
}

}  // namespace
