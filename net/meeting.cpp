#include "net/meeting.h"

#include <arpa/inet.h>
#include <enet/enet.h>
#include <enet/time.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "net/enet_address.h"
#include "net/enet_start.h"

namespace {

using namespace std::chrono_literals;

// A cookie request is sent again this often, for this long, before the server counts as unreachable.
constexpr auto COOKIE_INTERVAL = 250ms;
constexpr auto CONTACT_LIMIT = 5s;
// Both keep punching every candidate this often until the path is settled:
// a router may drop the first punches before its own mapping exists.
constexpr auto PUNCH_INTERVAL = 50ms;
// The first punches go out with a time to live that takes them past this
// side's own router but not to the other's: they open this side's mapping
// without leaving, on a router that has not yet sent its own, a stale entry
// for this address that would make it map the other player to another port.
constexpr auto SHORT_PUNCH_TIME = 250ms;
constexpr int SHORT_PUNCH_TTL = 2;
// Punches answered in all: enough for the whole limit, never an open reflector.
constexpr int PUNCH_ANSWER_LIMIT = 400;
// The joiner waits this much beyond the punch limit for the opener's choice.
constexpr auto CHOICE_GRACE = 5s;
constexpr auto PROBE_INTERVAL = 250ms;
constexpr int PEERS = 4;
constexpr int CHANNELS = 2;
constexpr std::size_t EARLY_LIMIT = 256;

thread_local Meeting* meeting = nullptr;

int interceptHook(ENetHost*, ENetEvent*)
{
    return meeting ? meeting->intercept() : 0;
}

void sendRaw(ENetHost* host, const Endpoint& to, const Datagram& d)
{
    const std::vector<std::uint8_t> bytes = encodeDatagram(d);
    ENetBuffer buffer{};
    buffer.data = const_cast<std::uint8_t*>(bytes.data());
    buffer.dataLength = bytes.size();
    const ENetAddress address = enetAddressOf(to);
    enet_socket_send(host->socket, &address, &buffer, 1);
}

// This machine's own IPv4 addresses, loopback aside: where a player behind
// the same router reaches it.
std::vector<Endpoint> ownAddresses(std::uint16_t port)
{
    std::vector<Endpoint> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return found;
    for (ifaddrs* i = list; i && int(found.size()) < MAX_LOCAL_ADDRESSES; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
            (i->ifa_flags & IFF_LOOPBACK))
            continue;
        sockaddr_in a;
        std::memcpy(&a, i->ifa_addr, sizeof a);
        found.push_back({ntohl(a.sin_addr.s_addr), port});
    }
    freeifaddrs(list);
    return found;
}

bool opensConnection(const std::uint8_t* data, std::size_t size, std::uint32_t& connectData)
{
    if (size < 2)
        return false;
    const std::uint16_t peerId = std::uint16_t((data[0] << 8) | data[1]);
    if ((peerId & ENET_PROTOCOL_MAXIMUM_PEER_ID) != ENET_PROTOCOL_MAXIMUM_PEER_ID)
        return false;
    const std::size_t header = (data[0] & 0x80) ? 4 : 2;
    connectData = 0;
    if (size == header + sizeof(ENetProtocolConnect)) {
        ENetProtocolConnect connect;
        std::memcpy(&connect, data + header, sizeof connect);
        if ((connect.header.command & ENET_PROTOCOL_COMMAND_MASK) == ENET_PROTOCOL_COMMAND_CONNECT)
            connectData = ENET_NET_TO_HOST_32(connect.data);
    }
    return true;
}

bool contains(const std::vector<Endpoint>& list, const Endpoint& e)
{
    return std::find(list.begin(), list.end(), e) != list.end();
}

}  // namespace

Meeting::Meeting(const MeetingConfig& cfg) : config(cfg), started(Clock::now())
{
    lastRelayHeard = started;
    if (!enetStarted()) {
        closeWith("The network could not be started.");
        return;
    }
    ENetAddress local{};
    local.host = ENET_HOST_ANY;
    local.port = config.localPort;
    host = enet_host_create(&local, PEERS, CHANNELS, 0, 0);
    if (!host) {
        closeWith("Cannot play from UDP port " + std::to_string(config.localPort) + ": is it in use?");
        return;
    }
    host->intercept = interceptHook;
    host->maximumPacketSize = MAX_MEETING_MESSAGE;
    ENetAddress address{};
    address.port = config.serverPort;
    if (enet_address_set_host(&address, config.server.c_str()) != 0) {
        closeWith("Cannot find the server " + config.server + ".");
        return;
    }
    serverAt = endpointOf(address);
    // Players who meet on this machine's loopback are both here: its other addresses add nothing.
    if (serverAt.ip >> 24 != 127)
        localAddresses = ownAddresses(localPort());
}

Meeting::~Meeting()
{
    close();
    if (host) {
        // Said now, with the last packets flushed above: the server frees the
        // room's seat at once instead of when its connection times out.
        if (server)
            enet_peer_disconnect_now(server, 0);
        if (direct)
            enet_peer_disconnect_now(direct, 0);
        enet_host_destroy(host);
    }
}

std::uint16_t Meeting::localPort() const
{
    ENetAddress address{};
    if (!host || enet_socket_get_address(host->socket, &address) != 0)
        return 0;
    return address.port;
}

int Meeting::roundTripMs() const
{
    if (pathKind == PathKind::DIRECT && direct)
        return int(direct->roundTripTime);
    if (pathKind == PathKind::RELAYED)
        return int(relayRoundTrip + 0.5);
    return server ? int(server->roundTripTime) : 0;
}

std::uint32_t Meeting::quietMs() const
{
    if (pathKind == PathKind::DIRECT && direct && direct->lastReceiveTime != 0)
        return ENET_TIME_DIFFERENCE(enet_time_get(), direct->lastReceiveTime);
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastRelayHeard).count());
}

std::string Meeting::serverText() const
{
    return config.server + ":" + std::to_string(config.serverPort);
}

void Meeting::closeWith(const std::string& reason)
{
    if (stage == Stage::CLOSED)
        return;
    stage = Stage::CLOSED;
    pending.push_back({Event::Kind::CLOSED, {}, reason});
    if (host) {
        if (direct)
            enet_peer_disconnect_later(direct, 0);
        if (server)
            enet_peer_disconnect_later(server, 0);
        enet_host_flush(host);
    }
}

void Meeting::close()
{
    if (stage == Stage::CLOSED) {
        if (host)
            enet_host_flush(host);
        return;
    }
    closeWith("");
    pending.clear();
}

void Meeting::flush()
{
    if (host)
        enet_host_flush(host);
}

void Meeting::waitForData(std::uint32_t ms)
{
    // A closed meeting reads nothing more: what arrives would wake it at once.
    waitForDatagram(stage == Stage::CLOSED ? nullptr : host, ms);
}

void Meeting::toServer(const MeetingMessage& m, bool reliable)
{
    if (!server)
        return;
    const std::vector<std::uint8_t> bytes = encodeMeeting(m);
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (enet_peer_send(server, reliable ? MEETING_CHANNEL : RELAY_CHANNEL, packet) != 0)
        enet_packet_destroy(packet);
}

void Meeting::send(const std::vector<std::uint8_t>& packet, bool reliable)
{
    if (stage != Stage::PLAYING || !connectedSaid || packet.empty())
        return;
    if (pathKind == PathKind::RELAYED) {
        toServer(RelayPacket{packet}, reliable);
        return;
    }
    if (!direct)
        return;
    ENetPacket* p = enet_packet_create(packet.data(), packet.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (enet_peer_send(direct, reliable ? SESSION_CHANNEL : INPUT_CHANNEL, p) != 0)
        enet_packet_destroy(p);
}

void Meeting::sendFeed(const Feed& f)
{
    if (playerNumber == 1 && server)
        toServer(std::visit([](const auto& m) { return MeetingMessage(m); }, f), true);
}

std::vector<Feed> Meeting::takeFeed()
{
    return std::exchange(feed, {});
}

void Meeting::received(std::vector<std::uint8_t> packet)
{
    if (connectedSaid)
        pending.push_back({Event::Kind::RECEIVED, std::move(packet), {}});
    else if (early.size() < EARLY_LIMIT)
        early.push_back(std::move(packet));
}

void Meeting::settle(PathKind path)
{
    pathKind = path;
    stage = Stage::PLAYING;
    lastRelayHeard = Clock::now();
    if (path == PathKind::RELAYED && direct) {
        // A connection still being made goes unanswered; the other side drops its own.
        enet_peer_reset(direct);
        direct = nullptr;
    }
    if (direct) {
        // Silence is the session's to judge; ENet pings often and gives up later.
        enet_peer_ping_interval(direct, 250);
        enet_peer_timeout(direct, 0, 10000, 10000);
    }
    if (playerNumber == 1)
        toServer(PathChosen{path}, true);
    connectedSaid = true;
    pending.push_back({Event::Kind::CONNECTED, {}, {}});
    for (std::vector<std::uint8_t>& packet : early)
        pending.push_back({Event::Kind::RECEIVED, std::move(packet), {}});
    early.clear();
}

void Meeting::service(std::vector<Event>& events)
{
    if (host && stage != Stage::CLOSED) {
        Meeting* outer = std::exchange(meeting, this);
        const Clock::time_point now = Clock::now();
        contact(now);
        ENetEvent event;
        while (stage != Stage::CLOSED && enet_host_service(host, &event, 0) > 0) {
            switch (event.type) {
            case ENET_EVENT_TYPE_CONNECT:
                if (event.peer == server) {
                    const MeetingConfig::Role role = config.role;
                    if (role == MeetingConfig::Role::OPEN)
                        toServer(Open{MEETING_PROTOCOL_VERSION, config.gameVersion, localAddresses}, true);
                    else if (role == MeetingConfig::Role::JOIN)
                        toServer(Join{MEETING_PROTOCOL_VERSION, config.gameVersion, config.code, localAddresses}, true);
                    else
                        toServer(Watch{MEETING_PROTOCOL_VERSION, config.gameVersion, config.code}, true);
                } else {
                    directConnected(event.peer);
                }
                break;
            case ENET_EVENT_TYPE_RECEIVE:
                if (event.peer == server)
                    fromServer(event.packet->data, event.packet->dataLength);
                else if (event.peer == direct && pathKind != PathKind::RELAYED)
                    received({event.packet->data, event.packet->data + event.packet->dataLength});
                enet_packet_destroy(event.packet);
                break;
            case ENET_EVENT_TYPE_DISCONNECT:
                if (event.peer == server) {
                    server = nullptr;
                    // A direct bout goes on without the server; only its watchers lose it.
                    if (!(stage == Stage::PLAYING && pathKind == PathKind::DIRECT))
                        closeWith(stage == Stage::CONTACTING
                                ? "Cannot reach the server " + serverText() + "."
                                : "Lost the connection to the server " + serverText() + ".");
                } else if (event.peer == direct) {
                    direct = nullptr;
                    if (stage == Stage::PLAYING && pathKind == PathKind::DIRECT)
                        closeWith("The other player left.");
                }
                break;
            default: break;
            }
        }
        if (stage == Stage::PUNCHING)
            punch(now);
        if (stage == Stage::PLAYING && pathKind == PathKind::RELAYED && now - lastProbe >= PROBE_INTERVAL) {
            lastProbe = now;
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - started).count();
            toServer(Probe{std::uint32_t(ms), false}, false);
        }
        if (host && stage != Stage::CLOSED)
            enet_host_flush(host);
        meeting = outer;
    }
    events.insert(events.end(), std::make_move_iterator(pending.begin()), std::make_move_iterator(pending.end()));
    pending.clear();
}

void Meeting::contact(Clock::time_point now)
{
    if (stage != Stage::CONTACTING || server)
        return;
    if (now - started > CONTACT_LIMIT) {
        closeWith("Cannot reach the server " + serverText() + ".");
        return;
    }
    if (lastCookieRequest == Clock::time_point{} || now - lastCookieRequest >= COOKIE_INTERVAL) {
        lastCookieRequest = now;
        sendRaw(host, serverAt, CookieRequest{});
    }
}

std::string Meeting::refusal(Refused::Reason reason) const
{
    switch (reason) {
    case Refused::NO_ROOM:
        return "There is no room " + config.code + " on the server: the code is wrong or the room has expired.";
    case Refused::ROOM_FULL: return "Room " + config.code + " already has two players.";
    case Refused::WATCHERS_FULL: return "Room " + config.code + " has as many watchers as it takes.";
    case Refused::SERVER_FULL: return "The server " + serverText() + " is full: try again later.";
    case Refused::TOO_MANY:
        return "The server " + serverText() + " refuses: too many rooms opened or tried from here of late.";
    case Refused::VERSION:
        return config.role == MeetingConfig::Role::OPEN
            ? "The server " + serverText() + " is of another version than the game."
            : "Room " + config.code + " plays another version of the game.";
    }
    return "The server refused.";
}

void Meeting::fromServer(const std::uint8_t* data, std::size_t size)
{
    const std::optional<MeetingMessage> m = reader.read(data, size);
    if (!m)
        return;
    if (const Opened* opened = std::get_if<Opened>(&*m);
        opened && stage == Stage::CONTACTING && config.role == MeetingConfig::Role::OPEN) {
        roomCode = opened->code;
        seen = opened->seen;
        playerNumber = 1;
        stage = Stage::WAITING;
    } else if (const Joined* joined = std::get_if<Joined>(&*m);
               joined && stage == Stage::CONTACTING && config.role == MeetingConfig::Role::JOIN) {
        roomCode = joined->code;
        seen = joined->seen;
        playerNumber = 2;
        stage = Stage::WAITING;
    } else if (const Watching* watching = std::get_if<Watching>(&*m);
               watching && stage == Stage::CONTACTING && config.role == MeetingConfig::Role::WATCH) {
        roomCode = watching->code;
        stage = Stage::WATCHING;
        connectedSaid = true;
        pending.push_back({Event::Kind::CONNECTED, {}, {}});
    } else if (const Refused* refused = std::get_if<Refused>(&*m)) {
        closeWith(refusal(refused->reason));
    } else if (const Introduce* introduce = std::get_if<Introduce>(&*m);
               introduce && stage == Stage::WAITING && introduce->player == playerNumber) {
        introduced(*introduce);
    } else if (std::holds_alternative<PeerLeft>(*m)) {
        if (stage == Stage::WATCHING)
            closeWith("The players of room " + roomCode + " have left.");
        else if (!(stage == Stage::PLAYING && pathKind == PathKind::DIRECT))
            closeWith("The other player left.");
    } else if (const PathChosen* path = std::get_if<PathChosen>(&*m); path && playerNumber == 2) {
        chosen = path->path;
        if (stage != Stage::PUNCHING)
            return;
        if (chosen == PathKind::RELAYED)
            settle(PathKind::RELAYED);
        else if (direct && direct->state == ENET_PEER_STATE_CONNECTED)
            settle(PathKind::DIRECT);
    } else if (const RelayPacket* relay = std::get_if<RelayPacket>(&*m)) {
        lastRelayHeard = Clock::now();
        if (pathKind != PathKind::DIRECT && playerNumber != 0)
            received(relay->payload);
    } else if (const Probe* probe = std::get_if<Probe>(&*m)) {
        lastRelayHeard = Clock::now();
        if (!probe->reply) {
            toServer(Probe{probe->stamp, true}, false);
        } else {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
            const double sample = double(std::uint32_t(ms) - probe->stamp);
            relayRoundTrip = relayRoundTrip == 0 ? sample : relayRoundTrip * 0.875 + sample * 0.125;
        }
    } else if (stage == Stage::WATCHING) {
        if (const FeedStart* start = std::get_if<FeedStart>(&*m))
            feed.push_back(*start);
        else if (const FeedTicks* ticks = std::get_if<FeedTicks>(&*m))
            feed.push_back(*ticks);
        else if (const FeedEnd* end = std::get_if<FeedEnd>(&*m))
            feed.push_back(*end);
    }
}

void Meeting::introduced(const Introduce& m)
{
    token = m.token;
    candidates.clear();
    for (const Endpoint& e : m.local)
        if (!contains(candidates, e))
            candidates.push_back(e);
    if (!contains(candidates, m.seen))
        candidates.push_back(m.seen);
    stage = Stage::PUNCHING;
    introducedAt = Clock::now();
    lastPunch = {};
    if (config.relayOnly && playerNumber == 1)
        settle(PathKind::RELAYED);
    else if (!config.relayOnly)
        punch(introducedAt);
}

void Meeting::punch(Clock::time_point now)
{
    if (playerNumber == 1 && now - introducedAt >= config.punchLimit) {
        settle(PathKind::RELAYED);
        return;
    }
    if (playerNumber == 2 && now - introducedAt >= config.punchLimit + CHOICE_GRACE) {
        closeWith("The other player could not be reached.");
        return;
    }
    if (config.relayOnly || now - lastPunch < PUNCH_INTERVAL)
        return;
    lastPunch = now;
    const bool shortLived = now - introducedAt < SHORT_PUNCH_TIME;
    int ttl = 0;
    socklen_t size = sizeof ttl;
    if (shortLived && getsockopt(host->socket, IPPROTO_IP, IP_TTL, &ttl, &size) == 0)
        setsockopt(host->socket, IPPROTO_IP, IP_TTL, &SHORT_PUNCH_TTL, sizeof SHORT_PUNCH_TTL);
    for (const Endpoint& to : candidates)
        sendRaw(host, to, Punch{token, std::uint8_t(playerNumber), false});
    if (shortLived && ttl > 0)
        setsockopt(host->socket, IPPROTO_IP, IP_TTL, &ttl, sizeof ttl);
}

void Meeting::punched(const Endpoint& from, const Punch& p)
{
    if (stage != Stage::PUNCHING || p.token != token || p.from == playerNumber)
        return;
    if (!contains(heard, from) && heard.size() < 8)
        heard.push_back(from);
    if (!p.ack) {
        if (punchAnswers < PUNCH_ANSWER_LIMIT) {
            ++punchAnswers;
            sendRaw(host, from, Punch{token, std::uint8_t(playerNumber), true});
        }
        return;
    }
    // The answer proves the way works both ways: the opener connects through it, first come first served.
    if (playerNumber == 1 && !direct) {
        const ENetAddress to = enetAddressOf(from);
        directAt = from;
        direct = enet_host_connect(host, &to, CHANNELS, std::uint32_t(token));
    }
}

void Meeting::directConnected(ENetPeer* peer)
{
    if (stage != Stage::PUNCHING || (direct && peer != direct)) {
        enet_peer_reset(peer);
        return;
    }
    direct = peer;
    if (playerNumber == 1)
        settle(PathKind::DIRECT);
    else if (chosen == PathKind::DIRECT)
        settle(PathKind::DIRECT);
}

int Meeting::intercept()
{
    const Endpoint from = endpointOf(host->receivedAddress);
    const std::uint8_t* data = host->receivedData;
    const std::size_t size = host->receivedDataLength;
    if (isDatagram(data, size)) {
        const std::optional<Datagram> d = readDatagram(data, size);
        if (!d)
            return 1;
        if (const Cookie* cookie = std::get_if<Cookie>(&*d)) {
            if (from == serverAt && stage == Stage::CONTACTING && !server) {
                const ENetAddress to = enetAddressOf(serverAt);
                server = enet_host_connect(host, &to, MEETING_CHANNELS, cookie->value);
            }
        } else if (const Punch* p = std::get_if<Punch>(&*d)) {
            punched(from, *p);
        }
        return 1;
    }
    if (from == serverAt)
        return 0;
    // Only the other player connects, from where its punch came, with the room's token.
    std::uint32_t connectData = 0;
    if (opensConnection(data, size, connectData)) {
        const bool expected = playerNumber == 2 && stage == Stage::PUNCHING && contains(heard, from) &&
            connectData == std::uint32_t(token) && (directAt == Endpoint{} || directAt == from);
        if (!expected)
            return 1;
        directAt = from;
        return 0;
    }
    return directAt != Endpoint{} && from == directAt ? 0 : 1;
}
