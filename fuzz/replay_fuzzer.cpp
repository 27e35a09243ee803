// sources: replay/replay_file.cpp
// Feeds arbitrary bytes to the replay reader, as they are and again with the
// checksum made right (so the fuzzer reaches the header and tick records): it
// must refuse them, or read a replay that writes back to the very same bytes
// with its runs adding up to its tick count.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "replay/replay_file.h"

namespace {

void check(const std::uint8_t* data, std::size_t size)
{
    Replay replay;
    std::string error;
    if (!decodeReplay(data, size, replay, error)) {
        if (error.empty() || replay.tickCount != 0 || !replay.runs.empty())
            std::abort();
        return;
    }
    std::uint64_t ticks = 0;
    for (const InputRun& run : replay.runs) {
        if (run.ticks == 0 || run.input.keys >> REPLAY_KEY_BITS)
            std::abort();
        ticks += run.ticks;
    }
    if (ticks != replay.tickCount || ticks == 0 || ticks > MAX_REPLAY_TICKS || replay.runs.size() > size)
        std::abort();
    const std::vector<std::uint8_t> again = encodeReplay(replay);
    if (again.size() != size || !std::equal(again.begin(), again.end(), data))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    check(data, size);
    if (size < 4)
        return 0;
    std::vector<std::uint8_t> sealed(data, data + size);
    const std::uint32_t crc = crc32(sealed.data(), size - 4);
    for (int i = 0; i < 4; ++i)
        sealed[size - 4 + i] = std::uint8_t(crc >> (8 * i));
    check(sealed.data(), size);
    return 0;
}
