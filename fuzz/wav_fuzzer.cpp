// sources: audio/wav.cpp
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "audio/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WavData wav;
    if (parseWav(data, size, wav) != WavResult::Loaded)
        return 0;
    if (wav.samples < data || wav.sampleBytes > size || wav.samples + wav.sampleBytes > data + size)
        std::abort();
    if (wav.format.blockAlign == 0 || wav.sampleBytes % wav.format.blockAlign != 0)
        std::abort();
    // Touch every sample so the sanitizer sees any read outside the input.
    unsigned sum = 0;
    for (std::size_t i = 0; i < wav.sampleBytes; i++)
        sum += wav.samples[i];
    return static_cast<int>(sum & 0);
}
