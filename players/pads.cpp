#include "players/pads.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    // The same pad plugged in again has the same identity, and gets its player back.
    std::string identity;
    int player;  // 0 while it waits for a free player
    std::array<bool, PAD_INPUT_COUNT> down;
};

// A player's place for a pad: taken while its pad is connected, and kept for
// that pad (by identity) while it is away.
struct Seat {
    bool taken = false;
    std::string identity;
};

bool opened = false;
std::vector<Pad> pads;
std::array<Seat, PLAYER_COUNT> seats;
// Joysticks without a controller mapping, told about once while connected.
std::vector<SDL_JoystickID> toldAbout;

std::string identityOf(SDL_GameController* controller)
{
    char guid[33];
    SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(SDL_GameControllerGetJoystick(controller)), guid, sizeof guid);
    const char* serial = SDL_GameControllerGetSerial(controller);
    return std::string(guid) + "/" + (serial ? serial : "");
}

const char* nameOf(SDL_GameController* controller)
{
    const char* name = SDL_GameControllerName(controller);
    return name ? name : "pad";
}

void takeSeat(Pad& pad, int player)
{
    pad.player = player;
    seats[player - 1].taken = true;
    seats[player - 1].identity = pad.identity;
    std::printf("Pad \"%s\" plays player %d\n", nameOf(pad.controller), player);
}

void connect(int deviceIndex)
{
    SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
    if (!controller) {
        std::printf("Pad %d cannot be opened: %s\n", deviceIndex, SDL_GetError());
        return;
    }
    const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (std::any_of(pads.begin(), pads.end(), [id](const Pad& p) { return p.id == id; })) {
        SDL_GameControllerClose(controller);
        return;
    }
    Pad pad{controller, id, identityOf(controller), 0, {}};
    // Its own seat if it had one, else one no pad has had yet; else it waits
    // until it is pressed and a player is free.
    int player = 0;
    for (int p = PLAYER_COUNT; p >= 1; --p)
        if (!seats[p - 1].taken && seats[p - 1].identity.empty())
            player = p;
    for (int p = PLAYER_COUNT; p >= 1; --p)
        if (!seats[p - 1].taken && seats[p - 1].identity == pad.identity)
            player = p;
    if (player)
        takeSeat(pad, player);
    pads.push_back(pad);
}

// SDL knows no controller layout for it, so its buttons mean nothing to the game.
void noteJoystick(int deviceIndex)
{
    if (SDL_IsGameController(deviceIndex))
        return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (std::find(toldAbout.begin(), toldAbout.end(), id) != toldAbout.end())
        return;
    toldAbout.push_back(id);
    const char* name = SDL_JoystickNameForIndex(deviceIndex);
    std::printf(
        "Joystick \"%s\" is not a game controller SDL knows the layout of: it is not used\n", name ? name : "joystick");
}

void disconnect(SDL_JoystickID id)
{
    const auto pad = std::find_if(pads.begin(), pads.end(), [id](const Pad& p) { return p.id == id; });
    if (pad == pads.end())
        return;
    if (pad->player) {
        seats[pad->player - 1].taken = false;
        std::printf("Pad \"%s\" of player %d is gone\n", nameOf(pad->controller), pad->player);
    }
    SDL_GameControllerClose(pad->controller);
    pads.erase(pad);
}

bool pastDeadZone(Sint16 value, int sign)
{
    return sign * value / 32767.0 > PAD_DEAD_ZONE;
}

std::array<bool, PAD_INPUT_COUNT> readPad(SDL_GameController* c)
{
    std::array<bool, PAD_INPUT_COUNT> now{};
    for (int b = 0; b < PAD_BUTTON_COUNT; ++b)
        now[b] = SDL_GameControllerGetButton(c, SDL_GameControllerButton(b)) != 0;
    const auto axis = [c](SDL_GameControllerAxis a) { return SDL_GameControllerGetAxis(c, a); };
    // SDL's stick y grows downwards.
    now[PAD_LEFT_STICK_LEFT] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_LEFTX), -1);
    now[PAD_LEFT_STICK_RIGHT] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_LEFTX), 1);
    now[PAD_LEFT_STICK_UP] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_LEFTY), -1);
    now[PAD_LEFT_STICK_DOWN] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_LEFTY), 1);
    now[PAD_RIGHT_STICK_LEFT] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_RIGHTX), -1);
    now[PAD_RIGHT_STICK_RIGHT] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_RIGHTX), 1);
    now[PAD_RIGHT_STICK_UP] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_RIGHTY), -1);
    now[PAD_RIGHT_STICK_DOWN] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_RIGHTY), 1);
    now[PAD_LEFT_TRIGGER] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT), 1);
    now[PAD_RIGHT_TRIGGER] = pastDeadZone(axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT), 1);
    return now;
}

// Which of a player's seven controls the inputs hold, one bit each.
unsigned heldControls(const std::array<int, PAD_INPUT_COUNT>& binding, const std::array<bool, PAD_INPUT_COUNT>& inputs)
{
    unsigned held = 0;
    for (int i = 0; i < PAD_INPUT_COUNT; ++i)
        if (inputs[i] && binding[i] != UNBOUND)
            held |= 1u << binding[i];
    return held;
}

constexpr unsigned bit(Action c)
{
    return 1u << int(c);
}

}  // namespace

bool openPads()
{
    if (opened)
        return true;
    // The window is freeglut's, so SDL never sees the focus; and Ctrl-C
    // should still end the game as it did before SDL.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::printf("No pads: %s\n", SDL_GetError());
        return false;
    }
    opened = true;
    return true;
}

void closePads()
{
    if (!opened)
        return;
    for (Pad& pad : pads)
        SDL_GameControllerClose(pad.controller);
    pads.clear();
    seats = {};
    toldAbout.clear();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    SDL_Quit();
    opened = false;
}

MenuPresses pollPads(const Controls& controls, KeyState& held)
{
    held.fill(0);
    MenuPresses menu;
    if (!opened)
        return menu;

    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_CONTROLLERDEVICEADDED)
            connect(event.cdevice.which);
        else if (event.type == SDL_JOYDEVICEADDED)
            noteJoystick(event.jdevice.which);
        else if (event.type == SDL_CONTROLLERDEVICEREMOVED)
            disconnect(event.cdevice.which);
    }

    for (Pad& pad : pads) {
        const std::array<bool, PAD_INPUT_COUNT> now = readPad(pad.controller);
        bool anyPress = false;
        for (int i = 0; i < PAD_INPUT_COUNT; ++i)
            anyPress = anyPress || (now[i] && !pad.down[i]);
        // A waiting pad takes the first free player when pressed, even one
        // kept for a pad that has gone.
        for (int p = 1; p <= PLAYER_COUNT && pad.player == 0 && anyPress; ++p)
            if (!seats[p - 1].taken)
                takeSeat(pad, p);
        // A pad still waiting moves the menu as player 1's would.
        const auto& binding = controls.pads[std::max(pad.player, 1) - 1];
        const unsigned holding = heldControls(binding, now);
        const unsigned pressed = holding & ~heldControls(binding, pad.down);
        if (pad.player)
            for (int c = 0; c < ACTION_COUNT; ++c)
                if (holding & (1u << c))
                    held[keyIndex(pad.player, Action(c))] = 1;

        if (pressed & bit(Action::AttackH))
            menu.confirm = true;
        if (now[PAD_START] && !pad.down[PAD_START])
            menu.start = true;
        if (pressed & bit(Action::Up))
            menu.row = 0;
        if (pressed & bit(Action::Down))
            menu.row = 1;
        if (pressed & bit(Action::Left))
            ++menu.switches;
        if (pressed & bit(Action::Right))
            ++menu.switches;
        pad.down = now;
    }
    return menu;
}

int padPlayer(int instanceId)
{
    for (const Pad& pad : pads)
        if (pad.id == instanceId)
            return pad.player;
    return 0;
}
