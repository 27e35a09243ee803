#include "shell/input.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "players/keyboard.h"
#include "players/pads.h"
#include "players/special_keys.h"

#include "shell/window_identity.h"

int keyState[KEY_STATE_SIZE] = {};
Controls activeControls = defaultControls();

// The controls name GLUT's special keys by GLUT's own codes.
static_assert(SPECIAL_F1 == GLUT_KEY_F1 && SPECIAL_F12 == GLUT_KEY_F12 && SPECIAL_LEFT == GLUT_KEY_LEFT &&
    SPECIAL_DOWN == GLUT_KEY_DOWN && SPECIAL_INSERT == GLUT_KEY_INSERT && SPECIAL_NUM_LOCK == GLUT_KEY_NUM_LOCK &&
    SPECIAL_BEGIN == GLUT_KEY_BEGIN && SPECIAL_SHIFT_L == GLUT_KEY_SHIFT_L && SPECIAL_SUPER_R == GLUT_KEY_SUPER_R);

namespace {

int keyboardHeld[KEY_STATE_SIZE] = {};
int padHeld[KEY_STATE_SIZE] = {};

void hold(int* source, int index, int held)
{
    if (index == UNBOUND)
        return;
    source[index] = held;
    keyState[index] = keyboardHeld[index] | padHeld[index];
}

}  // namespace

void onKeyPress(unsigned char key, int, int)
{
    hold(keyboardHeld, characterEntry(activeControls, key), 1);
}

void onKeyRelease(unsigned char key, int, int)
{
    for (int index : releasedEntries(activeControls, key))
        hold(keyboardHeld, index, 0);
}

void onSpecialPress(int key, int, int)
{
    // F11 is the window's, not a player's.
    if (key == GLUT_KEY_F11) {
        toggleFullscreen();
        return;
    }
    hold(keyboardHeld, specialEntry(activeControls, key), 1);
}

void onSpecialRelease(int key, int, int)
{
    hold(keyboardHeld, specialEntry(activeControls, key), 0);
}

void startInput()
{
    ControlsReading reading = readControlsFile(controlsFilePath());
    for (const std::string& message : reading.messages)
        std::printf("%s\n", message.c_str());
    activeControls = reading.controls;
    if (openPads())
        std::atexit(closePads);
}

MenuPresses pollInput()
{
    KeyState held;
    const MenuPresses presses = pollPads(activeControls, held);
    for (int i = 0; i < KEY_STATE_SIZE; ++i)
        if (held[i] != padHeld[i])
            hold(padHeld, i, held[i]);
    return presses;
}
