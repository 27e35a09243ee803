// sources: net/meeting_protocol.cpp
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "net/meeting_protocol.h"

// What reaches the server or a player, as a message or as a raw datagram, is
// either dropped (and, as a message, counted) or read into something that
// writes back to the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MeetingReader reader;
    const std::optional<MeetingMessage> message = reader.read(data, size);
    if (reader.counts().accepted + reader.counts().dropped() != 1)
        std::abort();
    if (message) {
        const std::vector<std::uint8_t> bytes = encodeMeeting(*message);
        if (bytes.size() != size || !std::equal(bytes.begin(), bytes.end(), data))
            std::abort();
    }
    if (const std::optional<Datagram> datagram = readDatagram(data, size)) {
        const std::vector<std::uint8_t> bytes = encodeDatagram(*datagram);
        if (!isDatagram(data, size) || bytes.size() != size || !std::equal(bytes.begin(), bytes.end(), data))
            std::abort();
    }
    return 0;
}
