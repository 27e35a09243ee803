#include "scene/arena.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "scene/textures.h"

namespace {

constexpr float ARENA_HALF_WIDTH = 40.0f;
constexpr float ARENA_CORNER_CUT = 15.3f;
constexpr float SLAB_DEPTH = 2.0f;
constexpr float ROCK_APEX_Y = -95.0f;
constexpr float MARBLE_REPEATS = 6.0f;
constexpr float SKY_RADIUS = 120.0f;

const ArenaCorner CORNERS[8] = {
    {ARENA_HALF_WIDTH, -ARENA_CORNER_CUT},
    {ARENA_HALF_WIDTH, ARENA_CORNER_CUT},
    {ARENA_CORNER_CUT, ARENA_HALF_WIDTH},
    {-ARENA_CORNER_CUT, ARENA_HALF_WIDTH},
    {-ARENA_HALF_WIDTH, ARENA_CORNER_CUT},
    {-ARENA_HALF_WIDTH, -ARENA_CORNER_CUT},
    {-ARENA_CORNER_CUT, -ARENA_HALF_WIDTH},
    {ARENA_CORNER_CUT, -ARENA_HALF_WIDTH},
};

void setWhiteMaterial()
{
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, white);
}

// The outward unit normal of the face through a, b and c (counter-clockwise
// or not): the one pointing away from the arena's vertical axis.
void faceNormal(const float a[3], const float b[3], const float c[3])
{
    float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    float outX = (a[0] + b[0] + c[0]) / 3.0f;
    float outZ = (a[2] + b[2] + c[2]) / 3.0f;
    if (n[0] * outX + n[2] * outZ < 0.0f) {
        n[0] = -n[0];
        n[1] = -n[1];
        n[2] = -n[2];
    }
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length > 0.0f)
        glNormal3f(n[0] / length, n[1] / length, n[2] / length);
}

void drawTop()
{
    glNormal3f(0.0f, 1.0f, 0.0f);
    glBegin(GL_POLYGON);
    for (int k = 0; k < 8; k++) {
        TexCoord tc = arenaTopTexCoord(CORNERS[k].x, CORNERS[k].z);
        glTexCoord2f(tc.s, tc.t);
        glVertex3f(CORNERS[k].x, 0.0f, CORNERS[k].z);
    }
    glEnd();
}

void drawWalls()
{
    glBegin(GL_QUADS);
    for (int k = 1; k <= 8; k++) {
        ArenaCorner here = arenaCorner(k);
        ArenaCorner before = arenaCorner(k - 1);
        const float top1[3] = {here.x, 0.0f, here.z};
        const float top0[3] = {before.x, 0.0f, before.z};
        const float bottom0[3] = {before.x, -SLAB_DEPTH, before.z};
        faceNormal(top1, top0, bottom0);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(here.x, 0.0f, here.z);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(before.x, 0.0f, before.z);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(before.x, -SLAB_DEPTH, before.z);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(here.x, -SLAB_DEPTH, here.z);
    }
    glEnd();
}

// Eight triangles, each written as a quad with its apex doubled.
void drawRock()
{
    glBindTexture(GL_TEXTURE_2D, textureTable.ground2Texture);
    glBegin(GL_QUADS);
    for (int k = 0; k < 8; k++) {
        ArenaCorner here = arenaCorner(k);
        ArenaCorner next = arenaCorner(k + 1);
        const float apex[3] = {0.0f, ROCK_APEX_Y, 0.0f};
        const float edge0[3] = {here.x, -SLAB_DEPTH, here.z};
        const float edge1[3] = {next.x, -SLAB_DEPTH, next.z};
        faceNormal(apex, edge0, edge1);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3f(0.0f, ROCK_APEX_Y, 0.0f);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(0.0f, ROCK_APEX_Y, 0.0f);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3f(here.x, -SLAB_DEPTH, here.z);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3f(next.x, -SLAB_DEPTH, next.z);
    }
    glEnd();
}

}  // namespace

ArenaCorner arenaCorner(int k)
{
    return CORNERS[((k % 8) + 8) % 8];
}

TexCoord arenaTopTexCoord(float x, float z)
{
    const float width = 2.0f * ARENA_HALF_WIDTH;
    return {MARBLE_REPEATS * (x + ARENA_HALF_WIDTH) / width, MARBLE_REPEATS * (ARENA_HALF_WIDTH - z) / width};
}

void drawArena()
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureTable.marbleTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    setWhiteMaterial();

    drawTop();
    drawWalls();
    drawRock();

    glDisable(GL_TEXTURE_2D);
}

void drawSky()
{
    static GLUquadric* sky = nullptr;
    if (sky == nullptr) {
        sky = gluNewQuadric();
        gluQuadricTexture(sky, GL_TRUE);
    }

    glEnable(GL_TEXTURE_2D);
    setWhiteMaterial();
    glPushMatrix();
    glRotatef(150.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, textureTable.backgroundTexture);
    if (sky != nullptr)
        gluSphere(sky, SKY_RADIUS, 7, 7);
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
}
