#include "net/enet_start.h"

#include <enet/enet.h>

#include <chrono>
#include <cstdlib>
#include <thread>

bool enetStarted()
{
    static const bool ready = [] {
        if (enet_initialize() != 0)
            return false;
        std::atexit(enet_deinitialize);
        return true;
    }();
    return ready;
}

void waitForDatagram(ENetHost* host, std::uint32_t ms)
{
    enet_uint32 condition = ENET_SOCKET_WAIT_RECEIVE;
    if (!host)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    else
        enet_socket_wait(host->socket, &condition, ms);
}
