#pragma once

// The meeting server on one UDP port: cookies before connections, rooms,
// introductions, the relay between a room's two players and the bout's feed
// to its watchers. Every datagram is checked; what fails is dropped and counted.
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "net/meeting_protocol.h"
#include "server/address_limits.h"
#include "server/cookie.h"
#include "server/rooms.h"

struct _ENetHost;
struct _ENetPeer;
struct _ENetPacket;

struct ServerConfig {
    // Empty: every address of the machine.
    std::string bind;
    std::uint16_t port = DEFAULT_SERVER_PORT;
    RoomsConfig rooms;
    // ENet connections in all and from one address.
    int maxClients = 4000;
    int clientsPerAddress = 32;
    // Datagrams a second from one address: a player sends about 130 when relayed.
    Rate packets{500, 1000};
    // How often a line sums up what was dropped, when anything was.
    double reportSeconds = 60;
    // Where the log lines go; standard error when empty.
    std::function<void(const std::string&)> log;
};

class MeetingServer {
public:
    explicit MeetingServer(const ServerConfig& config);
    ~MeetingServer();
    MeetingServer(const MeetingServer&) = delete;
    MeetingServer& operator=(const MeetingServer&) = delete;

    // Why the server cannot listen; empty when it does.
    const std::string& error() const { return failure; }
    std::uint16_t port() const;
    // Waits up to timeoutMs for datagrams, then handles them and whatever is due.
    void serve(int timeoutMs);
    // Tells every client the server is going, and sums up.
    void stop();

    struct Counts {
        long datagrams = 0;
        long overRate = 0;   // over the address's packets a second
        long malformed = 0;  // datagrams and messages that do not decode
        long unproven = 0;   // ENet datagrams from an address without a valid cookie
        long refused = 0;    // messages the sender may not send (a watcher's, a third's)
        long cookies = 0;
        long relayed = 0;
        long dropped() const { return overRate + malformed + unproven + refused; }
    };
    const Counts& counts() const { return tally; }
    std::size_t roomCount() const { return rooms.size(); }
    std::size_t clientCount() const { return clients.size(); }
    std::string summary() const;

    // For ENet's intercept hook.
    int intercept();

private:
    struct Client {
        ClientId id = 0;
        _ENetPeer* peer = nullptr;
        Endpoint address;
        int malformed = 0;
    };
    struct Known {
        int peers = 0;
        double pendingSince = 0;
    };
    double now() const;
    void say(const std::string& line) const;
    void datagram(const Endpoint& from, const std::uint8_t* data, std::size_t size);
    bool connectWithCookie(const Endpoint& from, const std::uint8_t* data, std::size_t size) const;
    void connected(_ENetPeer* peer);
    void disconnected(_ENetPeer* peer);
    void received(Client& client, _ENetPacket* packet, std::uint8_t channel);
    void send(ClientId to, const MeetingMessage& message);
    void sendBytes(ClientId to, const std::vector<std::uint8_t>& bytes, std::uint8_t channel, bool reliable);
    void refuse(Client& client, Refused::Reason reason);
    void opened(Client& client, const Open& m);
    void joined(Client& client, const Join& m);
    void watching(Client& client, const Watch& m);
    void fromOpener(Client& client, const MeetingMessage& m, const std::vector<std::uint8_t>& bytes);
    void periodic();

    ServerConfig config;
    std::string failure;
    _ENetHost* host = nullptr;
    CookieJar cookies;
    AddressBuckets packets;
    Rooms rooms;
    MeetingReader reader;
    std::unordered_map<ClientId, Client> clients;
    std::unordered_map<std::uint64_t, Known> addresses;
    ClientId nextId = 1;
    Counts tally;
    Counts reported;
    std::chrono::steady_clock::time_point started;
    double lastSweep = 0;
    double lastReport = 0;
};
