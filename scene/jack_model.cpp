#include "scene/jack_model.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include "characters/jack_body.h"
#include "scene/foot.h"
#include "scene/gl_rig.h"

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

// The handle: a thin box open at both ends.
void drawHandle()
{
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
}

class JackRig : public GlRig {
public:
    JackRig(const JackModel& model, DrawnPoints* points) : GlRig(points), m(model) {}

    void part(Limb limb, int side)
    {
        const unsigned base = m.listBase;
        switch (limb) {
        case Limb::UPPER_ARM:
            setSuitColour();
            glCallList(base + ARM_SEGMENT);
            glCallList(base + LIMB_CAP);
            glutSolidSphere(0.7, 5, 5);
            break;
        case Limb::ELBOW: glutSolidSphere(0.6, 5, 5); break;
        case Limb::FORE_ARM: glCallList(base + ARM_SEGMENT); break;
        case Limb::FIST:
            setFistColour();
            glutSolidSphere(0.8, 10, 10);
            break;
        case Limb::UPPER_LEG:
            setSuitColour();
            glutSolidSphere(0.6, 10, 10);
            glCallList(base + LEG_SEGMENT);
            break;
        case Limb::KNEE:
            if (side == LEFT)
                glutSolidSphere(0.6, 5, 5);
            else
                glutSolidSphere(0.6, 10, 10);
            break;
        case Limb::LOWER_LEG:
            glCallList(base + LEG_SEGMENT);
            glCallList(base + LIMB_CAP);
            break;
        case Limb::ANKLE:
            setShoeColour();
            glCallList(base + LIMB_CAP);
            break;
        case Limb::FOOT: drawFoot(); break;
        }
    }

    void part(JackPart piece)
    {
        const unsigned base = m.listBase;
        switch (piece) {
        case JackPart::TORSO:
            setSuitColour();
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, m.suitTexture);
            glCallList(base + TORSO);
            glDisable(GL_TEXTURE_2D);
            break;
        case JackPart::TORSO_LID: glCallList(base + TORSO_LID); break;
        case JackPart::HANDLE:
            setColour(0.48f, 0.34f, 0.2f);
            drawHandle();
            break;
        case JackPart::BLADE:
            setColour(0.75f, 0.75f, 0.75f);
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, m.bladeTexture);
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
            break;
        case JackPart::HEAD:
            setColour(0.91f, 0.91f, 0.91f);
            glutSolidSphere(2.0, 15, 15);
            break;
        case JackPart::EYE:
            setColour(0.0f, 0.0f, 1.0f);
            glutSolidSphere(0.4, 7, 7);
            break;
        case JackPart::NOSE: glutSolidCone(0.3, 1.0, 10, 1); break;
        case JackPart::BIG_HORN:
            setColour(1.0f, 1.0f, 0.0f);
            glutSolidCone(0.85, 3.0, 10, 1);
            glCallList(base + CONE_BASE);
            break;
        case JackPart::SMALL_HORN: glutSolidCone(0.5, 2.0, 10, 1); break;
        case JackPart::BAND:
            setColour(1.0f, 0.0f, 0.0f);
            glutSolidTorus(0.1, 1.3, 4, 15);
            break;
        }
    }

private:
    const JackModel& m;
};

}  // namespace

JackModel::JackModel(unsigned int suitTexture, unsigned int bladeTexture)
    : suitTexture(suitTexture),
      bladeTexture(bladeTexture)
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

JackModel::~JackModel()
{
    if (suitTexture != 0)
        glDeleteTextures(1, &suitTexture);
    if (bladeTexture != 0)
        glDeleteTextures(1, &bladeTexture);
    if (listBase != 0)
        glDeleteLists(listBase, LIST_COUNT);
}

void JackModel::draw(const Character& fighter, DrawnPoints* points) const
{
    JackRig rig(*this, points);
    walkJack(rig, fighter);
}
