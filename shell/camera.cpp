#include "shell/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "characters/core/character.h"
#include "shell/match.h"

namespace {

constexpr double CAMERA_DISTANCE_FACTOR = 1.2;
constexpr float MINIMUM_CAMERA_DISTANCE = 15.0f;
constexpr double EYE_HEIGHT = 7.0;
constexpr double LOOK_AT_HEIGHT = 5.0;

// Two fighters on one point have no side; the camera then keeps the last
// side it had (at first the one of the starting positions).
float lastSideX = -1.0f;
float lastSideZ = 0.0f;

}  // namespace

SideView sideView()
{
    const float x1 = playerOne->getX();
    const float z1 = playerOne->getZ();
    const float x2 = playerTwo->getX();
    const float z2 = playerTwo->getZ();

    SideView view;
    view.mx = (x1 + x2) / 2;
    view.mz = (z1 + z2) / 2;
    view.d = std::sqrt(std::pow(x1 - x2, 2) + std::pow(z1 - z2, 2));
    if (view.d > 0.0f) {
        view.sx = (z1 - z2) / view.d;
        view.sz = (x2 - x1) / view.d;
        lastSideX = view.sx;
        lastSideZ = view.sz;
    } else {
        view.sx = lastSideX;
        view.sz = lastSideZ;
    }
    view.r = view.d * CAMERA_DISTANCE_FACTOR;
    if (view.r < MINIMUM_CAMERA_DISTANCE)
        view.r = MINIMUM_CAMERA_DISTANCE;
    return view;
}

void setCamera()
{
    glLoadIdentity();
    const SideView view = sideView();
    gluLookAt(view.mx + view.sx * view.r, EYE_HEIGHT, view.mz + view.sz * view.r,
              view.mx, LOOK_AT_HEIGHT, view.mz,
              0.0, 1.0, 0.0);
}

void setupLights()
{
    static const GLfloat globalAmbient[] = {0.8f, 0.8f, 0.8f, 1.0f};
    // Given under the identity, so the light stays above and behind the viewer.
    static const GLfloat lightPosition[] = {0.0f, 12.0f, 10.0f, 1.0f};

    glLoadIdentity();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}
