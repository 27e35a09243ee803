// Paints the game's pictures and writes them as BMP files into graphics/,
// then the desktop icons, made from Darth's face, as PNG files into dist/icons/.
// Run from the repository root: ./make_art [output folder [icon folder]]. The
// output is the same bytes on every run; the files are committed, so playing
// never needs this tool.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "scene/bmp.h"
#include "shell/window_icon.h"

namespace {

const char* const FONT_FILE = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr double PI = 3.14159265358979323846;

// ---------------------------------------------------------------- colours

struct Colour {
    double r = 0, g = 0, b = 0;
};

Colour operator+(Colour a, Colour b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Colour operator*(Colour a, double k)
{
    return {a.r * k, a.g * k, a.b * k};
}

Colour rgb(int hex)
{
    return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0};
}

double clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

double smoothstep(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

double mix(double a, double b, double t)
{
    return a + (b - a) * t;
}
Colour mix(Colour a, Colour b, double t)
{
    return a * (1 - t) + b * t;
}

// A colour ramp through evenly spaced or placed stops.
struct Ramp {
    std::vector<std::pair<double, Colour>> stops;
    Colour at(double t) const
    {
        if (t <= stops.front().first)
            return stops.front().second;
        for (std::size_t i = 1; i < stops.size(); ++i)
            if (t <= stops[i].first) {
                double k = (t - stops[i - 1].first) / (stops[i].first - stops[i - 1].first);
                return mix(stops[i - 1].second, stops[i].second, k);
            }
        return stops.back().second;
    }
};

// ---------------------------------------------------------------- pictures

// Top row first while painting; the writers store it bottom row first.
struct Picture {
    int width, height;
    std::vector<Colour> pixels;
    Picture(int w, int h, Colour fill = {}) : width(w), height(h), pixels(std::size_t(w) * h, fill) {}
    Colour& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    const Colour& at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
    void blend(int x, int y, Colour c, double alpha)
    {
        if (x < 0 || y < 0 || x >= width || y >= height || alpha <= 0)
            return;
        Colour& p = at(x, y);
        p = mix(p, c, clamp01(alpha));
    }
    void add(int x, int y, Colour c)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        at(x, y) = at(x, y) + c;
    }
    template <typename F>
    void shade(F f)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                at(x, y) = f(x + 0.5, y + 0.5, at(x, y));
    }
};

// A grey coverage map of a picture's size.
struct Mask {
    int width, height;
    std::vector<double> v;
    Mask(int w, int h) : width(w), height(h), v(std::size_t(w) * h, 0.0) {}
    double& at(int x, int y) { return v[std::size_t(y) * width + x]; }
    double get(int x, int y) const
    {
        x = std::clamp(x, 0, width - 1);
        y = std::clamp(y, 0, height - 1);
        return v[std::size_t(y) * width + x];
    }
};

Mask blur(const Mask& m, int radius)
{
    Mask a = m, b = m;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) {
                double s = 0;
                for (int k = -radius; k <= radius; ++k)
                    s += a.get(x + k, y);
                b.at(x, y) = s / (2 * radius + 1);
            }
        for (int y = 0; y < m.height; ++y)
            for (int x = 0; x < m.width; ++x) {
                double s = 0;
                for (int k = -radius; k <= radius; ++k)
                    s += b.get(x, y + k);
                a.at(x, y) = s / (2 * radius + 1);
            }
    }
    return a;
}

Mask dilate(const Mask& m, double radius)
{
    Mask out(m.width, m.height);
    int r = int(std::ceil(radius));
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            double best = 0;
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    double d = std::sqrt(double(dx * dx + dy * dy));
                    if (d > radius + 1)
                        continue;
                    double w = clamp01(radius + 1 - d);
                    int sx = x + dx, sy = y + dy;
                    if (sx < 0 || sy < 0 || sx >= m.width || sy >= m.height)
                        continue;
                    best = std::max(best, m.v[std::size_t(sy) * m.width + sx] * w);
                }
            out.at(x, y) = best;
        }
    return out;
}

// ---------------------------------------------------------------- noise

std::uint32_t hash3(int x, int y, int seed)
{
    std::uint32_t h =
        std::uint32_t(x) * 0x8DA6B343u ^ std::uint32_t(y) * 0xD8163841u ^ std::uint32_t(seed) * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return h;
}

double random01(int x, int y, int seed)
{
    return (hash3(x, y, seed) & 0xFFFFFF) / double(0x1000000);
}

int wrap(int v, int period)
{
    return period > 0 ? ((v % period) + period) % period : v;
}

// Gradient noise in about -1..1; a period of 0 does not repeat.
double noise(double x, double y, int periodX, int periodY, int seed)
{
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    double fx = x - x0, fy = y - y0;
    auto grad = [&](int ix, int iy, double dx, double dy) {
        double a = random01(wrap(ix, periodX), wrap(iy, periodY), seed) * 2 * PI;
        return std::cos(a) * dx + std::sin(a) * dy;
    };
    auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    double n00 = grad(x0, y0, fx, fy), n10 = grad(x0 + 1, y0, fx - 1, fy);
    double n01 = grad(x0, y0 + 1, fx, fy - 1), n11 = grad(x0 + 1, y0 + 1, fx - 1, fy - 1);
    double u = fade(fx), v = fade(fy);
    return 1.41 * mix(mix(n00, n10, u), mix(n01, n11, u), v);
}

// Fractal sum over octaves, about -1..1; periods double with each octave.
double fbm(double x, double y, int octaves, int periodX, int periodY, int seed, double gain = 0.5)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise(x, y, periodX, periodY, seed + i * 17);
        total += amplitude;
        amplitude *= gain;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / total;
}

double ridged(double x, double y, int octaves, int periodX, int periodY, int seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        double n = 1 - std::fabs(noise(x, y, periodX, periodY, seed + i * 31));
        sum += amplitude * n * n;
        total += amplitude;
        amplitude *= 0.5;
        x *= 2;
        y *= 2;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / total;
}

// ---------------------------------------------------------------- shapes

struct Vec {
    double x, y;
};

double length(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

double circleSdf(Vec p, Vec c, double r)
{
    return length(p.x - c.x, p.y - c.y) - r;
}

double ellipseSdf(Vec p, Vec c, double rx, double ry)
{
    double k = length((p.x - c.x) / rx, (p.y - c.y) / ry);
    return (k - 1) * std::min(rx, ry);
}

double segmentSdf(Vec p, Vec a, Vec b, double r)
{
    double px = p.x - a.x, py = p.y - a.y, bx = b.x - a.x, by = b.y - a.y;
    double h = clamp01((px * bx + py * by) / (bx * bx + by * by));
    return length(px - bx * h, py - by * h) - r;
}

double boxSdf(Vec p, Vec c, double hw, double hh, double round = 0)
{
    double dx = std::fabs(p.x - c.x) - hw + round, dy = std::fabs(p.y - c.y) - hh + round;
    return length(std::max(dx, 0.0), std::max(dy, 0.0)) + std::min(std::max(dx, dy), 0.0) - round;
}

double polygonSdf(Vec p, const std::vector<Vec>& v)
{
    double d = (p.x - v[0].x) * (p.x - v[0].x) + (p.y - v[0].y) * (p.y - v[0].y);
    double s = 1;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i, ++i) {
        double ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
        double wx = p.x - v[i].x, wy = p.y - v[i].y;
        double h = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
        double bx = wx - ex * h, by = wy - ey * h;
        d = std::min(d, bx * bx + by * by);
        bool c1 = p.y >= v[i].y, c2 = p.y<v[j].y, c3 = ex * wy> ey * wx;
        if ((c1 && c2 && c3) || (!c1 && !c2 && !c3))
            s = -s;
    }
    return s * std::sqrt(d);
}

double coverage(double sdf)
{
    return clamp01(0.5 - sdf);
}

// Paints colour(x, y) wherever sdf(x, y) is inside, antialiased at the edge.
void fill(
    Picture& pic, const std::function<double(Vec)>& sdf, const std::function<Colour(Vec)>& colour, double opacity = 1)
{
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            Vec p{x + 0.5, y + 0.5};
            double a = coverage(sdf(p));
            if (a > 0)
                pic.blend(x, y, colour(p), a * opacity);
        }
}

void fill(Picture& pic, const std::function<double(Vec)>& sdf, Colour colour, double opacity = 1)
{
    fill(
        pic, sdf, [&](Vec) { return colour; }, opacity);
}

// Adds light that falls off with the distance outside a shape.
void glow(Picture& pic, const std::function<double(Vec)>& sdf, Colour colour, double reach)
{
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            double d = std::max(0.0, sdf({x + 0.5, y + 0.5}));
            pic.add(x, y, colour * std::exp(-d / reach));
        }
}

// ---------------------------------------------------------------- text

class Font {
public:
    Font()
    {
        if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, FONT_FILE, 0, &face) != 0) {
            std::fprintf(stderr, "make_art: cannot load the font %s\n", FONT_FILE);
            std::exit(1);
        }
    }
    ~Font()
    {
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }

    // Draws text into a mask, its ink box fitted and centred in the box
    // (left, top, width, height); tracking is extra space between letters in
    // em fractions.
    Mask text(int maskWidth, int maskHeight, const std::string& text, double left, double top, double boxWidth,
        double boxHeight, double tracking = 0)
    {
        int size = 100;
        Ink probe = render(text, size, tracking);
        double scale = std::min(boxWidth / probe.width, boxHeight / probe.height);
        size = std::max(4, int(size * scale));
        // Hinting can make the fitted size overshoot by a pixel or two.
        Ink ink = render(text, size, tracking);
        while (size > 4 && (ink.width > boxWidth || ink.height > boxHeight))
            ink = render(text, --size, tracking);
        Mask mask(maskWidth, maskHeight);
        int offsetX = int(std::lround(left + (boxWidth - ink.width) / 2));
        int offsetY = int(std::lround(top + (boxHeight - ink.height) / 2));
        for (int y = 0; y < ink.height; ++y)
            for (int x = 0; x < ink.width; ++x) {
                int mx = x + offsetX, my = y + offsetY;
                if (mx >= 0 && my >= 0 && mx < maskWidth && my < maskHeight)
                    mask.at(mx, my) = ink.coverage[std::size_t(y) * ink.width + x];
            }
        return mask;
    }

private:
    struct Ink {
        int width = 0, height = 0;
        std::vector<double> coverage;
    };

    Ink render(const std::string& text, int pixelSize, double tracking)
    {
        FT_Set_Pixel_Sizes(face, 0, pixelSize);
        struct Glyph {
            int x, y, w, h;
            std::vector<unsigned char> bits;
        };
        std::vector<Glyph> glyphs;
        long penX = 0;
        FT_UInt previous = 0;
        for (char c : text) {
            FT_UInt index = FT_Get_Char_Index(face, static_cast<unsigned char>(c));
            if (previous != 0 && FT_HAS_KERNING(face)) {
                FT_Vector kerning;
                FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kerning);
                penX += kerning.x;
            }
            FT_Load_Glyph(face, index, FT_LOAD_RENDER);
            FT_GlyphSlot slot = face->glyph;
            Glyph g{int(penX >> 6) + slot->bitmap_left, -slot->bitmap_top, int(slot->bitmap.width),
                int(slot->bitmap.rows), {}};
            for (int row = 0; row < g.h; ++row)
                for (int col = 0; col < g.w; ++col)
                    g.bits.push_back(slot->bitmap.buffer[row * slot->bitmap.pitch + col]);
            glyphs.push_back(std::move(g));
            penX += slot->advance.x + long(tracking * pixelSize * 64);
            previous = index;
        }
        int minX = 1 << 30, minY = 1 << 30, maxX = -(1 << 30), maxY = -(1 << 30);
        for (const Glyph& g : glyphs)
            if (g.w > 0 && g.h > 0) {
                minX = std::min(minX, g.x);
                minY = std::min(minY, g.y);
                maxX = std::max(maxX, g.x + g.w);
                maxY = std::max(maxY, g.y + g.h);
            }
        Ink ink;
        ink.width = maxX - minX;
        ink.height = maxY - minY;
        ink.coverage.assign(std::size_t(ink.width) * ink.height, 0.0);
        for (const Glyph& g : glyphs)
            for (int row = 0; row < g.h; ++row)
                for (int col = 0; col < g.w; ++col) {
                    double& c = ink.coverage[std::size_t(g.y - minY + row) * ink.width + g.x - minX + col];
                    c = std::max(c, g.bits[std::size_t(row) * g.w + col] / 255.0);
                }
        return ink;
    }

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

// How lettering is dressed: a shadow, a glow, an outline and a bevelled,
// vertically graded fill.
struct Lettering {
    Ramp fill;
    Colour outline = rgb(0x000000);
    double outlineWidth = 2;
    Colour glowColour = {};
    double glowRadius = 0;
    double shadowOffset = 2;
    double shadowOpacity = 0.7;
    double bevel = 0.5;
};

void letter(Picture& pic, const Mask& mask, const Lettering& style)
{
    int top = pic.height, bottom = 0;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x)
            if (mask.v[std::size_t(y) * pic.width + x] > 0.5) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    Mask outline = dilate(mask, style.outlineWidth);
    if (style.shadowOpacity > 0) {
        Mask shadow = blur(dilate(mask, style.outlineWidth + 1), std::max(1, int(style.outlineWidth)));
        int off = int(std::lround(style.shadowOffset));
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x)
                pic.blend(x, y, rgb(0x000000), shadow.get(x - off, y - off) * style.shadowOpacity);
    }
    if (style.glowRadius > 0) {
        Mask halo = blur(outline, int(style.glowRadius));
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x)
                pic.add(x, y, style.glowColour * (halo.at(x, y) * 1.6));
    }
    Mask height = blur(mask, std::max(1, int(style.outlineWidth * 0.75)));
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x) {
            pic.blend(x, y, style.outline, outline.at(x, y));
            double a = mask.get(x, y);
            if (a <= 0)
                continue;
            double t = bottom > top ? (y - top) / double(bottom - top) : 0.5;
            Colour c = style.fill.at(t);
            // Light from the upper left on the blurred letter shapes.
            double gx = height.get(x + 1, y) - height.get(x - 1, y);
            double gy = height.get(x, y + 1) - height.get(x, y - 1);
            double light = (-gx - gy) * 2.5;
            c = c * (1 + style.bevel * light) + Colour{1, 1, 1} * (style.bevel * 0.6 * std::max(0.0, light - 0.3));
            pic.blend(x, y, c, a);
        }
}

const Ramp GOLD{
    {{0.0, rgb(0xFFF4C0)}, {0.42, rgb(0xF2C14E)}, {0.5, rgb(0x9A5B12)}, {0.58, rgb(0xC78A26)}, {1.0, rgb(0xFFE08A)}}};
const Ramp STEEL{
    {{0.0, rgb(0xFFFFFF)}, {0.45, rgb(0xB8C8DA)}, {0.52, rgb(0x4D5D70)}, {0.6, rgb(0x8496AC)}, {1.0, rgb(0xDDE8F4)}}};
const Ramp EMBER{
    {{0.0, rgb(0xFFE0A0)}, {0.45, rgb(0xFF6A2A)}, {0.52, rgb(0x8A0C08)}, {0.6, rgb(0xC8241A)}, {1.0, rgb(0xFF8A50)}}};

// ---------------------------------------------------------------- BMP writing

void put16(std::vector<unsigned char>& b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<unsigned char>& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back((v >> (8 * i)) & 0xFF);
}

unsigned char toByte(double v)
{
    return static_cast<unsigned char>(std::lround(clamp01(v) * 255));
}

std::vector<unsigned char> headers(
    int width, int height, int bits, std::uint32_t compression, std::size_t paletteEntries, std::size_t pixelBytes)
{
    std::vector<unsigned char> b = {'B', 'M'};
    std::uint32_t offset = 14 + 40 + std::uint32_t(paletteEntries * 4);
    put32(b, offset + std::uint32_t(pixelBytes));
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, width);
    put32(b, height);
    put16(b, 1);
    put16(b, bits);
    put32(b, compression);
    put32(b, std::uint32_t(pixelBytes));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, std::uint32_t(paletteEntries));
    put32(b, 0);
    return b;
}

std::vector<unsigned char> encode24(const Picture& pic)
{
    const int stride = (pic.width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> pixels;
    for (int y = pic.height - 1; y >= 0; --y) {
        for (int x = 0; x < pic.width; ++x) {
            const Colour& c = pic.at(x, y);
            pixels.push_back(toByte(c.b));
            pixels.push_back(toByte(c.g));
            pixels.push_back(toByte(c.r));
        }
        pixels.resize(pixels.size() + stride - pic.width * 3, 0);
    }
    std::vector<unsigned char> file = headers(pic.width, pic.height, 24, 0, 0, pixels.size());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// Median cut over the picture's colours, then each pixel to its nearest entry.
struct Indexed {
    std::vector<std::array<unsigned char, 3>> palette;
    std::vector<unsigned char> indices;  // top row first
};

Indexed quantise(const Picture& pic, std::size_t colours = 256)
{
    std::map<std::uint32_t, std::uint32_t> histogram;
    std::vector<std::uint32_t> keys(pic.pixels.size());
    for (std::size_t i = 0; i < pic.pixels.size(); ++i) {
        const Colour& c = pic.pixels[i];
        keys[i] = (std::uint32_t(toByte(c.r)) << 16) | (std::uint32_t(toByte(c.g)) << 8) | toByte(c.b);
        ++histogram[keys[i]];
    }
    struct Entry {
        int c[3];
        std::uint32_t count;
    };
    std::vector<Entry> entries;
    for (auto [key, count] : histogram)
        entries.push_back({{int(key >> 16), int((key >> 8) & 0xFF), int(key & 0xFF)}, count});

    struct Box {
        std::size_t begin, end;
    };
    std::vector<Box> boxes{{0, entries.size()}};
    auto spread = [&](const Box& box, int& axis) {
        int best = -1;
        for (int a = 0; a < 3; ++a) {
            int lo = 255, hi = 0;
            for (std::size_t i = box.begin; i < box.end; ++i) {
                lo = std::min(lo, entries[i].c[a]);
                hi = std::max(hi, entries[i].c[a]);
            }
            if (hi - lo > best) {
                best = hi - lo;
                axis = a;
            }
        }
        return best;
    };
    while (boxes.size() < colours) {
        // Split the box whose widest side, weighted by its pixels, is largest.
        double bestScore = 0;
        std::size_t chosen = boxes.size();
        int chosenAxis = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].end - boxes[i].begin < 2)
                continue;
            int axis = 0;
            double pixels = 0;
            for (std::size_t k = boxes[i].begin; k < boxes[i].end; ++k)
                pixels += entries[k].count;
            double score = spread(boxes[i], axis) * std::sqrt(pixels);
            if (score > bestScore) {
                bestScore = score;
                chosen = i;
                chosenAxis = axis;
            }
        }
        if (chosen == boxes.size())
            break;
        Box box = boxes[chosen];
        std::stable_sort(entries.begin() + box.begin, entries.begin() + box.end,
            [&](const Entry& a, const Entry& b) { return a.c[chosenAxis] < b.c[chosenAxis]; });
        std::uint64_t total = 0, half = 0;
        for (std::size_t k = box.begin; k < box.end; ++k)
            total += entries[k].count;
        std::size_t split = box.begin + 1;
        for (std::size_t k = box.begin; k < box.end - 1; ++k) {
            half += entries[k].count;
            split = k + 1;
            if (half * 2 >= total)
                break;
        }
        boxes[chosen] = {box.begin, split};
        boxes.push_back({split, box.end});
    }

    Indexed out;
    for (const Box& box : boxes) {
        double sum[3] = {0, 0, 0}, weight = 0;
        for (std::size_t k = box.begin; k < box.end; ++k) {
            for (int a = 0; a < 3; ++a)
                sum[a] += double(entries[k].c[a]) * entries[k].count;
            weight += entries[k].count;
        }
        out.palette.push_back({(unsigned char)std::lround(sum[0] / weight), (unsigned char)std::lround(sum[1] / weight),
            (unsigned char)std::lround(sum[2] / weight)});
    }
    std::map<std::uint32_t, unsigned char> nearest;
    for (auto [key, count] : histogram) {
        int c[3] = {int(key >> 16), int((key >> 8) & 0xFF), int(key & 0xFF)};
        int best = 0, bestDistance = 1 << 30;
        for (std::size_t i = 0; i < out.palette.size(); ++i) {
            int d = 0;
            for (int a = 0; a < 3; ++a)
                d += (c[a] - out.palette[i][a]) * (c[a] - out.palette[i][a]);
            if (d < bestDistance) {
                bestDistance = d;
                best = int(i);
            }
        }
        nearest[key] = static_cast<unsigned char>(best);
    }
    for (std::uint32_t key : keys)
        out.indices.push_back(nearest[key]);
    return out;
}

std::vector<unsigned char> paletteBytes(const Indexed& image)
{
    std::vector<unsigned char> b;
    for (const auto& c : image.palette) {
        b.push_back(c[2]);
        b.push_back(c[1]);
        b.push_back(c[0]);
        b.push_back(0);
    }
    return b;
}

std::vector<unsigned char> encode8(const Picture& pic)
{
    Indexed image = quantise(pic);
    const int stride = (pic.width + 3) / 4 * 4;
    std::vector<unsigned char> pixels;
    for (int y = pic.height - 1; y >= 0; --y) {
        auto row = image.indices.begin() + std::ptrdiff_t(y) * pic.width;
        pixels.insert(pixels.end(), row, row + pic.width);
        pixels.resize(pixels.size() + stride - pic.width, 0);
    }
    std::vector<unsigned char> file = headers(pic.width, pic.height, 8, 0, image.palette.size(), pixels.size());
    std::vector<unsigned char> table = paletteBytes(image);
    file.insert(file.end(), table.begin(), table.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// Runs of two or more as count-value pairs, stretches of three or more
// differing pixels as absolute runs padded to 16 bits.
std::vector<unsigned char> encodeRle8(const Picture& pic)
{
    Indexed image = quantise(pic);
    std::vector<unsigned char> data;
    for (int y = pic.height - 1; y >= 0; --y) {
        const unsigned char* row = image.indices.data() + std::size_t(y) * pic.width;
        int x = 0;
        while (x < pic.width) {
            int run = 1;
            while (x + run < pic.width && run < 255 && row[x + run] == row[x])
                ++run;
            if (run >= 2) {
                data.push_back(static_cast<unsigned char>(run));
                data.push_back(row[x]);
                x += run;
                continue;
            }
            int literal = 1;
            while (x + literal < pic.width && literal < 255 &&
                !(x + literal + 1 < pic.width && row[x + literal] == row[x + literal + 1]))
                ++literal;
            if (literal < 3) {
                for (int i = 0; i < literal; ++i) {
                    data.push_back(1);
                    data.push_back(row[x + i]);
                }
            } else {
                data.push_back(0);
                data.push_back(static_cast<unsigned char>(literal));
                data.insert(data.end(), row + x, row + x + literal);
                if (literal & 1)
                    data.push_back(0);
            }
            x += literal;
        }
        data.push_back(0);
        data.push_back(y == 0 ? 1 : 0);
    }
    std::vector<unsigned char> file = headers(pic.width, pic.height, 8, 1, image.palette.size(), data.size());
    std::vector<unsigned char> table = paletteBytes(image);
    file.insert(file.end(), table.begin(), table.end());
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

enum class Encoding { TRUE_COLOUR, PALETTE, RLE8 };

std::string outputFolder = "graphics";

void save(const std::string& name, const Picture& pic, Encoding encoding)
{
    std::vector<unsigned char> bytes = encoding == Encoding::TRUE_COLOUR ? encode24(pic)
        : encoding == Encoding::PALETTE                                  ? encode8(pic)
                                                                         : encodeRle8(pic);
    std::string path = outputFolder + "/" + name + ".bmp";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        std::fprintf(stderr, "make_art: cannot write %s\n", path.c_str());
        std::exit(1);
    }
    std::fclose(file);
    std::printf("%-28s %4d x %-4d %7zu bytes\n", path.c_str(), pic.width, pic.height, bytes.size());
}

}  // namespace

namespace {

// ---------------------------------------------------------------- title

using Sdf = std::function<double(Vec)>;

Sdf unite(std::vector<Sdf> parts)
{
    return [parts](Vec p) {
        double d = 1e9;
        for (const Sdf& s : parts)
            d = std::min(d, s(p));
        return d;
    };
}

// A fighter's outline standing at feet, facing +1 (right) or -1 (left),
// about 100 pixels tall at scale 1.
Sdf darthFigure(Vec feet, double facing, double s)
{
    auto P = [=](double x, double y) { return Vec{feet.x + x * facing * s, feet.y - y * s}; };
    return unite({
        [=](Vec p) { return segmentSdf(p, P(-4, 50), P(-18, 2), 5 * s); },
        [=](Vec p) { return segmentSdf(p, P(4, 50), P(20, 2), 5 * s); },
        [=](Vec p) {
            return polygonSdf(p, {P(-9, 48), P(9, 48), P(15, 86), P(-13, 88)});
        },
        [=](Vec p) { return circleSdf(p, P(2, 99), 9.5 * s); },
        [=](Vec p) {
            return polygonSdf(p, {P(-6, 104), P(-3, 104), P(-7, 114)});
        },
        [=](Vec p) {
            return polygonSdf(p, {P(1, 107), P(4, 107), P(2, 117)});
        },
        [=](Vec p) {
            return polygonSdf(p, {P(7, 105), P(10, 103), P(13, 112)});
        },
        [=](Vec p) { return segmentSdf(p, P(10, 84), P(24, 68), 4 * s); },
        [=](Vec p) { return segmentSdf(p, P(24, 68), P(36, 72), 3.5 * s); },
        [=](Vec p) { return segmentSdf(p, P(-10, 84), P(-4, 62), 4 * s); },
        [=](Vec p) { return segmentSdf(p, P(-4, 62), P(30, 70), 3.5 * s); },
    });
}

Sdf jackFigure(Vec feet, double facing, double s)
{
    auto P = [=](double x, double y) { return Vec{feet.x + x * facing * s, feet.y - y * s}; };
    return unite({
        [=](Vec p) { return segmentSdf(p, P(-5, 46), P(-16, 2), 5.5 * s); },
        [=](Vec p) { return segmentSdf(p, P(5, 46), P(16, 2), 5.5 * s); },
        [=](Vec p) {
            return polygonSdf(p, {P(-8, 44), P(8, 44), P(15, 82), P(-15, 82)});
        },
        [=](Vec p) { return circleSdf(p, P(0, 97), 15 * s); },
        [=](Vec p) {
            return polygonSdf(p, {P(-9, 106), P(-15, 103), P(-21, 124)});
        },
        [=](Vec p) { return segmentSdf(p, P(12, 80), P(26, 62), 4.5 * s); },
        [=](Vec p) { return segmentSdf(p, P(26, 62), P(30, 74), 4 * s); },
        [=](Vec p) { return segmentSdf(p, P(-12, 80), P(-18, 58), 4.5 * s); },
        [=](Vec p) { return segmentSdf(p, P(-18, 58), P(-14, 44), 4 * s); },
    });
}

// A silhouette with light caught on the edge that faces the light.
void silhouette(Picture& pic, const Sdf& shape, Vec towardsLight, Colour rim)
{
    fill(pic, shape, rim);
    fill(
        pic,
        [&](Vec p) {
            return shape({p.x + towardsLight.x * 2.2, p.y + towardsLight.y * 2.2});
        },
        rgb(0x07040a));
}

void blade(Picture& pic, Vec a, Vec b, Colour colour, double reach)
{
    Sdf core = [=](Vec p) { return segmentSdf(p, a, b, 1.6); };
    glow(pic, core, colour * 0.55, reach);
    fill(
        pic, [=](Vec p) { return segmentSdf(p, a, b, 3.2); }, colour * 1.2 + Colour{0.2, 0.2, 0.2});
    fill(pic, core, rgb(0xFFF0F0));
}

Picture paintTitle(Font& font)
{
    const int W = 645, H = 513;
    const double horizon = H * 0.66;
    Picture pic(W, H);
    const Vec sun{W * 0.5, horizon - 22};
    const Ramp sky{{{0.0, rgb(0x0C0618)}, {0.3, rgb(0x2C0F3C)}, {0.58, rgb(0x7A1C3A)}, {0.82, rgb(0xD4482C)},
        {1.0, rgb(0xFFB04A)}}};
    pic.shade([&](double, double y, Colour) { return sky.at(y / horizon); });

    // Torn clouds, lit from below by the sun.
    pic.shade([&](double x, double y, Colour c) {
        if (y > horizon)
            return c;
        double n = fbm(x / 170.0, y / 38.0, 6, 0, 0, 11);
        double band = smoothstep(0.0, 0.25, y / horizon) * (1 - smoothstep(0.8, 1.0, y / horizon));
        double density = smoothstep(0.02, 0.42, n) * band;
        double near = std::exp(-length(x - sun.x, (y - sun.y) * 1.8) / 260.0);
        double under = clamp01(0.5 + 2.5 * (fbm(x / 170.0, (y - 6) / 38.0, 6, 0, 0, 11) - n));
        Colour body = mix(rgb(0x1E0A24), rgb(0x5A1A3A), y / horizon);
        Colour lit = mix(rgb(0xB03A3A), rgb(0xFFC070), near);
        return mix(c, mix(body, lit, clamp01(under * (0.4 + near))), density * 0.9);
    });

    glow(
        pic, [&](Vec p) { return circleSdf(p, sun, 40); }, rgb(0xFF7A30) * 0.55, 70);
    fill(
        pic, [&](Vec p) { return circleSdf(p, sun, 40); },
        [&](Vec p) { return mix(rgb(0xFFF6D0), rgb(0xFFB050), clamp01((p.y - sun.y + 40) / 80)); });

    // Far range, hazy; near cliffs, dark.
    pic.shade([&](double x, double y, Colour c) {
        double far = horizon - 18 - 70 * ridged(x / 150.0, 0.5, 5, 0, 0, 21);
        if (y > far)
            c = mix(c, mix(rgb(0x5A2440), rgb(0x2A1028), clamp01((y - far) / 90)), 0.85);
        double near =
            horizon + 6 - 95 * ridged(x / 210.0 + 3, 2.5, 5, 0, 0, 33) * smoothstep(0.0, 0.45, std::fabs(x / W - 0.5));
        if (y > near)
            c = mix(rgb(0x1A0A18), rgb(0x08040A), clamp01((y - near) / 120));
        return c;
    });

    // The arena on its rock, the two fighters on the arena.
    const Vec arena{W * 0.5, horizon + 52};
    const double rx = 215, ry = 24, depth = 13;
    std::vector<Vec> top, side;
    for (int k = 0; k < 8; ++k) {
        double a = (k + 0.5) * PI / 4;
        top.push_back({arena.x + rx * std::cos(a), arena.y + ry * std::sin(a)});
    }
    side = {top[7], top[0], top[1], top[2], top[3], top[4]};
    for (Vec v : {top[4], top[3], top[2], top[1], top[0], top[7]})
        side.push_back({v.x, v.y + depth});
    std::vector<Vec> spire = {{arena.x - rx * 0.92, arena.y + 10}, {arena.x + rx * 0.92, arena.y + 10},
        {arena.x + 60, H + 10.0}, {arena.x - 60, H + 10.0}};
    fill(
        pic, [&](Vec p) { return polygonSdf(p, spire) + 8 * fbm(p.x / 30, p.y / 30, 3, 0, 0, 5); },
        [&](Vec p) {
            double n = ridged(p.x / 40, p.y / 25, 4, 0, 0, 9);
            return mix(rgb(0x0C060C), rgb(0x3A1A22), n * clamp01(1 - (p.y - arena.y) / 200));
        });
    fill(
        pic, [&](Vec p) { return polygonSdf(p, side); },
        [&](Vec p) { return mix(rgb(0x6A3A3A), rgb(0x2A1418), clamp01((p.y - arena.y) / 30)); });
    fill(
        pic, [&](Vec p) { return polygonSdf(p, top); },
        [&](Vec p) {
            double vein = std::fabs(std::sin(p.x / 18 + 4 * fbm(p.x / 60, p.y / 12, 4, 0, 0, 3)));
            Colour marble = mix(rgb(0xE8B8A0), rgb(0xA06A70), clamp01((p.y - arena.y + ry) / (2 * ry)));
            return mix(marble, rgb(0x5A3040), (1 - smoothstep(0.0, 0.15, vein)) * 0.5);
        });

    const double figureScale = 1.15;
    Vec darthFeet{arena.x - 92, arena.y + 2}, jackFeet{arena.x + 92, arena.y + 2};
    silhouette(pic, darthFigure(darthFeet, 1, figureScale), {-1, 0.3}, rgb(0xFF9A50));
    silhouette(pic, jackFigure(jackFeet, -1, figureScale), {1, 0.3}, rgb(0xFF9A50));
    auto at = [&](Vec feet, double facing, double x, double y) {
        return Vec{feet.x + x * facing * figureScale, feet.y - y * figureScale};
    };
    Vec hand = at(darthFeet, 1, 33, 71);
    blade(pic, {hand.x - 40, hand.y + 34}, {hand.x + 44, hand.y - 38}, rgb(0xFF1A10), 9);
    Vec knife = at(jackFeet, -1, 30, 74);
    blade(pic, knife, {knife.x - 8, knife.y - 30}, rgb(0xA0C8FF), 5);

    // Sparks rising off the fight.
    for (int i = 0; i < 70; ++i) {
        double x = W * (0.15 + 0.7 * random01(i, 1, 77)), y = horizon - 40 + random01(i, 2, 77) * (H - horizon + 40);
        double r = 0.6 + 1.6 * random01(i, 3, 77);
        Colour c = mix(rgb(0xFF5A10), rgb(0xFFD080), random01(i, 4, 77));
        glow(
            pic,
            [&](Vec p) {
                return circleSdf(p, {x, y}, r);
            },
            c * 0.25, r * 2.5);
        fill(
            pic,
            [&](Vec p) {
                return circleSdf(p, {x, y}, r);
            },
            c);
    }

    pic.shade([&](double x, double y, Colour c) {
        double r = length(x / W - 0.5, y / H - 0.45);
        return c * (1 - 0.9 * r * r);
    });

    Lettering title;
    title.fill = GOLD;
    title.outline = rgb(0x1A0800);
    title.outlineWidth = 4;
    title.glowColour = rgb(0xFF6A1A) * 0.5;
    title.glowRadius = 9;
    title.shadowOffset = 5;
    title.shadowOpacity = 0.8;
    title.bevel = 0.6;
    letter(pic, font.text(W, H, "ZANDREL", 28, 34, W - 56, 118, 0.05), title);

    Lettering prompt;
    prompt.fill = {{{0.0, rgb(0xFFFFFF)}, {1.0, rgb(0xF0C890)}}};
    prompt.outlineWidth = 2;
    prompt.shadowOffset = 2;
    prompt.bevel = 0.2;
    letter(pic, font.text(W, H, "CLICK TO BEGIN", W / 2.0 - 120, H - 50, 240, 22, 0.12), prompt);
    return pic;
}

// ---------------------------------------------------------------- door

// One half of the door; its right edge meets the other half, which shows it mirrored.
Picture paintDoor()
{
    const int W = 267, H = 391;
    Picture pic(W, H);
    pic.shade([&](double x, double y, Colour) {
        double brushed = fbm(x / 90.0, y / 1.3, 4, 0, 0, 41);
        double grime = fbm(x / 40.0, y / 40.0, 5, 0, 0, 43);
        Colour steel = mix(rgb(0x4A5058), rgb(0x30343A), y / H);
        return steel * (0.92 + 0.12 * brushed) * (0.85 + 0.2 * grime);
    });

    auto bevelBox = [&](double left, double top, double right, double bottom, double edge, bool raised, Colour face) {
        for (int y = int(top); y < int(bottom); ++y)
            for (int x = int(left); x < int(right); ++x) {
                double dl = x - left, dt = y - top, dr = right - 1 - x, db = bottom - 1 - y;
                double d = std::min({dl, dt, dr, db});
                Colour c = pic.at(x, y) * 0.35 + face * 0.65;
                if (d < edge) {
                    bool litSide = (dl <= d + 0.01 || dt <= d + 0.01);
                    double k = (litSide == raised) ? 1.45 : 0.5;
                    c = c * k;
                }
                pic.at(x, y) = c;
            }
    };
    bevelBox(0, 0, W, H, 9, true, rgb(0x50565E));
    bevelBox(22, 22, W - 6, H * 0.2, 5, false, rgb(0x2E3238));
    bevelBox(22, H * 0.3, W - 6, H * 0.7, 5, false, rgb(0x2E3238));
    bevelBox(22, H * 0.8, W - 6, H - 22, 5, false, rgb(0x2E3238));

    auto rivet = [&](Vec c) {
        fill(
            pic,
            [&](Vec p) {
                return circleSdf(p, {c.x + 1.5, c.y + 2}, 5);
            },
            rgb(0x101214), 0.6);
        fill(
            pic, [&](Vec p) { return circleSdf(p, c, 4.5); },
            [&](Vec p) {
                double l = clamp01(0.5 - ((p.x - c.x) + (p.y - c.y)) / 9);
                return mix(rgb(0x2A2E34), rgb(0xC8D0D8), l * l);
            });
    };
    for (double bandY : {H * 0.25, H * 0.75}) {
        bevelBox(0, bandY - 16, W, bandY + 16, 4, true, rgb(0x3A3E44));
        for (double x = 16; x < W - 8; x += 25)
            rivet({x, bandY});
    }
    for (double y = 20; y < H - 10; y += 24) {
        rivet({11, y});
    }

    // Rust running down from the bands.
    pic.shade([&](double x, double y, Colour c) {
        double streak = smoothstep(0.35, 0.8, fbm(x / 6.0, y / 140.0, 4, 0, 0, 51));
        double below = std::max(smoothstep(H * 0.25 + 14, H * 0.25 + 20, y) * (1 - smoothstep(H * 0.3, H * 0.62, y)),
            smoothstep(H * 0.75 + 14, H * 0.75 + 20, y) * (1 - smoothstep(H * 0.8, H, y)));
        return mix(c, rgb(0x5A3418), streak * below * 0.55);
    });

    // Half of the seal; the other door half completes it.
    const Vec centre{double(W), H * 0.5};
    fill(
        pic,
        [&](Vec p) {
            return circleSdf(p, {centre.x + 3, centre.y + 4}, 96);
        },
        rgb(0x000000), 0.5);
    fill(
        pic, [&](Vec p) { return circleSdf(p, centre, 94); },
        [&](Vec p) {
            double l = clamp01(0.5 - ((p.x - centre.x) + (p.y - centre.y)) / 190);
            return mix(rgb(0x5A3A14), rgb(0xE8B85A), l);
        });
    fill(
        pic, [&](Vec p) { return circleSdf(p, centre, 80); },
        [&](Vec p) { return mix(rgb(0x2A0C08), rgb(0x140604), length(p.x - centre.x, p.y - centre.y) / 80); });
    std::vector<Vec> star;
    for (int k = 0; k < 16; ++k) {
        double a = k * PI / 8 - PI / 2;
        double r = (k % 2 == 0) ? 72 : 28;
        star.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
    }
    fill(
        pic, [&](Vec p) { return polygonSdf(p, star); },
        [&](Vec p) {
            double a = std::atan2(p.y - centre.y, p.x - centre.x);
            double facet = 0.5 + 0.5 * std::sin(a * 8 + 0.6);
            return mix(rgb(0x8A5A18), rgb(0xFFD878), facet);
        });
    fill(
        pic, [&](Vec p) { return circleSdf(p, centre, 14); },
        [&](Vec p) { return mix(rgb(0xFFE8A0), rgb(0x7A4A10), clamp01((p.y - centre.y + 14) / 28)); });
    for (int k = 0; k < 12; ++k) {
        double a = PI / 2 + (k + 0.5) * PI / 12;
        rivet({centre.x + 87 * std::cos(a), centre.y + 87 * std::sin(a)});
    }
    // The seam.
    for (int y = 0; y < H; ++y)
        for (int x = W - 3; x < W; ++x)
            pic.at(x, y) = pic.at(x, y) * 0.3;
    return pic;
}

// ---------------------------------------------------------------- arena and sky

// Veined marble slabs; tiles seamlessly, with a joint round the edge.
Picture paintMarble()
{
    const int S = 256;
    Picture pic(S, S);
    pic.shade([&](double x, double y, Colour) {
        double u = x / S, v = y / S;
        double warp = fbm(u * 2, v * 2, 6, 2, 2, 61, 0.6);
        double vein = std::fabs(std::sin(2 * PI * (2 * u + 3 * v) + warp * 4.5));
        double fine = std::fabs(std::sin(2 * PI * (3 * u - v) + fbm(u * 5, v * 5, 4, 5, 5, 63) * 7));
        double cloud = fbm(u * 4, v * 4, 5, 4, 4, 65);
        Colour c = mix(rgb(0xF2ECE2), rgb(0xC8BFB2), clamp01(0.5 + 0.8 * cloud));
        c = mix(c, rgb(0x9AA29C), (1 - smoothstep(0.0, 0.35, vein)) * 0.45);
        c = mix(c, rgb(0x46524E), (1 - smoothstep(0.0, 0.07, vein)) * 0.8);
        c = mix(c, rgb(0x8E948E), (1 - smoothstep(0.0, 0.05, fine)) * 0.35);
        double edge = std::min({x, y, S - x, S - y});
        if (edge < 2)
            c = rgb(0x6E665C);
        else if (edge < 3.5)
            c = c * 0.85;
        return c;
    });
    return pic;
}

// Rough rock for the underside of the arena; repeats from side to side.
Picture paintRock()
{
    const int S = 256;
    Picture pic(S, S);
    Mask height(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            double u = double(x) / S, v = double(y) / S;
            height.at(x, y) = ridged(u * 5, v * 5, 6, 5, 5, 71) + 0.3 * fbm(u * 16, v * 16, 3, 16, 16, 73);
        }
    pic.shade([&](double fx, double fy, Colour) {
        int x = int(fx), y = int(fy);
        double h = height.at(x, y);
        double gx = height.get((x + 1) % S, y) - height.get((x + S - 1) % S, y);
        double gy = height.get(x, (y + 1) % S) - height.get(x, (y + S - 1) % S);
        double light = clamp01(0.65 - 4 * (gx + gy));
        double strata = 0.5 + 0.5 * std::sin(2 * PI * (fy / S * 7 + 0.4 * fbm(fx / S * 3, fy / S * 3, 3, 3, 3, 75)));
        Colour c = mix(rgb(0x3A322C), rgb(0x8A7A68), clamp01(h * 1.1 - 0.1));
        c = mix(c, rgb(0x6A5040), strata * 0.25);
        double crack = smoothstep(0.93, 0.99, ridged(fx / S * 6, fy / S * 6, 2, 6, 6, 77));
        c = c * (0.55 + 0.8 * light);
        return mix(c, rgb(0x120E0C), crack * 0.8);
    });
    return pic;
}

// The sky panorama: its top row is the zenith, its middle the horizon, and it
// repeats round the sphere. It is wide enough that a texel stays within about
// two screen pixels in a bout, and the mountain silhouettes are drawn with
// their coverage of each pixel, since the game filters it nearest-texel.
Picture paintSky()
{
    const int W = 2048, H = 1024;
    const int SUBCOLUMNS = 8;
    const double pixelE = 2.0 / H;
    const double foot = -0.02;
    Picture pic(W, H);
    const Ramp sky{{{-1.0, rgb(0x0A0C18)}, {-0.3, rgb(0x24283C)}, {-0.04, rgb(0x8A7A8A)}, {0.0, rgb(0xF4B88A)},
        {0.07, rgb(0xE89A8A)}, {0.22, rgb(0x8A8EC0)}, {0.55, rgb(0x3A56A8)}, {1.0, rgb(0x16296A)}}};
    const double sunU = 0.3, sunE = 0.1;
    // Two ranges of mountains on the horizon; their tops depend on u alone, so
    // each column's silhouettes are sampled once, at several points across it.
    auto farRange = [&](double at) { return 0.015 + 0.42 * std::max(0.0, ridged(at * 6, 0.5, 5, 6, 0, 83) - 0.3); };
    auto nearRange = [&](double at) { return 0.005 + 0.08 * ridged(at * 11 + 0.3, 1.5, 5, 11, 0, 87); };
    std::vector<double> farTops(std::size_t(W) * SUBCOLUMNS), nearTops(farTops.size());
    for (std::size_t i = 0; i < farTops.size(); ++i) {
        double at = (i + 0.5) / (double(W) * SUBCOLUMNS);
        farTops[i] = farRange(at);
        nearTops[i] = nearRange(at);
    }
    // How much of the pixel between eBottom and eTop a range covers.
    auto rangeCoverage = [&](const std::vector<double>& tops, int column, double eBottom, double eTop) {
        double sum = 0;
        for (int k = 0; k < SUBCOLUMNS; ++k) {
            double top = tops[std::size_t(column) * SUBCOLUMNS + k];
            sum += std::max(0.0, std::min(top, eTop) - std::max(foot, eBottom));
        }
        return sum / (SUBCOLUMNS * pixelE);
    };
    pic.shade([&](double x, double y, Colour) {
        double u = x / W, e = 1 - 2 * y / H;
        int column = int(x);
        double eTop = e + pixelE / 2, eBottom = e - pixelE / 2;
        Colour c = sky.at(e);
        double du = std::fabs(u - sunU);
        du = std::min(du, 1 - du) * 2 * PI * std::cos(sunE * PI / 2);
        double sunDistance = length(du, (e - sunE) * PI / 2);
        if (e > -0.05) {
            c = c + rgb(0xFFB070) * (0.7 * std::exp(-sunDistance / 0.35));
            c = mix(c, rgb(0xFFF8E0), coverage((sunDistance - 0.045) * W / (2 * PI)));
        }
        // Clouds, thinning towards the zenith where the sphere pinches them.
        if (e > 0) {
            double n = fbm(u * 6, e * 5, 6, 6, 0, 81);
            double density = smoothstep(-0.05, 0.4, n) * smoothstep(0.03, 0.15, e) * (1 - smoothstep(0.45, 0.8, e));
            double shadow = clamp01(0.45 + 3 * (fbm(u * 6, (e - 0.025) * 5, 6, 6, 0, 81) - n));
            Colour lit = mix(rgb(0xFFFFFF), rgb(0xFFB890), std::exp(-sunDistance / 0.7));
            Colour cloud = mix(lit, rgb(0x5A5A84), shadow * 0.85);
            c = mix(c, cloud, density * 0.92);
        }
        // A sea of cloud below the horizon.
        if (eBottom < foot) {
            double n = fbm(u * 12, e * 20, 5, 12, 0, 89);
            double tops = smoothstep(-0.1, 0.4, n) * (1 - smoothstep(-0.6, -0.1, -e - 0.5));
            Colour sea = mix(c, mix(rgb(0x9A8AA0), rgb(0x4A4460), clamp01(-e * 2)), tops * 0.7);
            c = mix(c, sea, clamp01((foot - eBottom) / pixelE));
        }
        double farCover = rangeCoverage(farTops, column, eBottom, eTop);
        if (farCover > 0) {
            // The slope that falls towards the sun catches its light.
            auto broad = [&](double at) { return ridged(at * 6, 0.5, 3, 6, 0, 83); };
            double towardsSun = std::sin(2 * PI * (sunU - u)) > 0 ? 1 : -1;
            double fall = (broad(u) - broad(u + towardsSun * 0.004)) * 25;
            double crag = ridged(u * 48, e * 30, 3, 48, 0, 84);
            double light = clamp01(0.5 + fall) * (0.75 + 0.35 * crag);
            Colour rock = mix(rgb(0x8A84A8), rgb(0x3E3C5C), 0.6 - 0.4 * light);
            double snowLine = 0.15 + 0.03 * fbm(u * 40, e * 30, 3, 40, 0, 85);
            Colour snow = mix(rgb(0xA8A4C8), rgb(0xFFFCFF), light);
            rock = mix(rock, snow, clamp01((e - snowLine) / pixelE + 0.5));
            // Haze at the foot of the range.
            rock = mix(rock, rgb(0xD8A8A8), 0.55 * (1 - smoothstep(0.0, 0.08, e)));
            c = mix(c, rock, std::min(1.0, farCover));
        }
        double nearCover = rangeCoverage(nearTops, column, eBottom, eTop);
        if (nearCover > 0) {
            double nearTop = nearRange(u);
            c = mix(c, mix(rgb(0x3E3650), rgb(0x241E30), clamp01((nearTop - e) / 0.05)), std::min(1.0, nearCover));
        }
        return c;
    });
    return pic;
}

// ---------------------------------------------------------------- faces

// A lit ball: light from the upper left, with a highlight.
Colour ballShade(Vec p, Vec centre, double radius, Colour base, double shine = 0.6)
{
    double nx = (p.x - centre.x) / radius, ny = (p.y - centre.y) / radius;
    double nz = std::sqrt(std::max(0.0, 1 - nx * nx - ny * ny));
    double diffuse = clamp01(-0.45 * nx - 0.55 * ny + 0.7 * nz);
    double specular = std::pow(clamp01(-0.3 * nx - 0.4 * ny + 0.87 * nz), 30) * shine;
    return base * (0.3 + 0.8 * diffuse) + Colour{1, 1, 1} * specular;
}

Picture paintDarthFace()
{
    const int S = 256;
    Picture pic(S, S);
    const Vec c{128, 140};
    pic.shade([&](double x, double y, Colour) {
        double r = length(x - c.x, y - c.y) / 180;
        return mix(rgb(0x4A0806), rgb(0x080000), clamp01(r));
    });
    glow(
        pic, [&](Vec p) { return ellipseSdf(p, c, 70, 90); }, rgb(0xFF2010) * 0.25, 18);

    // Horns round the crown.
    for (int k = 0; k < 7; ++k) {
        double a = -PI / 2 + (k - 3) * 0.36;
        Vec base{c.x + 66 * std::cos(a), c.y + 84 * std::sin(a)};
        Vec dir{std::cos(a), std::sin(a)};
        double len = (k == 3) ? 30 : 24 - std::abs(k - 3) * 2;
        Vec tip{base.x + dir.x * len, base.y + dir.y * len};
        Vec side{-dir.y * 8, dir.x * 8};
        std::vector<Vec> horn = {{base.x + side.x - dir.x * 6, base.y + side.y - dir.y * 6},
            {base.x - side.x - dir.x * 6, base.y - side.y - dir.y * 6}, tip};
        fill(
            pic, [&](Vec p) { return polygonSdf(p, horn); },
            [&](Vec p) {
                double along = clamp01(((p.x - base.x) * dir.x + (p.y - base.y) * dir.y) / len);
                double across = ((p.x - base.x) * side.x + (p.y - base.y) * side.y) / 64;
                return mix(rgb(0xF0D878), rgb(0x8A6A20), clamp01(0.5 + across + 0.4 * along));
            });
    }

    const Sdf head = [&](Vec p) { return ellipseSdf(p, c, 70, 90); };
    fill(pic, head, [&](Vec p) { return ballShade(p, c, 92, rgb(0xC41A16), 0.35); });

    // The black of the tattoo, then the red left showing through it.
    auto ink = [&](const Sdf& shape) {
        fill(
            pic, [&](Vec p) { return std::max(shape(p), head(p)); },
            [&](Vec p) { return ballShade(p, c, 92, rgb(0x120808), 0.5); });
    };
    auto red = [&](const Sdf& shape) {
        fill(
            pic, [&](Vec p) { return std::max(shape(p), head(p)); },
            [&](Vec p) { return ballShade(p, c, 92, rgb(0xC41A16), 0.35); });
    };
    ink([&](Vec p) { return p.y - 104; });
    red([&](Vec p) { return polygonSdf(p, {{120, 50}, {136, 50}, {131, 104}, {125, 104}}); });
    red([&](Vec p) { return polygonSdf(p, {{84, 70}, {98, 62}, {110, 100}, {104, 104}}); });
    red([&](Vec p) { return polygonSdf(p, {{172, 70}, {158, 62}, {146, 100}, {152, 104}}); });
    ink([&](Vec p) { return std::min(ellipseSdf(p, {96, 128}, 32, 20), ellipseSdf(p, {160, 128}, 32, 20)); });
    ink([&](Vec p) { return boxSdf(p, {128, 150}, 8, 30, 4); });
    ink([&](Vec p) { return ellipseSdf(p, {128, 200}, 40, 26); });
    ink([&](Vec p) {
        return std::min(segmentSdf(p, {82, 140}, {92, 176}, 3), segmentSdf(p, {174, 140}, {164, 176}, 3));
    });
    red([&](Vec p) { return std::min(boxSdf(p, {117, 220}, 2.5, 9), boxSdf(p, {139, 220}, 2.5, 9)); });
    fill(
        pic,
        [&](Vec p) {
            return boxSdf(p, {128, 193}, 18, 1.5, 1.5);
        },
        rgb(0x6A1008));

    // Yellow eyes with dark slit pupils.
    for (double ex : {100.0, 156.0}) {
        Vec e{ex, 130};
        double tilt = ex < 128 ? 0.18 : -0.18;
        Sdf eye = [=](Vec p) {
            double dx = p.x - e.x, dy = p.y - e.y;
            double rx = dx * std::cos(tilt) - dy * std::sin(tilt), ry = dx * std::sin(tilt) + dy * std::cos(tilt);
            return ellipseSdf({rx, ry}, {0, 0}, 15, 7);
        };
        glow(pic, eye, rgb(0xFFC000) * 0.25, 6);
        fill(pic, eye,
            [&](Vec p) { return mix(rgb(0xFFF070), rgb(0xE08A00), clamp01(length(p.x - e.x, p.y - e.y) / 14)); });
        fill(
            pic, [&](Vec p) { return ellipseSdf(p, e, 2.5, 6); }, rgb(0x100000));
    }
    return pic;
}

Picture paintJackFace()
{
    const int S = 256;
    Picture pic(S, S);
    const Vec c{122, 150};
    const double unit = 40;  // pixels per unit of the model's head
    pic.shade([&](double x, double y, Colour) {
        double r = length(x - 128, y - 128) / 180;
        return mix(rgb(0x3A6AB0), rgb(0x081428), clamp01(r));
    });

    // The horn with its collar, on the upper right.
    const Vec hornBase{c.x + 1.45 * unit, c.y - 1.8 * unit};
    const Vec dir{0.62, -0.78}, side{0.78, 0.62};
    const Vec hornTip{hornBase.x + dir.x * 2 * unit, hornBase.y + dir.y * 2 * unit};
    auto goldShade = [&](Vec p, Vec base, Vec across, double width) {
        double t = ((p.x - base.x) * across.x + (p.y - base.y) * across.y) / width;
        return mix(rgb(0xFFF2A0), rgb(0xB08A00), clamp01(0.5 + 0.5 * t));
    };
    fill(
        pic,
        [&](Vec p) {
            return polygonSdf(p,
                {{hornBase.x - side.x * 20, hornBase.y - side.y * 20},
                    {hornBase.x + side.x * 20, hornBase.y + side.y * 20}, hornTip});
        },
        [&](Vec p) { return goldShade(p, hornBase, side, 20); });

    const Sdf head = [&](Vec p) { return circleSdf(p, c, 2 * unit); };
    fill(pic, head, [&](Vec p) { return ballShade(p, c, 2 * unit, rgb(0xF0F0F4), 0.5); });

    fill(
        pic,
        [&](Vec p) {
            double dx = p.x - hornBase.x, dy = p.y - hornBase.y;
            double a = dx * side.x + dy * side.y, b = dx * dir.x + dy * dir.y;
            return ellipseSdf({a, b}, {0, 0}, 0.85 * unit, 7);
        },
        [&](Vec p) { return goldShade(p, hornBase, side, 34); });

    // The red ring of the mouth: only its lower part stands out of the head.
    const Vec ring{c.x, c.y - 0.1 * unit};
    const double rx = 1.3 * unit, ry = 1.3 * unit * 0.866;
    Sdf mouth = [&](Vec p) {
        double d = std::fabs(ellipseSdf(p, ring, rx, ry)) - 5;
        double visible = (p.y - (ring.y + 6)) * 0.6;
        return std::max(d, -visible);
    };
    fill(
        pic,
        [&](Vec p) {
            return mouth({p.x + 1, p.y - 3});
        },
        rgb(0x606068), 0.5);
    fill(pic, mouth, [&](Vec p) {
        double inner = std::fabs(ellipseSdf(p, ring, rx, ry));
        return mix(rgb(0xFF6A5A), rgb(0xA00000), clamp01(inner / 5 + 0.3 * (ellipseSdf(p, ring, rx, ry) > 0)));
    });

    for (double side : {-1.0, 1.0}) {
        Vec e{c.x + side * 0.75 * unit, c.y - 0.6 * unit};
        fill(
            pic,
            [&](Vec p) {
                return circleSdf(p, {e.x + 2, e.y + 4}, 0.4 * unit);
            },
            rgb(0x8A8A94), 0.6);
        fill(
            pic, [&](Vec p) { return circleSdf(p, e, 0.4 * unit); },
            [&](Vec p) { return ballShade(p, e, 0.4 * unit, rgb(0x1838FF), 0.9); });
    }
    fill(
        pic,
        [&](Vec p) {
            return circleSdf(p, {c.x + 3, c.y + 6}, 0.3 * unit);
        },
        rgb(0x8A8A94), 0.6);
    fill(
        pic, [&](Vec p) { return circleSdf(p, c, 0.3 * unit); },
        [&](Vec p) { return ballShade(p, c, 0.3 * unit, rgb(0x2040F0), 0.8); });
    return pic;
}

// ---------------------------------------------------------------- labels and digits

Picture paintLabel(Font& font, const std::string& text, int W, int H, const Ramp& ramp, Colour accent)
{
    Picture pic(W, H);
    pic.shade([&](double, double y, Colour) { return mix(rgb(0x22222C), rgb(0x050508), y / H); });
    const double border = std::max(2.0, H / 24.0);
    fill(
        pic,
        [&](Vec p) {
            return std::fabs(boxSdf(p, {W / 2.0, H / 2.0}, W / 2.0 - border, H / 2.0 - border, border * 2)) -
                border / 2;
        },
        [&](Vec p) { return mix(accent * 1.3, accent * 0.5, p.y / H); });
    Lettering style;
    style.fill = ramp;
    style.outlineWidth = std::max(1.5, H / 28.0);
    style.glowColour = accent * 0.35;
    style.glowRadius = std::max(2.0, H / 18.0);
    style.shadowOffset = std::max(1.0, H / 40.0);
    style.bevel = 0.5;
    double padX = W * 0.08, padY = H * 0.18;
    letter(pic, font.text(W, H, text, padX, padY, W - 2 * padX, H - 2 * padY, 0.08), style);
    return pic;
}

// Light digits on a dark ground: the clock tints them grey.
Picture paintDigit(Font& font, int digit)
{
    const int S = 63;
    Picture pic(S, S);
    pic.shade([&](double x, double y, Colour) {
        return mix(rgb(0x202024), rgb(0x060608), clamp01(length(x - S / 2.0, y - S / 2.0) / (S * 0.75)));
    });
    Lettering style;
    style.fill = {{{0.0, rgb(0xFFFFFF)}, {0.5, rgb(0xF0F0F0)}, {1.0, rgb(0xB8B8C0)}}};
    style.outlineWidth = 2;
    style.shadowOffset = 2;
    style.bevel = 0.35;
    letter(pic, font.text(S, S, std::to_string(digit), 9, 5, S - 18, S - 10), style);
    return pic;
}

// ---------------------------------------------------------------- model textures

// Darth's face tube: the front of the head is the middle of the picture.
Picture paintMaulFace()
{
    const int W = 370, H = 100;
    const double mid = W / 2.0;
    Picture pic(W, H);
    const Colour skin = rgb(0xD01C14), ink = rgb(0x0E0606);
    pic.shade([&](double x, double y, Colour) {
        return skin * (0.9 + 0.15 * fbm(x / 20.0, y / 20.0, 4, int(W / 20.0 + 0.5), 0, 91));
    });
    auto paint = [&](const Sdf& shape, Colour colour) { fill(pic, shape, colour); };
    // Back of the head: black with red streaks sweeping back.
    paint([&](Vec p) { return 92 - std::fabs(p.x - mid); }, ink);
    for (int k = 0; k < 6; ++k) {
        double x0 = (k < 3) ? 20 + k * 22 : W - 20 - (k - 3) * 22;
        paint([&](Vec p) { return segmentSdf(p, {x0, -4}, {x0 + ((k < 3) ? 10 : -10), 70}, 4); }, skin * 0.9);
    }
    // Front: black brow with three red wedges, black round the eyes, nose and chin.
    paint([&](Vec p) { return p.y - 28; }, ink);
    paint([&](Vec p) { return polygonSdf(p, {{mid - 9, -2}, {mid + 9, -2}, {mid + 3, 30}, {mid - 3, 30}}); }, skin);
    paint([&](Vec p) { return polygonSdf(p, {{mid - 52, -2}, {mid - 36, -2}, {mid - 20, 30}, {mid - 26, 30}}); }, skin);
    paint([&](Vec p) { return polygonSdf(p, {{mid + 52, -2}, {mid + 36, -2}, {mid + 20, 30}, {mid + 26, 30}}); }, skin);
    paint(
        [&](Vec p) {
            return std::min(ellipseSdf(p, {mid - 24, 42}, 22, 13), ellipseSdf(p, {mid + 24, 42}, 22, 13));
        },
        ink);
    paint([&](Vec p) { return boxSdf(p, {mid, 58}, 6, 20, 3); }, ink);
    paint([&](Vec p) { return ellipseSdf(p, {mid, 100}, 36, 22); }, ink);
    paint(
        [&](Vec p) {
            return std::min(
                segmentSdf(p, {mid - 50, 44}, {mid - 42, 90}, 3), segmentSdf(p, {mid + 50, 44}, {mid + 42, 90}, 3));
        },
        ink);
    paint(
        [&](Vec p) {
            return std::min(boxSdf(p, {mid - 10, 96}, 2.5, 10), boxSdf(p, {mid + 10, 96}, 2.5, 10));
        },
        skin);
    for (double side : {-1.0, 1.0}) {
        Vec e{mid + side * 24, 42};
        paint([&](Vec p) { return ellipseSdf(p, e, 10, 5); }, rgb(0xFFD21A));
        paint([&](Vec p) { return ellipseSdf(p, e, 2, 4.5); }, rgb(0x200000));
    }
    return pic;
}

// Darth's crown: red streaks running up to the top of the head.
Picture paintMaulTop()
{
    const int W = 256, H = 128;
    Picture pic(W, H);
    const Colour skin = rgb(0xD01C14), ink = rgb(0x0E0606);
    pic.shade([&](double x, double y, Colour) {
        Colour base = y > H / 2.0 ? skin : ink;
        return base * (0.9 + 0.15 * fbm(x / 16.0, y / 16.0, 4, 16, 0, 93));
    });
    const double offsets[] = {0, -26, 26, -70, 70, 128};
    for (double dx : offsets) {
        double x0 = W / 2.0 + dx;
        double width = (dx == 0) ? 7 : 5;
        fill(
            pic,
            [&](Vec p) {
                double taper = width * clamp01((p.y - 6) / 58);
                double d = std::fabs(p.x - x0);
                d = std::min(d, W - d);
                return std::max(d - taper, p.y - 64);
            },
            skin);
    }
    return pic;
}

// Darth's chin: black, with two red lines at the front.
Picture paintMaulBottom()
{
    const int W = 256, H = 128;
    Picture pic(W, H);
    const Colour skin = rgb(0xD01C14), ink = rgb(0x0E0606);
    pic.shade([&](double x, double y, Colour) {
        Colour base = y < 80 ? skin : ink;
        return base * (0.9 + 0.15 * fbm(x / 16.0, y / 16.0, 4, 16, 0, 95));
    });
    for (double dx : {-9.0, 9.0})
        fill(
            pic, [&](Vec p) { return std::max(std::fabs(p.x - (W / 2.0 + dx)) - 2.5, std::fabs(p.y - 96) - 16); },
            skin);
    return pic;
}

// Jack's torso: a dark suit, the white shirt and red tie at the front.
Picture paintJackSuit()
{
    const int W = 256, H = 104;
    const double mid = W / 2.0;
    Picture pic(W, H);
    pic.shade([&](double x, double y, Colour) {
        double weave = 0.92 + 0.1 * fbm(x / 3.0, y / 3.0, 2, int(W / 3.0), 0, 97);
        double stripe = std::fmod(x, 8.0) < 1 ? 1.25 : 1.0;
        return rgb(0x4A5262) * weave * stripe;
    });
    // Side and back seams.
    for (double sx : {0.0, W / 4.0, 3 * W / 4.0})
        fill(
            pic, [&](Vec p) { return std::fabs(p.x - sx) - 0.8; }, rgb(0x22262E));
    // Shirt, lapels, tie.
    fill(
        pic,
        [&](Vec p) {
            return polygonSdf(p, {{mid - 34, -2}, {mid + 34, -2}, {mid, 64}});
        },
        rgb(0xF4F4F0));
    for (double side : {-1.0, 1.0}) {
        fill(
            pic,
            [&](Vec p) {
                return polygonSdf(p, {{mid + side * 34, -2}, {mid + side * 48, -2}, {mid + side * 6, 70}, {mid, 64}});
            },
            rgb(0x2E3440));
        fill(
            pic,
            [&](Vec p) {
                return segmentSdf(p, {mid + side * 34, -2}, {mid, 64}, 0.8);
            },
            rgb(0x8A94A8));
    }
    fill(
        pic,
        [&](Vec p) {
            return polygonSdf(p, {{mid - 6, 0}, {mid + 6, 0}, {mid + 4, 10}, {mid - 4, 10}});
        },
        rgb(0xB01010));
    fill(
        pic,
        [&](Vec p) {
            return polygonSdf(p, {{mid - 4, 10}, {mid + 4, 10}, {mid + 8, 52}, {mid, 60}, {mid - 8, 52}});
        },
        [&](Vec p) { return mix(rgb(0xE02020), rgb(0x900808), clamp01(std::fabs(p.x - mid) / 8)); });
    for (double y : {76.0, 88.0})
        fill(
            pic,
            [&](Vec p) {
                return circleSdf(p, {mid + 3, y}, 2.2);
            },
            rgb(0x14161A));
    // Belt.
    fill(
        pic, [&](Vec p) { return p.y < H - 7 ? 1.0 : -1.0; }, rgb(0x1A1410));
    fill(
        pic,
        [&](Vec p) {
            return std::fabs(boxSdf(p, {mid, H - 3.5}, 7, 3.5)) - 1;
        },
        rgb(0xD8B040));
    return pic;
}

// The knife's blade: along the picture runs along the blade, base to point;
// the top edge is the back, the bottom the cutting edge.
Picture paintBlade()
{
    const int W = 175, H = 75;
    Picture pic(W, H);
    pic.shade([&](double x, double y, Colour) {
        double brushed = fbm(x / 50.0, y / 1.2, 3, 0, 0, 99);
        double bevelLine = 48 - 40 * std::pow(smoothstep(128, W, x), 1.5);
        Colour flat = mix(rgb(0x9AA4B0), rgb(0xC4CCD6), clamp01(y / 40));
        Colour c = flat;
        if (y > bevelLine) {
            double t = clamp01((y - bevelLine) / std::max(4.0, H - bevelLine));
            c = mix(rgb(0xE6ECF4), rgb(0x8A94A0), t * 0.6);
            if (y > H - 3)
                c = rgb(0xFFFFFF);
        }
        if (std::fabs(y - bevelLine) < 1)
            c = c * 0.7;
        if (std::fabs(y - 20) < 2.5 && x > 14 && x < 120)
            c = c * (0.6 + 0.15 * (y - 17.5));
        if (y < 2.5)
            c = c * 0.75;
        if (x < 12)
            c = c * 0.7;
        return c * (0.95 + 0.1 * brushed);
    });
    return pic;
}

// ---------------------------------------------------------------- icons

void putBig32(std::vector<unsigned char>& b, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        b.push_back(static_cast<unsigned char>(v >> shift));
}

void pngChunk(std::vector<unsigned char>& png, const char* type, const std::vector<unsigned char>& data)
{
    putBig32(png, static_cast<std::uint32_t>(data.size()));
    std::size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBig32(png, static_cast<std::uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

// An 8-bit RGBA PNG, every row unfiltered.
std::vector<unsigned char> encodePng(const std::vector<unsigned char>& rgba, int size)
{
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    putBig32(header, size);
    putBig32(header, size);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    pngChunk(png, "IHDR", header);
    std::vector<unsigned char> rows;
    for (int y = 0; y < size; ++y) {
        rows.push_back(0);
        auto row = rgba.begin() + static_cast<long>(y) * size * 4;
        rows.insert(rows.end(), row, row + size * 4);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<unsigned char> packed(packedSize);
    compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()), 9);
    packed.resize(packedSize);
    pngChunk(png, "IDAT", packed);
    pngChunk(png, "IEND", {});
    return png;
}

// The icons come from the darthface.bmp just written, through the same
// routine that gives the game's window its icon.
void saveIcons(const std::string& iconFolder)
{
    std::string facePath = outputFolder + "/darthface.bmp";
    BitmapImage* face = loadBmp(facePath.c_str());
    if (face == nullptr) {
        std::fprintf(stderr, "make_art: cannot read %s\n", facePath.c_str());
        std::exit(1);
    }
    for (int size : {48, 64, 128, 256}) {
        std::vector<unsigned char> bytes = encodePng(iconPixels(*face, size), size);
        std::string path = iconFolder + "/zandrel-" + std::to_string(size) + ".png";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
            std::fprintf(stderr, "make_art: cannot write %s\n", path.c_str());
            std::exit(1);
        }
        std::fclose(file);
        std::printf("%-28s %4d x %-4d %7zu bytes\n", path.c_str(), size, size, bytes.size());
    }
    freeBitmapImage(face);
}

// Who plays each side, beside the player rows of the select screen: steel
// for a person, gold and ember as the computer gets harder.
void saveControlLabels(Font& font)
{
    save("human", paintLabel(font, "HUMAN", 256, 96, STEEL, rgb(0x4A8AE0)), Encoding::RLE8);
    save("cpueasy", paintLabel(font, "CPU EASY", 256, 96, GOLD, rgb(0x40C060)), Encoding::RLE8);
    save("cpunormal", paintLabel(font, "CPU NORMAL", 256, 96, GOLD, rgb(0xD89A30)), Encoding::RLE8);
    save("cpuhard", paintLabel(font, "CPU HARD", 256, 96, EMBER, rgb(0xE0301A)), Encoding::RLE8);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        outputFolder = argv[1];
    std::string iconFolder = argc > 2 ? argv[2] : "dist/icons";
    Font font;

    save("marble", paintMarble(), Encoding::TRUE_COLOUR);
    save("background", paintSky(), Encoding::TRUE_COLOUR);
    save("ground2", paintRock(), Encoding::PALETTE);
    save("jackface", paintJackFace(), Encoding::PALETTE);
    save("darthface", paintDarthFace(), Encoding::TRUE_COLOUR);
    save("jack", paintLabel(font, "JACK", 256, 64, STEEL, rgb(0x4A8AE0)), Encoding::RLE8);
    save("darthmaul", paintLabel(font, "DARTH", 256, 64, EMBER, rgb(0xE0301A)), Encoding::RLE8);
    for (int digit = 0; digit < 10; ++digit)
        save(std::to_string(digit), paintDigit(font, digit), Encoding::PALETTE);
    save("player", paintLabel(font, "PLAYER", 256, 128, GOLD, rgb(0xD89A30)), Encoding::RLE8);
    save("select", paintLabel(font, "SELECT", 256, 128, GOLD, rgb(0xD89A30)), Encoding::RLE8);
    save("start", paintLabel(font, "START", 256, 96, GOLD, rgb(0x40C060)), Encoding::RLE8);
    save("title", paintTitle(font), Encoding::TRUE_COLOUR);
    save("door", paintDoor(), Encoding::PALETTE);

    save("maulface", paintMaulFace(), Encoding::TRUE_COLOUR);
    save("maultop", paintMaulTop(), Encoding::TRUE_COLOUR);
    save("maulbot", paintMaulBottom(), Encoding::TRUE_COLOUR);
    save("jacksuit", paintJackSuit(), Encoding::PALETTE);
    save("blade", paintBlade(), Encoding::TRUE_COLOUR);

    saveIcons(iconFolder);
    saveControlLabels(font);
    return 0;
}
