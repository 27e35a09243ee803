#pragma once

// The network game as --host and --join play it: one ENet connection
// straight between the two machines, the host listening on a known port.
#include <cstdint>
#include <string>

#include "net/transport.h"

struct _ENetHost;
struct _ENetPeer;

class DirectLink : public Transport {
public:
    // Listens for one guest on the port.
    static DirectLink host(std::uint16_t port);
    // Connects to the host's address and port.
    static DirectLink join(const std::string& address, std::uint16_t port);

    DirectLink(DirectLink&& other) noexcept;
    DirectLink& operator=(DirectLink&&) = delete;
    ~DirectLink() override;

    void service(std::vector<Event>& events) override;
    void send(const std::vector<std::uint8_t>& packet, bool reliable) override;
    void flush() override;
    void waitForData(std::uint32_t ms) override;
    void close() override;
    PathKind path() const override { return connected ? PathKind::DIRECT : PathKind::NONE; }
    int roundTripMs() const override;
    std::uint32_t quietMs() const override;
    std::uint16_t localPort() const override;

private:
    DirectLink() = default;
    void closeWith(const std::string& reason);

    _ENetHost* enet = nullptr;
    _ENetPeer* peer = nullptr;
    bool hosting = false;
    std::string target;
    bool connected = false;
    bool closed = false;
    std::vector<Event> pending;
};
