// One side of a network game in a process of its own, headless, with a
// scripted pair of hands: it clicks START whenever the select screen shows and
// plays the given number of bouts, printing what the window's game would
// (the confirmed trace lines) and, after each bout, its outcome and final hash.
// A watcher plays the room's bouts from their feed as the window would.
//
//   net_peer (--host PORT | --join PORT | --online HOST:PORT [--room CODE | --watch CODE])
//            --replays FOLDER [--seed N] [--delay N] [--bouts N] [--tamper-at TICK]
//            [--version TEXT] [--relay-only] [--timeout SECONDS]
//            [--paced SECONDS [--sleep-between-frames]]
//
// Prints "port N" first when hosting, "room: CODE" when it opened a room and
// "path: direct" or "path: relayed" once the path is settled. Exits 0 when
// the bouts were played (or watched), 1 when the session ended first (its
// message on stderr), 2 on bad arguments, 3 on the timeout (default 120 s).
// --paced plays at the window's 60 frames a second for SECONDS instead, then
// prints the round trip seen in the bout's second half: between frames the
// session answers what arrives, or with --sleep-between-frames only sleeps
// (how the window waited before), to measure what that costs.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "net/session.h"
#include "net/watch_session.h"
#include "tests/support/key_script.h"

namespace {

using Clock = std::chrono::steady_clock;

const MenuPoint START_CLICK{(START_LABEL.left + START_LABEL.right) / 2.0, (START_LABEL.top + START_LABEL.bottom) / 2.0};

void printBout(const NetSession& session)
{
    const Rollback& bout = *session.bout();
    if (session.message().empty()) {
        std::printf("outcome: %s\n", bout.outcome() ? describeOutcome(*bout.outcome()).c_str() : "none");
        std::printf("final state: hash %016" PRIx64 "\n", bout.overHash());
    } else {
        std::printf("ended: %s\n", session.message().c_str());
    }
    std::printf("replay: %s\n", session.savedReplay().c_str());
    std::fprintf(stderr, "rollbacks %ld, deepest %d, ticks %u, round trip %d ms\n", bout.stats().rollbacks,
        bout.stats().deepest, unsigned(bout.confirmed()), session.roundTripMs());
}

// The room's bouts from their feed, each tick as the window plays it.
int watch(const MeetingConfig& config, int bouts, Clock::time_point deadline)
{
    WatchSession watched(config);
    while (!watched.ended() && watched.boutsShown() < bouts && Clock::now() < deadline) {
        const int shownBefore = watched.boutsShown();
        for (int due = watched.frame(); due > 0; --due) {
            TickEvents events;
            watched.bout()->step(events);
        }
        if (watched.boutsShown() > shownBefore) {
            std::printf("outcome: %s\n", describeOutcome(watched.lastOutcome()).c_str());
            std::printf("final state: hash %016" PRIx64 "%s\n", watched.lastHash(),
                watched.lastMatched() ? "" : " (not the players')");
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (watched.boutsShown() < bouts) {
        std::printf("session ended: %s\n", watched.ended() ? watched.message().c_str() : "timeout");
        return watched.ended() ? 1 : 3;
    }
    return 0;
}

// "HOST:PORT", the port the meeting server's unless given.
bool splitServer(const std::string& text, MeetingConfig& config)
{
    const std::size_t colon = text.rfind(':');
    config.server = text.substr(0, colon);
    if (colon != std::string::npos)
        config.serverPort = std::uint16_t(std::atoi(text.c_str() + colon + 1));
    return !config.server.empty() && config.serverPort != 0;
}

void sayProgress(const NetSession& session, bool& roomSaid, bool& pathSaid)
{
    const Meeting* meeting = session.meeting();
    if (!meeting)
        return;
    if (!roomSaid && session.player() == 1 && !meeting->code().empty()) {
        roomSaid = true;
        std::printf("room: %s\n", meeting->code().c_str());
    }
    if (!pathSaid && session.path() != PathKind::NONE) {
        pathSaid = true;
        std::printf("path: %s\n", pathName(session.path()));
    }
}

// Frames at 60 a second for `seconds`, clicking START; the round trips seen
// once the first half is over (ENet's figure starts high and settles).
int paced(NetSession& session, KeyScript& keys, int seconds, bool sleepBetween)
{
    const auto frame = std::chrono::microseconds(16667);
    const Clock::time_point start = Clock::now(), half = start + std::chrono::seconds(seconds) / 2,
                            end = start + std::chrono::seconds(seconds);
    Clock::time_point next = start;
    long samples = 0, sum = 0;
    int least = 1 << 30, most = 0;
    bool roomSaid = false, pathSaid = false;
    while (session.phase() != NetSession::Phase::ENDED && Clock::now() < end) {
        sayProgress(session, roomSaid, pathSaid);
        std::vector<MenuPoint> clicks;
        if (session.phase() == NetSession::Phase::SELECT)
            clicks.push_back(START_CLICK);
        std::vector<SoundEvent> sounds;
        session.frame(keys.next(), clicks, {}, sounds);
        if (session.phase() == NetSession::Phase::BOUT && Clock::now() > half) {
            const int rtt = session.roundTripMs();
            sum += rtt;
            ++samples;
            least = std::min(least, rtt);
            most = std::max(most, rtt);
        }
        next += frame;
        if (sleepBetween)
            std::this_thread::sleep_until(next);
        else
            session.waitUntil(next);
    }
    if (samples == 0) {
        std::printf("session ended: %s\n", session.message().c_str());
        return 1;
    }
    std::printf("round trip: mean %.1f ms, least %d, most %d, over %ld frames\n", double(sum) / double(samples), least,
        most, samples);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    NetConfig config;
    MeetingConfig meeting;
    bool online = false;
    std::uint32_t seed = 1;
    int bouts = 1;
    long tamperAt = -1;
    int timeoutSeconds = 120;
    int pacedSeconds = 0;
    bool sleepBetween = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--relay-only") {
            meeting.relayOnly = true;
            continue;
        }
        if (arg == "--sleep-between-frames") {
            sleepBetween = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!value) {
            std::fprintf(stderr, "net_peer: %s wants a value\n", arg.c_str());
            return 2;
        }
        ++i;
        if (arg == "--host" || arg == "--join") {
            config.host = arg == "--host";
            config.port = std::uint16_t(std::atoi(value));
        } else if (arg == "--replays") {
            config.replayFolder = value;
        } else if (arg == "--seed") {
            seed = std::uint32_t(std::strtoul(value, nullptr, 10));
        } else if (arg == "--delay") {
            config.delay = std::atoi(value);
        } else if (arg == "--bouts") {
            bouts = std::atoi(value);
        } else if (arg == "--tamper-at") {
            tamperAt = std::atol(value);
        } else if (arg == "--version") {
            config.gameVersion = value;
        } else if (arg == "--online") {
            online = true;
            if (!splitServer(value, meeting)) {
                std::fprintf(stderr, "net_peer: bad server %s\n", value);
                return 2;
            }
        } else if (arg == "--room" || arg == "--watch") {
            meeting.role = arg == "--room" ? MeetingConfig::Role::JOIN : MeetingConfig::Role::WATCH;
            meeting.code = value;
        } else if (arg == "--paced") {
            pacedSeconds = std::atoi(value);
        } else if (arg == "--timeout") {
            timeoutSeconds = std::atoi(value);
        } else {
            std::fprintf(stderr, "net_peer: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    if (config.replayFolder.empty()) {
        std::fprintf(stderr, "net_peer: --replays is needed, so that tests never write into the home folder\n");
        return 2;
    }
    // A different health on one side from the given tick on: a desync.
    if (tamperAt >= 0)
        config.tamper = [tamperAt](Match& m) {
            if (m.tick == std::uint64_t(tamperAt) && m.playerOne)
                m.playerOne->health -= 1.0f;
        };
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    meeting.gameVersion = config.gameVersion;
    if (online && meeting.role == MeetingConfig::Role::WATCH)
        return watch(meeting, bouts, deadline);
    if (online)
        config.online = meeting;

    NetSession session(config);
    if (config.host && !online)
        std::printf("port %u\n", unsigned(session.localPort()));
    KeyScript keys(seed);
    if (pacedSeconds > 0)
        return paced(session, keys, pacedSeconds, sleepBetween);
    int played = 0;
    bool roomSaid = false, pathSaid = false;
    while (session.phase() != NetSession::Phase::ENDED && played < bouts) {
        if (Clock::now() > deadline) {
            std::printf("session ended: timeout\n");
            return 3;
        }
        sayProgress(session, roomSaid, pathSaid);
        const bool inBout = session.phase() == NetSession::Phase::BOUT;
        std::vector<MenuPoint> clicks;
        if (session.phase() == NetSession::Phase::SELECT)
            clicks.push_back(START_CLICK);
        std::vector<SoundEvent> sounds;
        session.frame(keys.next(), clicks, {}, sounds);
        if (inBout && session.phase() != NetSession::Phase::BOUT) {
            printBout(session);
            if (session.phase() == NetSession::Phase::SELECT)
                ++played;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (played < bouts) {
        std::printf("session ended: %s\n", session.message().c_str());
        return 1;
    }
    // The other side may still wait for this one's last word on the bout:
    // stay until it leaves, or a few seconds.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (session.phase() != NetSession::Phase::ENDED && std::chrono::steady_clock::now() < until) {
        std::vector<SoundEvent> sounds;
        session.frame(0, {}, {}, sounds);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return 0;
}
