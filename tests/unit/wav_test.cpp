#include "audio/sample_convert.h"
#include "audio/wav.h"
#include "tests/support/riff.h"
#include "tests/support/shipped_sound.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace {

Bytes samplesOf(size_t n)
{
    Bytes s;
    for (size_t i = 0; i < n; i++)
        s.push_back(static_cast<unsigned char>(i * 7 + 1));
    return s;
}

Bytes plainWav(const Bytes& samples)
{
    Bytes chunks;
    chunk(chunks, "fmt ", formatBody(1, 1, 22050, 16));
    chunk(chunks, "data", samples);
    return riff(chunks);
}

// Walks a copy that ends exactly where the image ends, so the address
// sanitizer catches any read past it.
WavResult parseExact(const Bytes& image, WavData& wav)
{
    std::unique_ptr<unsigned char[]> copy(new unsigned char[image.size() + 1]);
    std::copy(image.begin(), image.end(), copy.get());
    WavResult result = parseWav(copy.get(), image.size(), wav);
    if (result == WavResult::Loaded) {
        EXPECT_GE(wav.samples, copy.get());
        EXPECT_LE(wav.samples + wav.sampleBytes, copy.get() + image.size());
        // Keep the offset, not the soon-freed pointer; the caller's image may
        // be a temporary, so the last one parsed is kept here.
        static Bytes lastParsed;
        lastParsed = image;
        wav.samples = lastParsed.data() + (wav.samples - copy.get());
    }
    return result;
}

TEST(WavReader, ReadsPlainPcmFile)
{
    Bytes samples = samplesOf(10);
    Bytes image = plainWav(samples);
    WavData wav;
    ASSERT_EQ(parseExact(image, wav), WavResult::Loaded);
    EXPECT_EQ(wav.format.formatTag, 1);
    EXPECT_EQ(wav.format.channels, 1);
    EXPECT_EQ(wav.format.samplesPerSec, 22050u);
    EXPECT_EQ(wav.format.blockAlign, 2);
    EXPECT_EQ(wav.format.bitsPerSample, 16);
    EXPECT_EQ(wav.format.extraSize, 0);
    EXPECT_EQ(wav.sampleBytes, samples.size());
    EXPECT_EQ(Bytes(wav.samples, wav.samples + wav.sampleBytes), samples);
}

TEST(WavReader, OtherChunksAndOddSizesDoNotMatter)
{
    Bytes samples = samplesOf(8);
    Bytes chunks;
    chunk(chunks, "LIST", Bytes{'I', 'N', 'F', 'O', 'x'});  // odd: a pad byte follows
    chunk(chunks, "fmt ", formatBody(1, 2, 44100, 16));
    chunk(chunks, "fact", Bytes{1, 2, 3});
    chunk(chunks, "data", samples);
    WavData wav;
    ASSERT_EQ(parseExact(riff(chunks), wav), WavResult::Loaded);
    EXPECT_EQ(wav.format.channels, 2);
    EXPECT_EQ(wav.format.blockAlign, 4);
    EXPECT_EQ(Bytes(wav.samples, wav.samples + wav.sampleBytes), samples);
}

TEST(WavReader, ExtraSizeComesOnlyFromAnEighteenByteFormat)
{
    Bytes chunks;
    chunk(chunks, "fmt ", formatBody(1, 1, 8000, 8, 0x1234));
    chunk(chunks, "data", samplesOf(4));
    WavData wav;
    ASSERT_EQ(parseExact(riff(chunks), wav), WavResult::Loaded);
    EXPECT_EQ(wav.format.extraSize, 0x1234);
    EXPECT_EQ(wav.sampleBytes, 4u);

    // A 16-byte record is followed by "data"; those bytes are not the extra size.
    ASSERT_EQ(parseExact(plainWav(samplesOf(4)), wav), WavResult::Loaded);
    EXPECT_EQ(wav.format.extraSize, 0);
}

TEST(WavReader, OddDataIsCutToWholeFrames)
{
    Bytes chunks;
    chunk(chunks, "fmt ", formatBody(1, 1, 22050, 16));
    chunk(chunks, "data", samplesOf(7));
    WavData wav;
    ASSERT_EQ(parseExact(riff(chunks), wav), WavResult::Loaded);
    EXPECT_EQ(wav.sampleBytes, 6u);
}

TEST(WavReader, RefusesWhatIsNotAWaveForm)
{
    WavData wav;
    Bytes noData;
    chunk(noData, "fmt ", formatBody(1, 1, 22050, 16));
    chunk(noData, "junk", samplesOf(6));
    EXPECT_EQ(parseExact(riff(noData), wav), WavResult::NotWave);

    Bytes noFormat;
    chunk(noFormat, "data", samplesOf(6));
    EXPECT_EQ(parseExact(riff(noFormat), wav), WavResult::NotWave);

    Bytes shortFormat;
    chunk(shortFormat, "fmt ", Bytes(14, 1));
    chunk(shortFormat, "data", samplesOf(6));
    EXPECT_EQ(parseExact(riff(shortFormat), wav), WavResult::NotWave);

    Bytes avi = plainWav(samplesOf(4));
    std::copy_n("AVI ", 4, avi.begin() + 8);
    EXPECT_EQ(parseExact(avi, wav), WavResult::NotWave);
    Bytes rifx = plainWav(samplesOf(4));
    rifx[3] = 'X';
    EXPECT_EQ(parseExact(rifx, wav), WavResult::NotWave);
    EXPECT_EQ(parseExact(Bytes{}, wav), WavResult::NotWave);
    EXPECT_EQ(parseExact(Bytes{'R', 'I', 'F', 'F'}, wav), WavResult::NotWave);
}

TEST(WavReader, RefusesImpossibleFormatRecords)
{
    struct Case {
        unsigned channels;
        std::uint32_t rate;
        unsigned bits;
        unsigned align;
    };
    // The last one overflows an int when channels and bits are multiplied.
    const Case cases[] = {{0, 22050, 16, 0}, {1, 0, 16, 2}, {2, 22050, 16, 2}, {1, 22050, 16, 3}, {0, 22050, 16, 2},
        {65534, 22050, 65535, 0xFFFF}};
    for (const Case& c : cases) {
        Bytes f = formatBody(1, c.channels, c.rate, c.bits);
        f[12] = c.align & 0xFF;
        f[13] = c.align >> 8;
        Bytes chunks;
        chunk(chunks, "fmt ", f);
        chunk(chunks, "data", samplesOf(8));
        WavData wav;
        EXPECT_EQ(parseExact(riff(chunks), wav), WavResult::BadFormat)
            << c.channels << " " << c.rate << " " << c.bits << " " << c.align;
    }
}

TEST(WavReader, TruncatedDataLoadsWhatIsThere)
{
    Bytes image = plainWav(samplesOf(100));
    image.resize(44 + 31);  // the headers still claim 100 bytes
    WavData wav;
    ASSERT_EQ(parseExact(image, wav), WavResult::Loaded);
    EXPECT_EQ(wav.sampleBytes, 30u);
}

TEST(WavReader, EveryPrefixOfAFileIsSafe)
{
    Bytes chunks;
    chunk(chunks, "LIST", Bytes{'I', 'N', 'F', 'O', 'a'});
    chunk(chunks, "fmt ", formatBody(1, 2, 22050, 16, 0));
    chunk(chunks, "data", samplesOf(40));
    Bytes image = riff(chunks);
    size_t dataStart = image.size() - 40;
    for (size_t n = 0; n <= image.size(); n++) {
        WavData wav;
        WavResult result = parseExact(Bytes(image.begin(), image.begin() + n), wav);
        if (n < dataStart) {
            EXPECT_EQ(result, WavResult::NotWave) << n;
        } else {
            ASSERT_EQ(result, WavResult::Loaded) << n;
            EXPECT_EQ(wav.sampleBytes, (n - dataStart) / 4 * 4) << n;
        }
    }
}

TEST(WavReader, SizesNearFourGigabytesDoNotWrap)
{
    WavData wav;
    // A chunk claiming nearly 4 GiB ahead of "fmt ": the walk must stop, not
    // wrap round onto the bytes after it.
    for (std::uint32_t huge : {0xFFFFFFFFu, 0xFFFFFFF8u, 0xFFFFFFF4u}) {
        Bytes chunks = {'L', 'I', 'S', 'T'};
        put32(chunks, huge);
        chunk(chunks, "fmt ", formatBody(1, 1, 22050, 16));
        chunk(chunks, "data", samplesOf(4));
        EXPECT_EQ(parseExact(riff(chunks), wav), WavResult::NotWave) << huge;
    }

    Bytes image = plainWav(samplesOf(6));
    for (int i = 40; i < 44; i++)
        image[i] = 0xFF;  // the data chunk's size
    for (int i = 4; i < 8; i++)
        image[i] = 0xFF;  // the form's size
    ASSERT_EQ(parseExact(image, wav), WavResult::Loaded);
    EXPECT_EQ(wav.sampleBytes, 6u);
}

TEST(WavReader, NonPcmFormatIsReadAsItIs)
{
    Bytes chunks;
    chunk(chunks, "fmt ", formatBody(3, 1, 22050, 32, 0));
    chunk(chunks, "data", samplesOf(16));
    WavData wav;
    ASSERT_EQ(parseExact(riff(chunks), wav), WavResult::Loaded);
    EXPECT_EQ(wav.format.formatTag, 3);
    EXPECT_EQ(wav.sampleBytes, 16u);
}

// Frames of `values` (channel by channel) coded as `coding` at `bits`, run
// through the converter; the result's samples as floats.
std::vector<float> convert(
    const Bytes& format, const std::vector<double>& values, bool floatTaken, unsigned expectedChannels)
{
    unsigned tag = format[0] | format[1] << 8;
    unsigned bits = format[14] | format[15] << 8;
    unsigned coding = tag == 0xFFFE ? format[24] : tag;
    Bytes samples;
    for (double v : values) {
        if (coding == 3 && bits == 64) {
            std::uint64_t b;
            std::memcpy(&b, &v, 8);
            putLittle(samples, b, 8);
        } else if (coding == 3) {
            float f = static_cast<float>(v);
            std::uint32_t b;
            std::memcpy(&b, &f, 4);
            put32(samples, b);
        } else {
            auto level = static_cast<std::int64_t>(std::min(std::ldexp(v, bits - 1), std::ldexp(1.0, bits - 1) - 1));
            putLittle(samples, static_cast<std::uint64_t>(level), bits / 8);
        }
    }
    Bytes chunks;
    chunk(chunks, "fmt ", format);
    chunk(chunks, "data", samples);
    WavData wav;
    EXPECT_EQ(parseExact(riff(chunks), wav), WavResult::Loaded);
    PlayableSamples out;
    EXPECT_EQ(makePlayable(wav, floatTaken, out), ConvertResult::Ready);
    EXPECT_EQ(out.channels, expectedChannels);
    EXPECT_EQ(out.layout, floatTaken ? SampleLayout::Float32 : SampleLayout::Signed16);
    EXPECT_EQ(out.rate, format[4] | format[5] << 8 | format[6] << 16);
    std::vector<float> result;
    for (size_t i = 0; i < out.size(); i += floatTaken ? 4 : 2) {
        float f;
        std::int16_t s;
        if (floatTaken)
            std::memcpy(&f, out.bytes() + i, 4);
        else
            std::memcpy(&s, out.bytes() + i, 2);
        result.push_back(floatTaken ? f : s / 32768.0f);
    }
    return result;
}

TEST(SampleConversion, EightAndSixteenBitMonoAndStereoPassThrough)
{
    for (unsigned bits : {8u, 16u}) {
        for (unsigned channels : {1u, 2u}) {
            Bytes chunks;
            chunk(chunks, "fmt ", formatBody(1, channels, 11025, bits));
            chunk(chunks, "data", samplesOf(12));
            WavData wav;
            ASSERT_EQ(parseExact(riff(chunks), wav), WavResult::Loaded);
            PlayableSamples out;
            ASSERT_EQ(makePlayable(wav, true, out), ConvertResult::Ready);
            EXPECT_EQ(out.layout, bits == 8 ? SampleLayout::Unsigned8 : SampleLayout::Signed16);
            EXPECT_EQ(out.channels, channels);
            EXPECT_EQ(out.rate, 11025u);
            EXPECT_EQ(out.bytes(), wav.samples);
            EXPECT_EQ(out.size(), 12u);
        }
    }
}

TEST(SampleConversion, DeepIntegersAndFloatsKeepSignAndLevel)
{
    const std::vector<double> in = {0.5, -0.5, -1.0, 0.25, 0.0, -0.125};
    const std::vector<float> out(in.begin(), in.end());
    for (bool floatTaken : {true, false}) {
        EXPECT_EQ(convert(formatBody(1, 2, 22050, 24), in, floatTaken, 2), out);
        EXPECT_EQ(convert(formatBody(1, 1, 22050, 32), in, floatTaken, 1), out);
        EXPECT_EQ(convert(formatBody(3, 2, 22050, 32), in, floatTaken, 2), out);
        EXPECT_EQ(convert(formatBody(3, 1, 22050, 64), in, floatTaken, 1), out);
        EXPECT_EQ(convert(extensibleBody(1, 2, 24, 0x3), in, floatTaken, 2), out);
        EXPECT_EQ(convert(extensibleBody(3, 1, 64, 0x4), in, floatTaken, 1), out);
    }
    // Floats past full scale are scaled down as a whole; non-numbers are silence.
    EXPECT_EQ(convert(formatBody(3, 1, 8000, 32), {2.0, -1.0, NAN, INFINITY}, true, 1),
        (std::vector<float>{1.0f, -0.5f, 0.0f, 0.0f}));
    EXPECT_EQ(convert(formatBody(3, 1, 8000, 64), {1e300, -1e300}, true, 1), (std::vector<float>{1.0f, -1.0f}));
    // Full scale both ways in 16 bits: +1.0 is the loudest positive sample, not a wrap to the negative.
    EXPECT_EQ(
        convert(formatBody(3, 1, 8000, 32), {1.0, -1.0}, false, 1), (std::vector<float>{32767 / 32768.0f, -1.0f}));
}

TEST(SampleConversion, SurroundMixesDownToStereoWithoutClipping)
{
    // One 5.1 frame per speaker at half level, in file order: front left and
    // right, centre, low frequency, back left and right.
    std::vector<double> frames(36, 0.0);
    for (int speaker = 0; speaker < 6; speaker++)
        frames[speaker * 7] = 0.5;
    const float h = 0.5f * 0.70710678f;
    const std::vector<float> stereo = {0.5f, 0, 0, 0.5f, h, h, 0, 0, h, 0, 0, h};
    auto near = [](const std::vector<float>& a, const std::vector<float>& b, float scale = 1) {
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); i++)
            EXPECT_NEAR(a[i], b[i] * scale, 1e-4) << i;
    };
    near(convert(formatBody(1, 6, 48000, 16), frames, true, 2), stereo);
    near(convert(extensibleBody(1, 6, 24, 0x3F), frames, false, 2), stereo);
    // A mask naming too few speakers falls back on the usual layout for six.
    near(convert(extensibleBody(3, 6, 32, 0x3), frames, true, 2), stereo);

    // A named layout: front left and right and low frequency, no centre.
    near(convert(extensibleBody(1, 3, 16, 0xB), {0, 0, 0.5}, true, 2), {0, 0});
    near(convert(formatBody(1, 3, 8000, 16), {0, 0, 0.5}, true, 2), {h, h});

    // Every speaker at full level adds up past full scale on each side: the
    // whole sound is scaled so that its loudest frame just fits.
    frames.insert(frames.end(), 6, 1.0);
    std::vector<float> loud = stereo;
    loud.insert(loud.end(), 2, 1 + 2 * 0.70710678f);
    near(convert(formatBody(1, 6, 48000, 32), frames, true, 2), loud, 1 / loud.back());
}

TEST(SampleConversion, RefusesWhatItCannotPlace)
{
    auto result = [](const Bytes& format) {
        Bytes chunks;
        chunk(chunks, "fmt ", format);
        chunk(chunks, "data", samplesOf(72));
        WavData wav;
        EXPECT_EQ(parseExact(riff(chunks), wav), WavResult::Loaded);
        PlayableSamples out;
        return makePlayable(wav, true, out);
    };
    EXPECT_EQ(result(formatBody(1, 9, 8000, 16)), ConvertResult::Unsupported);  // nine, unnamed
    EXPECT_EQ(result(formatBody(1, 1, 8000, 48)), ConvertResult::Unsupported);
    EXPECT_EQ(result(formatBody(3, 1, 8000, 16)), ConvertResult::Unsupported);
    EXPECT_EQ(result(formatBody(7, 1, 8000, 8)), ConvertResult::NotPcm);
    Bytes unknownGuid = extensibleBody(1, 2, 16, 0x3);
    unknownGuid.back() ^= 1;
    EXPECT_EQ(result(unknownGuid), ConvertResult::NotPcm);
}

class WavFile : public ::testing::Test {
protected:
    std::string path = testing::TempDir() + "zandrel_wav_test.wav";

    void TearDown() override { std::remove(path.c_str()); }

    void write(const Bytes& image)
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(image.data(), 1, image.size(), out);
        std::fclose(out);
    }

    // What the loader prints for the file, and whether it has samples to play.
    std::string load(bool& playable)
    {
        std::vector<unsigned char> file;
        WavData wav;
        testing::internal::CaptureStdout();
        playable = readWavFile(path.c_str(), file, wav);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(WavFile, PrintsTheLoaderDiagnostics)
{
    bool playable = true;
    EXPECT_EQ(load(playable), "LoadDirectSound mmioOpen");  // no file yet
    EXPECT_FALSE(playable);

    write(plainWav(samplesOf(8)));
    EXPECT_EQ(load(playable), "");
    EXPECT_TRUE(playable);

    write(Bytes{'R', 'I', 'F', 'F', 0, 0});
    EXPECT_EQ(load(playable), "LoadDirectSound mmioOpen");
    EXPECT_FALSE(playable);

    Bytes floats;
    chunk(floats, "fmt ", formatBody(3, 1, 22050, 32, 0));
    chunk(floats, "data", samplesOf(8));
    write(riff(floats));
    EXPECT_EQ(load(playable), "LoadDirectSound mmioRead");
    EXPECT_TRUE(playable);

    Bytes noChannels;
    chunk(noChannels, "fmt ", formatBody(1, 0, 22050, 16));
    chunk(noChannels, "data", samplesOf(8));
    write(riff(noChannels));
    EXPECT_EQ(load(playable), "LoadDirectSound CreateSoundBuffer");
    EXPECT_FALSE(playable);

    Bytes badAdpcm;
    chunk(badAdpcm, "fmt ", formatBody(2, 1, 22050, 4));
    chunk(badAdpcm, "data", samplesOf(8));
    write(riff(badAdpcm));
    EXPECT_EQ(load(playable), "LoadDirectSound mmioReadLoadDirectSound CreateSoundBuffer");
    EXPECT_FALSE(playable);

    // A folder named like a sound is as missing as no file at all.
    std::remove(path.c_str());
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_EQ(load(playable), "LoadDirectSound mmioOpen");
    EXPECT_FALSE(playable);
    rmdir(path.c_str());
}

// The committed sounds: what the game and its end-of-bout waits rely on.
struct Expected {
    const char* name;
    double minSeconds;
    double maxSeconds;
};

const Expected gameSounds[] = {
    {"selectcharacter", 0.2, 1.0},
    {"startup", 1.5, 2.5},
    {"close", 0.2, 1.0},
    {"click", 0.02, 0.3},
    {"background", 20, 40},
    {"jack-attack", 0.1, 1.0},
    {"jack-block", 0.1, 1.0},
    {"jack-win", 2, 4},
    {"jack-hit", 0.1, 1.0},
    {"jack-ringout", 2, 3},
    {"darth-attack", 0.1, 1.0},
    {"darth-block", 0.1, 1.0},
    {"darth-win", 2, 4},
    {"darth-hit", 0.1, 1.0},
    {"darth-ringout", 2, 3},
};

double peakDb(const std::vector<short>& samples)
{
    int peak = 1;
    for (short s : samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    return 20 * std::log10(peak / 32768.0);
}

TEST(GameSounds, AreShortMonoPcmOfTheirIntendedLength)
{
    for (const Expected& e : gameSounds) {
        WavData wav;
        std::vector<unsigned char> file;
        std::vector<short> samples = readShippedSound(e.name, wav, file);
        EXPECT_EQ(wav.format.formatTag, 1) << e.name;
        EXPECT_EQ(wav.format.channels, 1) << e.name;
        EXPECT_EQ(wav.format.samplesPerSec, 22050u) << e.name;
        EXPECT_EQ(wav.format.bitsPerSample, 16) << e.name;
        double seconds = samples.size() / 22050.0;
        EXPECT_GE(seconds, e.minSeconds) << e.name;
        EXPECT_LE(seconds, e.maxSeconds) << e.name;
        if (std::string(e.name) == "background")
            EXPECT_LT(peakDb(samples), -9) << "the music stays under the effects";
        else
            EXPECT_GT(peakDb(samples), -6) << e.name;
    }
}

TEST(GameSounds, MusicLoopsWithoutASeam)
{
    WavData wav;
    std::vector<unsigned char> file;
    std::vector<short> music = readShippedSound("background", wav, file);
    ASSERT_GT(music.size(), 22050u);
    int largestStep = 0;
    for (size_t i = 1; i < music.size(); i++)
        largestStep = std::max(largestStep, std::abs(music[i] - music[i - 1]));
    EXPECT_LE(std::abs(music.front() - music.back()), largestStep);

    // No fade at either end: the last and first tenth of a second are as
    // loud as the music is on the whole.
    auto rms = [&](size_t from, size_t count) {
        double sum = 0;
        for (size_t i = from; i < from + count; i++)
            sum += static_cast<double>(music[i]) * music[i];
        return std::sqrt(sum / count);
    };
    size_t tenth = 2205;
    double whole = rms(0, music.size());
    EXPECT_GT(rms(0, tenth), 0.4 * whole);
    EXPECT_GT(rms(music.size() - tenth, tenth), 0.4 * whole);
}

}  // namespace
