#pragma once

#include <span>

#include "characters/core/events.h"
#include "characters/core/frame.h"

// How a keyframe joins the queue: appended behind the last target, cutting
// off whatever is queued and blending from the live pose, or as the caller says.
enum Blend { APPEND = 0, INTERRUPT = 1, CALLER = 2 };

// One keyframe of a move: its step count, how it is queued, and its target.
struct Keyframe {
    int steps;
    Blend blend;
    Frame target;
};

using Keyframes = std::span<const Keyframe>;

// The controls an attack row needs held, as a mask.
enum Control : unsigned {
    CONTROL_UP = 1u << 0,
    CONTROL_DOWN = 1u << 1,
    CONTROL_RIGHT = 1u << 2,
    CONTROL_LEFT = 1u << 3,
    CONTROL_H = 1u << 4,
    CONTROL_V = 1u << 5,
};

constexpr int STATE_UNCHANGED = -1;

// One row of a character's attack table, evaluated in table order by update().
struct AttackRow {
    unsigned keys;        // every control in the mask must be held
    bool gated;           // fires only while not attacking
    Keyframes keyframes;  // queued in order
    bool rest;            // then restPose(5, false)
    bool sound;           // then restart the attack sound
    int state;            // state set at the end, or STATE_UNCHANGED
    const char* message;  // printed at the end, or null
};

// Everything that makes a fighter move like Darth or like Jack.
struct MoveSet {
    Frame rest;
    Keyframes block;
    Keyframes breathing;
    Keyframes circleStep;
    Keyframes walkStep;
    Keyframes hitReaction;
    Keyframes ringOut;
    Keyframes lose;
    Keyframes win;
    std::span<const AttackRow> attackRows;
    SoundId attackSound = SoundId::NONE;
    SoundId blockSound = SoundId::NONE;
    SoundId hitSound = SoundId::NONE;
    SoundId ringoutSound = SoundId::NONE;
    SoundId winSound = SoundId::NONE;
};
