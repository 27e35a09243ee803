#pragma once

#include "characters/core/character.h"
#include "tests/support/frames.h"

// A fighter without a body: its tick is only the animation, so the shared
// rules and a fighter's table of moves run alone.
class TestFighter : public Character {
public:
    TestFighter(float x, float z, int player, Character* opponent, const MoveSet& moves)
        : Character(x, z, player, opponent, moves)
    {
        restPose(0, false);
    }
    void posePass(const glm::mat4&) override { animate(); }
    FighterKind kind() const override { return JACK; }
    // One tick of the pose: the animation alone.
    void draw() { animate(); }
};
