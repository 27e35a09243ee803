#pragma once

// Poses and traces as the rule tests compare them.

#include "characters/core/character.h"
#include "characters/core/moves.h"

#include <string>

// Every field of the two poses equal.
inline bool samePose(const Frame& a, const Frame& b)
{
    for (int i = 0; i < Frame::FIELDS; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

// The pose a fighter will end on once its queue has played out.
inline const Frame& lastTarget(const Character& fighter)
{
    return fighter.framelist.back().target;
}

// The pose a move ends on.
inline const Frame& lastTarget(Keyframes keyframes)
{
    return keyframes.back().target;
}

// How many times `line` occurs in `text`.
inline int countOf(const std::string& text, const std::string& line)
{
    int n = 0;
    for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
        ++n;
    return n;
}
