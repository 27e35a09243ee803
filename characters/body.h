#pragma once

#include "characters/core/character.h"

// The skeleton Darth and Jack share, written once for every pass over a body.
// A Rig is anything with GL's matrix verbs (push, pop, translate, rotate,
// scale) and the body's own: part(Part, side) to draw a piece, bodyPoint()
// and weaponPoint(slot, x, y, z) where hits are measured. The pose pass's rig
// only moves matrices; the drawing's rig also draws.
enum Side { LEFT = 0, RIGHT = 1 };

// The limb pieces both fighters have, in the order they hang.
enum class Limb { UPPER_ARM, ELBOW, FORE_ARM, FIST, UPPER_LEG, KNEE, LOWER_LEG, ANKLE, FOOT };

// Where the fighter stands, which way it faces (player 2 mirrored), then the
// root both bodies hang from: the torso and its arms and head, then the legs.
template <class Rig, class Torso>
void walkFighter(Rig& r, const Character& c, Torso torso)
{
    const Frame& pose = c.pose;
    r.push();
    r.translate(c.x, 0.0f, c.z);
    r.rotate(c.facing, 0.0f, 1.0f, 0.0f);
    if (c.player == 2)
        r.scale(-1.0f, 1.0f, 1.0f);
    r.push();
    r.rotate(60.0f, 0.0f, 1.0f, 0.0f);
    r.translate(0.0f, pose.bodyHeight, 0.0f);
    r.scale(-1.0f, 1.0f, 1.0f);
    r.push();
    torso();
    r.pop();
    r.push();
    walkLeg(r, LEFT, 0.6f, pose.legLUpperAngleRotate, pose.legLUpperAngleOut, pose.legLLowerAngle, pose.legLAnkle);
    // The right hip's rotation runs the other way.
    walkLeg(r, RIGHT, -0.6f, -pose.legRUpperAngleRotate, pose.legRUpperAngleOut, pose.legRLowerAngle, pose.legRAnkle);
    r.pop();
    r.pop();
    r.pop();
}

// The torso's own turn and tilts, where the body point is taken.
template <class Rig>
void turnTorso(Rig& r, const Frame& pose)
{
    r.translate(0.0f, 2.5f, 0.0f);
    r.rotate(pose.bodyAngleTurn, 0.0f, 1.0f, 0.0f);
    r.rotate(pose.bodyAngleTiltForward, 1.0f, 0.0f, 0.0f);
    r.rotate(pose.bodyAngleTiltSide, 0.0f, 0.0f, 1.0f);
    r.bodyPoint();
}

// The torso and its lid, both arms (the right fist holding the weapon), then the head.
template <class Rig, class Part, class Weapon, class Head>
void walkUpperBody(Rig& r, const Frame& pose, Part torso, Part lid, Weapon weapon, Head head)
{
    r.push();
    turnTorso(r, pose);
    r.push();
    r.rotate(-90.0f, 1.0f, 0.0f, 0.0f);
    r.part(torso);
    r.pop();
    r.push();
    r.translate(0.0f, 3.5f, 0.0f);
    r.rotate(-90.0f, 1.0f, 0.0f, 0.0f);
    r.part(lid);
    r.pop();
    walkArm(r, pose, LEFT, [] {});
    walkArm(r, pose, RIGHT, weapon);
    head();
    r.pop();
}

// An arm from the shoulder to the fist; `hand` runs in the fist's frame.
template <class Rig, class Hand>
void walkArm(Rig& r, const Frame& pose, Side side, Hand hand)
{
    r.push();
    if (side == LEFT) {
        r.translate(2.0f, 2.5f, 0.5f);
        r.rotate(90.0f, 1.0f, 0.0f, 0.0f);
        r.rotate(pose.armLUpperAngleForward, -1.0f, 0.0f, 0.0f);
        r.rotate(pose.armLUpperAngleOut, 0.0f, 1.0f, 0.0f);
        r.rotate(pose.armLUpperAngleRotate, 0.0f, 0.0f, -1.0f);
    } else {
        r.translate(-2.0f, 2.5f, -0.5f);
        r.rotate(90.0f, 1.0f, 0.0f, 0.0f);
        r.rotate(pose.armRUpperAngleForward, -1.0f, 0.0f, 0.0f);
        r.rotate(pose.armRUpperAngleOut, 0.0f, -1.0f, 0.0f);
        r.rotate(pose.armRUpperAngleRotate, 0.0f, 0.0f, 1.0f);
    }
    r.part(Limb::UPPER_ARM, side);
    r.translate(0.0f, 0.0f, 2.0f);
    r.part(Limb::ELBOW, side);
    if (side == LEFT)
        r.rotate(-pose.armLForeAngle, 0.0f, 1.0f, 0.0f);
    else
        r.rotate(pose.armRForeAngle, 0.0f, 1.0f, 0.0f);
    r.part(Limb::FORE_ARM, side);
    r.translate(0.0f, 0.0f, 1.8f);
    r.part(Limb::FIST, side);
    hand();
    r.pop();
}

template <class Rig>
void walkLeg(Rig& r, Side side, float hipX, float upperRotate, float upperOut, float lowerAngle, float ankle)
{
    r.push();
    r.translate(hipX, 2.5f, 0.5f);
    r.rotate(upperRotate, 0.0f, 0.0f, 1.0f);
    r.rotate(upperOut, 1.0f, 0.0f, 0.0f);
    r.part(Limb::UPPER_LEG, side);
    r.translate(0.0f, 0.0f, 1.25f);
    r.part(Limb::KNEE, side);
    r.rotate(lowerAngle, 1.0f, 0.0f, 0.0f);
    r.part(Limb::LOWER_LEG, side);
    r.translate(0.0f, 0.0f, 1.25f);
    r.part(Limb::ANKLE, side);
    r.rotate(ankle, -1.0f, 0.0f, 0.0f);
    r.part(Limb::FOOT, side);
    r.pop();
}
