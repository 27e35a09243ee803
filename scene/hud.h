#pragma once

#include "match/side_view.h"

// The bout HUD, drawn between a push and a pop of the modelview matrix.
void placeHud(const SideView& view);
void drawHealthBars(float healthOne, float healthTwo, int choiceOne, int choiceTwo);
void drawClock(float brightness, int secondsLeft);

// Length of a red health bar: 11 units at full health, never negative.
float healthBarLength(float health);
// The HUD's turn about the vertical axis in degrees, from the side view's
// unit side direction: the same angle as the arc cosine of (x2 - x1) / d,
// but it also holds when the fighters share a point and the camera keeps
// its last side.
float hudHeading(float sx, float sz);
