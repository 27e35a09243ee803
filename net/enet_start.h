#pragma once

#include <cstdint>

// ENet started once for the process (and stopped at its exit); false when it cannot be.
bool enetStarted();

struct _ENetHost;
// Sleeps until a datagram reaches the host's socket or `ms` pass; without a
// host, for `ms`.
void waitForDatagram(_ENetHost* host, std::uint32_t ms);
