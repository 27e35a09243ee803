#include "net/watch_feed.h"

#include "net/rollback.h"
#include "replay/recorder.h"

namespace {

// A run holds at most this many ticks on the wire.
constexpr std::uint32_t MAX_RUN = 0xffff;

}  // namespace

FeedStart FeedWriter::start(std::uint16_t id, int choiceOne, int choiceTwo)
{
    bout = id;
    sent = gathered = 0;
    pending = FeedTicks{id, 0, {}};
    return {id, std::uint8_t(choiceOne), std::uint8_t(choiceTwo)};
}

std::optional<FeedTicks> FeedWriter::add(const TickRecord& tick)
{
    std::vector<InputRun>& runs = pending.runs;
    if (!runs.empty() && runs.back().input == tick && runs.back().ticks < MAX_RUN)
        ++runs.back().ticks;
    else
        runs.push_back({tick, 1});
    ++gathered;
    if (gathered >= TICKS_PER_MESSAGE || int(runs.size()) == MAX_FEED_RUNS)
        return flush();
    return std::nullopt;
}

std::optional<FeedTicks> FeedWriter::flush()
{
    if (gathered == 0)
        return std::nullopt;
    FeedTicks out = std::exchange(pending, FeedTicks{bout, sent + gathered, {}});
    sent += gathered;
    gathered = 0;
    return out;
}

bool FeedReader::take(const Feed& message, std::string& error)
{
    if (const FeedStart* start = std::get_if<FeedStart>(&message)) {
        begun = true;
        over = false;
        boutId = start->bout;
        replayed = Replay{};
        replayed.gameVersion = gameVersion();
        replayed.start = boutStartOf(networkMatch(start->choiceOne, start->choiceTwo));
        return true;
    }
    if (!begun) {
        error = "ticks of a bout whose start never came";
        return false;
    }
    if (const FeedTicks* ticks = std::get_if<FeedTicks>(&message)) {
        if (over || ticks->bout != boutId || ticks->firstTick != replayed.tickCount) {
            error = "ticks from " + std::to_string(ticks->firstTick) + " where " + std::to_string(replayed.tickCount) +
                " were due";
            return false;
        }
        for (const InputRun& run : ticks->runs)
            for (std::uint32_t i = 0; i < run.ticks; ++i)
                replayed.append(run.input);
        return true;
    }
    const FeedEnd& end = std::get<FeedEnd>(message);
    if (over || end.bout != boutId || end.ticks != replayed.tickCount) {
        error = "the bout ends at tick " + std::to_string(end.ticks) + " after " + std::to_string(replayed.tickCount);
        return false;
    }
    replayed.finalHash = end.finalHash;
    over = true;
    return true;
}
