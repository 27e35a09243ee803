#pragma once

// The codes of the special keys (function keys, arrows, modifiers) as the
// window's keyboard callbacks report them. GLUT's API fixes them; they are
// written here so that reading the controls needs no GLUT, and the shell
// checks them against GLUT's own.
enum SpecialKey : int {
    SPECIAL_F1 = 0x01,
    SPECIAL_F2 = 0x02,
    SPECIAL_F3 = 0x03,
    SPECIAL_F4 = 0x04,
    SPECIAL_F5 = 0x05,
    SPECIAL_F6 = 0x06,
    SPECIAL_F7 = 0x07,
    SPECIAL_F8 = 0x08,
    SPECIAL_F9 = 0x09,
    SPECIAL_F10 = 0x0a,
    SPECIAL_F11 = 0x0b,
    SPECIAL_F12 = 0x0c,
    SPECIAL_LEFT = 0x64,
    SPECIAL_UP = 0x65,
    SPECIAL_RIGHT = 0x66,
    SPECIAL_DOWN = 0x67,
    SPECIAL_PAGE_UP = 0x68,
    SPECIAL_PAGE_DOWN = 0x69,
    SPECIAL_HOME = 0x6a,
    SPECIAL_END = 0x6b,
    SPECIAL_INSERT = 0x6c,
    SPECIAL_NUM_LOCK = 0x6d,
    SPECIAL_BEGIN = 0x6e,
    SPECIAL_SHIFT_L = 0x70,
    SPECIAL_SHIFT_R = 0x71,
    SPECIAL_CTRL_L = 0x72,
    SPECIAL_CTRL_R = 0x73,
    SPECIAL_ALT_L = 0x74,
    SPECIAL_ALT_R = 0x75,
    SPECIAL_SUPER_L = 0x76,
    SPECIAL_SUPER_R = 0x77,
};
