#pragma once

#include "characters/core/character.h"

// Jack's keyframes, rows and sounds.
extern const MoveSet jackMoves;

// The suited fighter with the knife.
class Jack : public PlayableFighter<Jack> {
public:
    Jack(float x, float z, int player, Character* opponent);

    void posePass(const glm::mat4& camera) override;
    FighterKind kind() const override { return JACK; }
    // Hands one weapon point to the opponent while attacking.
    void testWeaponPoint(int slot);
};
