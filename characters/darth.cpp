#include "characters/darth.h"

#include "characters/core/trace.h"
#include "characters/darth_body.h"
#include "characters/pose_rig.h"

Darth::Darth(float x, float z, int player, Character* opponent) : PlayableFighter(x, z, player, opponent, darthMoves)
{
    restPose(0, false);
    trace("initializing Darth as player %d\n", player);
}

void Darth::posePass(const glm::mat4& camera)
{
    animate();
    updateFacing();
    PoseRig<Darth> rig(camera, *this);
    walkDarth(rig, *this);
}

void Darth::testWeaponPoint(int slot)
{
    const float* m = weaponPointMatrix[slot];
    if (isAttacking() && opponent && opponent->checkHit(m[12], m[13], m[14]))
        trace("Darth hit someone!\n");
}
