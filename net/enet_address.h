#pragma once

#include <arpa/inet.h>
#include <enet/enet.h>

#include "net/meeting_protocol.h"

// ENet keeps an IPv4 host in network order; an Endpoint in host order.
inline Endpoint endpointOf(const ENetAddress& a)
{
    return {ntohl(a.host), a.port};
}

inline ENetAddress enetAddressOf(const Endpoint& e)
{
    ENetAddress a{};
    a.host = htonl(e.ip);
    a.port = e.port;
    return a;
}
