// The GL tests share one real window and context, under the X server the
// test command starts (Xvfb with Mesa's software renderer).
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "shell/shell.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // The game the tests' frames and callbacks play, as main's is.
    Shell shell;
    useShell(&shell);
    if (!GTEST_FLAG_GET(list_tests)) {
#if defined(__SANITIZE_ADDRESS__)
        // LeakSanitizer's check below stops every thread, and with llvmpipe's
        // workers about it can crash inside the sanitizer (GCC 12's runtime,
        // their dynamic TLS): the sanitized tests draw on one thread.
        setenv("LP_NUM_THREADS", "0", 0);
#endif
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
    __lsan_do_leak_check();
#endif
    return failed;
}
