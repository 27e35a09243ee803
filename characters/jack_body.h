#pragma once

#include "characters/body.h"

// Jack's own pieces and materials, in the order they are drawn.
enum class JackPart { TORSO, TORSO_LID, HANDLE, BLADE, HEAD, EYE, NOSE, BIG_HORN, SMALL_HORN, BAND };

// The knife's hit points in the blade frame: the two far corners, then the
// middle and the base of the long edge.
constexpr float JACK_BLADE_POINTS[4][3] = {
    {-2.6f, 7.0f, 0.0f},
    {0.4f, 7.0f, 0.0f},
    {-2.6f, 3.5f, 0.0f},
    {-2.6f, 0.0f, 0.0f},
};

template <class Rig>
void walkJackKnife(Rig& r, const Frame& pose)
{
    r.rotate(pose.knifeAngleForward, 1.0f, 0.0f, 0.0f);
    r.rotate(pose.knifeAngleRotate, 0.0f, 0.0f, 1.0f);
    r.part(JackPart::HANDLE);
    r.translate(0.0f, 1.2f, 0.2f);
    r.rotate(pose.knifeAngleTurn, 0.0f, 1.0f, 0.0f);
    r.part(JackPart::BLADE);
    for (int slot = 0; slot < 4; ++slot)
        r.weaponPoint(slot, JACK_BLADE_POINTS[slot][0], JACK_BLADE_POINTS[slot][1], JACK_BLADE_POINTS[slot][2]);
}

template <class Rig>
void walkJackHead(Rig& r, const Frame& pose)
{
    r.rotate(pose.headAngleTurn, 0.0f, 1.0f, 0.0f);
    r.push();
    r.translate(0.0f, 5.5f, 0.0f);
    r.part(JackPart::HEAD);
    for (float eyeX : {0.75f, -0.75f}) {
        r.push();
        r.translate(eyeX, 0.6f, 1.5f);
        r.part(JackPart::EYE);
        r.pop();
    }
    r.push();
    r.translate(0.0f, 0.0f, 1.9f);
    r.part(JackPart::NOSE);
    r.pop();
    // Two cones on one line from a shared base point: the large one sunk into
    // the head with its capped base showing, the small one pointing away.
    r.push();
    r.translate(1.45f, 1.8f, 0.5f);
    r.rotate(90.0f, 1.0f, -0.8f, 0.0f);
    r.part(JackPart::BIG_HORN);
    r.pop();
    r.push();
    r.translate(1.45f, 1.8f, 0.5f);
    r.rotate(-90.0f, 1.0f, -0.8f, 0.0f);
    r.part(JackPart::SMALL_HORN);
    r.pop();
    r.push();
    r.translate(0.0f, 0.1f, 1.3f);
    r.rotate(-30.0f, 1.0f, 0.0f, 0.0f);
    r.part(JackPart::BAND);
    r.pop();
    r.pop();
}

// Jack from his place on the arena to the point of his knife.
template <class Rig>
void walkJack(Rig& r, const Character& c)
{
    const Frame& pose = c.pose;
    walkFighter(r, c, [&] {
        walkUpperBody(
            r, pose, JackPart::TORSO, JackPart::TORSO_LID, [&] { walkJackKnife(r, pose); },
            [&] { walkJackHead(r, pose); });
    });
}
