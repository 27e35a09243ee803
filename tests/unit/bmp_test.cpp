#include "scene/bmp.h"
#include "tests/support/riff.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ImageDeleter {
    void operator()(BitmapImage* image) const { freeBitmapImage(image); }
};
using Image = std::unique_ptr<BitmapImage, ImageDeleter>;

const std::string DATA = "tests/data/bmp/";

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file laid out by hand, for the layouts ImageMagick does not write.
struct Layout {
    std::int32_t width = 1;
    std::int32_t height = 1;
    unsigned bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t headerSize = 40;
    bool fileHeader = true;
    std::vector<std::uint32_t> masks;  // written after the header when given
    Bytes palette;                     // entries already in file form
    Bytes pixels;
};

Bytes build(const Layout& layout)
{
    Bytes info;
    put32(info, layout.headerSize);
    if (layout.headerSize == 12) {
        put16(info, layout.width);
        put16(info, layout.height);
        put16(info, 1);
        put16(info, layout.bits);
    } else {
        put32(info, layout.width);
        put32(info, layout.height);
        put16(info, 1);
        put16(info, layout.bits);
        put32(info, layout.compression);
        put32(info, layout.pixels.size());
        put32(info, 2835);
        put32(info, 2835);
        put32(info, layout.coloursUsed);
        put32(info, 0);
        while (info.size() < layout.headerSize)
            info.push_back(0);
    }
    for (std::uint32_t mask : layout.masks)
        put32(info, mask);
    info.insert(info.end(), layout.palette.begin(), layout.palette.end());

    Bytes file;
    if (layout.fileHeader) {
        file = {'B', 'M'};
        put32(file, 14 + info.size() + layout.pixels.size());
        put32(file, 0);
        put32(file, 14 + info.size());
    }
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), layout.pixels.begin(), layout.pixels.end());
    return file;
}

Image decode(const Bytes& file)
{
    return Image(decodeBmpMemory(file.data(), file.size()));
}

Bytes pixelsOf(const Image& image)
{
    return Bytes(image->pixels, image->pixels + image->width * image->height * 3);
}

// Four-byte palette entries (blue, green, red, 0) from red-green-blue triples.
Bytes quadPalette(const std::vector<std::uint32_t>& colours)
{
    Bytes b;
    for (std::uint32_t rgb : colours) {
        b.push_back(rgb & 0xFF);
        b.push_back((rgb >> 8) & 0xFF);
        b.push_back((rgb >> 16) & 0xFF);
        b.push_back(0);
    }
    return b;
}

// Expected rows, bottom first, as red-green-blue bytes.
Bytes rgbRows(const std::vector<std::uint32_t>& colours)
{
    Bytes b;
    for (std::uint32_t rgb : colours) {
        b.push_back((rgb >> 16) & 0xFF);
        b.push_back((rgb >> 8) & 0xFF);
        b.push_back(rgb & 0xFF);
    }
    return b;
}

std::string stderrOf(const Bytes& file, Image* result)
{
    testing::internal::CaptureStderr();
    *result = decode(file);
    return testing::internal::GetCapturedStderr();
}

const char* const REFERENCE_FILES[] = {
    "two_bmp2_palette",
    "two_bmp3_palette",
    "two_bmp2_24",
    "two_bmp3_24",
    "two_bmp3_rle8",
    "four_bmp2_palette",
    "four_bmp3_palette",
    "four_bmp2_24",
    "four_bmp3_24",
    "four_bmp3_rle8",
    "many_bmp2_palette",
    "many_bmp3_palette",
    "many_bmp2_24",
    "many_bmp3_24",
    "many_bmp3_rle8",
};

TEST(BmpDecoder, MatchesImageMagickAtEveryDepthAndHeader)
{
    for (const char* name : REFERENCE_FILES) {
        SCOPED_TRACE(name);
        std::string picture(name, std::string(name).find('_'));
        Bytes topDown = readFile(DATA + picture + ".rgb");
        ASSERT_EQ(topDown.size(), 13u * 7 * 3);
        Bytes expected;
        for (int row = 6; row >= 0; --row)
            expected.insert(expected.end(), topDown.begin() + row * 39, topDown.begin() + row * 39 + 39);

        Image image(decodeBmp((DATA + name + ".bmp").c_str()));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, 13);
        EXPECT_EQ(image->height, 7);
        EXPECT_EQ(pixelsOf(image), expected);
    }
}

TEST(BmpDecoder, PaletteAndTrueColourOfOnePictureAgree)
{
    Image palette(decodeBmp((DATA + "many_bmp3_palette.bmp").c_str()));
    Image trueColour(decodeBmp((DATA + "many_bmp3_24.bmp").c_str()));
    ASSERT_NE(palette, nullptr);
    ASSERT_NE(trueColour, nullptr);
    EXPECT_EQ(pixelsOf(palette), pixelsOf(trueColour));
}

TEST(BmpDecoder, WindowsSeparatorsAreAccepted)
{
    Image image(decodeBmp("tests\\data\\bmp\\many_bmp3_24.bmp"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 13);
}

TEST(BmpDecoder, Rle4RunsAbsoluteRunsDeltaAndEndOfLine)
{
    Layout layout;
    layout.width = 6;
    layout.height = 3;
    layout.bits = 4;
    layout.compression = 2;
    layout.coloursUsed = 4;
    layout.palette = quadPalette({0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    layout.pixels = {
        5, 0x12,                    // bottom row: 1 2 1 2 1
        0, 0,                       // end of line: the sixth pixel stays black
        0, 5, 0x31, 0x23, 0x10, 0,  // absolute 3 1 2 3 1, padded to a 16-bit boundary
        0, 0,                       // end of line
        0, 2, 2, 0,                 // delta two right
        6, 0x33,                    // a run past the row's end is cut at the edge
        0, 1,                       // end of bitmap
    };
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    const std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0;
    EXPECT_EQ(pixelsOf(image),
        rgbRows({R, G, R, G, R, K,  // bottom
            B, R, G, B, R, K,       // middle
            K, K, B, B, B, B}));
}

TEST(BmpDecoder, Rle8OddAbsoluteRunIsPadded)
{
    Layout layout;
    layout.width = 4;
    layout.height = 2;
    layout.bits = 8;
    layout.compression = 1;
    layout.coloursUsed = 3;
    layout.palette = quadPalette({0x000000, 0x102030, 0x405060});
    layout.pixels = {0, 3, 1, 2, 1, 0xEE, 1, 2, 0, 0, 4, 1, 0, 1};
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(
        pixelsOf(image), rgbRows({0x102030, 0x405060, 0x102030, 0x405060, 0x102030, 0x102030, 0x102030, 0x102030}));
}

TEST(BmpDecoder, SixteenBitsDefaultToFiveBitsPerChannel)
{
    Layout layout;
    layout.width = 3;
    layout.bits = 16;
    layout.pixels = {0x00, 0x7C, 0xE0, 0x03, 0x10, 0x00, 0, 0};  // red, green, blue 16 of 31
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0xFF0000, 0x00FF00, 0x000084}));
}

TEST(BmpDecoder, BitfieldsUseTheMasksTheFileCarries)
{
    Layout sixteen;
    sixteen.width = 2;
    sixteen.bits = 16;
    sixteen.compression = 3;
    sixteen.masks = {0xF800, 0x07E0, 0x001F};   // 5-6-5
    sixteen.pixels = {0xE0, 0x07, 0x1F, 0xF8};  // full green; full red and blue
    Image image = decode(build(sixteen));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x00FF00, 0xFF00FF}));

    Layout thirtyTwo;
    thirtyTwo.width = 1;
    thirtyTwo.bits = 32;
    thirtyTwo.compression = 3;
    thirtyTwo.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the low byte
    thirtyTwo.pixels = {0x11, 0x22, 0x33, 0x44};
    image = decode(build(thirtyTwo));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x112233}));
}

TEST(BmpDecoder, ThirtyTwoBitsIgnoreTheFourthByte)
{
    Layout layout;
    layout.width = 2;
    layout.bits = 32;
    layout.pixels = {0x30, 0x20, 0x10, 0xFF, 0x60, 0x50, 0x40, 0x00};
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x102030, 0x405060}));
}

TEST(BmpDecoder, TopDownPictureIsTurnedBottomUp)
{
    Layout layout;
    layout.width = 1;
    layout.height = -3;
    layout.pixels = {0x00, 0x00, 0xFF, 0,  // top: red
        0x00, 0xFF, 0x00, 0,               // middle: green
        0xFF, 0x00, 0x00, 0};              // bottom: blue
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x0000FF, 0x00FF00, 0xFF0000}));
}

TEST(BmpDecoder, BareHeadersFindPixelsAfterTheColourTable)
{
    Layout full;
    full.fileHeader = false;
    full.width = 2;
    full.bits = 8;
    full.coloursUsed = 2;
    full.palette = quadPalette({0xABCDEF, 0x123456});
    full.pixels = {1, 0, 0, 0};
    Image image = decode(build(full));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x123456, 0xABCDEF}));

    Layout core;
    core.fileHeader = false;
    core.headerSize = 12;
    core.width = 3;
    core.bits = 1;
    core.palette = {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00};  // red, blue in 3-byte entries
    core.pixels = {0xA0, 0, 0, 0};                        // 1 0 1
    image = decode(build(core));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x0000FF, 0xFF0000, 0x0000FF}));
}

TEST(BmpDecoder, ReportsEachFailureOnStandardError)
{
    Image image;
    for (std::uint32_t size : {108u, 124u, 64u}) {
        Layout layout;
        layout.headerSize = size;
        layout.pixels = {0, 0, 0, 0};
        EXPECT_EQ(stderrOf(build(layout), &image), "Error: Unknown DIB file format.\n") << size;
        EXPECT_EQ(image, nullptr);
    }

    Layout jpeg;
    jpeg.compression = 4;
    jpeg.pixels = {0, 0, 0, 0};
    EXPECT_EQ(stderrOf(build(jpeg), &image), "Error: Image file conversion error.\n");
    EXPECT_EQ(image, nullptr);

    testing::internal::CaptureStderr();
    Image missing(decodeBmp("tests/data/bmp/no-such-file.bmp"));
    EXPECT_EQ(
        testing::internal::GetCapturedStderr(), "Error: Failed to open DIB file tests/data/bmp/no-such-file.bmp.\n");
    EXPECT_EQ(missing, nullptr);
}

TEST(BmpLoader, MissingFileIsSilent)
{
    testing::internal::CaptureStderr();
    Image image(loadBmp("graphics/no-such-picture.bmp"));
    Image none(loadBmp(nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(none, nullptr);

    // So is a folder or a pipe named like a picture. The pipe is held open for
    // writing so that a loader that tries to read it gets an answer, not a hang.
    char folder[] = "/tmp/zandrel-bmp-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string picture = std::string(folder) + "/title.bmp";
    const std::string pipe = std::string(folder) + "/door.bmp";
    ASSERT_EQ(mkdir(picture.c_str(), 0700), 0);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    int writer = open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    testing::internal::CaptureStderr();
    Image fromFolder(loadBmp(picture.c_str()));
    Image fromPipe(loadBmp(pipe.c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(fromFolder, nullptr);
    EXPECT_EQ(fromPipe, nullptr);
    close(writer);
    unlink(pipe.c_str());
    rmdir(picture.c_str());
    rmdir(folder);
}

TEST(BmpLoader, ExistingFileIsDecoded)
{
    Image image(loadBmp((DATA + "four_bmp3_rle8.bmp").c_str()));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 13);
}

}  // namespace

namespace {

std::string refused(const Bytes& file)
{
    Image image;
    std::string message = stderrOf(file, &image);
    EXPECT_EQ(image, nullptr);
    return message;
}

const std::string CONVERSION_ERROR = "Error: Image file conversion error.\n";

TEST(BmpHostile, PaletteIndexBeyondTheTableIsBlack)
{
    Layout layout;
    layout.width = 3;
    layout.bits = 8;
    layout.coloursUsed = 2;
    layout.palette = quadPalette({0x111111, 0x222222});
    layout.pixels = {1, 5, 255, 0};
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x222222, 0, 0}));
}

TEST(BmpHostile, ColoursUsedBeyondWhatAPixelCanName)
{
    // Only the entries a 1-bit pixel can reach are read.
    Layout layout;
    layout.width = 2;
    layout.bits = 1;
    layout.coloursUsed = 0xFFFFFFFF;
    layout.palette = quadPalette({0x0000FF, 0x00FF00});
    layout.pixels = {0x40, 0, 0, 0};
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0x0000FF, 0x00FF00}));

    // Without a file header the table's length places the pixels: past the file.
    layout.fileHeader = false;
    EXPECT_EQ(refused(build(layout)), CONVERSION_ERROR);
    // A table that is not in the file at all.
    layout.fileHeader = true;
    layout.bits = 8;
    layout.coloursUsed = 200;
    EXPECT_EQ(refused(build(layout)), CONVERSION_ERROR);
}

TEST(BmpHostile, AbsurdDimensionsAreRefusedBeforeAnyAllocation)
{
    struct Case {
        std::int32_t width, height;
        unsigned bits;
        std::uint32_t compression;
    };
    const Case cases[] = {
        {0x7FFFFFFF, 1, 32, 0},  // row size overflows 32 bits
        {0x40000000, 1, 24, 0}, {16385, 1, 24, 0}, {1, -16385, 24, 0}, {1, INT32_MIN, 24, 0},
        {16384, 16384, 8, 1},                                        // a tiny RLE file asking for 768 MB
        {0, 1, 24, 0}, {1, 0, 24, 0}, {-5, 1, 24, 0}, {4, 1, 8, 2},  // RLE4 marked on 8-bit data
        {4, 1, 12, 0},                                               // no such depth
        {4, 1, 24, 3},                                               // bit fields on 24 bits
    };
    for (const Case& c : cases) {
        Layout layout;
        layout.width = c.width;
        layout.height = c.height;
        layout.bits = c.bits;
        layout.compression = c.compression;
        if (c.bits == 8)
            layout.palette = quadPalette(std::vector<std::uint32_t>(256, 0));
        if (c.compression == 3)
            layout.masks = {0xFF0000, 0xFF00, 0xFF};
        layout.pixels = {0, 1, 0, 0};
        EXPECT_EQ(refused(build(layout)), CONVERSION_ERROR) << c.width << "x" << c.height;
    }
}

TEST(BmpHostile, TruncatedPixelsAndOffsetsPastTheFileAreRefused)
{
    Layout layout;
    layout.width = 3;
    layout.height = 2;
    layout.pixels = Bytes(12 + 9, 0x7F);  // second row without its padding: still whole
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), Bytes(18, 0x7F));

    layout.pixels.pop_back();
    EXPECT_EQ(refused(build(layout)), CONVERSION_ERROR);

    layout.pixels = Bytes(24, 0);
    Bytes file = build(layout);
    for (unsigned offset : {0xFFFFFFF0u, static_cast<unsigned>(file.size()) + 1}) {
        file[10] = offset & 0xFF;
        file[11] = (offset >> 8) & 0xFF;
        file[12] = (offset >> 16) & 0xFF;
        file[13] = offset >> 24;
        EXPECT_EQ(refused(file), CONVERSION_ERROR) << offset;
    }
}

TEST(BmpHostile, TruncatedHeaders)
{
    Layout layout;
    layout.pixels = {0, 0, 0, 0};
    Bytes file = build(layout);
    EXPECT_EQ(refused(Bytes(file.begin(), file.begin() + 30)), CONVERSION_ERROR);
    EXPECT_EQ(refused(Bytes(file.begin(), file.begin() + 12)), "Error: Unknown DIB file format.\n");
    EXPECT_EQ(refused(Bytes()), "Error: Unknown DIB file format.\n");

    layout.compression = 3;
    layout.bits = 32;
    layout.pixels.clear();
    file = build(layout);  // bit fields announced, masks missing
    EXPECT_EQ(refused(file), CONVERSION_ERROR);
}

TEST(BmpHostile, RleRunsAndDeltasStayInsideThePicture)
{
    Layout layout;
    layout.width = 3;
    layout.height = 2;
    layout.bits = 8;
    layout.compression = 1;
    layout.coloursUsed = 2;
    layout.palette = quadPalette({0x000000, 0xFFFFFF});
    layout.pixels = {
        255, 1,           // far past the row: cut, not wrapped into the next row
        0, 255, 1, 1, 1,  // an absolute run past the row and past the data
    };
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), rgbRows({0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0}));

    layout.pixels = {0, 2, 250, 250, 1, 1, 0, 0, 0, 0, 0, 0, 3, 1};  // delta and lines past the top
    image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), Bytes(18, 0));

    layout.pixels = {0, 2, 1};  // delta cut short
    image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(pixelsOf(image), Bytes(18, 0));
}

// Decodes a copy that ends where an unreadable page begins, so that any read
// past the file is a crash rather than luck, with or without a sanitizer.
std::string refusedAtPageEnd(const Bytes& file)
{
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t span = (file.size() + page - 1) / page * page;
    void* mapped = mmap(nullptr, span + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    EXPECT_NE(mapped, MAP_FAILED);
    unsigned char* end = static_cast<unsigned char*>(mapped) + span;
    EXPECT_EQ(mprotect(end, page, PROT_NONE), 0);
    std::copy(file.begin(), file.end(), end - file.size());
    testing::internal::CaptureStderr();
    Image image(decodeBmpMemory(end - file.size(), file.size()));
    EXPECT_EQ(image, nullptr);
    munmap(mapped, span + page);
    return testing::internal::GetCapturedStderr();
}

TEST(BmpHostile, ColourTableCutShortIsRefusedForEveryHeader)
{
    struct Kind {
        const char* name;
        std::uint32_t headerSize;
        bool fileHeader;
        std::uint32_t compression;
        std::uint32_t coloursUsed;
    };
    const Kind kinds[] = {
        {"core", 12, true, 0, 0},
        {"info", 40, true, 0, 0},
        {"bare core", 12, false, 0, 0},
        {"bare info", 40, false, 0, 0},
        {"info, colours used", 40, true, 0, 2},
        {"info with bit fields", 40, true, 3, 0},
    };
    for (const Kind& kind : kinds) {
        for (unsigned bits : {1u, 4u, 8u}) {
            Layout layout;
            layout.headerSize = kind.headerSize;
            layout.fileHeader = kind.fileHeader;
            layout.bits = bits;
            layout.compression = kind.compression;
            layout.coloursUsed = kind.coloursUsed;
            if (kind.compression == 3)
                layout.masks = {0xFF0000, 0xFF00, 0xFF};
            // Half the table's bytes: more bytes than it has entries, fewer than it needs.
            const std::size_t entries = kind.coloursUsed ? kind.coloursUsed : 1u << bits;
            layout.palette = Bytes(entries * (kind.headerSize == 12 ? 3 : 4) / 2, 0x55);
            Bytes file = build(layout);
            if (kind.fileHeader) {  // the last byte of the file taken for the one pixel
                const std::uint32_t offset = static_cast<std::uint32_t>(file.size() - 1);
                for (int i = 0; i < 4; ++i)
                    file[10 + i] = (offset >> (8 * i)) & 0xFF;
            }
            EXPECT_EQ(refusedAtPageEnd(file), CONVERSION_ERROR) << kind.name << ", " << bits << " bits";
        }
    }
}

TEST(BmpDecoder, RleDeltaMovesOnFromMidRow)
{
    Layout layout;
    layout.width = 8;
    layout.height = 3;
    layout.bits = 8;
    layout.compression = 1;
    layout.coloursUsed = 4;
    layout.palette = quadPalette({0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
    layout.pixels = {
        3, 1, 0, 2, 2, 0, 2, 2, 0, 0,  // bottom: 3 red, two to the right, 2 green
        1, 3, 0, 2, 3, 1,              // middle: 1 blue, then three right and one up
        2, 1, 0, 1,                    // top: 2 red from column 4
    };
    Image image = decode(build(layout));
    ASSERT_NE(image, nullptr);
    const std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, K = 0;
    EXPECT_EQ(pixelsOf(image),
        rgbRows({R, R, R, K, K, G, G, K,  //
            B, K, K, K, K, K, K, K,       //
            K, K, K, K, R, R, K, K}));
}

}  // namespace
