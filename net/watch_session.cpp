#include "net/watch_session.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

#include "replay/recorder.h"

namespace {

MeetingConfig asWatcher(MeetingConfig config)
{
    config.role = MeetingConfig::Role::WATCH;
    if (config.gameVersion.empty())
        config.gameVersion = gameVersion();
    return config;
}

}  // namespace

WatchSession::WatchSession(MeetingConfig cfg) : config(asWatcher(std::move(cfg))), place(config)
{
    lobby.titleShown = false;
    lobby.doorPhaseFlag = false;
}

int WatchSession::frame()
{
    std::vector<Transport::Event> events;
    place.service(events);
    for (const Transport::Event& e : events)
        if (e.kind == Transport::Event::Kind::CLOSED && !closing) {
            closing = true;
            why = e.reason;
        }
    for (Feed& f : place.takeFeed())
        queued.push_back(std::move(f));
    noteShownToEnd();
    take();
    if (!shown)
        return 0;
    const std::uint32_t ahead = shown->tickCount() - shown->ticksPlayed();
    if (ahead == 0) {
        // Starved: wait until the feed is two seconds ahead again.
        flowing = false;
        return 0;
    }
    if (complete || closing || ahead >= BEHIND)
        flowing = true;
    if (!flowing)
        return 0;
    return ahead > FAR_BEHIND ? 2 : 1;
}

void WatchSession::noteShownToEnd()
{
    if (!shown || !complete || !shown->finished() || endNoted)
        return;
    endNoted = true;
    ++shownToEnd;
    outcome = shown->outcome();
    hash = stateHash(shown->match());
    matched = shown->hashMatches();
    if (!matched)
        std::fprintf(stderr,
            "zandrel: the watched bout ended on another state than the players' (hash %016" PRIx64
            ", theirs %016" PRIx64 ")\n",
            hash, shown->recordedHash());
}

void WatchSession::take()
{
    while (!queued.empty()) {
        std::string error;
        if (const FeedStart* start = std::get_if<FeedStart>(&queued.front())) {
            // The bout shown plays out first; one whose feed broke off is left.
            if (shown && complete && !shown->finished())
                return;
            reader.take(*start, error);
            shown.emplace(reader.replay());
            complete = flowing = endNoted = broken = false;
        } else if (!reader.take(queued.front(), error)) {
            // Before any start: a watcher who came in too late for this bout waits for the next.
            if (reader.started() && !std::exchange(broken, true))
                std::fprintf(
                    stderr, "zandrel: room %s: the bout's feed broke off: %s\n", place.code().c_str(), error.c_str());
        } else if (const FeedTicks* ticks = std::get_if<FeedTicks>(&queued.front())) {
            for (const InputRun& run : ticks->runs)
                shown->append(run);
        } else {
            shown->end(std::get<FeedEnd>(queued.front()).finalHash);
            complete = true;
        }
        queued.pop_front();
    }
}
