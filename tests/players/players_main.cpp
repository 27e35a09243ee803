// The menu and bout tests need the game's window and GL context; the others
// run in the same process without looking at it.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

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
    return RUN_ALL_TESTS();
}
