#pragma once

// A bout's confirmed ticks as feed messages for its watchers, and the
// watcher's replay put together again from them.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "net/meeting_protocol.h"
#include "replay/replay_file.h"

class FeedWriter {
public:
    // Ticks gathered into one message: four a second, well inside the
    // watchers' two seconds behind.
    static constexpr std::uint32_t TICKS_PER_MESSAGE = 15;

    FeedStart start(std::uint16_t bout, int choiceOne, int choiceTwo);
    // The next confirmed tick; a message once enough have gathered.
    std::optional<FeedTicks> add(const TickRecord& tick);
    // The ticks gathered and not yet sent, if any.
    std::optional<FeedTicks> flush();
    FeedEnd end(std::uint64_t finalHash) const { return {bout, sent + gathered, finalHash}; }

private:
    std::uint16_t bout = 0;
    std::uint32_t sent = 0;
    std::uint32_t gathered = 0;
    FeedTicks pending;
};

class FeedReader {
public:
    // Takes the next message; false, with why in `error`, when it does not
    // follow the ones before (the replay so far stays as it was).
    bool take(const Feed& message, std::string& error);

    bool started() const { return begun; }
    bool ended() const { return over; }
    std::uint16_t bout() const { return boutId; }
    // The bout so far: its start and the ticks received, the final hash once ended.
    const Replay& replay() const { return replayed; }

private:
    bool begun = false;
    bool over = false;
    std::uint16_t boutId = 0;
    Replay replayed;
};
