#pragma once

#include "audio/wav.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The 16-bit samples of sounds/<name>.wav, read through the game's own reader;
// `wav` describes the file and points into `file`. Empty if it does not load.
inline std::vector<std::int16_t> readShippedSound(
    const std::string& name, WavData& wav, std::vector<unsigned char>& file)
{
    std::string path = "sounds/" + name + ".wav";
    bool loaded = readWavFile(path.c_str(), file, wav);
    EXPECT_TRUE(loaded) << path;
    if (!loaded)
        return {};
    std::vector<std::int16_t> samples(wav.sampleBytes / 2);
    for (std::size_t i = 0; i < samples.size(); i++)
        samples[i] = static_cast<std::int16_t>(wav.samples[2 * i] | wav.samples[2 * i + 1] << 8);
    return samples;
}
