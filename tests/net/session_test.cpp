// Two sessions over 127.0.0.1, headless, with scripted hands on both sides.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "characters/core/trace.h"
#include "net/session.h"
#include "tests/net/relay.h"
#include "tests/support/key_script.h"

namespace {

using Clock = std::chrono::steady_clock;
using Phase = NetSession::Phase;

const MenuPoint START_CLICK{(START_LABEL.left + START_LABEL.right) / 2.0, (START_LABEL.top + START_LABEL.bottom) / 2.0};

NetConfig hostConfig()
{
    NetConfig c;
    c.host = true;
    c.port = 0;  // any free port
    c.keepTrace = true;
    c.recordFolder = (std::filesystem::temp_directory_path() / "zandrel-net-test").string();
    return c;
}

NetConfig guestConfig(std::uint16_t port)
{
    NetConfig c = hostConfig();
    c.host = false;
    c.port = port;
    return c;
}

// A player who clicks START whenever the select screen shows, and plays
// the bout with a scripted pair of hands.
struct Hands {
    explicit Hands(std::uint32_t seed) : keys(seed) {}
    void play(NetSession& s)
    {
        std::vector<MenuPoint> clicks;
        if (s.phase() == Phase::SELECT)
            clicks.push_back(START_CLICK);
        std::vector<SoundEvent> sounds;
        s.frame(keys.next(), clicks, sounds);
        heard += long(sounds.size());
    }
    KeyScript keys;
    long heard = 0;
};

// Runs both sides (and the relay) until `done` or the time is up.
template <class Done>
bool runUntil(NetSession& a, Hands& ha, NetSession& b, Hands& hb, Relay* relay, Done done, double seconds)
{
    const auto limit = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < limit) {
        if (relay)
            relay->pump();
        ha.play(a);
        if (relay)
            relay->pump();
        hb.play(b);
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
    return false;
}

void expectTheSameBout(const NetSession& host, const NetSession& guest)
{
    ASSERT_TRUE(host.bout() && guest.bout());
    const Rollback& a = *host.bout();
    const Rollback& b = *guest.bout();
    ASSERT_TRUE(a.overTick() && b.overTick());
    EXPECT_EQ(*a.overTick(), *b.overTick());
    EXPECT_EQ(a.overHash(), b.overHash());
    EXPECT_TRUE(host.message().empty()) << host.message();
    EXPECT_TRUE(guest.message().empty()) << guest.message();
    ASSERT_FALSE(host.confirmedTrace().empty());
    EXPECT_EQ(host.confirmedTrace(), guest.confirmedTrace());
    const LocalReplay replay = replayLocally(a.record());
    EXPECT_EQ(replay.finalHash, a.overHash());
    EXPECT_EQ(replay.trace, host.confirmedTrace());
    EXPECT_LE(a.stats().deepest, Rollback::MAX_AHEAD);
    EXPECT_LE(b.stats().deepest, Rollback::MAX_AHEAD);
}

struct Pair {
    Pair(Relay::Faults faults, std::uint32_t seed, int delay = 2)
    {
        NetConfig hc = hostConfig();
        hc.delay = delay;
        host = std::make_unique<NetSession>(hc);
        relay = std::make_unique<Relay>(host->localPort(), faults, seed);
        NetConfig gc = guestConfig(relay->port());
        gc.delay = delay;
        guest = std::make_unique<NetSession>(gc);
    }
    bool run(auto done, double seconds) { return runUntil(*host, hostHands, *guest, guestHands, relay.get(), done, seconds); }
    bool oneBoutPlayed()
    {
        return host->boutsPlayed() == 1 && guest->boutsPlayed() == 1 && host->phase() == Phase::SELECT &&
               guest->phase() == Phase::SELECT;
    }
    std::unique_ptr<NetSession> host;
    std::unique_ptr<Relay> relay;
    std::unique_ptr<NetSession> guest;
    Hands hostHands{101};
    Hands guestHands{202};
};

}  // namespace

TEST(NetSession, ABoutOverAPerfectLoopbackEndsTheSameOnBothSides)
{
    TraceCapture printed;
    Pair p({0, 0, 0}, 1, 0);
    ASSERT_TRUE(p.run([&] { return p.oneBoutPlayed(); }, 120)) << p.host->message() << p.guest->message();
    expectTheSameBout(*p.host, *p.guest);
    EXPECT_GT(p.hostHands.heard, 0);
    EXPECT_GT(p.guestHands.heard, 0);
}

TEST(NetSession, ABoutAtAHundredMillisecondsWithJitterAndLossEndsTheSameOnBothSides)
{
    TraceCapture printed;
    // 40 + up to 20 ms each way: 100 ms round trip with 20 ms of jitter, and 5% lost.
    Pair p({40, 20, 0.05}, 2);
    ASSERT_TRUE(p.run([&] { return p.oneBoutPlayed(); }, 150)) << p.host->message() << p.guest->message();
    expectTheSameBout(*p.host, *p.guest);
    EXPECT_GT(p.host->bout()->stats().rollbacks + p.guest->bout()->stats().rollbacks, 0);
    EXPECT_GT(p.relay->lost, 0);
    EXPECT_GE(p.host->roundTripMs(), 60);
}
