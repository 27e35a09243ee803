#pragma once

#include "characters/core/character.h"

// The eye-space matrices GL held at a fighter's body and weapon points while
// it was drawn (for checking the pose pass against GL).
struct DrawnPoints {
    float body[16] = {};
    float weapon[4][16] = {};
};

// A fighter's look: its display lists and textures, and its drawing. Drawing
// reads the fighter and changes nothing. Needs a GL context.
class FighterModel {
public:
    virtual ~FighterModel() = default;
    // Under the camera already on the modelview matrix.
    virtual void draw(const Character& fighter, DrawnPoints* points = nullptr) const = 0;
};
