#pragma once

// The keyboard as the input tests drive it: through the game's own callbacks.

#include "shell/shell.h"

#include <algorithm>
#include <iterator>

// Lets go of every key and special key through the callbacks, so no hold an
// earlier test left behind comes back.
inline void releaseKeyboard()
{
    for (int code = 0; code < 256; ++code)
        onKeyRelease(static_cast<unsigned char>(code), 0, 0);
    for (int code = 0; code < 128; ++code)
        onSpecialRelease(code, 0, 0);
}

// How many entries of the key table are held.
inline int heldCount()
{
    return int(std::count(std::begin(shell().keys.keyState), std::end(shell().keys.keyState), 1));
}
