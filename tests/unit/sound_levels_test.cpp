// The shipped sounds sit at balanced levels: measured from the committed
// files, read through the game's own WAV reader, with a loudness meter of the
// broadcast kind (K-weighted, gated 400 ms blocks) and a true-peak meter.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "audio/wav.h"
#include "tests/support/shipped_sound.h"

namespace {

constexpr double PI = 3.14159265358979323846;

struct Sound {
    std::vector<double> samples;  // -1 .. 1
    double rate = 0;
};

Sound readSound(const std::string& name)
{
    std::vector<unsigned char> file;
    WavData wav;
    Sound sound;
    std::vector<std::int16_t> samples = readShippedSound(name, wav, file);
    if (wav.format.bitsPerSample != 16 || wav.format.channels != 1)
        return sound;
    sound.rate = wav.format.samplesPerSec;
    for (std::int16_t s : samples)
        sound.samples.push_back(s / 32768.0);
    return sound;
}

// One second-order filter section from the bilinear transform of an analog
// prototype; b and a given for s^2, s and 1 with the frequency scaled to 1.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double operator()(double x)
    {
        double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

Biquad bilinear(double hz, double rate, double bs2, double bs1, double bs0, double as2, double as1, double as0)
{
    double k = 1 / std::tan(PI * hz / rate);  // s = k (1 - z^-1) / (1 + z^-1)
    double a0 = as2 * k * k + as1 * k + as0;
    return {(bs2 * k * k + bs1 * k + bs0) / a0, 2 * (bs0 - bs2 * k * k) / a0, (bs2 * k * k - bs1 * k + bs0) / a0,
        2 * (as0 - as2 * k * k) / a0, (as2 * k * k - as1 * k + as0) / a0};
}

// Integrated loudness in LUFS. Shorter than one block, a sound counts as one
// block with silence after it.
double loudness(const Sound& sound)
{
    // The K curve: a +4 dB high shelf from about 1.7 kHz, then a high pass at 38 Hz.
    double gain = std::pow(10.0, 3.999843853973347 / 20), q = 0.7071752369554196;
    Biquad shelf = bilinear(
        1681.974450955533, sound.rate, gain, std::sqrt(gain) / q * std::pow(gain, -0.0003332258454584), 1, 1, 1 / q, 1);
    Biquad highPass = bilinear(38.13547087602444, sound.rate, 1, 0, 0, 1, 1 / 0.5003270373238773, 1);
    std::size_t block = std::size_t(std::lround(0.4 * sound.rate)), hop = std::size_t(std::lround(0.1 * sound.rate));
    std::vector<double> weighted;
    for (double s : sound.samples)
        weighted.push_back(highPass(shelf(s)));
    weighted.resize(std::max(weighted.size(), block), 0.0);
    std::vector<double> blocks;
    for (std::size_t start = 0; start + block <= weighted.size(); start += hop) {
        double sum = 0;
        for (std::size_t i = start; i < start + block; ++i)
            sum += weighted[i] * weighted[i];
        blocks.push_back(sum / block);
    }
    auto lufs = [](double power) { return -0.691 + 10 * std::log10(power); };
    auto meanAbove = [&](double gate) {
        double sum = 0;
        int n = 0;
        for (double p : blocks)
            if (p > 0 && lufs(p) > gate) {
                sum += p;
                ++n;
            }
        return n ? sum / n : 0.0;
    };
    double ungated = meanAbove(-70);
    return ungated > 0 ? lufs(meanAbove(lufs(ungated) - 10)) : -70;
}

// Peak level between the samples too, in dBTP: eight times oversampled with
// a Lanczos kernel.
double truePeak(const Sound& sound)
{
    constexpr int FACTOR = 8, LOBES = 16;
    const std::vector<double>& x = sound.samples;
    double peak = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        for (int phase = 0; phase < FACTOR; ++phase) {
            double at = i + double(phase) / FACTOR, sum = 0;
            for (long k = long(i) - LOBES + 1; k <= long(i) + LOBES; ++k) {
                if (k < 0 || k >= long(x.size()))
                    continue;
                double d = at - k;
                double kernel = d == 0 ? 1 : LOBES * std::sin(PI * d) * std::sin(PI * d / LOBES) / (PI * PI * d * d);
                sum += x[std::size_t(k)] * kernel;
            }
            peak = std::max(peak, std::fabs(sum));
        }
    return 20 * std::log10(std::max(peak, 1e-10));
}

Sound sine(double hz, double amplitude, double seconds, double phase = 0)
{
    Sound s;
    s.rate = 22050;
    for (int i = 0; i < int(seconds * s.rate); ++i)
        s.samples.push_back(amplitude * std::sin(2 * PI * hz * i / s.rate + phase));
    return s;
}

TEST(SoundLevels, MetersReadTheReferenceTones)
{
    // A full-scale 1 kHz sine reads -3.01 LUFS; the curve is flat there to a tenth of a dB.
    EXPECT_NEAR(loudness(sine(1000, 1.0, 5)), -3.01, 0.1);
    EXPECT_NEAR(loudness(sine(1000, 0.1, 5)), -23.01, 0.1);
    // The shelf lifts high tones by about 4 dB, 1 kHz by 0.7 already; the
    // high pass cuts deep ones.
    EXPECT_NEAR(loudness(sine(8000, 0.1, 5)) - loudness(sine(1000, 0.1, 5)), 3.3, 0.3);
    EXPECT_LT(loudness(sine(20, 0.1, 5)), -35);
    // Silence and a sound under the absolute gate read the floor.
    EXPECT_EQ(loudness(sine(1000, 0.0, 1)), -70);
    // Half of a tone in the blocks: 3 dB under the whole tone.
    EXPECT_NEAR(loudness(sine(1000, 0.1, 0.2)), -26.0, 0.2);
    // A quarter-rate tone sampled 45 degrees off its crests: the samples peak
    // at 0.707 but the wave at 1.0.
    Sound offCrest = sine(22050 / 4.0, 0.5, 1, PI / 4);
    EXPECT_NEAR(truePeak(offCrest), 20 * std::log10(0.5), 0.2);
}

const char* const EFFECTS[] = {"darth-attack", "darth-block", "darth-win", "darth-hit", "darth-ringout", "jack-attack",
    "jack-block", "jack-win", "jack-hit", "jack-ringout", "click", "close", "startup", "selectcharacter"};

TEST(SoundLevels, MusicSitsEightLuUnderEffectsThatNeitherClipNorDrown)
{
    Sound music = readSound("background");
    ASSERT_FALSE(music.samples.empty());
    double musicLoudness = loudness(music);

    std::vector<double> levels;
    for (const char* name : EFFECTS) {
        Sound effect = readSound(name);
        ASSERT_FALSE(effect.samples.empty()) << name;
        double level = loudness(effect);
        levels.push_back(level);
        EXPECT_LE(truePeak(effect), -1.0) << name << " clips";
        EXPECT_GE(level, musicLoudness + 5) << name << " is lost under the music";
    }
    std::vector<double> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    double typical = sorted[sorted.size() / 2];
    EXPECT_NEAR(typical - musicLoudness, 8.0, 1.0) << "music " << musicLoudness << " LUFS, effects " << typical;
    for (std::size_t i = 0; i < levels.size(); ++i)
        EXPECT_LE(levels[i], typical + 1.5) << EFFECTS[i] << " stands out";
    EXPECT_LE(truePeak(music), -1.0);
}

// The end of a bout waits for the win and ring-out sounds to finish.
TEST(SoundLevels, SoundsTheBoutEndWaitsOnKeepTheirLength)
{
    const std::pair<const char*, double> waited[] = {
        {"darth-win", 3.4}, {"jack-win", 3.0}, {"darth-ringout", 2.7}, {"jack-ringout", 2.6}};
    for (const auto& [name, seconds] : waited) {
        Sound sound = readSound(name);
        EXPECT_EQ(sound.rate, 22050) << name;
        EXPECT_EQ(long(sound.samples.size()), std::lround(seconds * 22050)) << name;
    }
}

}  // namespace
