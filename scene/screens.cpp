#include "scene/screens.h"

#include <GL/gl.h>

#include "scene/textures.h"

namespace {

constexpr float DOOR_WIDTH = 6.7f;

}  // namespace

void setMaterial(float r, float g, float b)
{
    const GLfloat colour[] = {r, g, b, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
}

void drawPictureQuad(unsigned int texture, float x, float y, float z, float w, float h)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glPushMatrix();
    glTranslatef(x, y, z);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(w, 0.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(w, h, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(0.0f, h, 0.0f);
    glEnd();
    glPopMatrix();
}

unsigned int faceTextureOf(int choice)
{
    return choice == 0 ? textureTable.jackfaceTexture : textureTable.darthfaceTexture;
}

unsigned int nameTextureOf(int choice)
{
    return choice == 0 ? textureTable.jackTexture : textureTable.darthmaulTexture;
}

void drawTitle()
{
    setMaterial(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureTable.titleTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-13.0f, -7.5f, 9.25f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(13.0f, -7.5f, 9.25f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(13.0f, 11.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-13.0f, 11.0f, 0.0f);
    glEnd();
}

void drawDoors(float doorOffset)
{
    setMaterial(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureTable.doorTexture);
    const float o = doorOffset;

    // The right half shows the picture mirrored.
    glPushMatrix();
    glTranslatef(DOOR_WIDTH, 1.85f, 10.1f);
    glBegin(GL_QUADS);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(-o, 0.0f, 4.375f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(DOOR_WIDTH - o, 0.0f, 4.375f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(DOOR_WIDTH - o, 8.75f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(-o, 8.75f, 0.0f);
    glEnd();
    glPopMatrix();

    glPushMatrix();
    glTranslatef(-DOOR_WIDTH, 1.85f, 10.1f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(o - DOOR_WIDTH, 0.0f, 4.375f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(o, 0.0f, 4.375f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(o, 8.75f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(o - DOOR_WIDTH, 8.75f, 0.0f);
    glEnd();
    glPopMatrix();

    glDisable(GL_TEXTURE_2D);
}

unsigned int controlTextureOf(int control)
{
    const unsigned int* textures = textureTable.controlTextures;
    return control >= 0 && control < 4 ? textures[control] : textures[0];
}

void drawSelectScreen(int playerOneChoice, int playerTwoChoice, int selectedPlayer, float brightness,
    int playerOneControl, int playerTwoControl, bool controlLabels)
{
    setMaterial(1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);

    drawPictureQuad(textureTable.playerTexture, -4.0f, 7.5f, 10.0f, 4.0f, 2.0f);
    drawPictureQuad(textureTable.selectTexture, 0.0f, 7.5f, 10.0f, 4.0f, 2.0f);

    drawPictureQuad(textureTable.playerTexture, -8.0f, 4.5f, 10.0f, 3.0f, 1.5f);
    drawPictureQuad(textureTable.digitTextures[1], -5.0f, 4.5f, 10.0f, 1.5f, 1.5f);
    drawPictureQuad(textureTable.playerTexture, -8.0f, 2.0f, 10.0f, 3.0f, 1.5f);
    drawPictureQuad(textureTable.digitTextures[2], -5.0f, 2.0f, 10.0f, 1.5f, 1.5f);

    const float b = brightness;

    if (selectedPlayer == 0)
        setMaterial(b, b, b);
    else
        setMaterial(1.0f, 1.0f, 1.0f);
    drawPictureQuad(faceTextureOf(playerOneChoice), -3.5f, 4.5f, 10.0f, 1.5f, 1.5f);
    drawPictureQuad(nameTextureOf(playerOneChoice), -2.0f, 4.5f, 10.0f, 4.5f, 1.5f);

    if (selectedPlayer == 1)
        setMaterial(b, b, b);
    else
        setMaterial(1.0f, 1.0f, 1.0f);
    drawPictureQuad(faceTextureOf(playerTwoChoice), -3.5f, 2.0f, 10.0f, 1.5f, 1.5f);
    drawPictureQuad(nameTextureOf(playerTwoChoice), -2.0f, 2.0f, 10.0f, 4.5f, 1.5f);

    setMaterial(1.0f, 1.0f, 1.0f);
    drawPictureQuad(textureTable.startTexture, -2.0f, 0.0f, 10.0f, 4.0f, 1.5f);

    // Where PLAYER_ONE_CONTROL and PLAYER_TWO_CONTROL are clicked.
    if (controlLabels) {
        drawPictureQuad(controlTextureOf(playerOneControl), 3.0f, 4.5f, 10.0f, 3.5f, 1.5f);
        drawPictureQuad(controlTextureOf(playerTwoControl), 3.0f, 2.0f, 10.0f, 3.5f, 1.5f);
    }

    glDisable(GL_TEXTURE_2D);
}
