#include "match/side_view.h"

#include <cmath>

#include "characters/core/pose_stack.h"

namespace {

constexpr double CAMERA_DISTANCE_FACTOR = 1.2;
constexpr float MINIMUM_CAMERA_DISTANCE = 15.0f;
constexpr double EYE_HEIGHT = 7.0;
constexpr double LOOK_AT_HEIGHT = 5.0;

}  // namespace

SideView sideView(float x1, float z1, float x2, float z2, float& lastSideX, float& lastSideZ)
{
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

CameraPlacement cameraPlacement(const SideView& view)
{
    const float eyeX = view.mx + view.sx * view.r;
    const float eyeZ = view.mz + view.sz * view.r;
    return {eyeX, EYE_HEIGHT, eyeZ, view.mx, LOOK_AT_HEIGHT, view.mz};
}

glm::mat4 cameraMatrix(const SideView& view)
{
    const CameraPlacement c = cameraPlacement(view);
    return lookAt(c.eyeX, c.eyeY, c.eyeZ, c.centreX, c.centreY, c.centreZ, 0.0, 1.0, 0.0);
}
