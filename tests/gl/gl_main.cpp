// The GL tests share one real window and context, under the X server the
// test command starts (Xvfb with Mesa's software renderer).
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>

#include <chrono>
#include <thread>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (!GTEST_FLAG_GET(list_tests)) {
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
        glutInitWindowPosition(100, 100);
        glutInitWindowSize(800, 600);
        glutCreateWindow("Zandrel");
        glEnable(GL_DEPTH_TEST);
    }
    int failed = RUN_ALL_TESTS();
#if defined(__SANITIZE_ADDRESS__)
    // Check for leaks now, while the GL driver is still loaded: after exit it
    // is unloaded and its own allocations could no longer be told from ours.
    // Threads the last test stopped (the pads' among them) finish first: the
    // check stops every thread, and one caught on its way out can crash it.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    __lsan_do_leak_check();
#endif
    return failed;
}
