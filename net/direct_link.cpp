#include "net/direct_link.h"

#include <enet/enet.h>
#include <enet/time.h>

#include <utility>

#include "net/enet_start.h"

namespace {

// The host takes a few more than one, so that a second guest is turned away, not left waiting.
constexpr int HOST_PEERS = 4;
constexpr int CHANNELS = 2;

}  // namespace

DirectLink DirectLink::host(std::uint16_t port)
{
    DirectLink link;
    link.hosting = true;
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = port;
    if (!enetStarted())
        link.closeWith("The network could not be started.");
    else if (!(link.enet = enet_host_create(&address, HOST_PEERS, CHANNELS, 0, 0)))
        link.closeWith("Cannot wait for a player on port " + std::to_string(port) + ": is it in use?");
    return link;
}

DirectLink DirectLink::join(const std::string& host, std::uint16_t port)
{
    DirectLink link;
    link.target = host + ":" + std::to_string(port);
    ENetAddress address{};
    address.port = port;
    if (!enetStarted())
        link.closeWith("The network could not be started.");
    else if (!(link.enet = enet_host_create(nullptr, 1, CHANNELS, 0, 0)) ||
        enet_address_set_host(&address, host.c_str()) != 0)
        link.closeWith("Cannot find the host " + host + ".");
    else if (!(link.peer = enet_host_connect(link.enet, &address, CHANNELS, 0)))
        link.closeWith("Cannot connect to " + host + ".");
    return link;
}

DirectLink::DirectLink(DirectLink&& other) noexcept
    : enet(std::exchange(other.enet, nullptr)),
      peer(std::exchange(other.peer, nullptr)),
      hosting(other.hosting),
      target(std::move(other.target)),
      connected(other.connected),
      closed(other.closed),
      pending(std::move(other.pending))
{}

DirectLink::~DirectLink()
{
    close();
    if (enet)
        enet_host_destroy(enet);
}

void DirectLink::closeWith(const std::string& reason)
{
    if (closed)
        return;
    closed = true;
    pending.push_back({Event::Kind::CLOSED, {}, reason});
    if (enet && peer) {
        enet_peer_disconnect_later(peer, 0);
        enet_host_flush(enet);
    }
}

void DirectLink::close()
{
    const bool wasClosed = closed;
    closeWith("");
    if (!wasClosed)
        pending.pop_back();
}

void DirectLink::flush()
{
    if (enet)
        enet_host_flush(enet);
}

void DirectLink::waitForData(std::uint32_t ms)
{
    // A closed link reads nothing more: what arrives would wake it at once.
    waitForDatagram(closed ? nullptr : enet, ms);
}

std::uint16_t DirectLink::localPort() const
{
    ENetAddress address{};
    if (!enet || enet_socket_get_address(enet->socket, &address) != 0)
        return 0;
    return address.port;
}

int DirectLink::roundTripMs() const
{
    return peer && connected ? int(peer->roundTripTime) : 0;
}

std::uint32_t DirectLink::quietMs() const
{
    if (!peer || !connected || peer->lastReceiveTime == 0)
        return 0;
    return ENET_TIME_DIFFERENCE(enet_time_get(), peer->lastReceiveTime);
}

void DirectLink::send(const std::vector<std::uint8_t>& packet, bool reliable)
{
    if (!connected || closed || !peer || packet.empty())
        return;
    ENetPacket* p = enet_packet_create(packet.data(), packet.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (enet_peer_send(peer, reliable ? SESSION_CHANNEL : INPUT_CHANNEL, p) != 0)
        enet_packet_destroy(p);
}

void DirectLink::service(std::vector<Event>& events)
{
    ENetEvent event;
    while (enet && !closed && enet_host_service(enet, &event, 0) > 0) {
        switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            if (peer && peer != event.peer) {
                // One guest at a time.
                enet_peer_disconnect_now(event.peer, 0);
                break;
            }
            peer = event.peer;
            connected = true;
            // Silence is the session's to judge (3 s); ENet pings often and gives up later.
            enet_peer_ping_interval(peer, 250);
            enet_peer_timeout(peer, 0, 10000, 10000);
            pending.push_back({Event::Kind::CONNECTED, {}, {}});
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            if (event.peer == peer && connected)
                pending.push_back(
                    {Event::Kind::RECEIVED, {event.packet->data, event.packet->data + event.packet->dataLength}, {}});
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (event.peer == peer) {
                peer = nullptr;
                closeWith(connected || hosting ? "The other player left." : "Cannot reach " + target + ".");
            }
            break;
        default: break;
        }
    }
    if (enet && !closed)
        enet_host_flush(enet);
    events.insert(events.end(), std::make_move_iterator(pending.begin()), std::make_move_iterator(pending.end()));
    pending.clear();
}
