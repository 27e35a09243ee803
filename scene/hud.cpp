#include "scene/hud.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "scene/screens.h"
#include "scene/textures.h"

namespace {

constexpr float HUD_DISTANCE = 20.0f;
constexpr float HUD_HEIGHT = 5.0f;
constexpr float FULL_BAR_LENGTH = 11.0f;
constexpr float BACKING_LENGTH = 12.0f;
constexpr float DIGIT_SIZE = 0.7f;

// A triangular prism along the z axis after turning by `turn` degrees about y.
void drawBar(float x, float y, float z, float turn, float radius, float length)
{
    static GLUquadric* bar = nullptr;
    if (bar == nullptr)
        bar = gluNewQuadric();
    if (bar == nullptr)
        return;
    glPushMatrix();
    glTranslatef(x, y, z);
    glRotatef(turn, 0.0f, 1.0f, 0.0f);
    gluCylinder(bar, radius, radius, length, 3, 1);
    glPopMatrix();
}

// A clock set back mid-bout must not index past the ten digit pictures.
int clockDigits(int secondsLeft)
{
    if (secondsLeft < 0)
        return 0;
    if (secondsLeft > 99)
        return 99;
    return secondsLeft;
}

}  // namespace

// Health can end a little below 0 on the last hit.
float healthBarLength(float health)
{
    float length = health / 100.0f * FULL_BAR_LENGTH;
    return length > 0.0f ? length : 0.0f;
}

float hudHeading(float sx, float sz)
{
    if (std::isnan(sx) || std::isnan(sz))
        return 0.0f;
    // Rounding can push a unit component a hair past 1.
    const float cosine = std::clamp(sz, -1.0f, 1.0f);
    const float a = static_cast<float>(std::acos(cosine) * (180.0 / 3.14159265));
    return sx < 0.0f ? a : 360.0f - a;
}

void placeHud(const SideView& view)
{
    float ex = view.mx + view.sx * view.r;
    float ez = view.mz + view.sz * view.r;
    float ax = ex - (ex - view.mx) * HUD_DISTANCE / view.r;
    float az = ez - (ez - view.mz) * HUD_DISTANCE / view.r;
    float angle = hudHeading(view.sx, view.sz);
    glTranslatef(ax, HUD_HEIGHT, az);
    glRotatef(-angle, 0.0f, 1.0f, 0.0f);
}

void drawHealthBars(float healthOne, float healthTwo, int playerOneChoice, int playerTwoChoice)
{
    setMaterial(1.0f, 0.0f, 0.0f);
    drawBar(-1.0f, 10.0f, -4.0f, -90.0f, 0.75f, healthBarLength(healthOne));
    drawBar(1.0f, 10.0f, -4.0f, 90.0f, 0.75f, healthBarLength(healthTwo));

    setMaterial(0.0f, 0.0f, 0.0f);
    drawBar(-0.8f, 10.0f, -5.0f, -90.0f, 0.85f, BACKING_LENGTH);
    drawBar(0.8f, 10.0f, -5.0f, 90.0f, 0.85f, BACKING_LENGTH);

    setMaterial(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    drawPictureQuad(faceTextureOf(playerOneChoice), -14.8f, 9.0f, -3.0f, 2.0f, 2.0f);
    drawPictureQuad(faceTextureOf(playerTwoChoice), 12.8f, 9.0f, -3.0f, 2.0f, 2.0f);
    drawPictureQuad(nameTextureOf(playerOneChoice), -15.25f, 8.0f, -3.0f, 5.0f, 1.0f);
    drawPictureQuad(nameTextureOf(playerTwoChoice), 11.4f, 8.0f, -3.0f, 5.0f, 1.0f);
    glDisable(GL_TEXTURE_2D);
}

void drawClock(float brightness, int secondsLeft)
{
    const float g = brightness;
    const int shown = clockDigits(secondsLeft);

    setMaterial(g, g, g);
    glEnable(GL_TEXTURE_2D);
    drawPictureQuad(textureTable.digitTextures[shown % 10], 0.0f, 8.5f, 0.0f, DIGIT_SIZE, DIGIT_SIZE);
    drawPictureQuad(textureTable.digitTextures[shown / 10], -DIGIT_SIZE, 8.5f, 0.0f, DIGIT_SIZE, DIGIT_SIZE);
    glDisable(GL_TEXTURE_2D);
    setMaterial(1.0f, 1.0f, 1.0f);
}
