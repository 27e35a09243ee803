#pragma once

#include <vector>

struct BitmapImage;

// The picture the game's icon is made from, under the data folder.
inline constexpr const char* ICON_SOURCE = "graphics/darthface.bmp";

// The game's icon, size by size pixels: Darth's face cut to a rounded square.
// Red, green, blue, alpha bytes, top row first. Empty for an empty picture.
std::vector<unsigned char> iconPixels(const BitmapImage& face, int size);
