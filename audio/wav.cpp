#include "audio/wav.h"

#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "characters/core/little_endian.h"

namespace {

struct Chunk {
    std::size_t body = 0;  // offset of the chunk's data
    std::size_t size = 0;  // bytes of it inside the form, at most as declared
    bool found = false;
};

// The first chunk named `id` among the form's chunks in [begin, end). A chunk
// whose declared size runs past the end is cut at the end and ends the walk.
Chunk findChunk(const unsigned char* bytes, std::size_t begin, std::size_t end, const char* id)
{
    std::size_t pos = begin;
    while (end - pos >= 8) {
        std::uint64_t declared = read32(bytes + pos + 4);
        std::size_t body = pos + 8;
        std::size_t available = end - body;
        bool cut = declared > available;
        if (std::memcmp(bytes + pos, id, 4) == 0)
            return {body, cut ? available : static_cast<std::size_t>(declared), true};
        // Odd-sized chunks are followed by a pad byte.
        std::uint64_t next = body + declared + (declared & 1);
        if (cut || next > end)
            break;
        pos = static_cast<std::size_t>(next);
    }
    return {};
}

bool isValid(const WaveFormat& format)
{
    std::uint32_t frameBytes = std::uint32_t{format.channels} * format.bitsPerSample / 8;
    return format.channels != 0 && format.samplesPerSec != 0 && format.blockAlign != 0 &&
        format.blockAlign == frameBytes;
}

// The extensible record's channel mask and sub-format. Its GUID is a format
// tag followed by a fixed suffix; any other GUID stays unknown.
void readExtensible(const unsigned char* f, WaveFormat& format)
{
    static const unsigned char guidSuffix[14] = {
        0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    format.channelMask = read32(f + 20);
    if (std::memcmp(f + 26, guidSuffix, sizeof guidSuffix) == 0)
        format.subFormat = read16(f + 24);
}

}  // namespace

std::uint16_t sampleCoding(const WaveFormat& format)
{
    return format.formatTag == waveFormatExtensible ? format.subFormat : format.formatTag;
}

WavResult parseWav(const unsigned char* bytes, std::size_t size, WavData& wav)
{
    wav = {};
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return WavResult::NotWave;
    std::uint64_t formEnd = 8 + static_cast<std::uint64_t>(read32(bytes + 4));
    if (formEnd < 12)
        return WavResult::NotWave;
    std::size_t end = formEnd < size ? static_cast<std::size_t>(formEnd) : size;

    Chunk fmt = findChunk(bytes, 12, end, "fmt ");
    if (!fmt.found || fmt.size < 16)
        return WavResult::NotWave;
    const unsigned char* f = bytes + fmt.body;
    wav.format.formatTag = read16(f);
    wav.format.channels = read16(f + 2);
    wav.format.samplesPerSec = read32(f + 4);
    wav.format.avgBytesPerSec = read32(f + 8);
    wav.format.blockAlign = read16(f + 12);
    wav.format.bitsPerSample = read16(f + 14);
    wav.format.extraSize = fmt.size >= 18 ? read16(f + 16) : 0;
    if (wav.format.formatTag == waveFormatExtensible && fmt.size >= 40)
        readExtensible(f, wav.format);

    Chunk data = findChunk(bytes, 12, end, "data");
    if (!data.found)
        return WavResult::NotWave;
    if (!isValid(wav.format))
        return WavResult::BadFormat;
    wav.samples = bytes + data.body;
    wav.sampleBytes = data.size - data.size % wav.format.blockAlign;
    return WavResult::Loaded;
}

namespace {

// The whole of a regular file. Anything else named like one (a folder, a
// pipe that would block) counts as missing.
bool readRegularFile(const char* fileName, std::vector<unsigned char>& file)
{
    int fd = open(fileName, O_RDONLY | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat status;
    bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (regular) {
        unsigned char block[65536];
        ssize_t got;
        while ((got = read(fd, block, sizeof block)) > 0)
            file.insert(file.end(), block, block + got);
    }
    close(fd);
    return regular;
}

}  // namespace

bool readWavFile(const char* fileName, std::vector<unsigned char>& file, WavData& wav)
{
    file.clear();
    wav = {};
    bool found = readRegularFile(fileName, file);
    WavResult result = found ? parseWav(file.data(), file.size(), wav) : WavResult::NotWave;
    if (result == WavResult::NotWave) {
        std::printf("LoadDirectSound mmioOpen");
        std::fflush(stdout);
        return false;
    }
    if (wav.format.formatTag != waveFormatPcm) {
        std::printf("LoadDirectSound mmioRead");
        std::fflush(stdout);
    }
    if (result == WavResult::BadFormat) {
        std::printf("LoadDirectSound CreateSoundBuffer");
        std::fflush(stdout);
        return false;
    }
    return true;
}
