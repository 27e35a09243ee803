// Redraws the window system asks for show the game again at the next paced
// frame; only the paced idle frames advance it or draw it.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "characters/core/trace.h"
#include "shell/game.h"
#include "shell/shell.h"
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
    const std::uint64_t drawn = shell().framesDrawn;
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
    EXPECT_EQ(shell().framesDrawn, drawn) << "a window event drew a frame outside the pacing";

    for (int i = 0; i < 10; ++i)
        onIdle();
    EXPECT_EQ(match.tick, before + 10);
    EXPECT_EQ(shell().framesDrawn, drawn + 10);

    glutDisplayFunc([] {});
}

}  // namespace
