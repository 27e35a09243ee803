#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The wave format record of a WAV file's "fmt " chunk.
struct WaveFormat {
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t samplesPerSec = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t extraSize = 0;
    // From a WAVE_FORMAT_EXTENSIBLE record only; zero otherwise.
    std::uint32_t channelMask = 0;
    std::uint16_t subFormat = 0;  // the sub-format GUID's tag, 0 when unknown
};

constexpr std::uint16_t waveFormatPcm = 1;
constexpr std::uint16_t waveFormatFloat = 3;
constexpr std::uint16_t waveFormatALaw = 6;
constexpr std::uint16_t waveFormatMuLaw = 7;
constexpr std::uint16_t waveFormatExtensible = 0xFFFE;

// The tag that says how the samples are coded: an extensible record's
// sub-format, any other record's own tag.
std::uint16_t sampleCoding(const WaveFormat& format);

enum class WavResult {
    Loaded,     // format read and samples found
    NotWave,    // not a RIFF WAVE form with "fmt " and "data" chunks
    BadFormat,  // the format record cannot describe any samples
};

// What a WAV image holds. `samples` points into the walked image, trimmed to
// whole sample frames; a truncated data chunk yields what is there.
struct WavData {
    WaveFormat format;
    const unsigned char* samples = nullptr;
    std::size_t sampleBytes = 0;
};

// Walks a RIFF WAVE image in memory; never reads outside [bytes, bytes + size).
WavResult parseWav(const unsigned char* bytes, std::size_t size, WavData& wav);

// Reads and walks a WAV file, printing the loader's diagnostics. True when
// `wav` holds samples worth handing to the sound device; they point into `file`.
bool readWavFile(const char* fileName, std::vector<unsigned char>& file, WavData& wav);
