#pragma once

#include "characters/core/character.h"

// A fighter without a model: draw() is only the animation tick, so the shared
// rules and a fighter's table of moves run without a GL context.
class TestFighter : public Character {
public:
    TestFighter(float x, float z, int player, Character* opponent, const MoveSet& moves)
        : Character(x, z, player, opponent, moves)
    {
        restPose(0, false);
        framelist->setPose(&pose);
    }
    void draw() override { animate(); }
};

inline bool samePose(const Frame& a, const Frame& b)
{
    for (int i = 0; i < Frame::FIELDS; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}
