#pragma once

// The side view of the two fighters, shared by the camera and the HUD.
struct SideView {
    float mx, mz;  // midpoint
    float d;       // distance between the fighters
    float sx, sz;  // unit side direction
    float r;       // camera distance, at least 15
};

SideView sideView();
void setCamera();
void setupLights();
