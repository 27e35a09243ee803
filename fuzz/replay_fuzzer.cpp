// sources: replay/*.cpp match/*.cpp characters/*.cpp characters/core/*.cpp -lglut -lGLU -lGL
// Feeds arbitrary bytes to the replay reader, as they are and again with the
// checksum made right (so the fuzzer reaches the header and tick records): it
// must refuse them, or read a replay that writes back to the very same bytes
// with its runs adding up to its tick count. What it reads is then played by
// the rules, headless, as --verify would, for its first ticks.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "characters/core/trace.h"
#include "replay/player.h"
#include "replay/replay_file.h"

namespace {

// Enough to start the bout, play its first second and a half and reach a
// hostile start's clock and counters; few enough to keep the fuzzer fast.
constexpr std::uint32_t PLAYED_TICKS = 90;

void play(const Replay& replay)
{
    TraceSilence quiet;
    ReplayPlayer player(replay);
    TickEvents events;
    for (std::uint32_t tick = 0; tick < PLAYED_TICKS && player.step(events); ++tick)
        events = TickEvents{};
    (void)stateHash(player.match());
    (void)boutEnding(player.match());
}

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
    play(replay);
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
