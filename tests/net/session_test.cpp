// Two sessions over 127.0.0.1, headless, with scripted hands on both sides.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <enet/enet.h>

#include "characters/core/trace.h"
#include "net/session.h"
#include "net/watch_session.h"
#include "server/server.h"
#include "tests/net/relay.h"
#include "tests/support/die_with_parent.h"
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
    c.replayFolder = (std::filesystem::temp_directory_path() / "zandrel-net-test").string();
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
        s.frame(keys.next(), clicks, {}, sounds);
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
    Pair(Relay::Faults faults, std::uint32_t seed, int delay = 2, Rollback::Tamper hostTamper = {},
        Rollback::Tamper guestTamper = {})
    {
        NetConfig hc = hostConfig();
        hc.delay = delay;
        hc.tamper = std::move(hostTamper);
        host = std::make_unique<NetSession>(hc);
        relay = std::make_unique<Relay>(host->localPort(), faults, seed);
        NetConfig gc = guestConfig(relay->port());
        gc.delay = delay;
        gc.tamper = std::move(guestTamper);
        guest = std::make_unique<NetSession>(gc);
    }
    bool run(auto done, double seconds)
    {
        return runUntil(*host, hostHands, *guest, guestHands, relay.get(), done, seconds);
    }
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

TEST(NetSession, PadsChooseOnlyTheirOwnSidesFighterAndStartTheBout)
{
    NetSession host(hostConfig());
    NetSession guest(guestConfig(host.localPort()));
    auto frames = [&](const MenuPresses& hostPads, const MenuPresses& guestPads, int count) {
        std::vector<SoundEvent> sounds;
        for (int i = 0; i < count; ++i) {
            host.frame(0, {}, i == 0 ? hostPads : MenuPresses{}, sounds);
            guest.frame(0, {}, i == 0 ? guestPads : MenuPresses{}, sounds);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    };
    for (int i = 0; i < 500 && (host.phase() != Phase::SELECT || guest.phase() != Phase::SELECT); ++i)
        frames({}, {}, 1);
    ASSERT_EQ(guest.phase(), Phase::SELECT);
    const int hostFighter = host.match().playerOneChoice;
    const int guestFighter = guest.match().playerTwoChoice;

    // The guest's pad points at the host's row and switches: its own fighter changes.
    MenuPresses switchOnTheOtherRow;
    switchOnTheOtherRow.row = 0;
    switchOnTheOtherRow.switches = 1;
    frames({}, switchOnTheOtherRow, 50);
    EXPECT_NE(guest.match().playerTwoChoice, guestFighter);
    EXPECT_EQ(host.match().playerTwoChoice, guest.match().playerTwoChoice) << "the other's choice shows";
    EXPECT_EQ(guest.match().playerOneChoice, hostFighter);

    MenuPresses start;
    start.start = true;
    frames(start, {}, 20);
    EXPECT_TRUE(host.waiting());
    frames({}, start, 50);
    ASSERT_EQ(host.phase(), Phase::BOUT);
    ASSERT_EQ(guest.phase(), Phase::BOUT);
    EXPECT_EQ(host.match().playerTwoChoice, 1 - guestFighter);
}

TEST(NetSession, AVersionMismatchIsRefusedWithAMessageOnBothSides)
{
    NetSession host(hostConfig());
    NetConfig gc = guestConfig(host.localPort());
    gc.gameVersion = "9.9";
    NetSession guest(gc);
    Hands ha(1), hb(2);
    ASSERT_TRUE(runUntil(
        host, ha, guest, hb, nullptr, [&] { return host.phase() == Phase::ENDED && guest.phase() == Phase::ENDED; },
        10));
    for (const NetSession* s : {&host, &guest}) {
        EXPECT_NE(s->message().find("9.9"), std::string::npos) << s->message();
        EXPECT_NE(s->message().find(gameVersion()), std::string::npos) << s->message();
    }
    EXPECT_EQ(host.boutsPlayed(), 0);
}

TEST(NetSession, APeerKilledMidBoutEndsTheSessionAfterThreeSilentSeconds)
{
    NetSession host(hostConfig());
    const std::uint16_t port = host.localPort();
    const pid_t parent = getpid();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // It loops until killed: a crash of the test must take it along.
        dieWithParent(parent);
        TraceSilence quiet;
        NetSession guest(guestConfig(port));
        Hands hands(7);
        for (;;) {
            hands.play(guest);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    TraceCapture printed;
    Hands ha(3);
    const auto limit = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < limit && !(host.bout() && host.bout()->confirmed() > 120)) {
        ha.play(host);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(host.bout() && host.bout()->confirmed() > 120) << host.message();
    const auto killed = Clock::now();
    while (Clock::now() < killed + std::chrono::seconds(10) && host.phase() != Phase::ENDED) {
        ha.play(host);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(host.phase(), Phase::ENDED);
    EXPECT_NE(host.message().find("silent"), std::string::npos) << host.message();
    EXPECT_GE(Clock::now() - killed, std::chrono::milliseconds(2500));
    // Still usable: frames go on without a peer.
    ha.play(host);
}

TEST(NetSession, AFloodOfGarbageIsDroppedAndTheBoutGoesOn)
{
    TraceCapture printed;
    Pair p({0, 0, 0}, 4, 0);
    // A stranger sends random datagrams to both sides...
    const int stranger = socket(AF_INET, SOCK_DGRAM, 0);
    std::mt19937 rng(5);
    auto flood = [&] {
        for (std::uint16_t port : {p.host->localPort(), p.guest->localPort()}) {
            const sockaddr_in to = Relay::loopback(port);
            for (int i = 0; i < 5; ++i) {
                std::vector<std::uint8_t> junk(rng() % 300 + 1);
                for (auto& b : junk)
                    b = std::uint8_t(rng());
                sendto(stranger, junk.data(), junk.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
            }
        }
    };
    // ...and, once the bout is on, a second ENet client connects to the host
    // and sends garbage.
    ENetHost* rogue = enet_host_create(nullptr, 1, 2, 0, 0);
    ASSERT_NE(rogue, nullptr);
    ENetPeer* rogueLink = nullptr;
    bool rogueRefused = false;
    auto roguePump = [&] {
        if (!rogueLink) {
            if (p.host->phase() != Phase::BOUT)
                return;
            ENetAddress address{};
            enet_address_set_host(&address, "127.0.0.1");
            address.port = p.host->localPort();
            rogueLink = enet_host_connect(rogue, &address, 2, 0);
        }
        ENetEvent e;
        while (enet_host_service(rogue, &e, 0) > 0) {
            if (e.type == ENET_EVENT_TYPE_DISCONNECT)
                rogueRefused = true;
            if (e.type == ENET_EVENT_TYPE_RECEIVE)
                enet_packet_destroy(e.packet);
        }
        if (rogueLink->state == ENET_PEER_STATE_CONNECTED) {
            std::vector<std::uint8_t> junk(rng() % 40 + 1);
            for (auto& b : junk)
                b = std::uint8_t(rng());
            enet_peer_send(rogueLink, std::uint8_t(rng() % 2), enet_packet_create(junk.data(), junk.size(), 0));
        }
    };
    ASSERT_TRUE(p.run(
        [&] {
            flood();
            roguePump();
            return p.oneBoutPlayed();
        },
        120))
        << p.host->message() << p.guest->message();
    expectTheSameBout(*p.host, *p.guest);
    EXPECT_GT(p.hostHands.heard, 0);
    EXPECT_GT(p.guestHands.heard, 0);
    EXPECT_TRUE(rogueRefused);
    enet_host_destroy(rogue);
    close(stranger);
}

// The bout ends by a knock-out on both sides at once; the guest's game then
// differs only in the menu the bout ends on, after the last 30-tick check.
TEST(NetSession, SidesThatDifferOnlyAtTheBoutsEndAreADesync)
{
    TraceCapture printed;
    const auto knockOut = [](Match& m) {
        if (m.tick == 20 && m.playerTwo)
            m.playerTwo->health = 0.0f;
    };
    const auto knockOutThenDiffer = [knockOut](Match& m) {
        knockOut(m);
        if (m.gameState == MENU)
            m.selectBrightness = 0.5f;
    };
    Pair p({0, 0, 0}, 6, 2, knockOut, knockOutThenDiffer);
    ASSERT_TRUE(p.run([&] { return p.oneBoutPlayed(); }, 60)) << p.host->message() << p.guest->message();
    ASSERT_TRUE(p.host->bout()->overTick());
    ASSERT_NE(*p.host->bout()->overTick() % Rollback::HASH_INTERVAL, 0u) << "a 30-tick check would see it first";
    for (const NetSession* side : {p.host.get(), p.guest.get()}) {
        EXPECT_NE(side->message().find("desync at tick"), std::string::npos) << side->message();
        EXPECT_NE(side->savedReplay().find("_desync-at-"), std::string::npos) << side->savedReplay();
    }
}

namespace {

// A guest that speaks the protocol by hand, to send what a real one never would.
struct HandGuest {
    explicit HandGuest(std::uint16_t port)
    {
        ENetAddress address{};
        enet_address_set_host(&address, "127.0.0.1");
        address.port = port;
        host = enet_host_create(nullptr, 1, 2, 0, 0);
        peer = enet_host_connect(host, &address, 2, 0);
    }
    ~HandGuest() { enet_host_destroy(host); }
    void send(const Message& m)
    {
        const std::vector<std::uint8_t> bytes = encode(m);
        const bool reliable = !std::holds_alternative<Inputs>(m);
        enet_peer_send(peer, reliable ? SESSION_CHANNEL : INPUT_CHANNEL,
            enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0));
        enet_host_flush(host);
    }
    // The furthest tick the host's input packets have reached.
    std::uint32_t pump()
    {
        ENetEvent e;
        while (enet_host_service(host, &e, 0) > 0)
            if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                if (std::optional<Message> m = reader.read(e.packet->data, e.packet->dataLength))
                    if (const Inputs* in = std::get_if<Inputs>(&*m))
                        reached = std::max(reached, in->firstTick + std::uint32_t(in->bits.size()));
                enet_packet_destroy(e.packet);
            }
        return reached;
    }
    ENetHost* host;
    ENetPeer* peer;
    PacketReader reader;
    std::uint32_t reached = 0;
};

}  // namespace

// An input packet of another bout, and an acknowledgement of more than the
// host has sent, would each stall the bout: both are ignored.
TEST(NetSession, StaleInputsAndAnAckBeyondWhatWasSentAreIgnored)
{
    TraceSilence quiet;
    NetSession host(hostConfig());
    HandGuest guest(host.localPort());
    const auto frames = [&](int count) {
        for (int i = 0; i < count; ++i) {
            std::vector<SoundEvent> sounds;
            host.frame(0, {START_CLICK}, {}, sounds);
            guest.pump();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    };
    for (int i = 0; i < 500 && guest.peer->state != ENET_PEER_STATE_CONNECTED; ++i)
        frames(1);
    guest.send(Hello{PROTOCOL_VERSION, gameVersion()});
    guest.send(Choice{0, true});
    for (int i = 0; i < 500 && host.phase() != Phase::BOUT; ++i)
        frames(1);
    ASSERT_EQ(host.phase(), Phase::BOUT);

    Inputs stale;
    stale.sequence = 1;
    stale.bout = 0;
    stale.present = 10;
    stale.bits.assign(10, 0);
    guest.send(stale);
    frames(50);
    EXPECT_EQ(host.bout()->remoteKnown(), 0u) << "the other bout's inputs were taken";

    const std::uint32_t before = guest.pump();
    Inputs greedy = stale;
    greedy.sequence = 2;
    greedy.bout = 1;
    greedy.bits.assign(5, 0);
    greedy.present = 5;
    greedy.ack = 1'000'000;
    guest.send(greedy);
    frames(100);
    EXPECT_EQ(host.bout()->remoteKnown(), 5u);
    // Five more ticks to play: the host sends their inputs still.
    EXPECT_GE(guest.pump(), before + 5) << "the host stopped sending its inputs";
}

TEST(NetSession, PlayersMetInARoomPlayTheSameBoutDirectOrRelayedAndItsWatcherSeesIt)
{
    for (const bool relayOnly : {false, true}) {
        SCOPED_TRACE(relayOnly ? "relayed" : "direct");
        ServerConfig server;
        server.bind = "127.0.0.1";
        server.port = 0;
        // Unpaced sessions send far more than a window's 60 frames a second.
        server.packets = Rate{100000, 100000};
        server.log = [](const std::string&) {};
        MeetingServer meetings(server);
        ASSERT_EQ(meetings.error(), "");

        MeetingConfig room;
        room.server = "127.0.0.1";
        room.serverPort = meetings.port();
        room.relayOnly = relayOnly;
        NetConfig oc = hostConfig();
        oc.online = room;
        NetSession opener(oc);
        Hands openerHands(101), guestHands(202);
        const auto serveUntil = [&](auto done, auto&&... sides) {
            const auto limit = Clock::now() + std::chrono::seconds(60);
            while (Clock::now() < limit && !done()) {
                meetings.serve(0);
                (sides(), ...);
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
            return done();
        };
        const auto openerPlays = [&] { openerHands.play(opener); };
        ASSERT_TRUE(serveUntil([&] { return !opener.meeting()->code().empty(); }, openerPlays));
        EXPECT_EQ(opener.player(), 1);

        NetConfig gc = hostConfig();
        gc.online = room;
        gc.online->role = MeetingConfig::Role::JOIN;
        gc.online->code = opener.meeting()->code();
        NetSession guest(gc);
        room.code = gc.online->code;
        WatchSession watcher(room);
        const auto guestPlays = [&] { guestHands.play(guest); };
        // The watcher plays what is due each frame, as the window does.
        const auto watcherPlays = [&] {
            for (int due = watcher.frame(); due > 0; --due) {
                TickEvents events;
                watcher.bout()->step(events);
            }
        };
        const auto bothPlayedOne = [&] {
            return (opener.boutsPlayed() == 1 && guest.boutsPlayed() == 1 && opener.phase() == Phase::SELECT &&
                       guest.phase() == Phase::SELECT) ||
                opener.phase() == Phase::ENDED || guest.phase() == Phase::ENDED;
        };
        ASSERT_TRUE(serveUntil(bothPlayedOne, openerPlays, guestPlays, watcherPlays));
        ASSERT_EQ(opener.message() + guest.message(), "");
        // The players stay at the select screen while the watcher, behind them, sees the bout end.
        const auto idle = [](NetSession& s) {
            std::vector<SoundEvent> sounds;
            s.frame(0, {}, {}, sounds);
        };
        ASSERT_TRUE(serveUntil([&] { return watcher.boutsShown() == 1 || watcher.ended(); }, [&] { idle(opener); },
            [&] { idle(guest); }, watcherPlays))
            << watcher.message();
        EXPECT_EQ(guest.player(), 2);
        const PathKind path = relayOnly ? PathKind::RELAYED : PathKind::DIRECT;
        EXPECT_EQ(opener.path(), path);
        EXPECT_EQ(guest.path(), path);
        expectTheSameBout(opener, guest);
        EXPECT_EQ(watcher.lastHash(), opener.bout()->overHash());
        EXPECT_TRUE(watcher.lastMatched());
        ASSERT_TRUE(opener.bout()->outcome());
        EXPECT_EQ(describeOutcome(watcher.lastOutcome()), describeOutcome(*opener.bout()->outcome()));
    }
}
