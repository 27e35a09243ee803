#include "audio/sound_bank.h"
#include "tests/support/riff.h"

#include <AL/al.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Polls until `done` holds, sleeping; false if it never did within a generous
// deadline.
bool eventually(const std::function<bool()>& done, double seconds = 20)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The bank is loaded once per process, through the null device ctest asks for.
class SoundBank : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testing::internal::CaptureStdout();
        loadSoundBank();
        loadOutput = testing::internal::GetCapturedStdout();
    }
    static std::string loadOutput;
};

std::string SoundBank::loadOutput;

TEST_F(SoundBank, LoadsEverySoundSilently)
{
    EXPECT_EQ(loadOutput, "");
    for (Sound& sound : soundTable.slots) {
        EXPECT_NE(sound.source, 0u);
        EXPECT_NE(sound.buffer, 0u);
    }
}

// A slot named by an id holds that id's file: same sample bytes as the file loaded on its own.
TEST_F(SoundBank, EachIdHoldsItsOwnFile)
{
    const std::pair<SoundId, const char*> files[] = {
        {SoundId::DARTH_ATTACK, "darth-attack"},
        {SoundId::DARTH_BLOCK, "darth-block"},
        {SoundId::DARTH_WIN, "darth-win"},
        {SoundId::DARTH_HIT, "darth-hit"},
        {SoundId::DARTH_RINGOUT, "darth-ringout"},
        {SoundId::JACK_ATTACK, "jack-attack"},
        {SoundId::JACK_BLOCK, "jack-block"},
        {SoundId::JACK_WIN, "jack-win"},
        {SoundId::JACK_HIT, "jack-hit"},
        {SoundId::JACK_RINGOUT, "jack-ringout"},
        {SoundId::BACKGROUND, "background"},
        {SoundId::CLICK, "click"},
        {SoundId::CLOSE, "close"},
        {SoundId::STARTUP, "startup"},
        {SoundId::SELECTCHARACTER, "selectcharacter"},
    };
    static_assert(std::size(files) == SOUND_COUNT);
    const auto bytesOf = [](const Sound& sound) {
        ALint size = -1;
        alGetBufferi(sound.buffer, AL_SIZE, &size);
        return size;
    };
    for (const auto& [id, name] : files) {
        Sound alone;
        LoadDirectSound(alone, ("sounds/" + std::string(name) + ".wav").c_str());
        ASSERT_NE(alone.buffer, 0u) << name;
        EXPECT_EQ(bytesOf(soundTable[id]), bytesOf(alone)) << name;
        releaseSound(alone);
    }
}

TEST_F(SoundBank, PlayOnceLastsAsLongAsTheSound)
{
    playOnce(soundTable[SoundId::JACK_ATTACK]);
    EXPECT_TRUE(isPlayingOnce(soundTable[SoundId::JACK_ATTACK]));
    EXPECT_TRUE(eventually([] { return !isPlayingOnce(soundTable[SoundId::JACK_ATTACK]); }));
}

TEST_F(SoundBank, LoopingMusicIsNotPlayingOnce)
{
    playLooping(soundTable[SoundId::BACKGROUND]);
    EXPECT_FALSE(isPlayingOnce(soundTable[SoundId::BACKGROUND]));
    // It sounds all the same: its position moves on.
    EXPECT_TRUE(eventually([] { return playPosition(soundTable[SoundId::BACKGROUND]) > 0.05f; }));
    EXPECT_FALSE(isPlayingOnce(soundTable[SoundId::BACKGROUND]));

    // The same sound started once afterwards plays once.
    playOnce(soundTable[SoundId::BACKGROUND]);
    EXPECT_TRUE(isPlayingOnce(soundTable[SoundId::BACKGROUND]));
    stopSound(soundTable[SoundId::BACKGROUND]);
}

TEST_F(SoundBank, StopEndsTheSound)
{
    playOnce(soundTable[SoundId::DARTH_WIN]);
    ASSERT_TRUE(isPlayingOnce(soundTable[SoundId::DARTH_WIN]));
    stopSound(soundTable[SoundId::DARTH_WIN]);
    EXPECT_FALSE(isPlayingOnce(soundTable[SoundId::DARTH_WIN]));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(isPlayingOnce(soundTable[SoundId::DARTH_WIN]));
}

TEST_F(SoundBank, PlayingAgainRestartsFromTheBeginning)
{
    playOnce(soundTable[SoundId::STARTUP]);
    ASSERT_TRUE(eventually([] { return playPosition(soundTable[SoundId::STARTUP]) > 0.5f; }));
    float before = playPosition(soundTable[SoundId::STARTUP]);
    playOnce(soundTable[SoundId::STARTUP]);
    EXPECT_TRUE(isPlayingOnce(soundTable[SoundId::STARTUP]));
    EXPECT_LT(playPosition(soundTable[SoundId::STARTUP]), before);
    stopSound(soundTable[SoundId::STARTUP]);
}

TEST_F(SoundBank, BadFilesLeaveTheirSlotEmpty)
{
    Sound missing;
    testing::internal::CaptureStdout();
    LoadDirectSound(missing, "sounds/no-such-sound.wav");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "LoadDirectSound mmioOpen");
    EXPECT_EQ(missing.source, 0u);
    playOnce(missing);
    playLooping(missing);
    stopSound(missing);
    EXPECT_FALSE(isPlayingOnce(missing));
    EXPECT_EQ(playPosition(missing), 0.0f);
}

// A quarter-second 441 Hz square wave, each channel at its own level, coded
// as `tag` (0xFFFE: extensible PCM with `mask`) at `bits`; returns its path.
std::string writeSquareWav(const char* name, unsigned tag, unsigned bits, unsigned rate,
    const std::vector<double>& levels, std::uint32_t mask = 0)
{
    unsigned channels = static_cast<unsigned>(levels.size());
    Bytes data;
    for (unsigned frame = 0; frame < rate / 4; frame++) {
        for (double level : levels) {
            double v = frame * 441 % rate < rate / 2 ? level : -level;
            float f = static_cast<float>(v);
            std::uint32_t floatBits;
            std::memcpy(&floatBits, &f, 4);
            putLittle(data, tag == 3 ? floatBits : static_cast<std::uint64_t>(std::llround(std::ldexp(v, bits - 1))),
                bits / 8);
        }
    }
    Bytes chunks;
    chunk(chunks, "fmt ",
        tag == 0xFFFE ? extensibleBody(1, channels, bits, mask, rate) : formatBody(tag, channels, rate, bits));
    chunk(chunks, "data", data);
    Bytes b = riff(chunks);
    std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
    return path;
}

TEST_F(SoundBank, OtherFormatsLoadWhenTheDeviceTakesThem)
{
    // 32-bit float is not PCM, but OpenAL Soft plays it.
    Sound floats;
    std::string path = writeSquareWav("zandrel_float.wav", 3, 32, 22050, {0.5});
    testing::internal::CaptureStdout();
    LoadDirectSound(floats, path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "LoadDirectSound mmioRead");
    EXPECT_NE(floats.source, 0u);
    playOnce(floats);
    EXPECT_TRUE(isPlayingOnce(floats));
    EXPECT_TRUE(eventually([&] { return !isPlayingOnce(floats); }));

    // 24-bit PCM is converted for OpenAL.
    Sound deep;
    path = writeSquareWav("zandrel_pcm24.wav", 1, 24, 22050, {0.5, 0.5});
    testing::internal::CaptureStdout();
    LoadDirectSound(deep, path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_NE(deep.source, 0u);
    playOnce(deep);
    EXPECT_TRUE(isPlayingOnce(deep));
}

TEST_F(SoundBank, ALawAndMuLawGoToTheDeviceAlsoInAnExtensibleRecord)
{
    for (unsigned coding : {6u, 7u}) {
        for (bool extensible : {false, true}) {
            Bytes chunks;
            chunk(
                chunks, "fmt ", extensible ? extensibleBody(coding, 1, 8, 0x4, 8000) : formatBody(coding, 1, 8000, 8));
            chunk(chunks, "data", Bytes(2000, coding == 6 ? 0xD5 : 0xFF));  // silence in each coding
            const Bytes b = riff(chunks);
            const std::string path = testing::TempDir() + "zandrel_compander.wav";
            std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
            Sound sound;
            testing::internal::CaptureStdout();
            LoadDirectSound(sound, path.c_str());
            testing::internal::GetCapturedStdout();
            EXPECT_NE(sound.source, 0u) << "coding " << coding << (extensible ? ", extensible" : "");
        }
    }
}

// Deep, float and surround sounds, each with what the mix should hear: left
// and right peaks as fractions of full scale.
struct FormatCase {
    std::string path;
    const char* diagnostics;
    double left, right;
};

// Each test process writes its own files, under `prefix`.
std::vector<FormatCase> formatCases(const std::string& prefix)
{
    return {
        {writeSquareWav((prefix + "_pcm24.wav").c_str(), 1, 24, 44100, {0.5, 0}), "", 0.5, 0},
        {writeSquareWav((prefix + "_pcm32.wav").c_str(), 1, 32, 22050, {0, 0.25}), "", 0, 0.25},
        {writeSquareWav((prefix + "_float.wav").c_str(), 3, 32, 44100, {0.75, -0.25}), "LoadDirectSound mmioRead", 0.75,
            0.25},
        // 5.1: front left, and back right at 3 dB down.
        {writeSquareWav((prefix + "_surround.wav").c_str(), 0xFFFE, 16, 44100, {0.5, 0, 0, 0, 0, 0.5}, 0x3F),
            "LoadDirectSound mmioRead", 0.5, 0.5 * 0.70710678},
    };
}

TEST_F(SoundBank, DeepFloatAndSurroundSoundsLoadAndPlay)
{
    for (const FormatCase& c : formatCases("zandrel_null")) {
        Sound sound;
        testing::internal::CaptureStdout();
        LoadDirectSound(sound, c.path.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.diagnostics) << c.path;
        EXPECT_NE(sound.source, 0u) << c.path;
        playOnce(sound);
        EXPECT_TRUE(isPlayingOnce(sound)) << c.path;
        EXPECT_TRUE(eventually([&] { return !isPlayingOnce(sound); })) << c.path;
        releaseSound(sound);
    }
}

// Tests that need their own device run the bank in a fresh child process,
// with the environment set before OpenAL starts. Each child reports on
// standard error and exits 0 when all was well.
class SoundBankProcess : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void runWithoutDevice()
{
    setenv("ALSOFT_DRIVERS", "no-such-backend", 1);
    testing::internal::CaptureStdout();
    loadSoundBank();
    playOnce(soundTable[SoundId::STARTUP]);
    playLooping(soundTable[SoundId::BACKGROUND]);
    stopSound(soundTable[SoundId::BACKGROUND]);
    bool quiet = true;
    for (Sound& sound : soundTable.slots)
        quiet = quiet && sound.source == 0 && !isPlayingOnce(sound);
    std::string out = testing::internal::GetCapturedStdout();
    std::fprintf(stderr, "[%s]\n", out.c_str());
    std::exit(quiet ? 0 : 1);
}

TEST_F(SoundBankProcess, NoDeviceMeansOneDiagnosticAndSilence)
{
    EXPECT_EXIT(runWithoutDevice(), ::testing::ExitedWithCode(0),
        "zandrel: no sound device: the game plays on without sound\n(.|\n)*\\[InitDirectSound DirectSoundCreate\\]");
}

// The 16-bit stereo samples of the wave device's output so far.
std::vector<short> recordedSamples(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The device fixes the header's sizes only when it closes, so take
    // everything after the data chunk's header.
    std::vector<short> samples;
    for (size_t i = 12; i + 8 <= file.size(); i++) {
        if (std::memcmp(&file[i], "data", 4) != 0)
            continue;
        for (size_t j = i + 8; j + 1 < file.size(); j += 2)
            samples.push_back(static_cast<short>(file[j] | file[j + 1] << 8));
        break;
    }
    return samples;
}

void runStartupIntoWaveFile(const std::string& config, const std::string& output)
{
    std::ofstream(config) << "[general]\nsample-type = int16\nchannels = stereo\n"
                             "frequency = 22050\n[wave]\nfile = "
                          << output << "\n";
    setenv("ALSOFT_CONF", config.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    testing::internal::CaptureStdout();
    loadSoundBank();
    std::string out = testing::internal::GetCapturedStdout();
    playOnce(soundTable[SoundId::STARTUP]);
    bool ended = eventually([] { return !isPlayingOnce(soundTable[SoundId::STARTUP]); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<short> samples = recordedSamples(output);
    int peak = 0;
    size_t loud = 0;
    for (short s : samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
        loud += std::abs(static_cast<int>(s)) > 1000;
    }
    std::fprintf(
        stderr, "[%s] ended %d samples %zu peak %d loud %zu\n", out.c_str(), ended, samples.size(), peak, loud);
    // The jingle lasts about two seconds: a good part of it must be heard.
    std::exit(ended && peak > 8000 && loud > 22050 ? 0 : 1);
}

TEST_F(SoundBankProcess, StartupJingleReachesTheWaveDevice)
{
    std::string output = testing::TempDir() + "zandrel_wave_output.wav";
    std::string config = testing::TempDir() + "zandrel_alsoft.conf";
    EXPECT_EXIT(runStartupIntoWaveFile(config, output), ::testing::ExitedWithCode(0), "\\[\\] ended 1");
    std::remove(output.c_str());
    std::remove(config.c_str());
}

// Plays each format case into the wave device (and first, unless the user
// forces HRTF, a mono square at half level), then checks each sound's length
// and levels in what was written.
void runFormatsIntoWaveFile(const std::string& config, const std::string& output, bool userForcesHrtf)
{
    // Headphones: OpenAL would filter through HRTF unless told not to.
    std::ofstream(config) << "[general]\nsample-type = int16\nchannels = stereo\nfrequency = 44100\n"
                          << (userForcesHrtf ? "hrtf = true\n" : "stereo-mode = headphones\n")
                          << "[wave]\nfile = " << output << "\n";
    setenv("ALSOFT_CONF", config.c_str(), 1);
    setenv("ALSOFT_DRIVERS", "wave", 1);
    std::vector<FormatCase> cases = formatCases(userForcesHrtf ? "zandrel_hrtf" : "zandrel_headphones");
    if (!userForcesHrtf)
        cases.insert(cases.begin(), {writeSquareWav("zandrel_headphones_mono.wav", 1, 16, 44100, {0.5}), "", -1, -1});
    testing::internal::CaptureStdout();
    bool ok = InitDirectSound();
    for (const FormatCase& c : cases) {
        Sound sound;
        LoadDirectSound(sound, c.path.c_str());
        playOnce(sound);
        ok = eventually([&] { return !isPlayingOnce(sound); }) && ok;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    closeSoundBank();
    std::string out = testing::internal::GetCapturedStdout();
    std::vector<short> samples = recordedSamples(output);

    // Split the recording into sounds at 10 ms of silence.
    size_t found = 0, quiet = 441;
    int peak[2] = {0, 0};
    size_t start = 0, end = 0;
    auto finish = [&] {
        const FormatCase* c = found < cases.size() ? &cases[found] : nullptr;
        double left = peak[0] / 32768.0, right = peak[1] / 32768.0;
        bool good = c && std::abs(static_cast<double>(end - start) - 11025) < 100;
        if (c && c->left < 0)  // mono: panned alike to both sides, never louder than it is
            good = good && std::abs(peak[0] - peak[1]) <= 2 && left <= 0.5 && left > 0.25;
        else if (c)
            good = good && std::abs(left - c->left) < 0.01 && std::abs(right - c->right) < 0.01;
        std::fprintf(stderr, "sound %zu: %zu frames, peaks %.4f %.4f%s\n", found, end - start, left, right,
            good ? "" : " WRONG");
        ok = ok && good;
        found++;
        peak[0] = peak[1] = 0;
    };
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        int l = std::abs(static_cast<int>(samples[i])), r = std::abs(static_cast<int>(samples[i + 1]));
        if (std::max(l, r) < 100) {
            if (++quiet == 441 && end > start)
                finish();
            continue;
        }
        if (quiet >= 441)
            start = i / 2;
        quiet = 0;
        end = i / 2 + 1;
        peak[0] = std::max(peak[0], l);
        peak[1] = std::max(peak[1], r);
    }
    std::fprintf(stderr, "[%s] sounds %zu of %zu\n", out.c_str(), found, cases.size());
    std::exit(ok && found == cases.size() ? 0 : 1);
}

TEST_F(SoundBankProcess, EveryFormatReachesTheWaveDeviceAsRecorded)
{
    for (bool userForcesHrtf : {false, true}) {
        std::string output = testing::TempDir() + "zandrel_wave_formats.wav";
        std::string config = testing::TempDir() + "zandrel_alsoft_formats.conf";
        EXPECT_EXIT(
            runFormatsIntoWaveFile(config, output, userForcesHrtf), ::testing::ExitedWithCode(0), "sounds [45] of [45]")
            << (userForcesHrtf ? "with HRTF forced by the user" : "on headphones");
        std::remove(output.c_str());
        std::remove(config.c_str());
    }
}
}  // namespace
