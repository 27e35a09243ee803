#include "scene/bmp.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "characters/core/little_endian.h"

namespace {

// Far beyond any art the game ships, small enough that a damaged header
// cannot make us allocate without limit.
constexpr std::int64_t MAX_SIDE = 16384;
constexpr std::int64_t MAX_PIXELS = std::int64_t{1} << 24;

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;

constexpr std::size_t FILE_HEADER_SIZE = 14;
constexpr std::uint32_t CORE_HEADER_SIZE = 12;
constexpr std::uint32_t INFO_HEADER_SIZE = 40;

void showError(const std::string& message)
{
    std::fprintf(stderr, "Error: %s", message.c_str());
    if (message.empty() || message.back() != '\n')
        std::fputc('\n', stderr);
}

struct Rgb {
    unsigned char red, green, blue;
};

// One channel of a direct-colour pixel: where its bits sit and how to
// stretch them to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;

    explicit Channel(std::uint32_t bits) : mask(bits)
    {
        if (mask == 0)
            return;
        while (((mask >> shift) & 1u) == 0)
            ++shift;
        maximum = mask >> shift;
    }

    unsigned char extract(std::uint32_t pixel) const
    {
        if (maximum == 0)
            return 0;
        std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<unsigned char>((value * 255 + maximum / 2) / maximum);
    }
};

// The parsed header, widened to the 40-byte form.
struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative for a top-down picture
    unsigned bitCount = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t pixelOffset = 0;
};

class Decoder {
public:
    Decoder(const unsigned char* data, std::size_t size) : data(data), size(size) {}
    BitmapImage* decode();

private:
    bool readHeader(Header& header);
    bool readPalette(std::size_t offset, std::uint64_t entries, std::size_t entrySize, unsigned bitCount);
    bool convertUncompressed(const Header& header, unsigned char* out, std::int64_t rows);
    void convertRle(const Header& header, unsigned char* out, std::int64_t rows);

    Rgb paletteColour(unsigned index) const
    {
        // An index beyond the colour table paints black.
        return index < paletteSize ? palette[index] : Rgb{0, 0, 0};
    }

    const unsigned char* data;
    std::size_t size;
    Rgb palette[256] = {};
    unsigned paletteSize = 0;
};

bool Decoder::readPalette(std::size_t offset, std::uint64_t entries, std::size_t entrySize, unsigned bitCount)
{
    // Entries beyond what a pixel of bitCount bits can name are never read.
    const std::uint64_t reachable = std::uint64_t{1} << bitCount;
    if (entries > reachable)
        entries = reachable;
    if (offset > size || entries * entrySize > size - offset)
        return false;
    for (std::uint64_t i = 0; i < entries; ++i) {
        const unsigned char* entry = data + offset + i * entrySize;
        palette[i] = Rgb{entry[2], entry[1], entry[0]};
    }
    paletteSize = static_cast<unsigned>(entries);
    return true;
}

bool Decoder::readHeader(Header& header)
{
    std::size_t infoStart = 0;
    bool hasFileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (hasFileHeader) {
        if (size < FILE_HEADER_SIZE + 4) {
            showError("Unknown DIB file format.");
            return false;
        }
        header.pixelOffset = read32(data + 10);
        infoStart = FILE_HEADER_SIZE;
    }
    if (size < infoStart + 4) {
        showError("Unknown DIB file format.");
        return false;
    }
    std::uint32_t infoSize = read32(data + infoStart);
    if (infoSize != CORE_HEADER_SIZE && infoSize != INFO_HEADER_SIZE) {
        showError("Unknown DIB file format.");
        return false;
    }
    if (size - infoStart < infoSize) {
        showError("Image file conversion error.");
        return false;
    }

    const unsigned char* info = data + infoStart;
    std::uint64_t colourCount = 0;
    std::size_t entrySize = 0;
    std::size_t tableStart = infoStart + infoSize;
    if (infoSize == CORE_HEADER_SIZE) {
        header.width = read16(info + 4);
        header.height = read16(info + 6);
        header.bitCount = read16(info + 10);
        entrySize = 3;
    } else {
        header.width = static_cast<std::int32_t>(read32(info + 4));
        header.height = static_cast<std::int32_t>(read32(info + 8));
        header.bitCount = read16(info + 14);
        header.compression = read32(info + 16);
        colourCount = read32(info + 32);
        entrySize = 4;
        if (header.compression == BI_BITFIELDS) {
            // The three masks follow the header, ahead of any colour table.
            if (size - tableStart < 12) {
                showError("Image file conversion error.");
                return false;
            }
            for (int i = 0; i < 3; ++i)
                header.masks[i] = read32(data + tableStart + 4 * i);
            tableStart += 12;
        }
    }
    if (colourCount == 0 && header.bitCount <= 8)
        colourCount = std::uint64_t{1} << header.bitCount;

    if (header.bitCount <= 8 && !readPalette(tableStart, colourCount, entrySize, header.bitCount)) {
        showError("Image file conversion error.");
        return false;
    }
    if (!hasFileHeader) {
        // A bare header: the pixels follow the whole colour table.
        std::uint64_t offset = tableStart + colourCount * entrySize;
        if (offset > size) {
            showError("Image file conversion error.");
            return false;
        }
        header.pixelOffset = static_cast<std::size_t>(offset);
    }
    return true;
}

bool layoutAccepted(const Header& header)
{
    switch (header.compression) {
    case BI_RGB:
        return header.bitCount == 1 || header.bitCount == 4 || header.bitCount == 8 || header.bitCount == 16 ||
            header.bitCount == 24 || header.bitCount == 32;
    case BI_RLE8: return header.bitCount == 8;
    case BI_RLE4: return header.bitCount == 4;
    case BI_BITFIELDS: return header.bitCount == 16 || header.bitCount == 32;
    default: return false;
    }
}

bool Decoder::convertUncompressed(const Header& header, unsigned char* out, std::int64_t rows)
{
    const std::int64_t width = header.width;
    const std::int64_t stride = (width * header.bitCount + 31) / 32 * 4;
    const std::int64_t lastRow = (width * header.bitCount + 7) / 8;
    // The last row may go without its padding; anything shorter is refused.
    const std::int64_t needed = stride * (rows - 1) + lastRow;
    if (header.pixelOffset > size || needed > static_cast<std::int64_t>(size - header.pixelOffset))
        return false;

    std::uint32_t masks[3] = {header.masks[0], header.masks[1], header.masks[2]};
    if (header.compression != BI_BITFIELDS) {
        if (header.bitCount == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0xFF0000;
            masks[1] = 0x00FF00;
            masks[2] = 0x0000FF;
        }
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    for (std::int64_t y = 0; y < rows; ++y) {
        const unsigned char* row = data + header.pixelOffset + y * stride;
        unsigned char* target = out + y * width * 3;
        for (std::int64_t x = 0; x < width; ++x, target += 3) {
            Rgb colour{};
            switch (header.bitCount) {
            case 1: colour = paletteColour((row[x >> 3] >> (7 - (x & 7))) & 1); break;
            case 4: colour = paletteColour((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF); break;
            case 8: colour = paletteColour(row[x]); break;
            case 24: colour = Rgb{row[x * 3 + 2], row[x * 3 + 1], row[x * 3]}; break;
            case 16:
            case 32: {
                std::uint32_t pixel = header.bitCount == 16 ? read16(row + x * 2) : read32(row + x * 4);
                colour = Rgb{red.extract(pixel), green.extract(pixel), blue.extract(pixel)};
                break;
            }
            }
            target[0] = colour.red;
            target[1] = colour.green;
            target[2] = colour.blue;
        }
    }
    return true;
}

// Runs and deltas that leave the row or the picture are clipped; pixels that
// no run reaches stay black; a stream that ends early leaves the rest black.
void Decoder::convertRle(const Header& header, unsigned char* out, std::int64_t rows)
{
    const bool fourBit = header.compression == BI_RLE4;
    const std::int64_t width = header.width;
    std::size_t pos = header.pixelOffset;
    std::int64_t x = 0, y = 0;

    auto put = [&](unsigned index) {
        if (x < width && y < rows) {
            Rgb colour = paletteColour(index);
            unsigned char* target = out + (y * width + x) * 3;
            target[0] = colour.red;
            target[1] = colour.green;
            target[2] = colour.blue;
        }
        ++x;
    };

    while (y < rows && pos + 2 <= size) {
        unsigned count = data[pos];
        unsigned value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < width; ++i)
                put(fourBit ? ((i & 1) ? value & 0xF : value >> 4) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (pos + 2 > size)
                return;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else {
            std::size_t bytes = fourBit ? (value + 1) / 2 : value;
            std::size_t padded = bytes + (bytes & 1);
            if (bytes > size - pos)
                return;
            for (unsigned i = 0; i < value && x < width; ++i) {
                unsigned byte = data[pos + (fourBit ? i / 2 : i)];
                put(fourBit ? ((i & 1) ? byte & 0xF : byte >> 4) : byte);
            }
            pos += padded <= size - pos ? padded : size - pos;
        }
    }
}

void flipRows(unsigned char* pixels, std::int64_t width, std::int64_t rows)
{
    const std::size_t rowBytes = static_cast<std::size_t>(width * 3);
    unsigned char* top = pixels;
    unsigned char* bottom = pixels + (rows - 1) * rowBytes;
    for (; top < bottom; top += rowBytes, bottom -= rowBytes)
        std::swap_ranges(top, top + rowBytes, bottom);
}

BitmapImage* Decoder::decode()
{
    Header header;
    if (!readHeader(header))
        return nullptr;

    const std::int64_t rows = header.height < 0 ? -header.height : header.height;
    if (!layoutAccepted(header) || header.width <= 0 || rows == 0 || header.width > MAX_SIDE || rows > MAX_SIDE ||
        header.width * rows > MAX_PIXELS) {
        showError("Image file conversion error.");
        return nullptr;
    }

    const std::size_t pixelBytes = static_cast<std::size_t>(header.width * rows * 3);
    unsigned char* pixels = new (std::nothrow) unsigned char[pixelBytes];
    if (pixels == nullptr) {
        showError("Out of memory.");
        return nullptr;
    }
    if (header.compression == BI_RLE8 || header.compression == BI_RLE4) {
        std::memset(pixels, 0, pixelBytes);
        convertRle(header, pixels, rows);
    } else if (!convertUncompressed(header, pixels, rows)) {
        delete[] pixels;
        showError("Image file conversion error.");
        return nullptr;
    }
    if (header.height < 0)
        flipRows(pixels, header.width, rows);

    BitmapImage* image = new (std::nothrow) BitmapImage;
    if (image == nullptr) {
        delete[] pixels;
        showError("Out of memory.");
        return nullptr;
    }
    image->width = static_cast<int>(header.width);
    image->height = static_cast<int>(rows);
    image->pixels = pixels;
    return image;
}

// The model textures are named with Windows separators.
std::string platformPath(const char* fileName)
{
    std::string path(fileName);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

}  // namespace

BitmapImage* decodeBmpMemory(const unsigned char* data, std::size_t size)
{
    if (data == nullptr)
        size = 0;
    Decoder decoder(data, size);
    return decoder.decode();
}

BitmapImage* decodeBmp(const char* fileName)
{
    if (fileName == nullptr)
        fileName = "";
    const std::string path = platformPath(fileName);
    const std::string openError = "Failed to open DIB file " + path + ".\n";

    // Not blocking on a pipe: fstat refuses it below.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        showError(openError);
        return nullptr;
    }
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
        close(fd);
        showError(openError);
        return nullptr;
    }
    const std::size_t size = static_cast<std::size_t>(status.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (mapped == MAP_FAILED) {
        showError(openError);
        return nullptr;
    }
    BitmapImage* image = decodeBmpMemory(static_cast<const unsigned char*>(mapped), size);
    munmap(mapped, size);
    return image;
}

BitmapImage* loadBmp(const char* fileName)
{
    if (fileName == nullptr)
        return nullptr;
    const std::string path = platformPath(fileName);
    // A folder or a pipe named like a picture is as good as missing.
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr)
        return nullptr;
    std::fclose(file);
    return decodeBmp(fileName);
}

void freeBitmapImage(BitmapImage* image)
{
    if (image == nullptr)
        return;
    delete[] image->pixels;
    delete image;
}
