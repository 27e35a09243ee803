#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "match/match.h"
#include "shell/clock.h"
#include "shell/computer_sides.h"
#include "shell/input.h"
#include "shell/net_play.h"
#include "shell/replay_playback.h"
#include "shell/replay_recording.h"

// The running game, owned by main: the match, the input gathered for the
// next tick, the network session, the computer sides, the recorder and a
// replay being watched. The window's callbacks reach it through shell().
//
// Every kind of play goes through one frame path: the ticks due (one, a
// watched replay's at its speed, or a watched room's as its feed allows),
// each from a TickInput (the keys, pads and clicks with the demo's choices,
// or the recorded tick): record, computer sides, step (or the network
// session), sounds; then the picture.
class Shell {
public:
    Shell() = default;
    // Saves a bout under way.
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

    void frame();
    // A watched replay's next tick (the right arrow while paused); false once it is over.
    bool stepPlayback();
    // The picture of the match as its last tick left it; changes nothing.
    void draw();
    // An expose, a resize or a replay's key: the next paced frame draws the
    // window even if it plays no tick. A storm of window events costs no more
    // than the frames the game draws anyway.
    void markWindow() { windowMarked = true; }
    // A key or a click during the demo ends it; that key or click does nothing else.
    void endDemo();
    // Waits out the rest of the 1/60 s frame.
    void waitForNextFrame();
    // A quit signal ends the game as closing the window does: the bout in
    // play saved, then exit.
    [[noreturn]] void quit(int signal);

    Match match;
    HeldKeys keys;
    // Mouse button releases for the next tick, on the menu's layout.
    std::vector<MenuPoint> releases;
    // The release of the click that ended the demo.
    bool swallowRelease = false;
    ComputerSides computer;
    NetPlay net;
    Recording recording;
    std::unique_ptr<Playback> playback;
    // The exit code once a watched replay is over.
    int exitCode = 0;
    // Tests move the calendar by hand.
    long (*calendar)() = systemCalendarSeconds;
    // Pictures drawn so far.
    std::uint64_t framesDrawn = 0;

private:
    int ticksDue();
    // The recorded bout played instead of the live match: a watched replay's or room's.
    ReplayPlayer* recorded();
    TickInput gatherInput();
    bool nextInput(TickInput& input, TickEvents& events);
    void tick(TickInput input, TickEvents& events);
    // A watched replay that has played its last tick: its outcome said once,
    // the main loop left.
    bool playbackOver();

    bool playbackReported = false;
    bool windowMarked = true;
    std::chrono::steady_clock::time_point nextFrame = std::chrono::steady_clock::now();
};

// The shell the window's callbacks act on; main puts its own in use.
Shell& shell();
void useShell(Shell* shell);
