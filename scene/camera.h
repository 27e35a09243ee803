#pragma once

#include "match/side_view.h"

// Puts the camera of a bout tick on the modelview matrix.
void setCamera(const SideView& view);
void setupLights();
