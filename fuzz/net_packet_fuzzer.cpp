// sources: net/protocol.cpp
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "net/protocol.h"

// Whatever arrives is either dropped and counted or read into a message that
// writes back to the same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PacketReader reader;
    const std::optional<Message> message = reader.read(data, size);
    if (reader.counts().accepted + reader.counts().dropped() != 1)
        std::abort();
    if (message) {
        const std::vector<std::uint8_t> bytes = encode(*message);
        if (bytes.size() != size || !std::equal(bytes.begin(), bytes.end(), data))
            std::abort();
    }
    return 0;
}
