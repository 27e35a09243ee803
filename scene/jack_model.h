#pragma once

#include "scene/fighter_model.h"

// Jack's solids and his suit and blade textures (owned from here on).
class JackModel : public FighterModel {
public:
    JackModel(unsigned int suitTexture, unsigned int bladeTexture);
    ~JackModel() override;
    JackModel(const JackModel&) = delete;
    JackModel& operator=(const JackModel&) = delete;

    void draw(const Character& fighter, DrawnPoints* points = nullptr) const override;

    unsigned int suitTexture = 0;
    unsigned int bladeTexture = 0;
    unsigned int listBase = 0;
};
