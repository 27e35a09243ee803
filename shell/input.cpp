#include "shell/input.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "players/keyboard.h"
#include "players/pads.h"
#include "players/special_keys.h"
#include "shell/shell.h"
#include "shell/window_identity.h"

// The controls name GLUT's special keys by GLUT's own codes.
static_assert(SPECIAL_F1 == GLUT_KEY_F1 && SPECIAL_F12 == GLUT_KEY_F12 && SPECIAL_LEFT == GLUT_KEY_LEFT &&
    SPECIAL_DOWN == GLUT_KEY_DOWN && SPECIAL_INSERT == GLUT_KEY_INSERT && SPECIAL_NUM_LOCK == GLUT_KEY_NUM_LOCK &&
    SPECIAL_BEGIN == GLUT_KEY_BEGIN && SPECIAL_SHIFT_L == GLUT_KEY_SHIFT_L && SPECIAL_SUPER_R == GLUT_KEY_SUPER_R);

void HeldKeys::hold(int* source, int index, int held)
{
    if (index == UNBOUND)
        return;
    source[index] = held;
    keyState[index] = keyboardHeld[index] | padHeld[index];
}

void HeldKeys::keyPress(unsigned char key)
{
    hold(keyboardHeld, characterEntry(controls, key), 1);
}

void HeldKeys::keyRelease(unsigned char key)
{
    for (int index : releasedEntries(controls, key))
        hold(keyboardHeld, index, 0);
}

void HeldKeys::specialPress(int key)
{
    hold(keyboardHeld, specialEntry(controls, key), 1);
}

void HeldKeys::specialRelease(int key)
{
    hold(keyboardHeld, specialEntry(controls, key), 0);
}

void HeldKeys::start()
{
    ControlsReading reading = readControlsFile(controlsFilePath());
    for (const std::string& message : reading.messages)
        std::printf("%s\n", message.c_str());
    controls = reading.controls;
    if (openPads())
        std::atexit(closePads);
}

MenuPresses HeldKeys::poll()
{
    KeyState held;
    const MenuPresses presses = pollPads(controls, held);
    for (int i = 0; i < KEY_STATE_SIZE; ++i)
        if (held[i] != padHeld[i])
            hold(padHeld, i, held[i]);
    return presses;
}

void onKeyPress(unsigned char key, int, int)
{
    shell().keys.keyPress(key);
}

void onKeyRelease(unsigned char key, int, int)
{
    shell().keys.keyRelease(key);
}

void onSpecialPress(int key, int, int)
{
    // F11 is the window's, not a player's.
    if (key == GLUT_KEY_F11) {
        toggleFullscreen();
        return;
    }
    shell().keys.specialPress(key);
}

void onSpecialRelease(int key, int, int)
{
    shell().keys.specialRelease(key);
}

MenuPresses pollInput()
{
    return shell().keys.poll();
}
