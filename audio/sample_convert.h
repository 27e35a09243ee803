#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/wav.h"

// Sample layouts the sound device takes.
enum class SampleLayout { Unsigned8, Signed16, Float32 };

// Samples ready for the sound device: one or two channels in one layout.
struct PlayableSamples {
    SampleLayout layout = SampleLayout::Signed16;
    unsigned channels = 0;
    std::uint32_t rate = 0;
    // Either the file's own samples, handed over as they are, or `converted`.
    const unsigned char* original = nullptr;
    std::size_t originalBytes = 0;
    std::vector<unsigned char> converted;

    const unsigned char* bytes() const { return original ? original : converted.data(); }
    std::size_t size() const { return original ? originalBytes : converted.size(); }
};

enum class ConvertResult {
    Ready,
    NotPcm,       // another coding (A-law, mu-law, ADPCM...), left to the device
    Unsupported,  // integer or float samples of a depth or layout we cannot place
};

// 8- and 16-bit PCM in one or two channels is handed over as it is. Other
// integer depths (24, 32 bits) and float samples (32, 64 bits) are converted,
// to 32-bit float when `floatTaken` and to 16-bit otherwise; more than two
// channels are mixed down to stereo. A converted sound that would clip is
// scaled down as a whole.
ConvertResult makePlayable(const WavData& wav, bool floatTaken, PlayableSamples& out);
