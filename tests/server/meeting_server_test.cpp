// The meeting server and the game's side of it in one process, on 127.0.0.1:
// rooms met by code, punched or relayed paths, the feed to watchers, what is
// refused, and every bad datagram dropped and counted without an answer.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <enet/enet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <thread>

#include "net/meeting.h"
#include "server/server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One side of a meeting, with everything that happened to it so far.
struct Side {
    explicit Side(const MeetingConfig& config) : meeting(config) {}
    void service()
    {
        std::vector<Transport::Event> events;
        meeting.service(events);
        for (Transport::Event& e : events) {
            if (e.kind == Transport::Event::Kind::CONNECTED)
                connected = true;
            else if (e.kind == Transport::Event::Kind::CLOSED)
                closed = e.reason.empty() ? "(closed)" : e.reason;
            else
                packets.push_back(std::move(e.packet));
        }
        for (Feed& f : meeting.takeFeed())
            feed.push_back(std::move(f));
    }
    Meeting meeting;
    bool connected = false;
    std::string closed;
    std::vector<std::vector<std::uint8_t>> packets;
    std::vector<Feed> feed;
};

struct Rig {
    explicit Rig(std::function<void(ServerConfig&)> tweak = {})
    {
        ServerConfig config;
        config.bind = "127.0.0.1";
        config.port = 0;
        config.log = [this](const std::string& line) { log.push_back(line); };
        if (tweak)
            tweak(config);
        server = std::make_unique<MeetingServer>(config);
    }
    MeetingConfig client(MeetingConfig::Role role, const std::string& code = "") const
    {
        MeetingConfig c;
        c.server = "127.0.0.1";
        c.serverPort = server->port();
        c.role = role;
        c.code = code;
        c.gameVersion = "test";
        return c;
    }
    // Services the server and the sides until `done`, for at most `limit`.
    bool pumpUntil(const std::vector<Side*>& sides, const std::function<bool()>& done, Clock::duration limit = 10s)
    {
        const auto end = Clock::now() + limit;
        while (Clock::now() < end) {
            server->serve(1);
            for (Side* s : sides)
                s->service();
            if (done())
                return true;
        }
        return false;
    }
    std::unique_ptr<MeetingServer> server;
    std::vector<std::string> log;
};

// A plain UDP socket on 127.0.0.1, for what no game would send.
struct RawSocket {
    RawSocket() : fd(socket(AF_INET, SOCK_DGRAM, 0))
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    ~RawSocket() { ::close(fd); }
    void sendTo(std::uint16_t port, const std::vector<std::uint8_t>& bytes) const
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&a), sizeof a);
    }
    // Every byte that came back.
    std::vector<std::vector<std::uint8_t>> drain() const
    {
        std::vector<std::vector<std::uint8_t>> got;
        std::uint8_t buffer[2048];
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0;)
            got.emplace_back(buffer, buffer + n);
        return got;
    }
    int fd;
};

// An ENet connect command as a game's host sends it, with the given cookie.
std::vector<std::uint8_t> enetConnect(std::uint32_t cookie)
{
    ENetProtocolConnect c{};
    c.header.command = std::uint8_t(int(ENET_PROTOCOL_COMMAND_CONNECT) | int(ENET_PROTOCOL_COMMAND_FLAG_ACKNOWLEDGE));
    c.header.reliableSequenceNumber = ENET_HOST_TO_NET_16(1);
    c.mtu = ENET_HOST_TO_NET_32(1400);
    c.channelCount = ENET_HOST_TO_NET_32(2);
    c.data = ENET_HOST_TO_NET_32(cookie);
    std::vector<std::uint8_t> bytes(4 + sizeof c);
    bytes[0] = 0x8f;  // the sent time follows; no peer yet
    bytes[1] = 0xff;
    std::memcpy(bytes.data() + 4, &c, sizeof c);
    return bytes;
}

// A client that sends whatever it is told, as a modified game could.
struct RawClient {
    explicit RawClient(Rig& rig) : rig(rig)
    {
        host = enet_host_create(nullptr, 1, MEETING_CHANNELS, 0, 0);
        enet_address_set_host_ip(&server, "127.0.0.1");
        server.port = rig.server->port();
        const std::vector<std::uint8_t> request = encodeDatagram(CookieRequest{});
        ENetBuffer out{const_cast<std::uint8_t*>(request.data()), request.size()};
        enet_socket_send(host->socket, &server, &out, 1);
        std::uint8_t reply[64];
        ENetBuffer in{reply, sizeof reply};
        ENetAddress from{};
        int n = 0;
        rig.pumpUntil({}, [&] { return (n = enet_socket_receive(host->socket, &from, &in, 1)) > 0; });
        const std::optional<Datagram> cookie = readDatagram(reply, std::size_t(std::max(n, 0)));
        if (cookie && std::holds_alternative<Cookie>(*cookie))
            peer = enet_host_connect(host, &server, MEETING_CHANNELS, std::get<Cookie>(*cookie).value);
        rig.pumpUntil({}, [&] {
            service();
            return connected;
        });
    }
    ~RawClient() { enet_host_destroy(host); }
    void send(const MeetingMessage& m)
    {
        const std::vector<std::uint8_t> bytes = encodeMeeting(m);
        enet_peer_send(
            peer, MEETING_CHANNEL, enet_packet_create(bytes.data(), bytes.size(), ENET_PACKET_FLAG_RELIABLE));
        enet_host_flush(host);
    }
    void service()
    {
        ENetEvent e;
        while (enet_host_service(host, &e, 0) > 0) {
            connected = connected || e.type == ENET_EVENT_TYPE_CONNECT;
            if (e.type == ENET_EVENT_TYPE_RECEIVE) {
                if (std::optional<MeetingMessage> m = reader.read(e.packet->data, e.packet->dataLength))
                    heard.push_back(*m);
                enet_packet_destroy(e.packet);
            }
        }
    }
    template <class T>
    bool got() const
    {
        return std::any_of(
            heard.begin(), heard.end(), [](const MeetingMessage& m) { return std::holds_alternative<T>(m); });
    }
    Rig& rig;
    ENetHost* host = nullptr;
    ENetAddress server{};
    ENetPeer* peer = nullptr;
    bool connected = false;
    MeetingReader reader;
    std::vector<MeetingMessage> heard;
};

}  // namespace

// (What crosses between the players, each way, is the transport test's.)
TEST(MeetingServer, PlayersMeetByCodeAndAWatcherGetsTheFeedLateOrNot)
{
    for (const bool relayOnly : {false, true}) {
        SCOPED_TRACE(relayOnly ? "relayed" : "punched");
        Rig rig;
        ASSERT_EQ(rig.server->error(), "");
        MeetingConfig open = rig.client(MeetingConfig::Role::OPEN);
        open.relayOnly = relayOnly;
        Side opener(open);
        ASSERT_TRUE(rig.pumpUntil({&opener}, [&] { return !opener.meeting.code().empty(); }));
        const std::string code = opener.meeting.code();
        EXPECT_TRUE(validRoomCode(code));
        EXPECT_EQ(opener.meeting.seenAt().ip, 0x7f000001u);

        Side guest(rig.client(MeetingConfig::Role::JOIN, code));
        Side early(rig.client(MeetingConfig::Role::WATCH, code));
        ASSERT_TRUE(rig.pumpUntil(
            {&opener, &guest, &early}, [&] { return opener.connected && guest.connected && early.connected; }))
            << opener.closed << guest.closed << early.closed;
        const PathKind want = relayOnly ? PathKind::RELAYED : PathKind::DIRECT;
        EXPECT_EQ(opener.meeting.path(), want);
        EXPECT_EQ(guest.meeting.path(), want);
        EXPECT_EQ(guest.meeting.player(), 2);

        const FeedTicks ticks{1, 0, {{TickRecord{5, 0, false, false}, 300}, {TickRecord{}, 20}}};
        const std::vector<Feed> sent = {FeedStart{1, 0, 1}, ticks, FeedEnd{1, 320, 0xabcdef}};
        for (const Feed& f : sent)
            opener.meeting.sendFeed(f);
        ASSERT_TRUE(rig.pumpUntil({&opener, &guest, &early}, [&] { return early.feed.size() == sent.size(); }));
        Side late(rig.client(MeetingConfig::Role::WATCH, code));
        const std::vector<Side*> all = {&opener, &guest, &early, &late};
        ASSERT_TRUE(rig.pumpUntil(all, [&] { return late.feed.size() == sent.size(); }));
        EXPECT_EQ(early.feed, sent);
        EXPECT_EQ(late.feed, sent) << "a late watcher has the bout from its start";
        EXPECT_EQ(rig.server->counts().dropped(), 0);

        guest.meeting.close();
        opener.meeting.close();
        ASSERT_TRUE(rig.pumpUntil(all, [&] { return !early.closed.empty() && !late.closed.empty(); }))
            << "the watchers learn the players have gone";
        const std::string path = std::string("room ") + code + ": path " + (relayOnly ? "relayed" : "direct");
        EXPECT_NE(std::find(rig.log.begin(), rig.log.end(), path), rig.log.end()) << path;
    }
}

TEST(MeetingServer, RefusalsSayWhyOnTheSideRefused)
{
    Rig rig([](ServerConfig& c) { c.rooms.maxWatchers = 1; });
    Side opener(rig.client(MeetingConfig::Role::OPEN));
    ASSERT_TRUE(rig.pumpUntil({&opener}, [&] { return !opener.meeting.code().empty(); }));
    const std::string code = opener.meeting.code();
    Side guest(rig.client(MeetingConfig::Role::JOIN, code));
    Side watcher(rig.client(MeetingConfig::Role::WATCH, code));
    ASSERT_TRUE(rig.pumpUntil({&opener, &guest, &watcher}, [&] { return watcher.connected && guest.connected; }));

    struct Case {
        MeetingConfig::Role role;
        std::string code;
        std::string version;
        std::string says;
    };
    const std::string wrong = code == "ACDEFH" ? "ACDEFJ" : "ACDEFH";
    const std::vector<Case> cases = {
        {MeetingConfig::Role::JOIN, wrong, "test",
            "There is no room " + wrong + " on the server: the code is wrong or the room has expired."},
        {MeetingConfig::Role::JOIN, code, "test", "Room " + code + " already has two players."},
        {MeetingConfig::Role::WATCH, code, "test", "Room " + code + " has as many watchers as it takes."},
        {MeetingConfig::Role::WATCH, code, "other", "Room " + code + " has as many watchers as it takes."},
        {MeetingConfig::Role::WATCH, wrong, "test",
            "There is no room " + wrong + " on the server: the code is wrong or the room has expired."},
    };
    for (const Case& c : cases) {
        MeetingConfig config = rig.client(c.role, c.code);
        config.gameVersion = c.version;
        Side refused(config);
        ASSERT_TRUE(rig.pumpUntil({&opener, &guest, &watcher, &refused}, [&] { return !refused.closed.empty(); }));
        EXPECT_EQ(refused.closed, c.says);
        EXPECT_FALSE(refused.connected);
    }
    EXPECT_TRUE(opener.closed.empty() && guest.closed.empty() && watcher.closed.empty()) << "the room goes on";
    EXPECT_EQ(rig.server->counts().refused, long(cases.size()));

    MeetingConfig nowhere = rig.client(MeetingConfig::Role::OPEN);
    nowhere.serverPort = std::uint16_t(rig.server->port() + 1);
    Side lost(nowhere);
    ASSERT_TRUE(rig.pumpUntil({&lost}, [&] { return !lost.closed.empty(); }));
    EXPECT_EQ(lost.closed, "Cannot reach the server 127.0.0.1:" + std::to_string(nowhere.serverPort) + ".");
}

TEST(MeetingServer, BadDatagramsAreDroppedAndCountedAndNeverAnsweredWithMore)
{
    Rig rig;
    const std::uint16_t port = rig.server->port();
    RawSocket raw;
    std::vector<std::uint8_t> cookieRequest = encodeDatagram(CookieRequest{});
    std::vector<std::uint8_t> shortRequest(cookieRequest.begin(), cookieRequest.end() - 1);
    std::vector<std::uint8_t> dirtyRequest = cookieRequest;
    dirtyRequest.back() = 1;
    std::vector<std::uint8_t> enetData = {0x00, 0x01, 0x06, 0x01, 0x00, 0x01};
    std::vector<std::uint8_t> cutShort = enetConnect(1);
    cutShort.pop_back();

    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> malformed = {
        {"a short cookie request", shortRequest},
        {"a cookie request padded with other than zeros", dirtyRequest},
        {"a cookie, which only the server gives", encodeDatagram(Cookie{7})},
        {"a punch, which only players answer", encodeDatagram(Punch{9, 1, false})},
        {"the magic alone", {0xff, 0xff, 'Z', 'M'}},
    };
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> unproven = {
        {"a connect with a wrong cookie", enetConnect(12345)},
        {"a connect cut short", cutShort},
        {"ENet data from an address never connected", enetData},
        {"one byte", {0x42}},
    };
    for (const auto& [what, bytes] : malformed)
        raw.sendTo(port, bytes);
    for (const auto& [what, bytes] : unproven)
        raw.sendTo(port, bytes);
    ASSERT_TRUE(
        rig.pumpUntil({}, [&] { return rig.server->counts().datagrams == long(malformed.size() + unproven.size()); }));
    EXPECT_EQ(rig.server->counts().malformed, long(malformed.size()));
    EXPECT_EQ(rig.server->counts().unproven, long(unproven.size()));
    std::this_thread::sleep_for(50ms);
    rig.server->serve(1);
    EXPECT_TRUE(raw.drain().empty()) << "nothing answers what does not prove its address";

    // A right request gets a smaller answer, and its cookie opens a connection.
    raw.sendTo(port, cookieRequest);
    std::vector<std::vector<std::uint8_t>> back;
    ASSERT_TRUE(rig.pumpUntil({}, [&] {
        for (auto& b : raw.drain())
            back.push_back(b);
        return !back.empty();
    }));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_LE(back[0].size(), cookieRequest.size());
    const std::optional<Datagram> cookie = readDatagram(back[0].data(), back[0].size());
    ASSERT_TRUE(cookie && std::holds_alternative<Cookie>(*cookie));
    raw.sendTo(port, enetConnect(std::get<Cookie>(*cookie).value));
    ASSERT_TRUE(rig.pumpUntil({}, [&] { return !raw.drain().empty(); })) << "ENet answers a proven address";
    EXPECT_EQ(rig.server->counts().unproven, long(unproven.size()));
}

TEST(MeetingServer, OnlyARoomsPlayersSendIntoItAndOnlyItsOpenerFeedsIt)
{
    Rig rig;
    MeetingConfig open = rig.client(MeetingConfig::Role::OPEN);
    open.relayOnly = true;
    Side opener(open);
    ASSERT_TRUE(rig.pumpUntil({&opener}, [&] { return !opener.meeting.code().empty(); }));
    const std::string code = opener.meeting.code();
    RawClient guest(rig), watcher(rig), stranger(rig);
    guest.send(Join{MEETING_PROTOCOL_VERSION, "test", code, {}});
    watcher.send(Watch{MEETING_PROTOCOL_VERSION, "test", code});
    const std::vector<RawClient*> raws = {&guest, &watcher, &stranger};
    ASSERT_TRUE(rig.pumpUntil({&opener}, [&] {
        for (RawClient* r : raws)
            r->service();
        return opener.connected && guest.got<Introduce>() && watcher.got<Watching>();
    }));

    // What a modified game could send: a watcher and a stranger speak into
    // the room, the guest feeds it and chooses the path.
    const std::vector<MeetingMessage> intrusions = {
        RelayPacket{{1, 2, 3}}, Probe{1, false}, PathChosen{PathKind::DIRECT}, FeedStart{1, 0, 0}};
    for (const MeetingMessage& m : intrusions) {
        watcher.send(m);
        stranger.send(m);
    }
    watcher.send(Open{MEETING_PROTOCOL_VERSION, "test", {}});
    guest.send(FeedStart{2, 0, 0});
    guest.send(PathChosen{PathKind::DIRECT});
    guest.send(RelayPacket{{9, 9}});
    const long refused = 2 * long(intrusions.size()) + 3;
    ASSERT_TRUE(rig.pumpUntil({&opener}, [&] {
        for (RawClient* r : raws)
            r->service();
        return rig.server->counts().refused == refused && !opener.packets.empty();
    }));
    EXPECT_EQ(opener.packets, (std::vector<std::vector<std::uint8_t>>{{9, 9}})) << "only the guest's packet";
    EXPECT_EQ(rig.server->counts().malformed, 0);
}
