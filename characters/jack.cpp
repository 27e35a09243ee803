#include "characters/jack.h"

#include "characters/core/trace.h"
#include "characters/jack_body.h"
#include "characters/pose_rig.h"

Jack::Jack(float x, float z, int player, Character* opponent) : PlayableFighter(x, z, player, opponent, jackMoves)
{
    restPose(0, false);
    trace("initializing Jack as player %d\n", player);
    state = RESTING;
    trace("state = RESTING\n");
}

void Jack::posePass(const glm::mat4& camera)
{
    animate();
    updateFacing();
    PoseRig<Jack> rig(camera, *this);
    walkJack(rig, *this);
}

void Jack::testWeaponPoint(int slot)
{
    if (!isAttacking() || opponent == nullptr)
        return;
    if (slot == 0)
        trace("asking if hit other person\n");
    const float* m = weaponPointMatrix[slot];
    if (opponent->checkHit(m[12], m[13], m[14]))
        trace("Jack hit someone!\n");
}
