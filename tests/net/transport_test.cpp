// Every way a network game's packets can go, as the session will see it:
// straight (--host and --join), punched through a meeting server, relayed by
// it. Each carries the session's packets, reliable ones in order, and says
// when the other side leaves.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

#include "net/direct_link.h"
#include "net/meeting.h"
#include "server/server.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct End {
    std::unique_ptr<Transport> transport;
    bool connected = false;
    std::string closed;
    std::vector<std::vector<std::uint8_t>> packets;
    void service()
    {
        std::vector<Transport::Event> events;
        transport->service(events);
        for (Transport::Event& e : events) {
            if (e.kind == Transport::Event::Kind::CONNECTED) {
                EXPECT_FALSE(connected) << "CONNECTED comes once";
                connected = true;
            } else if (e.kind == Transport::Event::Kind::RECEIVED) {
                EXPECT_TRUE(connected) << "packets come after CONNECTED";
                packets.push_back(std::move(e.packet));
            } else {
                closed = e.reason;
            }
        }
    }
};

// Both ends of one way, and a server if it needs one.
struct Way {
    const char* name;
    PathKind path;
    std::function<void(std::unique_ptr<MeetingServer>&, End&, End&)> make;
};

bool pump(MeetingServer* server, End& a, End& b, const std::function<bool()>& done)
{
    for (const auto end = Clock::now() + 10s; Clock::now() < end;) {
        if (server)
            server->serve(1);
        a.service();
        b.service();
        if (done())
            return true;
    }
    return false;
}

std::unique_ptr<Meeting> meeting(
    const MeetingServer& server, MeetingConfig::Role role, const std::string& code, bool relay)
{
    MeetingConfig c;
    c.serverPort = server.port();
    c.role = role;
    c.code = code;
    c.gameVersion = "test";
    c.relayOnly = relay;
    return std::make_unique<Meeting>(c);
}

void meet(std::unique_ptr<MeetingServer>& server, End& one, End& two, bool relay)
{
    ServerConfig config;
    config.bind = "127.0.0.1";
    config.port = 0;
    config.log = [](const std::string&) {};
    server = std::make_unique<MeetingServer>(config);
    one.transport = meeting(*server, MeetingConfig::Role::OPEN, "", relay);
    auto* opener = static_cast<Meeting*>(one.transport.get());
    pump(server.get(), one, one, [&] { return !opener->code().empty(); });
    two.transport = meeting(*server, MeetingConfig::Role::JOIN, opener->code(), relay);
}

std::vector<std::uint8_t> packet(int n)
{
    return std::vector<std::uint8_t>(std::size_t(20 + n % 200), std::uint8_t(n));
}

}  // namespace

TEST(Transport, EveryWayCarriesTheSessionsPacketsAndSaysWhenTheOtherLeaves)
{
    const std::vector<Way> ways = {
        {"--host and --join", PathKind::DIRECT,
            [](std::unique_ptr<MeetingServer>&, End& one, End& two) {
                auto host = std::make_unique<DirectLink>(DirectLink::host(0));
                const std::uint16_t port = host->localPort();
                one.transport = std::move(host);
                two.transport = std::make_unique<DirectLink>(DirectLink::join("127.0.0.1", port));
            }},
        {"punched", PathKind::DIRECT, [](auto& server, End& one, End& two) { meet(server, one, two, false); }},
        {"relayed", PathKind::RELAYED, [](auto& server, End& one, End& two) { meet(server, one, two, true); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        std::unique_ptr<MeetingServer> server;
        End one, two;
        way.make(server, one, two);
        ASSERT_TRUE(pump(server.get(), one, two, [&] { return one.connected && two.connected; }))
            << one.closed << two.closed;
        EXPECT_EQ(one.transport->path(), way.path);
        EXPECT_EQ(two.transport->path(), way.path);

        constexpr int COUNT = 60;
        for (int i = 0; i < COUNT; ++i) {
            one.transport->send(packet(i), true);
            two.transport->send(packet(i + 1), true);
            two.transport->send({0xaa}, false);
        }
        ASSERT_TRUE(pump(server.get(), one, two,
            [&] { return two.packets.size() == std::size_t(COUNT) && one.packets.size() >= std::size_t(COUNT); }));
        for (int i = 0; i < COUNT; ++i)
            EXPECT_EQ(two.packets[std::size_t(i)], packet(i)) << i;
        std::erase(one.packets, std::vector<std::uint8_t>{0xaa});
        ASSERT_EQ(one.packets.size(), std::size_t(COUNT));
        for (int i = 0; i < COUNT; ++i)
            EXPECT_EQ(one.packets[std::size_t(i)], packet(i + 1)) << i;
        EXPECT_LT(one.transport->quietMs(), 1000u);
        EXPECT_GT(one.transport->localPort(), 0);

        two.transport->close();
        ASSERT_TRUE(pump(server.get(), one, two, [&] { return !one.closed.empty(); }));
        EXPECT_EQ(one.closed, "The other player left.");
        EXPECT_EQ(two.closed, "") << "the side that closes is not told";
    }
}
