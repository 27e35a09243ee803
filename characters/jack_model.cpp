#include "characters/jack.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>

#include "characters/foot.h"
#include "scene/textures.h"

namespace {

enum JackList {
    TORSO = 0,
    TORSO_LID = 1,
    LEG_SEGMENT = 2,
    LIMB_CAP = 3,
    ARM_SEGMENT = 4,
    CONE_BASE = 5,
    LIST_COUNT = 6,
};

// The knife's hit points in the blade frame: the two far corners, then the
// middle and the base of the long edge.
constexpr float bladePoints[4][3] = {
    {-2.6f, 7.0f, 0.0f},
    {0.4f, 7.0f, 0.0f},
    {-2.6f, 3.5f, 0.0f},
    {-2.6f, 0.0f, 0.0f},
};

void setColour(float r, float g, float b)
{
    const float colour[4] = {r, g, b, 1.0f};
    glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
}

void setSuitColour()
{
    setColour(0.38f, 0.38f, 0.38f);
}

void setFistColour()
{
    setColour(0.84f, 0.68f, 0.12f);
}

void setShoeColour()
{
    setColour(0.5f, 0.25f, 0.0f);
}

}  // namespace

Jack::Jack(float x, float z, int player, Character* opponent)
    : Character(x, z, player, opponent, jackMoves)
{
    loadTextures();
    buildLists();
    restPose(0, false);
    framelist->setPose(&pose);
    std::printf("initializing Jack as player %d\n", player);
    state = RESTING;
    std::printf("state = RESTING\n");
}

Jack::~Jack()
{
    if (suitTexture != 0)
        glDeleteTextures(1, &suitTexture);
    if (bladeTexture != 0)
        glDeleteTextures(1, &bladeTexture);
    if (listBase != 0)
        glDeleteLists(listBase, LIST_COUNT);
}

void Jack::loadTextures()
{
    loadTexture("graphics/jacksuit.bmp", &suitTexture);
    loadTexture("graphics/blade.bmp", &bladeTexture);
}

void Jack::buildLists()
{
    listBase = glGenLists(LIST_COUNT);
    GLUquadric* quadric = gluNewQuadric();
    gluQuadricTexture(quadric, GL_TRUE);

    glNewList(listBase + TORSO, GL_COMPILE);
    gluCylinder(quadric, 1.0, 1.8, 3.5, 10, 1);
    glEndList();
    glNewList(listBase + TORSO_LID, GL_COMPILE);
    gluDisk(quadric, 0.0, 1.8, 10, 1);
    glEndList();
    glNewList(listBase + LEG_SEGMENT, GL_COMPILE);
    gluCylinder(quadric, 0.6, 0.6, 1.25, 10, 1);
    glEndList();
    glNewList(listBase + LIMB_CAP, GL_COMPILE);
    gluDisk(quadric, 0.0, 0.6, 10, 1);
    glEndList();
    glNewList(listBase + ARM_SEGMENT, GL_COMPILE);
    gluCylinder(quadric, 0.6, 0.6, 2.0, 10, 1);
    glEndList();
    glNewList(listBase + CONE_BASE, GL_COMPILE);
    gluDisk(quadric, 0.0, 0.85, 10, 1);
    glEndList();

    // The lists hold the geometry; the quadric is not needed after this.
    gluDeleteQuadric(quadric);
}

void Jack::draw()
{
    animate();
    glPushMatrix();
    glTranslatef(x, 0.0f, z);
    faceOpponent();
    drawBody();
    glPopMatrix();
}

void Jack::drawBody()
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

void Jack::drawTorso()
{
    glPushMatrix();
    setSuitColour();
    glEnable(GL_TEXTURE_2D);
    glTranslatef(0.0f, 2.5f, 0.0f);
    glRotatef(pose.bodyAngleTurn, 0.0f, 1.0f, 0.0f);
    glRotatef(pose.bodyAngleTiltForward, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.bodyAngleTiltSide, 0.0f, 0.0f, 1.0f);

    glGetFloatv(GL_MODELVIEW_MATRIX, bodyMatrix);

    glPushMatrix();
    glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, suitTexture);
    glCallList(listBase + TORSO);
    glDisable(GL_TEXTURE_2D);
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

void Jack::drawArms()
{
    // Left arm, still in the torso's colour.
    glPushMatrix();
    glTranslatef(2.0f, 2.5f, 0.5f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.armLUpperAngleForward, -1.0f, 0.0f, 0.0f);
    glRotatef(pose.armLUpperAngleOut, 0.0f, 1.0f, 0.0f);
    glRotatef(pose.armLUpperAngleRotate, 0.0f, 0.0f, -1.0f);
    glCallList(listBase + ARM_SEGMENT);
    glCallList(listBase + LIMB_CAP);
    glutSolidSphere(0.7, 5, 5);
    glTranslatef(0.0f, 0.0f, 2.0f);
    glutSolidSphere(0.6, 5, 5);
    glRotatef(-pose.armLForeAngle, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + ARM_SEGMENT);
    setFistColour();
    glTranslatef(0.0f, 0.0f, 1.8f);
    glutSolidSphere(0.8, 10, 10);
    glPopMatrix();

    // Right arm, holding the knife.
    setSuitColour();
    glPushMatrix();
    glTranslatef(-2.0f, 2.5f, -0.5f);
    glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.armRUpperAngleForward, -1.0f, 0.0f, 0.0f);
    glRotatef(pose.armRUpperAngleOut, 0.0f, -1.0f, 0.0f);
    glRotatef(pose.armRUpperAngleRotate, 0.0f, 0.0f, 1.0f);
    glCallList(listBase + ARM_SEGMENT);
    glCallList(listBase + LIMB_CAP);
    glutSolidSphere(0.7, 5, 5);
    glTranslatef(0.0f, 0.0f, 2.0f);
    glutSolidSphere(0.6, 5, 5);
    glRotatef(pose.armRForeAngle, 0.0f, 1.0f, 0.0f);
    glCallList(listBase + ARM_SEGMENT);
    setFistColour();
    glTranslatef(0.0f, 0.0f, 1.8f);
    glutSolidSphere(0.8, 10, 10);
    drawWeapon();
    glPopMatrix();
}

void Jack::drawWeapon()
{
    setColour(0.48f, 0.34f, 0.2f);
    glRotatef(pose.knifeAngleForward, 1.0f, 0.0f, 0.0f);
    glRotatef(pose.knifeAngleRotate, 0.0f, 0.0f, 1.0f);

    // The handle: a thin box open at both ends.
    glBegin(GL_QUADS);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.3f, 0.0f);
    glVertex3f(0.4f, 1.3f, 0.0f);
    glVertex3f(0.4f, 0.0f, 0.0f);
    glVertex3f(0.0f, 0.0f, 0.1f);
    glVertex3f(0.0f, 1.3f, 0.1f);
    glVertex3f(0.4f, 1.3f, 0.1f);
    glVertex3f(0.4f, 0.0f, 0.1f);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(0.0f, 1.3f, 0.0f);
    glVertex3f(0.0f, 1.3f, 0.1f);
    glVertex3f(0.0f, 0.0f, 0.1f);
    glVertex3f(0.4f, 0.0f, 0.0f);
    glVertex3f(0.4f, 1.3f, 0.0f);
    glVertex3f(0.4f, 1.3f, 0.1f);
    glVertex3f(0.4f, 0.0f, 0.1f);
    glEnd();

    setColour(0.75f, 0.75f, 0.75f);
    glEnable(GL_TEXTURE_2D);
    glTranslatef(0.0f, 1.2f, 0.2f);
    glRotatef(pose.knifeAngleTurn, 0.0f, 1.0f, 0.0f);
    glBindTexture(GL_TEXTURE_2D, bladeTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-2.6f, 0.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(-2.6f, 7.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(0.4f, 7.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(0.4f, 0.0f, 0.0f);
    glEnd();
    glDisable(GL_TEXTURE_2D);

    for (int i = 0; i < 4; ++i) {
        float* m = weaponPointMatrix[i];
        glPushMatrix();
        glTranslatef(bladePoints[i][0], bladePoints[i][1], bladePoints[i][2]);
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        glPopMatrix();
        if (!isAttacking() || opponent == nullptr)
            continue;
        if (i == 0)
            std::printf("asking if hit other person\n");
        if (opponent->checkHit(m[12], m[13], m[14]))
            std::printf("Jack hit someone!\n");
    }
}

void Jack::drawHead()
{
    glRotatef(pose.headAngleTurn, 0.0f, 1.0f, 0.0f);
    setColour(0.91f, 0.91f, 0.91f);
    glPushMatrix();
    glTranslatef(0.0f, 5.5f, 0.0f);
    glutSolidSphere(2.0, 15, 15);

    // Eyes and nose.
    setColour(0.0f, 0.0f, 1.0f);
    glPushMatrix();
    glTranslatef(0.75f, 0.6f, 1.5f);
    glutSolidSphere(0.4, 7, 7);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(-0.75f, 0.6f, 1.5f);
    glutSolidSphere(0.4, 7, 7);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, 1.9f);
    glutSolidCone(0.3, 1.0, 10, 1);
    glPopMatrix();

    // Two cones on one line from a shared base point: the large one sunk into
    // the head with its capped base showing, the small one pointing away.
    setColour(1.0f, 1.0f, 0.0f);
    glPushMatrix();
    glTranslatef(1.45f, 1.8f, 0.5f);
    glRotatef(90.0f, 1.0f, -0.8f, 0.0f);
    glutSolidCone(0.85, 3.0, 10, 1);
    glCallList(listBase + CONE_BASE);
    glPopMatrix();
    glPushMatrix();
    glTranslatef(1.45f, 1.8f, 0.5f);
    glRotatef(-90.0f, 1.0f, -0.8f, 0.0f);
    glutSolidCone(0.5, 2.0, 10, 1);
    glPopMatrix();

    setColour(1.0f, 0.0f, 0.0f);
    glPushMatrix();
    glTranslatef(0.0f, 0.1f, 1.3f);
    glRotatef(-30.0f, 1.0f, 0.0f, 0.0f);
    glutSolidTorus(0.1, 1.3, 4, 15);
    glPopMatrix();

    glPopMatrix();
}

void Jack::drawLegs()
{
    setSuitColour();
    glPushMatrix();
    glTranslatef(0.6f, 2.5f, 0.5f);
    glRotatef(pose.legLUpperAngleRotate, 0.0f, 0.0f, 1.0f);
    glRotatef(pose.legLUpperAngleOut, 1.0f, 0.0f, 0.0f);
    glutSolidSphere(0.6, 10, 10);
    glCallList(listBase + LEG_SEGMENT);
    glTranslatef(0.0f, 0.0f, 1.25f);
    glutSolidSphere(0.6, 5, 5);
    glRotatef(pose.legLLowerAngle, 1.0f, 0.0f, 0.0f);
    glCallList(listBase + LEG_SEGMENT);
    glCallList(listBase + LIMB_CAP);
    setShoeColour();
    glTranslatef(0.0f, 0.0f, 1.25f);
    glCallList(listBase + LIMB_CAP);
    glRotatef(pose.legLAnkle, -1.0f, 0.0f, 0.0f);
    drawFoot();
    glPopMatrix();

    setSuitColour();
    glPushMatrix();
    glTranslatef(-0.6f, 2.5f, 0.5f);
    glRotatef(-pose.legRUpperAngleRotate, 0.0f, 0.0f, 1.0f);
    glRotatef(pose.legRUpperAngleOut, 1.0f, 0.0f, 0.0f);
    glutSolidSphere(0.6, 10, 10);
    glCallList(listBase + LEG_SEGMENT);
    glTranslatef(0.0f, 0.0f, 1.25f);
    glutSolidSphere(0.6, 10, 10);
    glRotatef(pose.legRLowerAngle, 1.0f, 0.0f, 0.0f);
    glCallList(listBase + LEG_SEGMENT);
    glCallList(listBase + LIMB_CAP);
    setShoeColour();
    glTranslatef(0.0f, 0.0f, 1.25f);
    glCallList(listBase + LIMB_CAP);
    glRotatef(pose.legRAnkle, -1.0f, 0.0f, 0.0f);
    drawFoot();
    glPopMatrix();
}
