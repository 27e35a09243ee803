// The menu and bout tests need the game's window and GL context; the others
// run in the same process without looking at it.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!GTEST_FLAG_GET(list_tests)) {
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
        glutInitWindowSize(800, 600);
        glutCreateWindow("players test");
        glEnable(GL_DEPTH_TEST);
    }
    int failed = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // Check for leaks now, while the GL driver is still loaded: after exit it
    // is unloaded and its own allocations could no longer be told from ours.
    __lsan_do_leak_check();
#endif
    return failed;
}
