#pragma once

#include "match/side_view.h"

// Puts the camera of a bout tick on the modelview matrix.
void setCamera(const SideView& view);
void setupLights();
// The game's perspective on the projection matrix: 60 degrees of height, the
// near and far planes at 1.5 and 300.
void setPerspective(float aspect);
