#pragma once

#include <string>

// A line of text over the picture, in window pixels, in light letters with a
// dark outline, so it reads over the sky and the marble alike.
struct OverlayText {
    std::string text;
    // Which part of the line sits at x: its left end, its middle or its right end.
    enum Anchor { LEFT, MIDDLE, RIGHT };
    // x from the left, y of the baseline from the top.
    int x = 0;
    int y = 0;
    Anchor anchor = LEFT;
    // Small for the lines that stay on screen, large for messages.
    bool large = false;
    float red = 1.0f, green = 1.0f, blue = 1.0f;
};

// Drawn over the whole window, whatever viewport the picture used.
void drawOverlayText(const OverlayText& line, int windowWidth, int windowHeight);
