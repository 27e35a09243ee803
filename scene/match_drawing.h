#pragma once

struct Match;

// Draws the picture of the match as its last tick left it; changes nothing
// of the match. Needs the window's GL context.
// controlLabels: who plays each side, beside the player rows; a network game
// chooses no computer sides and shows none.
void drawMatch(const Match& match, bool controlLabels = true);
// The viewport and projection for the match's picture in a width by height
// window: a bout fills the window, the menu keeps its whole picture
// (menuViewport).
void viewMatch(const Match& match, int width, int height);
// Releases the fighters' models (display lists and textures).
void releaseFighterModels();
