// One side of a meeting in a process of its own, headless, for the test of
// players behind routers: it opens, joins or watches a room on the server,
// then sends game-sized packets to the other player and checks what arrives.
//
//   meet_peer --server HOST:PORT (--open | --join CODE | --watch CODE)
//             [--messages N] [--feed TICKS] [--relay-only] [--quit-when-open]
//             [--linger MS] [--timeout SECONDS]
//   meet_peer --flood HOST:PORT [--count N] [--timeout SECONDS]
//
// Prints "room: CODE", "path: direct" or "path: relayed", "exchanged: N",
// "feed: ..." and "closed: WHY" as they happen. Exits 0 when done, 1 when the
// meeting closed first, 2 on bad arguments, 3 on the timeout.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "net/meeting.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t RELIABLE_SIZE = 200;
constexpr std::size_t UNRELIABLE_SIZE = 40;

void say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

bool splitAddress(const std::string& text, std::string& host, std::uint16_t& port)
{
    const std::size_t colon = text.rfind(':');
    host = text.substr(0, colon);
    port = colon == std::string::npos ? DEFAULT_SERVER_PORT : std::uint16_t(std::atoi(text.c_str() + colon + 1));
    return !host.empty() && port != 0;
}

std::vector<std::uint8_t> numbered(std::uint32_t n, std::size_t size)
{
    std::vector<std::uint8_t> p(size, std::uint8_t(n * 7));
    for (int i = 0; i < 4; ++i)
        p[std::size_t(i)] = std::uint8_t(n >> (8 * i));
    return p;
}

std::uint32_t numberOf(const std::vector<std::uint8_t>& p)
{
    return p.size() < 4 ? 0 : std::uint32_t(p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24);
}

// Garbage of every kind at the server, as fast as the socket takes it: what
// comes back must never outweigh what went.
int flood(const std::string& host, std::uint16_t port, long count, Clock::duration limit)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    if (inet_pton(AF_INET, host.c_str(), &to.sin_addr) != 1)
        return 2;
    std::mt19937 random(7);
    long sent = 0, sentBytes = 0, back = 0, backBytes = 0;
    auto drain = [&] {
        std::uint8_t buffer[2048];
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0; backBytes += n)
            ++back;
    };
    const Clock::time_point end = Clock::now() + limit;
    for (long i = 0; i < count && Clock::now() < end; ++i) {
        std::vector<std::uint8_t> bytes;
        switch (i % 8) {
        case 0: bytes = encodeDatagram(CookieRequest{}); break;
        case 1: bytes = encodeDatagram(CookieRequest{}), bytes.pop_back(); break;
        case 2: bytes = encodeDatagram(Punch{random() | 1ull, 1, false}); break;
        case 3:
            // Shaped like an ENet connect, with a cookie made up.
            bytes.assign(52, 0);
            bytes[0] = 0x8f, bytes[1] = 0xff, bytes[4] = 0x82;
            for (int k = 48; k < 52; ++k)
                bytes[std::size_t(k)] = std::uint8_t(random());
            break;
        default:
            bytes.resize(1 + random() % 600);
            for (std::uint8_t& b : bytes)
                b = std::uint8_t(random());
        }
        if (sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to) > 0) {
            ++sent;
            sentBytes += long(bytes.size());
        }
        if (i % 64 == 0)
            drain();
    }
    std::this_thread::sleep_for(500ms);
    drain();
    ::close(fd);
    say("flood: sent " + std::to_string(sent) + " datagrams of " + std::to_string(sentBytes) + " bytes, got back " +
        std::to_string(back) + " of " + std::to_string(backBytes) + " bytes");
    return backBytes <= sentBytes ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    MeetingConfig config;
    config.gameVersion = "meet_peer";
    std::string serverText, floodTarget;
    int messages = 100;
    int feedTicks = 0;
    bool quitWhenOpen = false;
    int lingerMs = 1500;
    long floodCount = 20000;
    int timeoutSeconds = 20;
    bool roleGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--open" || arg == "--relay-only" || arg == "--quit-when-open") {
            roleGiven = roleGiven || arg == "--open";
            config.relayOnly = config.relayOnly || arg == "--relay-only";
            quitWhenOpen = quitWhenOpen || arg == "--quit-when-open";
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "meet_peer: %s wants a value\n", arg.c_str());
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--server") {
            serverText = value;
        } else if (arg == "--join" || arg == "--watch") {
            config.role = arg == "--join" ? MeetingConfig::Role::JOIN : MeetingConfig::Role::WATCH;
            config.code = value;
            roleGiven = true;
        } else if (arg == "--messages") {
            messages = std::atoi(value.c_str());
        } else if (arg == "--feed") {
            feedTicks = std::atoi(value.c_str());
        } else if (arg == "--linger") {
            lingerMs = std::atoi(value.c_str());
        } else if (arg == "--timeout") {
            timeoutSeconds = std::atoi(value.c_str());
        } else if (arg == "--flood") {
            floodTarget = value;
        } else if (arg == "--count") {
            floodCount = std::atol(value.c_str());
        } else {
            std::fprintf(stderr, "meet_peer: unknown argument %s\n", arg.c_str());
            return 2;
        }
    }
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(timeoutSeconds);
    if (!floodTarget.empty()) {
        std::string host;
        std::uint16_t port = 0;
        if (!splitAddress(floodTarget, host, port))
            return 2;
        return flood(host, port, floodCount, std::chrono::seconds(timeoutSeconds));
    }
    if (!roleGiven || !splitAddress(serverText, config.server, config.serverPort)) {
        std::fprintf(stderr, "meet_peer: give --server HOST:PORT and one of --open, --join CODE, --watch CODE\n");
        return 2;
    }

    Meeting meeting(config);
    bool codeSaid = false, connected = false, exchanged = false;
    std::uint32_t sent = 0, received = 0, unreliable = 0, feedMessages = 0, feedTicksGot = 0;
    Clock::time_point doneAt{};
    std::vector<Transport::Event> events;
    while (Clock::now() < deadline) {
        events.clear();
        meeting.service(events);
        if (!codeSaid && !meeting.code().empty()) {
            codeSaid = true;
            say("room: " + meeting.code());
            if (quitWhenOpen)
                return 0;
        }
        for (const Transport::Event& e : events) {
            if (e.kind == Transport::Event::Kind::CLOSED) {
                say("closed: " + e.reason);
                // The other side, done too, may leave first.
                return exchanged ? 0 : 1;
            }
            if (e.kind == Transport::Event::Kind::CONNECTED) {
                connected = true;
                if (meeting.player() == 0)
                    continue;
                say(std::string("path: ") + pathName(meeting.path()));
                if (meeting.player() == 1 && feedTicks > 0) {
                    // A made-up bout for the watchers: keys changing now and then.
                    meeting.sendFeed(FeedStart{1, 0, 1});
                    for (int first = 0; first < feedTicks; first += 15) {
                        FeedTicks t{1, std::uint32_t(first), {}};
                        const int n = std::min(15, feedTicks - first);
                        t.runs.push_back({TickRecord{std::uint64_t(first % 128), 0, false, false}, std::uint32_t(n)});
                        meeting.sendFeed(t);
                    }
                    meeting.sendFeed(FeedEnd{1, std::uint32_t(feedTicks), std::uint64_t(feedTicks) * 7});
                }
                continue;
            }
            if (e.packet.size() == RELIABLE_SIZE && numberOf(e.packet) == received + 1 &&
                e.packet == numbered(received + 1, RELIABLE_SIZE))
                ++received;
            else if (e.packet.size() == UNRELIABLE_SIZE)
                ++unreliable;
            else {
                say("closed: packet " + std::to_string(numberOf(e.packet)) + " of " + std::to_string(e.packet.size()) +
                    " bytes where " + std::to_string(received + 1) + " was due");
                return 1;
            }
        }
        for (const Feed& f : meeting.takeFeed()) {
            ++feedMessages;
            if (const FeedTicks* t = std::get_if<FeedTicks>(&f))
                feedTicksGot += std::uint32_t(feedTicksCount(*t));
            if (const FeedEnd* end = std::get_if<FeedEnd>(&f)) {
                say("feed: " + std::to_string(feedMessages) + " messages, " + std::to_string(feedTicksGot) +
                    " ticks, ends at tick " + std::to_string(end->ticks) + " with hash " +
                    std::to_string(end->finalHash));
                return 0;
            }
        }
        if (connected && meeting.player() != 0) {
            if (sent < std::uint32_t(messages))
                meeting.send(numbered(++sent, RELIABLE_SIZE), true);
            meeting.send(numbered(sent, UNRELIABLE_SIZE), false);
            if (!exchanged && sent == std::uint32_t(messages) && received == std::uint32_t(messages)) {
                exchanged = true;
                doneAt = Clock::now();
                say("exchanged: " + std::to_string(messages));
                std::fprintf(stderr, "meet_peer: %u unreliable packets, round trip %d ms\n", unsigned(unreliable),
                    meeting.roundTripMs());
            }
            // Lingers so that the other side has everything before this one goes.
            if (exchanged && Clock::now() - doneAt > std::chrono::milliseconds(lingerMs)) {
                meeting.close();
                return 0;
            }
        }
        std::this_thread::sleep_for(10ms);
    }
    say("timeout");
    return 3;
}
