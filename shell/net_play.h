#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "net/session.h"
#include "net/watch_session.h"
#include "shell/options.h"

// The network game the command line asks for, if any.
std::optional<NetConfig> netConfigOf(const Options& options);
// The room the command line asks to watch, if any.
std::optional<MeetingConfig> watchConfigOf(const Options& options);

// The network game the window plays or watches, and what it has to say.
class NetPlay {
public:
    void start(const NetConfig& config);
    void watch(const MeetingConfig& config);
    // Whether a network game is under way.
    bool active() const { return session != nullptr; }
    // Whether a room is being watched.
    bool watching() const { return watched != nullptr; }
    // Watching, once a frame: the ticks of the watched bout to play now, on
    // watchedBout(). When the watch has just ended, none: the window goes
    // back to its own title, with the reason shown for a while.
    int watchFrame(TickEvents& events);
    ReplayPlayer* watchedBout() { return watched ? watched->bout() : nullptr; }
    // Between frames: a session answers the other side as packets arrive.
    void waitUntil(std::chrono::steady_clock::time_point until);
    // One frame of the network game from the tick's input: the keys of both
    // sets play this machine's fighter, clicks and pads choose it. True when
    // the session has just ended: the window goes back to its own title, with
    // the reason shown for a while.
    bool frame(const TickInput& input, TickEvents& events);
    // The match it shows (the select screen or the bout), if one is under
    // way or watched: drawn as it is, never copied.
    const Match* match() const { return session ? &session->match() : watched ? &watched->match() : nullptr; }
    // The network labels over the picture (waiting, round trip, why it ended).
    void drawLabels() const;

private:
    using Clock = std::chrono::steady_clock;
    void show(const std::string& message);
    // The lines a script reads on standard output: the room's code, the path.
    void sayProgress();
    std::string connectingText() const;

    std::unique_ptr<NetSession> session;
    std::unique_ptr<WatchSession> watched;
    std::string lastMessage;
    Clock::time_point messageUntil;
    bool roomSaid = false;
    bool pathSaid = false;
};
