#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "net/session.h"
#include "shell/options.h"

// The network game the command line asks for, if any.
std::optional<NetConfig> netConfigOf(const Options& options);

// The network game the window plays, and what it has to say.
class NetPlay {
public:
    void start(const NetConfig& config);
    // Whether a network game is under way.
    bool active() const { return session != nullptr; }
    // One frame of the network game from the tick's input: the keys of both
    // sets play this machine's fighter, clicks and pads choose it. True when
    // the session has just ended: the window goes back to its own title, with
    // the reason shown for a while.
    bool frame(const TickInput& input, TickEvents& events);
    // The match it shows (the select screen or the bout), if one is under
    // way: drawn as it is, never copied.
    const Match* match() const { return session ? &session->match() : nullptr; }
    // The network labels over the picture (waiting, round trip, why it ended).
    void drawLabels() const;

private:
    using Clock = std::chrono::steady_clock;
    std::unique_ptr<NetSession> session;
    std::string lastMessage;
    Clock::time_point messageUntil;
};
