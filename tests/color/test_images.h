#pragma once
// Small pictures for the colour reduction tests.

#include "platform/bitmap.h"

#include <QImage>

#include <cstdint>
#include <string>

struct Rgb {
    std::uint8_t r, g, b;
};

// A 24-bit bitmap whose pixel (x, y) is f(x, y).
template <class F>
Bitmap makeBitmap(int width, int height, F f)
{
    Bitmap b(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = b.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const Rgb c = f(x, y);
            row[3 * x + 0] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return b;
}

inline Bitmap uniformBitmap(int width, int height, Rgb c)
{
    return makeBitmap(width, height, [c](int, int) { return c; });
}

// Deterministic pseudo-random colours.
inline Bitmap noiseBitmap(int width, int height, std::uint32_t seed)
{
    return makeBitmap(width, height, [&seed](int, int) {
        seed = seed * 1664525u + 1013904223u;
        return Rgb{std::uint8_t(seed >> 24), std::uint8_t(seed >> 16), std::uint8_t(seed >> 8)};
    });
}

// A true-colour sample picture of the shared bench data (PNG, read through Qt).
inline Bitmap loadSample(const std::string& name)
{
    QImage image(QString::fromStdString(std::string(ZOETRA_SAMPLE_DIR) + "/" + name));
    if (image.isNull())
        return Bitmap();
    Bitmap b = Bitmap::fromQImage(image.convertToFormat(QImage::Format_RGB888));
    b.setPixelFormat(pf24bit);
    return b;
}

inline int indexAt(const Bitmap& b, int x, int y)
{
    return b.scanLine(y)[x];
}
