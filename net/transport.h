#pragma once

// How a network game's packets reach the other player, whichever way they
// go: straight over ENet (--host and --join, or punched through both routers)
// or relayed by the meeting server. The session sees only this.
#include <cstdint>
#include <string>
#include <vector>

#include "net/meeting_protocol.h"

class Transport {
public:
    struct Event {
        enum class Kind { CONNECTED, RECEIVED, CLOSED };
        Kind kind = Kind::RECEIVED;
        // RECEIVED: one game packet, as the other side sent it.
        std::vector<std::uint8_t> packet;
        // CLOSED: why, in the game's words ("The other player left.").
        std::string reason;
    };

    virtual ~Transport() = default;

    // Sends and receives whatever is due without blocking, and adds what
    // happened since the last call to `events`, in order. CONNECTED comes
    // once, before any packet; CLOSED comes once, last.
    virtual void service(std::vector<Event>& events) = 0;
    // One game packet to the other player: reliable ones arrive once and in
    // order, the others perhaps not at all. Dropped before CONNECTED.
    virtual void send(const std::vector<std::uint8_t>& packet, bool reliable) = 0;
    // Sends what is queued now rather than at the next service().
    virtual void flush() = 0;
    // Sleeps until a datagram arrives or `ms` pass, for service() to read it
    // at once: answered between frames, the round trip is the network's own.
    virtual void waitForData(std::uint32_t ms) = 0;
    // After the last packet: lets the other side know, frees the connection.
    virtual void close() = 0;

    virtual PathKind path() const = 0;
    virtual int roundTripMs() const = 0;
    // Milliseconds since anything at all arrived from the other player.
    virtual std::uint32_t quietMs() const = 0;
    // The UDP port the game plays from.
    virtual std::uint16_t localPort() const = 0;
};
