#include "scene/darth_model.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include "characters/darth_body.h"
#include "scene/foot.h"
#include "scene/gl_rig.h"

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

void setEmission(float r, float g, float b)
{
    const float emission[4] = {r, g, b, 0.0f};
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
}

class DarthRig : public GlRig {
public:
    DarthRig(const DarthModel& model, DrawnPoints* points) : GlRig(points), m(model) {}

    void part(Limb limb, int)
    {
        const unsigned base = m.listBase;
        switch (limb) {
        case Limb::UPPER_ARM:
            setColour(0.5f, 0.1f, 0.1f);
            glCallList(base + ARM_SEGMENT);
            glCallList(base + LIMB_CAP);
            glutSolidSphere(0.7, 7, 7);
            break;
        case Limb::ELBOW: glutSolidSphere(0.6, 7, 7); break;
        case Limb::FORE_ARM: glCallList(base + ARM_SEGMENT); break;
        case Limb::FIST:
            setColour(0.2f, 0.2f, 0.2f);
            glutSolidSphere(0.8, 7, 7);
            break;
        case Limb::UPPER_LEG:
            setColour(0.5f, 0.1f, 0.1f);
            glutSolidSphere(0.6, 7, 7);
            glCallList(base + LEG_SEGMENT);
            break;
        case Limb::KNEE: glutSolidSphere(0.6, 7, 7); break;
        case Limb::LOWER_LEG:
            glCallList(base + LEG_SEGMENT);
            glCallList(base + LIMB_CAP);
            break;
        case Limb::ANKLE:
            setColour(0.08f, 0.08f, 0.08f);
            glCallList(base + LIMB_CAP);
            break;
        case Limb::FOOT: drawFoot(); break;
        }
    }

    void part(DarthPart piece)
    {
        const unsigned base = m.listBase;
        switch (piece) {
        case DarthPart::TORSO:
            setColour(0.08f, 0.08f, 0.08f);
            gluCylinder(m.plainQuadric, 1.5, 2.0, 3.5, 10, 1);
            break;
        case DarthPart::TORSO_LID: glCallList(base + TORSO_LID); break;
        case DarthPart::HANDLE:
            setColour(0.5f, 0.5f, 0.5f);
            glCallList(base + HANDLE);
            break;
        case DarthPart::RING: glCallList(base + RING); break;
        case DarthPart::RING_CAP: glCallList(base + RING_CAP); break;
        case DarthPart::GLOW:
            setColour(1.0f, 0.0f, 0.0f);
            setEmission(1.0f, 0.0f, 0.0f);
            break;
        case DarthPart::BLADE: glCallList(base + BLADE); break;
        case DarthPart::UNGLOW:
            setEmission(0.0f, 0.0f, 0.0f);
            glDisable(GL_TEXTURE_2D);
            break;
        case DarthPart::FACE:
            glEnable(GL_TEXTURE_2D);
            setColour(0.5f, 0.0f, 0.0f);
            glBindTexture(GL_TEXTURE_2D, m.faceTexture);
            gluCylinder(m.texturedQuadric, 1.0, 1.0, 1.7, 10, 1);
            break;
        case DarthPart::HEAD_TOP:
            glBindTexture(GL_TEXTURE_2D, m.topTexture);
            gluSphere(m.texturedQuadric, 1.0, 10, 10);
            break;
        case DarthPart::HEAD_BOTTOM:
            glBindTexture(GL_TEXTURE_2D, m.bottomTexture);
            gluSphere(m.texturedQuadric, 1.0, 10, 10);
            glDisable(GL_TEXTURE_2D);
            break;
        case DarthPart::HORN:
            setColour(1.0f, 1.0f, 0.0f);
            glutSolidCone(0.5, 1.22, 10, 1);
            break;
        }
    }

private:
    const DarthModel& m;
};

}  // namespace

DarthModel::DarthModel(unsigned int faceTexture, unsigned int topTexture, unsigned int bottomTexture)
    : faceTexture(faceTexture),
      topTexture(topTexture),
      bottomTexture(bottomTexture)
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

DarthModel::~DarthModel()
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

void DarthModel::draw(const Character& fighter, DrawnPoints* points) const
{
    DarthRig rig(*this, points);
    walkDarth(rig, fighter);
}
