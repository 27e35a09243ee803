#include "server/server.h"

#include <arpa/inet.h>
#include <enet/enet.h>

#include <cstdio>
#include <cstring>

#include "net/enet_address.h"
#include "net/enet_start.h"

namespace {

// A connection that sends this many malformed messages is sent away.
constexpr int MALFORMED_LIMIT = 50;
// An address that showed a cookie but never finished connecting is forgotten.
constexpr double PENDING_SECONDS = 30;
// What ENet may hold for one peer: our messages are small.
constexpr std::size_t WAITING_DATA_LIMIT = 32 * 1024;
constexpr int RECEIVE_BUFFER = 4 * 1024 * 1024;

thread_local MeetingServer* serving = nullptr;

int interceptHook(ENetHost*, ENetEvent*)
{
    return serving ? serving->intercept() : 0;
}

std::uint64_t keyOf(const Endpoint& e)
{
    return (std::uint64_t(e.ip) << 16) | e.port;
}

ClientId idOf(const ENetPeer* peer)
{
    return ClientId(reinterpret_cast<std::uintptr_t>(peer->data));
}

// The ENet header of a datagram that opens a connection: no peer yet.
bool opensConnection(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return false;
    const std::uint16_t peerId = std::uint16_t((data[0] << 8) | data[1]);
    return (peerId & ENET_PROTOCOL_MAXIMUM_PEER_ID) == ENET_PROTOCOL_MAXIMUM_PEER_ID;
}

const char* reasonText(Refused::Reason reason)
{
    switch (reason) {
    case Refused::NO_ROOM: return "no such room";
    case Refused::ROOM_FULL: return "room full";
    case Refused::WATCHERS_FULL: return "watchers full";
    case Refused::SERVER_FULL: return "server full";
    case Refused::TOO_MANY: return "too many";
    case Refused::VERSION: return "version";
    }
    return "?";
}

}  // namespace

MeetingServer::MeetingServer(const ServerConfig& cfg)
    : config(cfg),
      packets(cfg.packets, cfg.rooms.addresses),
      rooms(cfg.rooms),
      started(std::chrono::steady_clock::now())
{
    if (!enetStarted()) {
        failure = "the network could not be started";
        return;
    }
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = config.port;
    if (!config.bind.empty() && enet_address_set_host_ip(&address, config.bind.c_str()) != 0) {
        failure = "cannot bind to " + config.bind + ": not an IPv4 address";
        return;
    }
    host = enet_host_create(&address, std::size_t(config.maxClients), MEETING_CHANNELS, 0, 0);
    if (!host) {
        failure = "cannot listen on UDP port " + std::to_string(config.port) + ": is it in use?";
        return;
    }
    host->intercept = interceptHook;
    // Room for a few busy milliseconds of every relayed room (the kernel caps it at net.core.rmem_max).
    enet_socket_set_option(host->socket, ENET_SOCKOPT_RCVBUF, RECEIVE_BUFFER);
    enet_socket_set_option(host->socket, ENET_SOCKOPT_SNDBUF, RECEIVE_BUFFER);
    host->duplicatePeers = std::size_t(config.clientsPerAddress);
    host->maximumPacketSize = MAX_MEETING_MESSAGE;
    host->maximumWaitingData = WAITING_DATA_LIMIT;
}

MeetingServer::~MeetingServer()
{
    if (host)
        enet_host_destroy(host);
}

std::uint16_t MeetingServer::port() const
{
    ENetAddress address{};
    if (!host || enet_socket_get_address(host->socket, &address) != 0)
        return 0;
    return address.port;
}

double MeetingServer::now() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

void MeetingServer::say(const std::string& line) const
{
    if (config.log)
        config.log(line);
    else
        std::fprintf(stderr, "zandrel-server: %s\n", line.c_str());
}

std::string MeetingServer::summary() const
{
    return std::to_string(rooms.size()) + " rooms, " + std::to_string(clients.size()) + " connections; dropped " +
        std::to_string(tally.overRate) + " over the rate, " + std::to_string(tally.malformed) + " malformed, " +
        std::to_string(tally.unproven) + " without a cookie, " + std::to_string(tally.refused) + " refused";
}

int MeetingServer::intercept()
{
    const Endpoint from = endpointOf(host->receivedAddress);
    const std::uint8_t* data = host->receivedData;
    const std::size_t size = host->receivedDataLength;
    ++tally.datagrams;
    if (!packets.take(from.ip, now())) {
        ++tally.overRate;
        return 1;
    }
    if (isDatagram(data, size)) {
        datagram(from, data, size);
        return 1;
    }
    // Every new connection shows a cookie, even from an address already connected.
    if (opensConnection(data, size)) {
        if (connectWithCookie(from, data, size)) {
            Known& known = addresses[keyOf(from)];
            if (known.peers == 0)
                known.pendingSince = now();
            return 0;
        }
        ++tally.unproven;
        return 1;
    }
    if (addresses.count(keyOf(from)))
        return 0;
    ++tally.unproven;
    return 1;
}

void MeetingServer::datagram(const Endpoint& from, const std::uint8_t* data, std::size_t size)
{
    const std::optional<Datagram> d = readDatagram(data, size);
    if (!d || !std::holds_alternative<CookieRequest>(*d)) {
        ++tally.malformed;
        return;
    }
    // The request was padded to be at least as large as this answer.
    const std::vector<std::uint8_t> reply = encodeDatagram(Cookie{cookies.cookieFor(from, std::int64_t(now()))});
    ENetBuffer buffer{};
    buffer.data = const_cast<std::uint8_t*>(reply.data());
    buffer.dataLength = reply.size();
    const ENetAddress to = enetAddressOf(from);
    enet_socket_send(host->socket, &to, &buffer, 1);
    ++tally.cookies;
}

bool MeetingServer::connectWithCookie(const Endpoint& from, const std::uint8_t* data, std::size_t size) const
{
    // A header with its sent time, then the connect command alone.
    const std::size_t header = (data[0] & 0x80) ? 4 : 2;
    if (size != header + sizeof(ENetProtocolConnect))
        return false;
    ENetProtocolConnect connect;
    std::memcpy(&connect, data + header, sizeof connect);
    if ((connect.header.command & ENET_PROTOCOL_COMMAND_MASK) != ENET_PROTOCOL_COMMAND_CONNECT)
        return false;
    return cookies.valid(from, ENET_NET_TO_HOST_32(connect.data), std::int64_t(now()));
}

void MeetingServer::serve(int timeoutMs)
{
    if (!host)
        return;
    serving = this;
    ENetEvent event;
    for (int got = enet_host_service(host, &event, enet_uint32(timeoutMs)); got > 0;
         got = enet_host_service(host, &event, 0)) {
        switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT: connected(event.peer); break;
        case ENET_EVENT_TYPE_DISCONNECT: disconnected(event.peer); break;
        case ENET_EVENT_TYPE_RECEIVE: {
            auto found = clients.find(idOf(event.peer));
            if (found != clients.end())
                received(found->second, event.packet, event.channelID);
            enet_packet_destroy(event.packet);
            break;
        }
        default: break;
        }
    }
    serving = nullptr;
    periodic();
    enet_host_flush(host);
}

void MeetingServer::connected(ENetPeer* peer)
{
    Client client;
    client.id = nextId++;
    client.peer = peer;
    client.address = endpointOf(peer->address);
    peer->data = reinterpret_cast<void*>(std::uintptr_t(client.id));
    // A game gone silent leaves its room within seconds, not ENet's half-minute.
    enet_peer_timeout(peer, 0, 5000, 10000);
    // The relay passes on what the players send (little, at a steady rate)
    // rather than thin it out when round trips vary: the players' own ENet does that.
    enet_peer_throttle_configure(peer, ENET_PEER_PACKET_THROTTLE_INTERVAL, ENET_PEER_PACKET_THROTTLE_SCALE, 0);
    ++addresses[keyOf(client.address)].peers;
    clients[client.id] = client;
}

void MeetingServer::disconnected(ENetPeer* peer)
{
    const ClientId id = idOf(peer);
    auto found = clients.find(id);
    if (found == clients.end())
        return;
    const Endpoint address = found->second.address;
    clients.erase(found);
    auto known = addresses.find(keyOf(address));
    if (known != addresses.end() && --known->second.peers <= 0)
        addresses.erase(known);

    const RoomRole role = rooms.roleOf(id);
    const ClientId partner = rooms.partnerOf(id);
    Room* room = rooms.leave(id, now());
    if (!room)
        return;
    if (role == RoomRole::WATCHER) {
        say("room " + room->code + ": a watcher left (" + std::to_string(room->watchers.size()) + " watching)");
        return;
    }
    say("room " + room->code + ": player " + (role == RoomRole::OPENER ? "1" : "2") + " left" +
        (room->playersIn() == 0 ? ", the room is empty" : ""));
    if (partner)
        send(partner, PeerLeft{});
    // The bout's feed ends with its opener.
    if (role == RoomRole::OPENER)
        for (ClientId watcher : room->watchers)
            send(watcher, PeerLeft{});
}

void MeetingServer::send(ClientId to, const MeetingMessage& message)
{
    sendBytes(to, encodeMeeting(message), MEETING_CHANNEL, true);
}

void MeetingServer::sendBytes(ClientId to, const std::vector<std::uint8_t>& bytes, std::uint8_t channel, bool reliable)
{
    auto found = clients.find(to);
    if (found == clients.end())
        return;
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (enet_peer_send(found->second.peer, channel, packet) != 0)
        enet_packet_destroy(packet);
}

void MeetingServer::refuse(Client& client, Refused::Reason reason)
{
    ++tally.refused;
    send(client.id, Refused{reason});
    // The answer goes out first; the connection's place is free for another.
    enet_peer_disconnect_later(client.peer, 0);
}

void MeetingServer::received(Client& client, ENetPacket* packet, std::uint8_t channel)
{
    const std::optional<MeetingMessage> m = reader.read(packet->data, packet->dataLength);
    if (!m) {
        ++tally.malformed;
        if (++client.malformed == MALFORMED_LIMIT) {
            say("sent away " + endpointText(client.address) + " after " + std::to_string(MALFORMED_LIMIT) +
                " malformed messages");
            enet_peer_disconnect_later(client.peer, 0);
        }
        return;
    }
    const RoomRole role = rooms.roleOf(client.id);
    if (const Open* open = std::get_if<Open>(&*m); open && role == RoomRole::NONE) {
        opened(client, *open);
    } else if (const Join* join = std::get_if<Join>(&*m); join && role == RoomRole::NONE) {
        joined(client, *join);
    } else if (const Watch* watch = std::get_if<Watch>(&*m); watch && role == RoomRole::NONE) {
        watching(client, *watch);
    } else if (std::holds_alternative<RelayPacket>(*m) || std::holds_alternative<Probe>(*m)) {
        // Only between a room's two players.
        const ClientId partner = rooms.partnerOf(client.id);
        if (!partner) {
            ++tally.refused;
            return;
        }
        const std::vector<std::uint8_t> bytes(packet->data, packet->data + packet->dataLength);
        sendBytes(partner, bytes, channel == RELAY_CHANNEL ? RELAY_CHANNEL : MEETING_CHANNEL,
            (packet->flags & ENET_PACKET_FLAG_RELIABLE) != 0);
        ++tally.relayed;
    } else if (role == RoomRole::OPENER &&
        (std::holds_alternative<PathChosen>(*m) || std::holds_alternative<FeedStart>(*m) ||
            std::holds_alternative<FeedTicks>(*m) || std::holds_alternative<FeedEnd>(*m))) {
        fromOpener(client, *m, std::vector<std::uint8_t>(packet->data, packet->data + packet->dataLength));
    } else {
        ++tally.refused;
    }
}

void MeetingServer::opened(Client& client, const Open& m)
{
    if (m.protocol != MEETING_PROTOCOL_VERSION)
        return refuse(client, Refused::VERSION);
    const Rooms::Result result =
        rooms.open(client.address.ip, m.gameVersion, PlayerSeat{client.id, client.address, m.local}, now());
    if (const Refused::Reason* why = std::get_if<Refused::Reason>(&result))
        return refuse(client, *why);
    const Room& room = *std::get<Room*>(result);
    send(client.id, Opened{room.code, client.address});
    say("room " + room.code + " opened by " + endpointText(client.address) + " (" + std::to_string(rooms.size()) +
        " rooms)");
}

void MeetingServer::joined(Client& client, const Join& m)
{
    if (m.protocol != MEETING_PROTOCOL_VERSION)
        return refuse(client, Refused::VERSION);
    const Rooms::Result result =
        rooms.join(client.address.ip, m.gameVersion, m.code, PlayerSeat{client.id, client.address, m.local}, now());
    if (const Refused::Reason* why = std::get_if<Refused::Reason>(&result)) {
        // A wrong code is not an event of any room: counted, not logged, as a guesser would flood the log.
        if (*why != Refused::NO_ROOM && *why != Refused::TOO_MANY)
            say("room " + m.code + ": refused " + endpointText(client.address) + " (" + reasonText(*why) + ")");
        return refuse(client, *why);
    }
    const Room& room = *std::get<Room*>(result);
    const PlayerSeat& opener = room.players[0];
    const PlayerSeat& guest = room.players[1];
    send(guest.client, Joined{room.code, client.address});
    send(opener.client, Introduce{1, room.token, guest.seen, guest.local});
    send(guest.client, Introduce{2, room.token, opener.seen, opener.local});
    say("room " + room.code + ": player 2 joined from " + endpointText(client.address));
}

void MeetingServer::watching(Client& client, const Watch& m)
{
    if (m.protocol != MEETING_PROTOCOL_VERSION)
        return refuse(client, Refused::VERSION);
    const Rooms::Result result = rooms.watch(client.address.ip, m.gameVersion, m.code, client.id, now());
    if (const Refused::Reason* why = std::get_if<Refused::Reason>(&result)) {
        if (*why != Refused::NO_ROOM && *why != Refused::TOO_MANY)
            say("room " + m.code + ": refused watcher " + endpointText(client.address) + " (" + reasonText(*why) + ")");
        return refuse(client, *why);
    }
    const Room& room = *std::get<Room*>(result);
    send(client.id, Watching{room.code});
    // A watcher who comes in mid-bout sees it from its start.
    if (room.feed.started && !room.feed.overflowed)
        for (const std::vector<std::uint8_t>& bytes : room.feed.messages)
            sendBytes(client.id, bytes, MEETING_CHANNEL, true);
    say("room " + room.code + ": a watcher joined from " + endpointText(client.address) + " (" +
        std::to_string(room.watchers.size()) + " watching)");
}

void MeetingServer::fromOpener(Client& client, const MeetingMessage& m, const std::vector<std::uint8_t>& bytes)
{
    Room* room = rooms.roomOf(client.id);
    if (!room) {
        ++tally.refused;
        return;
    }
    if (const PathChosen* path = std::get_if<PathChosen>(&m)) {
        const ClientId guest = room->players[1].client;
        if (!guest) {
            ++tally.refused;
            return;
        }
        sendBytes(guest, bytes, MEETING_CHANNEL, true);
        say("room " + room->code + ": path " + pathName(path->path));
        return;
    }
    Feed feed;
    if (const FeedStart* start = std::get_if<FeedStart>(&m))
        feed = *start;
    else if (const FeedTicks* ticks = std::get_if<FeedTicks>(&m))
        feed = *ticks;
    else
        feed = std::get<FeedEnd>(m);
    if (!rooms.keepFeed(*room, feed, bytes)) {
        ++tally.refused;
        return;
    }
    for (ClientId watcher : room->watchers)
        sendBytes(watcher, bytes, MEETING_CHANNEL, true);
}

void MeetingServer::periodic()
{
    const double t = now();
    if (t - lastSweep >= 1) {
        lastSweep = t;
        for (const Room& room : rooms.expire(t)) {
            say("room " + room.code + " expired after " + std::to_string(int(t - room.emptySince)) + " s empty");
            for (ClientId watcher : room.watchers) {
                send(watcher, PeerLeft{});
                if (auto found = clients.find(watcher); found != clients.end())
                    enet_peer_disconnect_later(found->second.peer, 0);
            }
        }
        std::erase_if(addresses, [&](const auto& entry) {
            return entry.second.peers <= 0 && t - entry.second.pendingSince > PENDING_SECONDS;
        });
        packets.forgetIdle(t);
    }
    if (t - lastReport >= config.reportSeconds) {
        lastReport = t;
        if (tally.dropped() != reported.dropped())
            say("in the last " + std::to_string(int(config.reportSeconds)) + " s: " + std::to_string(rooms.size()) +
                " rooms; dropped " + std::to_string(tally.overRate - reported.overRate) + " over the rate, " +
                std::to_string(tally.malformed - reported.malformed) + " malformed, " +
                std::to_string(tally.unproven - reported.unproven) + " without a cookie, " +
                std::to_string(tally.refused - reported.refused) + " refused");
        reported = tally;
    }
}

void MeetingServer::stop()
{
    if (!host)
        return;
    for (auto& [id, client] : clients)
        enet_peer_disconnect_now(client.peer, 0);
    enet_host_flush(host);
    say("stopping: " + summary());
}
