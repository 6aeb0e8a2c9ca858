#include "color/dib_export.h"

#include "color/fast_color_lookup.h"
#include "color/reduction_error.h"

#include <algorithm>
#include <cstring>

namespace {

int layoutBits(PixelFormat layout)
{
    switch (layout) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf24bit:
        return 24;
    default:
        throw EColorReductionError("Unsupported PixelFormat");
    }
}

void checkBitmap(const Bitmap& bitmap)
{
    if (bitmap.width() <= 0 || bitmap.height() <= 0)
        throw EColorReductionError("Bitmap image is not valid");
}

void put16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

// An indexed copy of a 24-bit bitmap: each pixel the nearest of the palette's entries.
Bitmap mapToPalette(const Bitmap& source, const Palette& palette, PixelFormat layout, int bits)
{
    Bitmap rgb(source);
    rgb.setPixelFormat(pf24bit);
    Palette table = palette;
    table.resize(1 << bits);
    TFastColorLookup lookup(table);
    Bitmap out(source.width(), source.height(), layout);
    out.setPalette(table);
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* s = rgb.scanLine(y);
        std::uint8_t* d = out.scanLine(y);
        std::memset(d, 0, std::size_t(out.bytesPerLine()));
        for (int x = 0; x < width; ++x, s += 3) {
            std::uint8_t r, g, b;
            const std::uint8_t index = lookup.MapColor(s[2], s[1], s[0], r, g, b);
            switch (bits) {
            case 8:
                d[x] = index;
                break;
            case 4:
                d[x / 2] |= std::uint8_t(x % 2 == 0 ? index << 4 : index);
                break;
            default:
                d[x / 8] |= std::uint8_t((index & 1) << (7 - x % 8));
                break;
            }
        }
    }
    return out;
}

} // namespace

void BitmapInfoHeader::writeTo(std::uint8_t* b) const
{
    put32(b + 0, size);
    put32(b + 4, std::uint32_t(width));
    put32(b + 8, std::uint32_t(height));
    put16(b + 12, planes);
    put16(b + 14, bitCount);
    put32(b + 16, compression);
    put32(b + 20, sizeImage);
    put32(b + 24, std::uint32_t(xPelsPerMeter));
    put32(b + 28, std::uint32_t(yPelsPerMeter));
    put32(b + 32, clrUsed);
    put32(b + 36, clrImportant);
}

void InitializeBitmapInfoHeader(const Bitmap& bitmap, BitmapInfoHeader& header, PixelFormat layout)
{
    checkBitmap(bitmap);
    const int bits = layoutBits(layout);
    header = BitmapInfoHeader{};
    header.width = bitmap.width();
    header.height = bitmap.height();
    header.planes = 1;
    header.bitCount = std::uint16_t(bits);
    header.compression = 0;
    header.sizeImage = std::uint32_t(std::int64_t(dibStride(bitmap.width(), bits)) * bitmap.height());
}

void GetDIBSizes(const Bitmap& bitmap, int& headerSize, std::int64_t& imageSize, PixelFormat layout)
{
    BitmapInfoHeader header;
    InitializeBitmapInfoHeader(bitmap, header, layout);
    headerSize = header.bitCount <= 8 ? 40 + 4 * (1 << header.bitCount) : 40;
    imageSize = header.sizeImage;
}

bool GetDIB(const Bitmap& bitmap, const Palette* palette, std::vector<std::uint8_t>& header,
            std::vector<std::uint8_t>& pixels, PixelFormat layout)
{
    BitmapInfoHeader info;
    InitializeBitmapInfoHeader(bitmap, info, layout);
    const int bits = info.bitCount;

    Bitmap converted;
    const Bitmap* rows = &bitmap;
    if (bitmap.pixelFormat() != layout) {
        if (bits <= 8 && palette && !palette->empty()) {
            converted = mapToPalette(bitmap, *palette, layout, bits);
        } else {
            converted = bitmap;
            converted.setPixelFormat(layout);
        }
        rows = &converted;
    }

    const int tableEntries = bits <= 8 ? 1 << bits : 0;
    header.assign(std::size_t(40 + 4 * tableEntries), 0);
    if (tableEntries > 0) {
        info.clrUsed = std::uint32_t(tableEntries);
        const Palette& own = rows->palette();
        const int n = std::min(own.count(), tableEntries);
        std::uint8_t* table = header.data() + 40;
        for (int i = 0; i < n; ++i) {
            table[4 * i + 0] = own[i].blue;
            table[4 * i + 1] = own[i].green;
            table[4 * i + 2] = own[i].red;
        }
    }
    info.writeTo(header.data());

    const std::size_t stride = std::size_t(dibStride(bitmap.width(), bits));
    const int height = bitmap.height();
    pixels.assign(stride * std::size_t(height), 0);
    // Only the pixels' own bytes: the padding of every row stays zero.
    const std::size_t rowBytes = (std::size_t(bitmap.width()) * std::size_t(bits) + 7) / 8;
    for (int y = 0; y < height; ++y)
        std::memcpy(pixels.data() + std::size_t(height - 1 - y) * stride, rows->scanLine(y), rowBytes);
    return true;
}
