#include "bench/synthetic_animations.h"

#include "color/reduce_to_palette.h"

#include <cmath>
#include <numbers>
#include <random>

namespace {

struct Disc {
    int cx, cy, r;
};

Disc discAt(int width, int height, int frame, int count)
{
    const double t = 2 * std::numbers::pi * frame / (count > 0 ? count : 1);
    const int r = std::max(2, height / 8);
    const int cx = int(width / 2 + (width / 2 - r - 1) * std::sin(t));
    const int cy = int(height / 2 + (height / 2 - r - 1) * std::sin(2 * t) * 0.8);
    return {cx, cy, r};
}

// Ring number 0..7 of a point inside the disc, -1 outside.
int ringOf(const Disc& d, int x, int y)
{
    const int dx = x - d.cx;
    const int dy = y - d.cy;
    const int q = dx * dx + dy * dy;
    if (q >= d.r * d.r)
        return -1;
    return int(8 * std::sqrt(double(q)) / d.r);
}

// Hue of ring k, full saturation.
void ringColor(int k, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b)
{
    static const std::uint8_t colors[8][3] = {{255, 255, 255}, {255, 220, 0}, {255, 120, 0}, {230, 0, 40},
                                              {160, 0, 200},   {0, 80, 255},  {0, 200, 140}, {20, 20, 20}};
    r = colors[k][0];
    g = colors[k][1];
    b = colors[k][2];
}

} // namespace

std::vector<Bitmap> movingDiscFrames(const Bitmap& background, int count)
{
    std::vector<Bitmap> frames;
    frames.reserve(std::size_t(count));
    const int w = background.width();
    const int h = background.height();
    for (int i = 0; i < count; ++i) {
        Bitmap frame(background);
        const Disc d = discAt(w, h, i, count);
        for (int y = std::max(0, d.cy - d.r); y < std::min(h, d.cy + d.r); ++y) {
            std::uint8_t* row = frame.scanLine(y);
            for (int x = std::max(0, d.cx - d.r); x < std::min(w, d.cx + d.r); ++x) {
                const int k = ringOf(d, x, y);
                if (k < 0)
                    continue;
                ringColor(k, row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            }
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

IndexedAnimation indexedMovingDisc(const Bitmap& background, int count)
{
    Bitmap source(background);
    const Bitmap reduced = ReduceToPalette(source, rdQuantize, dtNearest, 8);
    IndexedAnimation a;
    a.width = reduced.width();
    a.height = reduced.height();
    a.palette.assign(256 * 3, 0);
    const Palette& palette = reduced.palette();
    for (int i = 0; i < palette.count() && i < 256; ++i) {
        a.palette[std::size_t(3 * i)] = palette[i].red;
        a.palette[std::size_t(3 * i + 1)] = palette[i].green;
        a.palette[std::size_t(3 * i + 2)] = palette[i].blue;
    }
    int ringIndex[8];
    for (int k = 0; k < 8; ++k) {
        std::uint8_t r, g, b;
        ringColor(k, r, g, b);
        ringIndex[k] = palette.count() > 0 ? palette.nearestIndex(rgbColor(r, g, b)) : 0;
    }
    std::vector<std::uint8_t> base(std::size_t(a.width) * std::size_t(a.height));
    for (int y = 0; y < a.height; ++y) {
        const std::uint8_t* row = reduced.scanLine(y);
        std::copy(row, row + a.width, base.begin() + std::ptrdiff_t(y) * a.width);
    }
    for (int i = 0; i < count; ++i) {
        std::vector<std::uint8_t> frame(base);
        const Disc d = discAt(a.width, a.height, i, count);
        for (int y = std::max(0, d.cy - d.r); y < std::min(a.height, d.cy + d.r); ++y)
            for (int x = std::max(0, d.cx - d.r); x < std::min(a.width, d.cx + d.r); ++x) {
                const int k = ringOf(d, x, y);
                if (k >= 0)
                    frame[std::size_t(y) * std::size_t(a.width) + std::size_t(x)] = std::uint8_t(ringIndex[k]);
            }
        a.frames.push_back(std::move(frame));
    }
    return a;
}

IndexedAnimation noiseAnimation(int width, int height, int count)
{
    std::mt19937 random(20261211u);
    IndexedAnimation a;
    a.width = width;
    a.height = height;
    a.palette.resize(256 * 3);
    for (auto& c : a.palette)
        c = std::uint8_t(random() & 0xFF);
    for (int i = 0; i < count; ++i) {
        std::vector<std::uint8_t> frame(std::size_t(width) * std::size_t(height));
        for (std::size_t p = 0; p < frame.size(); p += 4) {
            const std::uint32_t v = random();
            for (std::size_t j = 0; j < 4 && p + j < frame.size(); ++j)
                frame[p + j] = std::uint8_t(v >> (8 * j));
        }
        a.frames.push_back(std::move(frame));
    }
    return a;
}
