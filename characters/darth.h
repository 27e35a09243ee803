#pragma once

#include "characters/core/character.h"

class GLUquadric;

// Darth's keyframes, rows and sounds.
extern const MoveSet darthMoves;

// The horned fighter with the double-bladed lightsaber.
class Darth : public Character {
public:
    Darth(float x, float z, int player, Character* opponent);
    ~Darth() override;

    void draw() override;

    void loadTextures();
    void buildLists();

    unsigned int faceTexture = 0;
    unsigned int topTexture = 0;
    unsigned int bottomTexture = 0;
    unsigned int listBase = 0;

private:
    void drawBody();
    void drawTorso();
    void drawArms();
    void drawWeapon();
    void drawHead();
    void drawLegs();
    void drawLeg(float hipX, float upperRotate, float upperOut, float lowerAngle, float ankle);
    // Reports a weapon point to the opponent while attacking.
    void testWeaponPoint(int slot, float px);

    GLUquadric* plainQuadric = nullptr;
    GLUquadric* texturedQuadric = nullptr;
};
