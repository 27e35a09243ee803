#pragma once

#include <cstddef>

// A decoded picture: height rows of width pixels, red-green-blue bytes,
// tightly packed, bottom row first.
struct BitmapImage {
    int width;
    int height;
    unsigned char* pixels;
};

// Null (silently) when the file cannot be opened; otherwise decodeBmp.
BitmapImage* loadBmp(const char* fileName);
// Null with an "Error: ..." line on standard error when the file is not a BMP we read.
BitmapImage* decodeBmp(const char* fileName);
// The decoder proper, on bytes in memory.
BitmapImage* decodeBmpMemory(const unsigned char* data, std::size_t size);
void freeBitmapImage(BitmapImage* image);
