#pragma once

#include <memory>
#include <random>

#include "match/match.h"
#include "players/cpu_player.h"

// The computer's sides of the live match, and the demo.
class ComputerSides {
public:
    // Each tick, after the keyboard has filled the key table, every side the
    // select screen gave to the computer overwrites its own seven entries.
    // Its players start afresh with each bout.
    void play(const Match& match, KeyState& keys);

    // The demo: both sides played by the computer at random levels and with
    // random fighters, bout after bout, until a key or a click ends it.
    void startDemo() { demo = chooseNow = true; }
    bool demoRunning() const { return demo; }
    // The demo's part of a tick's input: in the menu, the choices and the
    // clicks a person would make to start the next bout.
    void demoInput(const Match& match, TickInput& input);
    // Back to the title waiting for a click, both sides human, the music stopped.
    void leaveDemo(Match& match, TickEvents& events);

private:
    int randomLevel();

    std::unique_ptr<CpuPlayer> sides[2];
    // The bout its players were made for, and who played each side.
    int sidesBout = -1;
    int sidesControls[2] = {HUMAN, HUMAN};
    bool demo = false;
    // The demo's first tick gives both sides to the computer.
    bool chooseNow = false;
    std::mt19937 random{std::random_device{}()};
};
