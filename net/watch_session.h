#pragma once

// A room's bouts watched live (--watch): the meeting as a watcher, and each
// bout's feed put together again as a replay that the caller plays about two
// seconds behind the players, so that the feed's bursts never stall the
// picture. The watcher sends nothing into the room.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "match/match.h"
#include "net/meeting.h"
#include "net/watch_feed.h"
#include "replay/player.h"

class WatchSession {
public:
    // Ticks received and not yet shown before a bout starts to play: two seconds.
    static constexpr std::uint32_t BEHIND = 2 * TICK_RATE;
    // Further behind than this (a watcher who came in mid-bout), it plays two ticks a frame.
    static constexpr std::uint32_t FAR_BEHIND = 3 * TICK_RATE;

    // The room's code, its server and port; the role is WATCH.
    explicit WatchSession(MeetingConfig config);

    // Once a frame: what arrived, and how many of the shown bout's ticks to
    // play now (through bout()); none while it waits for the feed to run ahead.
    int frame();
    // The bout shown, once a feed has started: the caller plays its ticks.
    ReplayPlayer* bout() { return shown ? &*shown : nullptr; }
    // What to draw: the bout, or the select screen before the first.
    const Match& match() const { return shown ? shown->match() : lobby; }
    // Waiting for a bout's feed (none started, or the last one shown to its end).
    bool betweenBouts() const { return !shown || (complete && shown->finished()); }

    // The meeting closed and everything received has been shown (a whole
    // bout's end noted by the frame after its last tick).
    bool ended() const { return closing && (!shown || (shown->finished() && (!complete || endNoted))); }
    const std::string& message() const { return why; }
    const Meeting& meeting() const { return place; }

    // Bouts shown to their end, and the last one's outcome and final state.
    int boutsShown() const { return shownToEnd; }
    const BoutOutcome& lastOutcome() const { return outcome; }
    std::uint64_t lastHash() const { return hash; }
    bool lastMatched() const { return matched; }

private:
    void take();
    void noteShownToEnd();

    MeetingConfig config;
    Meeting place;
    Match lobby;
    std::deque<Feed> queued;
    FeedReader reader;
    std::optional<ReplayPlayer> shown;
    // The shown bout's feed has ended.
    bool complete = false;
    // Its feed had a gap: said once.
    bool broken = false;
    // Playing, not waiting for the feed to run ahead again.
    bool flowing = false;
    bool closing = false;
    std::string why;
    bool endNoted = false;
    int shownToEnd = 0;
    BoutOutcome outcome;
    std::uint64_t hash = 0;
    bool matched = false;
};
