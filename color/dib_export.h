#pragma once
// A bitmap exported as a device-independent bitmap: a BITMAPINFOHEADER, a colour table for
// 1, 4 and 8 bits, and the pixel rows bottom-up, each padded to 4 bytes. Used to write video
// frames.
//
// Errors: an empty bitmap (zero width or height) is "Bitmap image is not valid"; a layout
// other than pf1bit, pf4bit, pf8bit or pf24bit is "Unsupported PixelFormat".

#include "platform/bitmap.h"
#include "platform/palette.h"

#include <cstdint>
#include <vector>

struct BitmapInfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0; // positive: rows bottom-up
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;

    // The 40 bytes, little-endian.
    void writeTo(std::uint8_t* bytes) const;
};

// The header of the bitmap for a layout: its width and height, bits per pixel of the layout,
// planes 1, no compression, image size = stride x height.
void InitializeBitmapInfoHeader(const Bitmap& bitmap, BitmapInfoHeader& header, PixelFormat layout);
// Header size (40 + 4 x 2^bits up to 8 bits per pixel, 40 above) and image size of the bitmap
// exported in the layout.
void GetDIBSizes(const Bitmap& bitmap, int& headerSize, std::int64_t& imageSize, PixelFormat layout);
// Exports the bitmap: header receives the header bytes with the colour table (headerSize bytes),
// pixels the rows (imageSize bytes). A bitmap already in the layout gives its own rows and its
// own palette as the colour table. Otherwise its pixels are converted: to 24 bits exactly; to
// an indexed layout, when a palette is given, each pixel takes the nearest of the palette's
// first 2^bits entries (the nearest-colour lookup of fast_color_lookup.h) and the colour table
// is that palette, padded with black; without a palette the bitmap's own conversion
// (Bitmap::setPixelFormat) is used. Returns true when the rows were delivered.
bool GetDIB(const Bitmap& bitmap, const Palette* palette, std::vector<std::uint8_t>& header,
            std::vector<std::uint8_t>& pixels, PixelFormat layout);
