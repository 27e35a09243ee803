#pragma once

#include "characters/core/character.h"

// Jack's keyframes, rows and sounds.
extern const MoveSet jackMoves;

// The suited fighter with the knife.
class Jack : public Character {
public:
    Jack(float x, float z, int player, Character* opponent);
    ~Jack() override;

    void draw() override;

    void loadTextures();
    void buildLists();

    unsigned int suitTexture = 0;
    unsigned int bladeTexture = 0;
    unsigned int listBase = 0;

private:
    void drawBody();
    void drawTorso();
    void drawArms();
    void drawWeapon();
    void drawHead();
    void drawLegs();
};
