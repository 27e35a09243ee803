#include "audio/sample_convert.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "characters/core/little_endian.h"

namespace {

// Where each speaker of a WAVE_FORMAT_EXTENSIBLE channel mask goes in a
// stereo mix, by mask bit: sides at full level, centres and rears 3 dB down,
// the low-frequency channel left out as a stereo downmix usually does.
struct StereoWeight {
    float left, right;
};

constexpr float minus3dB = 0.70710678f;

constexpr StereoWeight speakerWeights[] = {
    {1, 0},                      // front left
    {0, 1},                      // front right
    {minus3dB, minus3dB},        // front centre
    {0, 0},                      // low frequency
    {minus3dB, 0},               // back left
    {0, minus3dB},               // back right
    {0.92387953f, 0.38268343f},  // front left of centre
    {0.38268343f, 0.92387953f},  // front right of centre
    {0.5f, 0.5f},                // back centre
    {minus3dB, 0},               // side left
    {0, minus3dB},               // side right
    {0.5f, 0.5f},                // top centre
    {minus3dB, 0},               // top front left
    {0.5f, 0.5f},                // top front centre
    {0, minus3dB},               // top front right
    {0.5f, 0},                   // top back left
    {0.35355339f, 0.35355339f},  // top back centre
    {0, 0.5f},                   // top back right
};
constexpr unsigned speakerCount = sizeof speakerWeights / sizeof speakerWeights[0];

// The speakers a file of that many channels has when it does not say.
std::uint32_t defaultChannelMask(unsigned channels)
{
    switch (channels) {
    case 3: return 0x7;   // front left, right, centre
    case 4: return 0x33;  // quadraphonic
    case 5: return 0x37;
    case 6: return 0x3F;   // 5.1
    case 7: return 0x70F;  // 6.1
    case 8: return 0x63F;  // 7.1
    default: return 0;
    }
}

// One weight pair per channel in file order, or empty when the channels
// cannot be placed.
std::vector<StereoWeight> downmixWeights(const WaveFormat& format)
{
    std::uint32_t mask = format.channelMask & ((1u << speakerCount) - 1);
    if (static_cast<unsigned>(std::popcount(mask)) < format.channels)
        mask = defaultChannelMask(format.channels);
    std::vector<StereoWeight> weights;
    for (unsigned bit = 0; bit < speakerCount && weights.size() < format.channels; ++bit)
        if (mask & (1u << bit))
            weights.push_back(speakerWeights[bit]);
    if (weights.size() < format.channels)
        weights.clear();
    return weights;
}

using Decode = float (*)(const unsigned char*);

float decodeUnsigned8(const unsigned char* p)
{
    return (p[0] - 128) / 128.0f;
}

float decodeSigned16(const unsigned char* p)
{
    return static_cast<std::int16_t>(read16(p)) / 32768.0f;
}

float decodeSigned24(const unsigned char* p)
{
    std::uint32_t bits = std::uint32_t{p[0]} << 8 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 24;
    return static_cast<float>(static_cast<std::int32_t>(bits) / 2147483648.0);
}

float decodeSigned32(const unsigned char* p)
{
    return static_cast<float>(static_cast<std::int32_t>(read32(p)) / 2147483648.0);
}

// Float samples that are not numbers would poison the whole mix, and absurd
// ones overflow it; real files stay far below this bound.
float finiteOrSilent(double value)
{
    constexpr double loudest = 65536.0;
    return std::isfinite(value) ? static_cast<float>(std::clamp(value, -loudest, loudest)) : 0.0f;
}

float decodeFloat32(const unsigned char* p)
{
    return finiteOrSilent(std::bit_cast<float>(read32(p)));
}

float decodeFloat64(const unsigned char* p)
{
    return finiteOrSilent(std::bit_cast<double>(read64(p)));
}

Decode decoderFor(std::uint16_t coding, unsigned bits)
{
    if (coding == waveFormatPcm) {
        switch (bits) {
        case 8: return decodeUnsigned8;
        case 16: return decodeSigned16;
        case 24: return decodeSigned24;
        case 32: return decodeSigned32;
        }
    } else if (coding == waveFormatFloat) {
        if (bits == 32)
            return decodeFloat32;
        if (bits == 64)
            return decodeFloat64;
    }
    return nullptr;
}

template <typename T>
void appendSample(std::vector<unsigned char>& out, T value)
{
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

}  // namespace

ConvertResult makePlayable(const WavData& wav, bool floatTaken, PlayableSamples& out)
{
    out = {};
    const WaveFormat& format = wav.format;
    std::uint16_t coding = sampleCoding(format);
    if (coding != waveFormatPcm && coding != waveFormatFloat)
        return ConvertResult::NotPcm;
    Decode decode = decoderFor(coding, format.bitsPerSample);
    unsigned sampleBytes = format.bitsPerSample / 8;
    if (!decode || format.channels == 0 || format.blockAlign != format.channels * sampleBytes)
        return ConvertResult::Unsupported;
    out.rate = format.samplesPerSec;

    if (coding == waveFormatPcm && sampleBytes <= 2 && format.channels <= 2) {
        out.layout = sampleBytes == 1 ? SampleLayout::Unsigned8 : SampleLayout::Signed16;
        out.channels = format.channels;
        out.original = wav.samples;
        out.originalBytes = wav.sampleBytes;
        return ConvertResult::Ready;
    }

    std::vector<StereoWeight> weights;
    if (format.channels > 2) {
        weights = downmixWeights(format);
        if (weights.empty())
            return ConvertResult::Unsupported;
    }
    out.channels = format.channels == 1 ? 1 : 2;
    const std::size_t frames = wav.sampleBytes / format.blockAlign;
    std::vector<float> mixed(frames * out.channels);
    float peak = 0;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const unsigned char* in = wav.samples + frame * format.blockAlign;
        float* target = &mixed[frame * out.channels];
        if (weights.empty()) {
            for (unsigned c = 0; c < out.channels; ++c)
                target[c] = decode(in + c * sampleBytes);
        } else {
            float left = 0, right = 0;
            for (unsigned c = 0; c < format.channels; ++c) {
                float sample = decode(in + c * sampleBytes);
                left += weights[c].left * sample;
                right += weights[c].right * sample;
            }
            target[0] = left;
            target[1] = right;
        }
        for (unsigned c = 0; c < out.channels; ++c)
            peak = std::max(peak, std::fabs(target[c]));
    }
    const float scale = peak > 1.0f ? 1.0f / peak : 1.0f;

    out.layout = floatTaken ? SampleLayout::Float32 : SampleLayout::Signed16;
    out.converted.reserve(mixed.size() * (floatTaken ? 4 : 2));
    for (float sample : mixed) {
        sample = std::clamp(sample * scale, -1.0f, 1.0f);
        if (floatTaken) {
            appendSample(out.converted, sample);
        } else {
            long level = std::lround(sample * 32768.0f);
            appendSample(out.converted, static_cast<std::int16_t>(std::min(level, 32767L)));
        }
    }
    return ConvertResult::Ready;
}
