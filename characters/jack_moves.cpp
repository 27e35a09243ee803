#include "characters/jack.h"

// The rows stay one keyframe a line, as the move tables are written.
// clang-format off
namespace {

// Keyframes: steps, how each joins the queue, then the 24 pose values in
// Frame field order.

constexpr Keyframe block[] = {
    {5, INTERRUPT, {8, 0, 22, 0, 0, 72, 17, 46, 110, 58, 11, 48, 98, 86, 66, 100, 90, 194, 256, -100, 32, 96, 158, -38}},
};

constexpr Keyframe breathing[] = {
    {25, APPEND, {10, 0, 0, 0.1, 0, 72, 17, 46, 110, 58, 11, 48, 98, 66, 66, -12, 90, 170, 192, -106, 80, 86, 0, -16}},
};

// The spin: the body turns through 338 degrees while the head turns the other way.
constexpr Keyframe spin[] = {
    {10, INTERRUPT, {8, 0, 64, 0, -92, 72, 17, 46, 110, 78, 11, 48, 98, 2, 84, -12, 90, 170, 260, -106, 24, -34, 42, 58}},
    {10, APPEND, {8, 0, 4, 1.2, -36, 72, -19, 46, 40, 74, -5, 48, 28, 68, 84, -12, -2, 114, 280, 6, 24, 30, 98, 20}},
    {10, APPEND, {-12, 0, -148, 1.2, 120, 72, -19, 46, 40, 74, -5, 48, 28, 68, 84, -12, -2, 114, 280, 6, 24, 30, 98, 20}},
    {10, APPEND, {-12, 0, -274, 1.2, 260, 72, -19, 46, 40, 74, -5, 48, 28, 68, 84, -12, -2, 114, 280, 6, 24, 30, 98, 20}},
};

constexpr Keyframe downV[] = {
    {5, INTERRUPT, {6, 0, 0, 0, 0, 72, 17, 46, 110, 58, 11, 48, 98, 98, 66, -12, 96, 174, 210, -98, 52, 86, 54, -16}},
    {5, APPEND, {14, 0, -30, 0, 0, 72, 17, 46, 110, 58, 11, 48, 98, 46, 68, -4, 24, 174, 210, -98, 52, 172, 54, -16}},
};

constexpr Keyframe attackV[] = {
    {10, INTERRUPT, {10, 0, -88, 0, 0, 72, 17, 46, 110, 20, 17, 22, 98, 88, 66, 76, 68, 162, 240, -82, 24, 86, 0, -16}},
    {8, APPEND, {8, 0, -16, 0, 0, 72, 17, 46, 110, 20, 9, 48, 98, 20, 172, 8, 14, 136, 192, -104, 10, 94, 0, -6}},
    {8, APPEND, {14, 2, 0, 0, 0, 72, 17, 46, 110, 142, 17, 22, 98, 34, 34, 18, 6, 148, 138, -82, 24, 86, 10, -18}},
};

constexpr Keyframe attackH[] = {
    {10, INTERRUPT, {4, 0, -48, 0, 58, 72, 17, 46, 110, 58, 11, 48, 98, 8, 50, 142, 62, 180, 202, -106, 80, 64, 130, 12}},
    {10, APPEND, {8, 0, -22, 0, 0, 72, 17, 46, 110, 58, 11, 48, 98, 8, 50, 142, 62, 180, 154, -106, 80, 64, 130, 12}},
};

constexpr Keyframe circleStep[] = {
    {10, CALLER, {8, 0, 0, 0, 0, 76, 25, 26, 96, 74, 21, 40, 100, 90, 66, -20, 64, 184, 186, -106, 90, 86, 0, -16}},
};

constexpr Keyframe walkStep[] = {
    {10, CALLER, {8, 0, -34, 0, 0, 58, 17, 18, 78, 80, 19, 98, 98, 70, 66, -48, 90, 174, 236, -98, 88, 86, 0, -8}},
    {10, APPEND, {14, 0, -2, 0, 8, 84, 5, 4, 94, 26, 17, 106, 104, 70, 66, -18, 88, 162, 180, -98, 96, 86, 2, -6}},
    {10, APPEND, {-4, 0, -2, -0.4, -8, 38, 5, 70, 104, 52, 7, 48, 104, 58, 46, -34, 86, 178, 180, -108, 96, 84, 2, -6}},
};

constexpr Keyframe hitReaction[] = {
    {5, INTERRUPT, {-26, 0, 0, 0, 36, 72, 17, 46, 110, 58, 11, 48, 98, 100, 66, -40, 90, 170, 194, -68, 64, 86, 0, -16}},
};

constexpr Keyframe ringOut[] = {
    {20, INTERRUPT, {-46, 0, 0, -1.5, 36, 72, 17, 46, 110, 58, 11, 48, 98, 112, 66, 46, 90, 170, 266, -68, 14, 86, 0, -16}},
    {100, APPEND, {-88, 2, -24, -40.8, 68, 26, 17, 4, 110, 40, 11, -6, 98, 126, 84, 68, 90, 152, 372, -66, 14, 86, 0, -16}},
};

constexpr Keyframe lose[] = {
    {20, INTERRUPT, {-46, 0, 0, 0, 36, 72, 17, 46, 110, 58, 11, 48, 98, 112, 66, 46, 90, 170, 266, -68, 14, 86, 0, -16}},
    {20, APPEND, {-88, 2, -24, -0.8, 68, 26, 17, 4, 110, 40, 11, -6, 98, 126, 84, 68, 90, 152, 372, -66, 14, 86, 0, -16}},
};

constexpr Keyframe win[] = {
    {25, APPEND, {8, 0, 28, 0, 0, 54, 11, 46, 88, 88, 27, 48, 110, 88, 66, -12, 76, 156, 192, -106, 30, 86, 0, -16}},
    {25, APPEND, {8, 4, 36, 0, -20, 66, 3, 46, 102, 104, 41, 48, 88, 54, 130, 12, 72, 88, 192, -40, 82, 100, 32, 4}},
    {25, APPEND, {0, 8, 42, 0, -4, 60, -1, 46, 102, 104, 55, 48, 88, 72, 130, 52, 54, 78, 192, -2, 50, 224, 88, 4}},
    {25, APPEND, {6, 12, 42, 0, 6, 60, -1, 46, 102, 104, 55, 48, 88, 70, 130, -22, 54, 78, 168, -42, 102, 396, 88, 4}},
    {25, APPEND, {14, 12, 20, 0, 20, 44, -1, 46, 84, 138, 55, 48, 70, 106, 104, 12, 30, 166, 268, -146, 2, 366, 88, 4}},
};


constexpr AttackRow attackRows[] = {
    {CONTROL_LEFT | CONTROL_H, false, spin, false, false, STATE_UNCHANGED, nullptr},
    {CONTROL_DOWN | CONTROL_V, true, downV, false, false, ATTACK_V, nullptr},
    {CONTROL_V, true, attackV, true, true, ATTACK_V, "state = ATTACK_V\n"},
    {CONTROL_H, true, attackH, true, true, ATTACK_H, "state = ATTACK_H\n"},
};

}  // namespace

const MoveSet jackMoves = {
    {8, 0, 0, 0, 0, 72, 17, 46, 110, 58, 11, 48, 98, 66, 66, -12, 90, 170, 192, -106, 80, 86, 0, -16},
    block,
    breathing,
    circleStep,
    walkStep,
    hitReaction,
    ringOut,
    lose,
    win,
    attackRows,
    SoundId::JACK_ATTACK,
    SoundId::JACK_BLOCK,
    SoundId::JACK_HIT,
    SoundId::JACK_RINGOUT,
    SoundId::JACK_WIN,
};
// clang-format on
