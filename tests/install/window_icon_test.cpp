#include <gtest/gtest.h>

#include <vector>

#include "scene/bmp.h"
#include "shell/window_icon.h"

namespace {

// A width by height picture, bottom row first as the decoder gives it, whose
// upper half (as seen) is white and lower half red.
struct TwoTone {
    std::vector<unsigned char> bytes;
    BitmapImage image;

    TwoTone(int width, int height) : bytes(static_cast<std::size_t>(width) * height * 3)
    {
        for (int row = 0; row < height; ++row) {
            bool upper = row >= height / 2;
            for (int x = 0; x < width; ++x) {
                unsigned char* p = &bytes[(static_cast<std::size_t>(row) * width + x) * 3];
                p[0] = 255;
                p[1] = p[2] = upper ? 255 : 0;
            }
        }
        image = {width, height, bytes.data()};
    }
};

const unsigned char* pixel(const std::vector<unsigned char>& icon, int size, int x, int y)
{
    return &icon[(static_cast<std::size_t>(y) * size + x) * 4];
}

TEST(WindowIcon, IsARoundedSquareOfThePictureTopRowFirst)
{
    TwoTone picture(256, 256);
    for (int size : {48, 64, 256}) {
        std::vector<unsigned char> icon = iconPixels(picture.image, size);
        ASSERT_EQ(icon.size(), static_cast<std::size_t>(size) * size * 4);
        // Corners cut away, the middle of every edge kept.
        EXPECT_EQ(pixel(icon, size, 0, 0)[3], 0);
        EXPECT_EQ(pixel(icon, size, size - 1, size - 1)[3], 0);
        EXPECT_EQ(pixel(icon, size, size / 2, 0)[3], 255);
        EXPECT_EQ(pixel(icon, size, 0, size / 2)[3], 255);
        // The white half is on top.
        const unsigned char* top = pixel(icon, size, size / 2, 2);
        const unsigned char* bottom = pixel(icon, size, size / 2, size - 3);
        EXPECT_EQ(top[1], 255) << size;
        EXPECT_EQ(bottom[1], 0) << size;
        EXPECT_EQ(bottom[0], 255) << size;
    }
}

TEST(WindowIcon, AnyPictureSizeGivesAFullIconAndNoPictureNone)
{
    TwoTone small(3, 5);
    std::vector<unsigned char> icon = iconPixels(small.image, 64);
    ASSERT_EQ(icon.size(), 64u * 64 * 4);
    EXPECT_EQ(pixel(icon, 64, 32, 32)[3], 255);
    BitmapImage empty{0, 0, nullptr};
    EXPECT_TRUE(iconPixels(empty, 48).empty());
    EXPECT_TRUE(iconPixels(small.image, 0).empty());
}

}  // namespace
