#include "scene/overlay_text.h"

#include <GL/freeglut.h>

#include <algorithm>

namespace {

void drawAt(void* font, const unsigned char* chars, int x, int y)
{
    glRasterPos2i(x, y);
    glutBitmapString(font, chars);
}

}  // namespace

void drawOverlayText(const OverlayText& line, int windowWidth, int windowHeight)
{
    void* font = line.large ? GLUT_BITMAP_HELVETICA_18 : GLUT_BITMAP_HELVETICA_12;
    const auto* chars = reinterpret_cast<const unsigned char*>(line.text.c_str());
    const int length = glutBitmapLength(font, chars);
    int left = line.x;
    if (line.anchor == OverlayText::MIDDLE)
        left -= length / 2;
    if (line.anchor == OverlayText::RIGHT)
        left -= length;
    // A raster position outside the window would drop the whole line.
    const int x = std::clamp(left, 1, std::max(1, windowWidth - 2));
    const int y = std::clamp(windowHeight - line.y, 1, std::max(1, windowHeight - 2));

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_VIEWPORT_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glViewport(0, 0, windowWidth, windowHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, windowWidth, 0, windowHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    // The outline: the line in black one pixel off each way, then in colour.
    glColor3f(0.0f, 0.0f, 0.0f);
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (dx != 0 || dy != 0)
                drawAt(font, chars, x + dx, y + dy);
    glColor3f(line.red, line.green, line.blue);
    drawAt(font, chars, x, y);

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}
