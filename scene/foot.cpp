#include "scene/foot.h"

#include <GL/gl.h>

void drawFoot()
{
    glBegin(GL_QUADS);
    // sole
    glVertex3f(0.6f, 0.0f, 0.0f);
    glVertex3f(-0.6f, 0.0f, 0.0f);
    glVertex3f(-0.3f, 0.0f, 1.5f);
    glVertex3f(0.3f, 0.0f, 1.5f);
    // heel
    glVertex3f(0.6f, 0.0f, 0.0f);
    glVertex3f(-0.6f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    // sides
    glVertex3f(0.6f, 0.0f, 0.0f);
    glVertex3f(0.3f, 0.0f, 1.5f);
    glVertex3f(0.0f, 0.5f, 1.5f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    glVertex3f(-0.6f, 0.0f, 0.0f);
    glVertex3f(-0.3f, 0.0f, 1.5f);
    glVertex3f(0.0f, 0.5f, 1.5f);
    glVertex3f(0.0f, 1.0f, 0.0f);
    // toe
    glVertex3f(-0.3f, 0.0f, 1.5f);
    glVertex3f(0.3f, 0.0f, 1.5f);
    glVertex3f(0.0f, 0.5f, 1.5f);
    glVertex3f(0.0f, 0.5f, 1.5f);
    glEnd();
}
