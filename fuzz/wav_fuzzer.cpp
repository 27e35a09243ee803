// sources: audio/wav.cpp audio/sample_convert.cpp
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audio/sample_convert.h"
#include "audio/wav.h"

// The converter must hand over whole frames of one or two channels, and never
// a float sample that is not a number or lies past full scale.
void checkConverted(const WavData& wav, bool floatTaken)
{
    PlayableSamples out;
    if (makePlayable(wav, floatTaken, out) != ConvertResult::Ready)
        return;
    if (out.channels != 1 && out.channels != 2)
        std::abort();
    std::size_t sampleBytes = out.layout == SampleLayout::Float32 ? 4 : out.layout == SampleLayout::Signed16 ? 2 : 1;
    if (out.size() % (sampleBytes * out.channels) != 0)
        std::abort();
    if (out.original == nullptr && out.size() / sampleBytes / out.channels != wav.sampleBytes / wav.format.blockAlign)
        std::abort();
    if (out.layout == SampleLayout::Float32) {
        for (std::size_t i = 0; i < out.size(); i += 4) {
            float f;
            std::memcpy(&f, out.bytes() + i, 4);
            if (!(std::fabs(f) <= 1.0f))
                std::abort();
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
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
    checkConverted(wav, true);
    checkConverted(wav, false);
    return static_cast<int>(sum & 0);
}
