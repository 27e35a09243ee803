#pragma once

#include "scene/fighter_model.h"

class GLUquadric;

// Darth's solids and his face, top and bottom head textures (owned from here on).
class DarthModel : public FighterModel {
public:
    DarthModel(unsigned int faceTexture, unsigned int topTexture, unsigned int bottomTexture);
    ~DarthModel() override;
    DarthModel(const DarthModel&) = delete;
    DarthModel& operator=(const DarthModel&) = delete;

    void draw(const Character& fighter, DrawnPoints* points = nullptr) const override;

    unsigned int faceTexture = 0;
    unsigned int topTexture = 0;
    unsigned int bottomTexture = 0;
    unsigned int listBase = 0;
    GLUquadric* plainQuadric = nullptr;
    GLUquadric* texturedQuadric = nullptr;
};
