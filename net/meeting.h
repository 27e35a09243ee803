#pragma once

// The game's side of the meeting server, headless: over one ENet host (the
// socket the bout is then played on, so that the routers' mappings are the
// ones the other player needs) it proves its address with the server's
// cookie, opens, joins or watches a room, learns the other player's
// addresses, punches through both routers at once, and when no direct path
// works within the punch limit plays through the server instead.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "net/meeting_protocol.h"
#include "net/transport.h"

struct _ENetHost;
struct _ENetPeer;

struct MeetingConfig {
    enum class Role { OPEN, JOIN, WATCH };
    std::string server = "127.0.0.1";
    std::uint16_t serverPort = DEFAULT_SERVER_PORT;
    Role role = Role::OPEN;
    // The room to join or watch.
    std::string code;
    std::string gameVersion;
    // The UDP port to play from; 0: any free one.
    std::uint16_t localPort = 0;
    // How long both punch before the bout goes through the server.
    std::chrono::milliseconds punchLimit{3000};
    // Tests and benchmarks: no punching, through the server at once.
    bool relayOnly = false;
};

class Meeting : public Transport {
public:
    enum class Stage {
        CONTACTING,  // the cookie, the connection, the request
        WAITING,     // the room is open (or joined): for the other player
        PUNCHING,    // trying each of the other's addresses
        PLAYING,     // the path is settled
        WATCHING,
        CLOSED,
    };

    explicit Meeting(const MeetingConfig& config);
    ~Meeting() override;
    Meeting(const Meeting&) = delete;
    Meeting& operator=(const Meeting&) = delete;

    void service(std::vector<Event>& events) override;
    void send(const std::vector<std::uint8_t>& packet, bool reliable) override;
    void flush() override;
    void waitForData(std::uint32_t ms) override;
    void close() override;
    PathKind path() const override { return stage == Stage::PLAYING ? pathKind : PathKind::NONE; }
    int roundTripMs() const override;
    std::uint32_t quietMs() const override;
    std::uint16_t localPort() const override;

    Stage currentStage() const { return stage; }
    // The room's code, once the server has opened or found it.
    const std::string& code() const { return roomCode; }
    // 1 opened the room, 2 joined it, 0 watches.
    int player() const { return playerNumber; }
    // Where the server sees this side.
    const Endpoint& seenAt() const { return seen; }

    // The opener: the bout for its watchers, through the server.
    void sendFeed(const Feed& feed);
    // The watcher: the feed that arrived since the last call.
    std::vector<Feed> takeFeed();

    // For ENet's intercept hook: the raw datagrams before any connection.
    int intercept();

private:
    using Clock = std::chrono::steady_clock;
    void contact(Clock::time_point now);
    void fromServer(const std::uint8_t* data, std::size_t size);
    void introduced(const Introduce& m);
    void punch(Clock::time_point now);
    void punched(const Endpoint& from, const Punch& p);
    void directConnected(_ENetPeer* peer);
    void settle(PathKind path);
    void toServer(const MeetingMessage& m, bool reliable);
    void received(std::vector<std::uint8_t> packet);
    void closeWith(const std::string& reason);
    std::string serverText() const;
    std::string refusal(Refused::Reason reason) const;

    MeetingConfig config;
    _ENetHost* host = nullptr;
    _ENetPeer* server = nullptr;
    _ENetPeer* direct = nullptr;
    Endpoint serverAt;
    Stage stage = Stage::CONTACTING;
    std::vector<Event> pending;
    bool connectedSaid = false;
    // Game packets that came before the path was settled on this side.
    std::vector<std::vector<std::uint8_t>> early;
    MeetingReader reader;

    Clock::time_point started;
    Clock::time_point lastCookieRequest;
    std::string roomCode;
    int playerNumber = 0;
    Endpoint seen;
    std::vector<Endpoint> localAddresses;

    std::uint64_t token = 0;
    std::vector<Endpoint> candidates;
    // Addresses a punch with the room's token came from.
    std::vector<Endpoint> heard;
    Endpoint directAt;
    Clock::time_point introducedAt;
    Clock::time_point lastPunch;
    int punchAnswers = 0;
    // The opener's choice, as the joiner has it from the server.
    PathKind chosen = PathKind::NONE;
    PathKind pathKind = PathKind::NONE;

    Clock::time_point lastProbe;
    Clock::time_point lastRelayHeard;
    double relayRoundTrip = 0;
    std::vector<Feed> feed;
};
