#include "shell/input.h"

#include <GL/freeglut.h>

#include "shell/window_identity.h"

int keyState[KEY_STATE_SIZE] = {};

namespace {

// Player 1's seven letters and player 2's three digits; only lower case is
// bound, so Shift or Caps Lock turn player 1's keys off.
int characterIndex(unsigned char key)
{
    switch (key) {
    case 'a': return 0;
    case 'w': return 1;
    case 'd': return 2;
    case 's': return 3;
    case 't': return 4;
    case 'y': return 5;
    case 'u': return 6;
    case '1': return 11;
    case '2': return 12;
    case '3': return 13;
    default: return -1;
    }
}

// Player 2's arrows.
int specialIndex(int key)
{
    switch (key) {
    case GLUT_KEY_LEFT: return 7;
    case GLUT_KEY_UP: return 8;
    case GLUT_KEY_RIGHT: return 9;
    case GLUT_KEY_DOWN: return 10;
    default: return -1;
    }
}

void setKey(int index, int held)
{
    if (index >= 0)
        keyState[index] = held;
}

}  // namespace

void onKeyPress(unsigned char key, int, int)
{
    setKey(characterIndex(key), 1);
}

void onKeyRelease(unsigned char key, int, int)
{
    setKey(characterIndex(key), 0);
}

void onSpecialPress(int key, int, int)
{
    // F11 is the window's, not a player's.
    if (key == GLUT_KEY_F11) {
        toggleFullscreen();
        return;
    }
    setKey(specialIndex(key), 1);
}

void onSpecialRelease(int key, int, int)
{
    setKey(specialIndex(key), 0);
}
