#pragma once

#include <glm/mat4x4.hpp>

// The side view of the two fighters, shared by the camera and the HUD.
struct SideView {
    float mx, mz;  // midpoint
    float d;       // distance between the fighters
    float sx, sz;  // unit side direction
    float r;       // camera distance, at least 15
};

// Where the camera stands and what it looks at.
struct CameraPlacement {
    double eyeX, eyeY, eyeZ;
    double centreX, centreY, centreZ;
};

// From the fighters' floor positions; two fighters on one point have no side,
// so the view keeps the last side it had (kept in lastSideX, lastSideZ).
SideView sideView(float x1, float z1, float x2, float z2, float& lastSideX, float& lastSideZ);
CameraPlacement cameraPlacement(const SideView& view);
// The view matrix the camera sets, as GL computes it.
glm::mat4 cameraMatrix(const SideView& view);
