#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "characters/core/key_layout.h"

// Everything on a pad that can be bound: SDL's buttons in SDL's order, then
// the stick directions and the triggers, which act once pushed past the dead zone.
enum PadInput {
    PAD_SOUTH,
    PAD_EAST,
    PAD_WEST,
    PAD_NORTH,
    PAD_BACK,
    PAD_GUIDE,
    PAD_START,
    PAD_LEFT_STICK_CLICK,
    PAD_RIGHT_STICK_CLICK,
    PAD_LEFT_SHOULDER,
    PAD_RIGHT_SHOULDER,
    PAD_DPAD_UP,
    PAD_DPAD_DOWN,
    PAD_DPAD_LEFT,
    PAD_DPAD_RIGHT,
    PAD_MISC,
    PAD_PADDLE1,
    PAD_PADDLE2,
    PAD_PADDLE3,
    PAD_PADDLE4,
    PAD_TOUCHPAD,
    PAD_LEFT_STICK_LEFT,
    PAD_LEFT_STICK_RIGHT,
    PAD_LEFT_STICK_UP,
    PAD_LEFT_STICK_DOWN,
    PAD_RIGHT_STICK_LEFT,
    PAD_RIGHT_STICK_RIGHT,
    PAD_RIGHT_STICK_UP,
    PAD_RIGHT_STICK_DOWN,
    PAD_LEFT_TRIGGER,
    PAD_RIGHT_TRIGGER,
    PAD_INPUT_COUNT
};
constexpr int PAD_BUTTON_COUNT = PAD_LEFT_STICK_LEFT;

constexpr int CHARACTER_CODES = 256;
// GLUT's special key codes (function keys, arrows, modifiers) are all below this.
constexpr int SPECIAL_KEY_CODES = 128;
constexpr int UNBOUND = -1;

struct Controls {
    // Key-table index each 8-bit character holds, or UNBOUND.
    std::array<int, CHARACTER_CODES> characters;
    // Key-table index each GLUT special key holds, or UNBOUND.
    std::array<int, SPECIAL_KEY_CODES> specials;
    // For each player's pad, the Action each input gives, or UNBOUND.
    std::array<std::array<int, PAD_INPUT_COUNT>, PLAYER_COUNT> pads;
};

// A controls file larger than this is not one.
constexpr std::size_t CONTROLS_FILE_LIMIT = 64 * 1024;
constexpr std::size_t CONTROLS_LINE_LIMIT = 160;

struct ControlsReading {
    Controls controls;
    // One per bad line or bad file, naming the file and the line.
    std::vector<std::string> messages;
};

// The keys the game has always had, and the pad layout.
Controls defaultControls();
// A controls file's text over the defaults: each control it names loses its
// default keys and takes the ones given. A bad line is reported and ignored.
ControlsReading parseControls(std::string_view text, const std::string& fileName);
// The same from a file; a missing file gives the defaults without a word.
ControlsReading readControlsFile(const std::string& path);
// $XDG_CONFIG_HOME/zandrel/controls.conf, or ~/.config/zandrel/controls.conf;
// empty when there is no home to look in.
std::string controlsFilePath();
// The bindings in the file's own format, one commented line per control.
std::string formatControls(const Controls& controls);
