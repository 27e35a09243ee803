#pragma once

// Drawing helpers shared by the scene tests, on the 800 by 600 test window.

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include <vector>

#include "audio/sound_bank.h"

struct Rgb {
    int r, g, b;
};

// A vertex as GL's feedback mode reports it: window x and y, texture s and t.
struct FeedbackVertex {
    float x, y, s, t;
};

// The pixel at x, counted from the left, and y, counted from the top.
Rgb pixelAt(int x, int yFromTop);
// Writes the back buffer to $ZANDREL_SNAPSHOT_DIR/<name>.ppm, to look at by eye.
// False only when the picture was asked for and could not be written.
bool saveSnapshot(const char* name);
// A one-colour 2 by 2 texture with the nearest-texel filtering the table gives.
unsigned int solidTexture(unsigned char r, unsigned char g, unsigned char b);
// The game's projection at 800 by 600, with an identity modelview.
void boutProjection();
// The game's lights: strong global ambient and one light behind the viewer.
void litScene();
// Resizes the test window and waits until the X server has done it.
bool resizeWindow(int width, int height);
// GL's modelview matrix in doubles, to compose expected transforms on.
glm::dmat4 currentModelview();
// The camera GL's modelview matrix holds, for the pose pass on the CPU.
glm::mat4 glCamera();
// m turned about an axis by degrees, multiplied on the right as glRotated does.
glm::dmat4 rotated(const glm::dmat4& m, double degrees, const glm::dvec3& axis);
// Every polygon vertex draw() sends to the rasteriser under the current
// matrices. Points, lines, pixels and pass-throughs are skipped, and counted
// in *otherTokens when given.
std::vector<FeedbackVertex> feedbackVertices(void (*draw)(), int* otherTokens = nullptr);

// The window's match from a fresh start, on a calendar the test moves by hand,
// with no sounds to wait out and no keys held; all put back when it ends.
class LiveMatchScope {
public:
    explicit LiveMatchScope(long startSecond);
    ~LiveMatchScope();
    LiveMatchScope(const LiveMatchScope&) = delete;
    LiveMatchScope& operator=(const LiveMatchScope&) = delete;

    // The second the calendar shows.
    static long calendar;

private:
    SoundTable savedSounds;
};
