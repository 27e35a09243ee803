#pragma once

#include "characters/core/character.h"

// Darth's keyframes, rows and sounds.
extern const MoveSet darthMoves;

// The horned fighter with the double-bladed lightsaber.
class Darth : public PlayableFighter<Darth> {
public:
    Darth(float x, float z, int player, Character* opponent);

    void posePass(const glm::mat4& camera) override;
    FighterKind kind() const override { return DARTH; }
    // Hands one weapon point to the opponent while attacking.
    void testWeaponPoint(int slot);
};
