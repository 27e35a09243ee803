#pragma once

// The bout scenery, drawn in world coordinates under the camera.
void drawArena();
void drawSky();

// Corner k (taken modulo 8) of the octagonal arena top, on the ground plane.
struct ArenaCorner {
    float x, z;
};
ArenaCorner arenaCorner(int k);

// The top face's texture coordinates at a point of the ground plane: the
// marble repeats six times across the arena in each direction.
struct TexCoord {
    float s, t;
};
TexCoord arenaTopTexCoord(float x, float z);
