#pragma once

// The bout HUD, drawn between a push and a pop of the modelview matrix.
void placeHud();
void drawHealthBars();
void drawClock();
