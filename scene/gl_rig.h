#pragma once

#include <GL/gl.h>

#include "scene/fighter_model.h"

// The matrix verbs of a body walk on GL's modelview matrix; a model adds its
// parts. Where hits are measured it can note GL's matrix.
class GlRig {
public:
    explicit GlRig(DrawnPoints* points) : points(points) {}

    void push() { glPushMatrix(); }
    void pop() { glPopMatrix(); }
    void translate(float x, float y, float z) { glTranslatef(x, y, z); }
    void rotate(float degrees, float x, float y, float z) { glRotatef(degrees, x, y, z); }
    void scale(float x, float y, float z) { glScalef(x, y, z); }
    void bodyPoint()
    {
        if (points)
            glGetFloatv(GL_MODELVIEW_MATRIX, points->body);
    }
    void weaponPoint(int slot, float x, float y, float z)
    {
        if (!points)
            return;
        glPushMatrix();
        glTranslatef(x, y, z);
        glGetFloatv(GL_MODELVIEW_MATRIX, points->weapon[slot]);
        glPopMatrix();
    }

private:
    DrawnPoints* points;
};

inline void setColour(float r, float g, float b)
{
    const float colour[4] = {r, g, b, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
}
