#pragma once

struct Match;

// Draws the picture of the match as its last tick left it; changes nothing
// of the match. Needs the window's GL context.
void drawMatch(const Match& match);
// Releases the fighters' models (display lists and textures).
void releaseFighterModels();
