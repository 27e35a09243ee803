#pragma once

#include <cstring>

#include "characters/core/pose_stack.h"

// Walks a body on the CPU: records the body point and each weapon point into
// the fighter and lets the fighter test each weapon point as it is found.
template <class Fighter>
class PoseRig {
public:
    PoseRig(const glm::mat4& camera, Fighter& fighter) : stack(camera), fighter(fighter) {}

    void push() { stack.push(); }
    void pop() { stack.pop(); }
    void translate(float x, float y, float z) { stack.translate(x, y, z); }
    void rotate(float degrees, float x, float y, float z) { stack.rotate(degrees, x, y, z); }
    void scale(float x, float y, float z) { stack.scale(x, y, z); }
    // Pieces and materials only show in the drawing.
    template <class Part>
    void part(Part, int = 0)
    {}

    void bodyPoint() { std::memcpy(fighter.bodyMatrix, &stack.top()[0][0], sizeof fighter.bodyMatrix); }
    void weaponPoint(int slot, float x, float y, float z)
    {
        stack.push();
        stack.translate(x, y, z);
        std::memcpy(fighter.weaponPointMatrix[slot], &stack.top()[0][0], sizeof fighter.weaponPointMatrix[slot]);
        stack.pop();
        fighter.testWeaponPoint(slot);
    }

private:
    PoseStack stack;
    Fighter& fighter;
};
