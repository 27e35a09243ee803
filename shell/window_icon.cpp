#include "shell/window_icon.h"

#include <algorithm>
#include <cmath>

#include "scene/bmp.h"

namespace {

// The square around the head and horns, as parts of the picture's side.
constexpr double CROP_LEFT = 0.09375;
constexpr double CROP_TOP = 0.09375;
constexpr double CROP_SIDE = 0.8125;
constexpr double CORNER = 0.22;  // corner radius, as a part of the icon's side
constexpr int SAMPLES = 4;       // per pixel and axis

// One channel at (x, y) in top-down picture pixels, interpolated.
double sample(const BitmapImage& picture, double x, double y, int channel)
{
    auto at = [&](int px, int py) {
        px = std::clamp(px, 0, picture.width - 1);
        py = std::clamp(py, 0, picture.height - 1);
        int row = picture.height - 1 - py;  // the decoder's rows run bottom up
        return double(picture.pixels[(static_cast<long>(row) * picture.width + px) * 3 + channel]);
    };
    x -= 0.5;
    y -= 0.5;
    int x0 = static_cast<int>(std::floor(x));
    int y0 = static_cast<int>(std::floor(y));
    double fx = x - x0, fy = y - y0;
    double top = at(x0, y0) * (1 - fx) + at(x0 + 1, y0) * fx;
    double bottom = at(x0, y0 + 1) * (1 - fx) + at(x0 + 1, y0 + 1) * fx;
    return top * (1 - fy) + bottom * fy;
}

// Whether (x, y), in icon pixels, lies inside the rounded square.
bool insideRoundedSquare(double x, double y, int size)
{
    double radius = CORNER * size;
    double dx = std::max({radius - x, x - (size - radius), 0.0});
    double dy = std::max({radius - y, y - (size - radius), 0.0});
    return dx * dx + dy * dy <= radius * radius;
}

}  // namespace

std::vector<unsigned char> iconPixels(const BitmapImage& face, int size)
{
    if (size <= 0 || face.width <= 0 || face.height <= 0 || face.pixels == nullptr)
        return {};
    double side = std::min(face.width, face.height);
    double left = CROP_LEFT * side, top = CROP_TOP * side, scale = CROP_SIDE * side / size;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double colour[3] = {0, 0, 0};
            int covered = 0;
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    double ix = x + (sx + 0.5) / SAMPLES, iy = y + (sy + 0.5) / SAMPLES;
                    if (!insideRoundedSquare(ix, iy, size))
                        continue;
                    ++covered;
                    for (int c = 0; c < 3; ++c)
                        colour[c] += sample(face, left + ix * scale, top + iy * scale, c);
                }
            }
            unsigned char* out = &pixels[(static_cast<std::size_t>(y) * size + x) * 4];
            for (int c = 0; c < 3; ++c)
                out[c] = covered ? static_cast<unsigned char>(std::lround(colour[c] / covered)) : 0;
            out[3] = static_cast<unsigned char>(std::lround(255.0 * covered / (SAMPLES * SAMPLES)));
        }
    }
    return pixels;
}
