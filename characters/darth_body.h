#pragma once

#include "characters/body.h"

// Darth's own pieces and materials, in the order they are drawn.
enum class DarthPart {
    TORSO,
    TORSO_LID,
    HANDLE,
    RING,
    RING_CAP,
    GLOW,
    BLADE,
    UNGLOW,
    FACE,
    HEAD_TOP,
    HEAD_BOTTOM,
    HORN
};

constexpr float DARTH_HORN_ANGLES[] = {-20, -65, -102, 130, 160, 30, 65, 102};

// The double-bladed lightsaber in the right fist. The weapon points are the
// blade tips and middles; their slots keep the order the hit rule was written with.
template <class Rig>
void walkDarthSaber(Rig& r, const Frame& pose)
{
    r.rotate(pose.lightsaberAngleForward, 1.0f, 0.0f, 0.0f);
    r.rotate(pose.lightsaberAngleRotate, 0.0f, 0.0f, 1.0f);
    r.rotate(pose.lightsaberAngleTurn, 0.0f, 1.0f, 0.0f);

    r.push();
    r.translate(-2.0f, 0.0f, 0.0f);
    r.rotate(90.0f, 0.0f, 1.0f, 0.0f);
    r.part(DarthPart::HANDLE);
    r.pop();

    for (float end : {-2.0f, 2.0f}) {
        r.push();
        r.translate(end, 0.0f, 0.0f);
        r.rotate(end < 0 ? -90.0f : 90.0f, 0.0f, 1.0f, 0.0f);
        r.part(DarthPart::RING);
        r.pop();
    }

    r.weaponPoint(0, 9.0f, 0.0f, 0.0f);
    r.weaponPoint(3, 5.5f, 0.0f, 0.0f);
    r.weaponPoint(1, -9.0f, 0.0f, 0.0f);
    r.weaponPoint(2, -5.5f, 0.0f, 0.0f);

    for (float end : {-2.0f, 2.0f}) {
        r.push();
        r.translate(end, 0.0f, 0.0f);
        r.rotate(end < 0 ? -90.0f : 90.0f, 0.0f, 1.0f, 0.0f);
        r.part(DarthPart::RING_CAP);
        r.pop();
    }

    r.part(DarthPart::GLOW);
    for (float end : {2.25f, -2.25f}) {
        r.push();
        r.translate(end, 0.0f, 0.0f);
        r.rotate(end < 0 ? -90.0f : 90.0f, 0.0f, 1.0f, 0.0f);
        r.part(DarthPart::BLADE);
        r.pop();
    }
    r.part(DarthPart::UNGLOW);
}

template <class Rig>
void walkDarthHead(Rig& r, const Frame& pose)
{
    r.rotate(pose.headAngleTurn, 0.0f, 1.0f, 0.0f);
    const struct {
        float y;
        DarthPart part;
    } layers[] = {{4.0f, DarthPart::FACE}, {5.45f, DarthPart::HEAD_TOP}, {4.5f, DarthPart::HEAD_BOTTOM}};
    for (const auto& layer : layers) {
        r.push();
        r.translate(0.0f, layer.y, 0.0f);
        r.rotate(-90.0f, 1.0f, 0.0f, 0.0f);
        r.part(layer.part);
        r.pop();
    }
    for (float angle : DARTH_HORN_ANGLES) {
        r.push();
        r.rotate(angle, 0.0f, 1.0f, 0.0f);
        r.push();
        r.translate(0.0f, 5.45f, 0.0f);
        r.rotate(-45.0f, 1.0f, 0.0f, 0.0f);
        r.part(DarthPart::HORN);
        r.pop();
        r.pop();
    }
}

// Darth from his place on the arena to the tips of his blades.
template <class Rig>
void walkDarth(Rig& r, const Character& c)
{
    const Frame& pose = c.pose;
    walkFighter(r, c, [&] {
        walkUpperBody(
            r, pose, DarthPart::TORSO, DarthPart::TORSO_LID, [&] { walkDarthSaber(r, pose); },
            [&] { walkDarthHead(r, pose); });
    });
}
