#include "scene/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

void setCamera(const SideView& view)
{
    glLoadIdentity();
    const CameraPlacement c = cameraPlacement(view);
    gluLookAt(c.eyeX, c.eyeY, c.eyeZ, c.centreX, c.centreY, c.centreZ, 0.0, 1.0, 0.0);
}

void setPerspective(float aspect)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, aspect, 1.5, 300.0);
    glMatrixMode(GL_MODELVIEW);
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
