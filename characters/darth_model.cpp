#include "characters/darth.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>

#include "characters/foot.h"
#include "scene/textures.h"

namespace {

// Offsets into Darth's block of display lists.
enum DarthList {
    TORSO_LID = 1,
    LEG_SEGMENT = 2,
    LIMB_CAP = 3,
    ARM_SEGMENT = 4,
    HANDLE = 5,
    RING = 6,
    BLADE = 7,
    RING_CAP = 8,
    LIST_COUNT = 10,
};

constexpr float HORN_ANGLES[] = {-20, -65, -102, 130, 160, 30, 65, 102};

void setColour(float r, float g, float b)
{
    const float colour[4] = {r, g, b, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
}

void setEmission(float r, float g, float b)
{
    const float emission[4] = {r, g, b, 0.0f};
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
}

}  // namespace

Darth::Darth(float x, float z, int player, Character* opponent)
    : Character(x, z, player, opponent, darthMoves)
{
    loadTextures();
    buildLists();
    restPose(0, false);
    printf("initializing Darth as player %d\n", player);
    framelist->setPose(&pose);
}

Darth::~Darth()
{
    const unsigned int textures[3] = {faceTexture, topTexture, bottomTexture};
    glDeleteTextures(3, textures);
    if (listBase != 0)
        glDeleteLists(listBase, LIST_COUNT);
    if (plainQuadric)
        gluDeleteQuadric(plainQuadric);
    if (texturedQuadric)
        gluDeleteQuadric(texturedQuadric);
}

void Darth::loadTextures()
{
    loadTexture("graphics/maulface.bmp", &faceTexture);
    loadTexture("graphics/maultop.bmp", &topTexture);
    loadTexture("graphics/maulbot.bmp", &bottomTexture);
}

void Darth::buildLists()
{
    plainQuadric = gluNewQuadric();
    texturedQuadric = gluNewQuadric();
    gluQuadricTexture(texturedQuadric, GL_TRUE);

    listBase = glGenLists(LIST_COUNT);
    GLUquadric* q = plainQuadric;
    glNewList(listBase + TORSO_LID, GL_COMPILE);
    gluDisk(q, 0.0, 2.0, 10, 1);
    glEndList();
    glNewList(listBase + LEG_SEGMENT, GL_COMPILE);
    gluCylinder(q, 0.6, 0.6, 1.25, 10, 1);
    glEndList();
    glNewList(listBase + LIMB_CAP, GL_COMPILE);
    gluDisk(q, 0.0, 0.6, 10, 1);
    glEndList();
    glNewList(listBase + ARM_SEGMENT, GL_COMPILE);
    gluCylinder(q, 0.6, 0.6, 2.0, 10, 1);
    glEndList();
    glNewList(listBase + HANDLE, GL_COMPILE);
    gluCylinder(q, 0.25, 0.25, 4.0, 10, 1);
    glEndList();
    glNewList(listBase + RING, GL_COMPILE);
    gluCylinder(q, 0.35, 0.35, 0.25, 10, 1);
    glEndList();
    glNewList(listBase + BLADE, GL_COMPILE);
    gluCylinder(q, 0.25, 0.25, 7.0, 10, 1);
    glEndList();
    glNewList(listBase + RING_CAP, GL_COMPILE);
    gluDisk(q, 0.0, 0.35, 10, 1);
    glEndList();
}

void Darth::draw()
{
    animate();
    glPushMatrix();
    glTranslatef(x, 0.0f, z);
    faceOpponent();
    drawBody();
    glPopMatrix();
}

void Darth::drawBody()
{
    glPushMatrix();
    glRotatef(60.0f, 0.0f, 1.0f, 0.0f);
    glTranslatef(0.0f, pose.bodyHeight, 0.0f);
    glScalef(-1.0f, 1.0f, 1.0f);
    glPushMatrix();
    drawTorso();
    glPopMatrix();
    glPushMatrix();
    drawLegs();
    glPopMatrix();
    glPopMatrix();
}

void Darth::drawTorso()
{
    glPushMatrix();
    setColour(0.08f, 0.08f, 0.08f);
    glTranslatef(0.0f, 2.5f, 0.0f);
    glRotatef(pose.bodyAngleTurn, 0.0f, 1.0f, 0.0f);
    glRotatef(pose.bodyAngleTiltForward, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.bodyAngleTiltSide, 0.0f, 0.0f, 1.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, bodyMatrix);

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    gluCylinder(plainQuadric, 1.5, 2.0, 3.5, 10, 1);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(0.0f, 3.5f, 0.0f);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glCallList(listBase + TORSO_LID);
    glPopMatrix();

    drawArms();
    drawHead();
    glPopMatrix();
}

void Darth::drawArms()
{
    setColour(0.5f, 0.1f, 0.1f);
    glPushMatrix();
    glTranslatef(2.0f, 2.5f, 0.5f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.armLUpperAngleForward, -1.0f, 0.0f, 0.0f);
    glRotatef(pose.armLUpperAngleOut, 0.0f, 1.0f, 0.0f);
    glRotatef(pose.armLUpperAngleRotate, 0.0f, 0.0f, -1.0f);
    glCallList(listBase + ARM_SEGMENT);
    glCallList(listBase + LIMB_CAP);
    glutSolidSphere(0.7, 7, 7);
    glTranslatef(0.0f, 0.0f, 2.0f);
    glutSolidSphere(0.6, 7, 7);
    glRotatef(-pose.armLForeAngle, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + ARM_SEGMENT);
    setColour(0.2f, 0.2f, 0.2f);
    glTranslatef(0.0f, 0.0f, 1.8f);
    glutSolidSphere(0.8, 7, 7);
    glPopMatrix();

    setColour(0.5f, 0.1f, 0.1f);
    glPushMatrix();
    glTranslatef(-2.0f, 2.5f, -0.5f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.armRUpperAngleForward, -1.0f, 0.0f, 0.0f);
    glRotatef(pose.armRUpperAngleOut, 0.0f, -1.0f, 0.0f);
    glRotatef(pose.armRUpperAngleRotate, 0.0f, 0.0f, 1.0f);
    glCallList(listBase + ARM_SEGMENT);
    glCallList(listBase + LIMB_CAP);
    glutSolidSphere(0.7, 7, 7);
    glTranslatef(0.0f, 0.0f, 2.0f);
    glutSolidSphere(0.6, 7, 7);
    glRotatef(pose.armRForeAngle, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + ARM_SEGMENT);
    setColour(0.2f, 0.2f, 0.2f);
    glTranslatef(0.0f, 0.0f, 1.8f);
    glutSolidSphere(0.8, 7, 7);
    drawWeapon();
    glPopMatrix();
}

void Darth::testWeaponPoint(int slot, float px)
{
    float* m = weaponPointMatrix[slot];
    glPushMatrix();
    glTranslatef(px, 0.0f, 0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPopMatrix();
    if (isAttacking() && opponent && opponent->checkHit(m[12], m[13], m[14]))
        printf("Darth hit someone!\n");
}

void Darth::drawWeapon()
{
    setColour(0.5f, 0.5f, 0.5f);
    glRotatef(pose.lightsaberAngleForward, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.lightsaberAngleRotate, 0.0f, 0.0f, 1.0f);
    glRotatef(pose.lightsaberAngleTurn, 0.0f, 1.0f, 0.0f);

    glPushMatrix();
    glTranslatef(-2.0f, 0.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + HANDLE);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(-2.0f, 0.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + RING);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(2.0f, 0.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + RING);
    glPopMatrix();

    // Blade tips and middles; the slots keep the order the hit rule was written with.
    testWeaponPoint(0, 9.0f);
    testWeaponPoint(3, 5.5f);
    testWeaponPoint(1, -9.0f);
    testWeaponPoint(2, -5.5f);

    glPushMatrix();
    glTranslatef(-2.0f, 0.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + RING_CAP);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(2.0f, 0.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + RING_CAP);
    glPopMatrix();

    setColour(1.0f, 0.0f, 0.0f);
    setEmission(1.0f, 0.0f, 0.0f);
    glPushMatrix();
    glTranslatef(2.25f, 0.0f, 0.0f);
    glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + BLADE);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(-2.25f, 0.0f, 0.0f);
    glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + BLADE);
    glPopMatrix();
    setEmission(0.0f, 0.0f, 0.0f);

    glDisable(GL_TEXTURE_2D);
}

void Darth::drawHead()
{
    glRotatef(pose.headAngleTurn, 0.0f, 1.0f, 0.0f);
    glEnable(GL_TEXTURE_2D);
    setColour(0.5f, 0.0f, 0.0f);

    glPushMatrix();
    glTranslatef(0.0f, 4.0f, 0.0f);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, faceTexture);
    gluCylinder(texturedQuadric, 1.0, 1.0, 1.7, 10, 1);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(0.0f, 5.45f, 0.0f);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, topTexture);
    gluSphere(texturedQuadric, 1.0, 10, 10);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(0.0f, 4.5f, 0.0f);
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, bottomTexture);
    gluSphere(texturedQuadric, 1.0, 10, 10);
    glPopMatrix();

    glDisable(GL_TEXTURE_2D);

    setColour(1.0f, 1.0f, 0.0f);
    for (float angle : HORN_ANGLES) {
        glPushMatrix();
        glRotatef(angle, 0.0f, 1.0f, 0.0f);
        glPushMatrix();
        setColour(1.0f, 1.0f, 0.0f);
        glTranslatef(0.0f, 5.45f, 0.0f);
        glRotatef(-45.0f, 1.0f, 0.0f, 0.0f);
        glutSolidCone(0.5, 1.22, 10, 1);
        glPopMatrix();
        glPopMatrix();
    }
}

void Darth::drawLeg(float hipX, float upperRotate, float upperOut, float lowerAngle, float ankle)
{
    setColour(0.5f, 0.1f, 0.1f);
    glPushMatrix();
    glTranslatef(hipX, 2.5f, 0.5f);
    glRotatef(upperRotate, 0.0f, 0.0f, 1.0f);
    glRotatef(upperOut, 1.0f, 0.0f, 0.0f);
    glutSolidSphere(0.6, 7, 7);
    glCallList(listBase + LEG_SEGMENT);
    glTranslatef(0.0f, 0.0f, 1.25f);
    glutSolidSphere(0.6, 7, 7);
    glRotatef(lowerAngle, 1.0f, 0.0f, 0.0f);
    glCallList(listBase + LEG_SEGMENT);
    glCallList(listBase + LIMB_CAP);
    setColour(0.08f, 0.08f, 0.08f);
    glTranslatef(0.0f, 0.0f, 1.25f);
    glCallList(listBase + LIMB_CAP);
    glRotatef(ankle, -1.0f, 0.0f, 0.0f);
    drawFoot();
    glPopMatrix();
}

void Darth::drawLegs()
{
    drawLeg(0.6f, pose.legLUpperAngleRotate, pose.legLUpperAngleOut, pose.legLLowerAngle, pose.legLAnkle);
    // The right hip's rotation runs the other way.
    drawLeg(-0.6f, -pose.legRUpperAngleRotate, pose.legRUpperAngleOut, pose.legRLowerAngle, pose.legRAnkle);
}
