#pragma once
// Reading and writing of BMP files (device-independent bitmaps behind a 14-byte file header).
//
// Reading accepts the 12-byte core header, the 40-byte info header and the larger 52, 56, 64,
// 108 and 124-byte headers; 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, RLE8, RLE4
// and bit-field data; bottom-up and top-down row order; colour tables shorter than 2^bits.
// Indexed files keep their indexes and colour table (padded with black to 2^bits entries);
// 16- and 32-bit files become 24-bit bitmaps, any alpha channel is dropped.
//
// Writing produces an uncompressed bottom-up file with a 40-byte header and a full colour
// table of 2^bits entries for 1, 4 and 8 bits, or plain 24-bit rows.
//
// Every header field is checked before anything is allocated; damaged or truncated files raise
// EInvalidGraphic with a text naming the problem.

#include "platform/bitmap.h"
#include "platform/palette.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Stream;

// Reads a BMP file starting at the stream's position. The stream is left after the pixel data.
Bitmap readBmp(Stream& stream);
// Writes the bitmap as a BMP file at the stream's position. An empty bitmap writes nothing.
void writeBmp(const Bitmap& bitmap, Stream& stream);

// Compression codes of the info header.
enum DibCompression : std::uint32_t {
    kBiRgb = 0,
    kBiRle8 = 1,
    kBiRle4 = 2,
    kBiBitfields = 3,
    kBiJpeg = 4,
    kBiPng = 5,
    kBiAlphaBitfields = 6,
};

// What a DIB header (info header, colour masks and colour table) says, checked for sanity.
struct DibHeader {
    int width = 0;
    int height = 0;      // number of rows, always positive
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t sizeImage = 0;
    // Red, green, blue and alpha masks of 16- and 32-bit pixels (the defaults when the file
    // gives none: 5-5-5 for 16 bits, 8-8-8 with alpha in the top byte for 32 bits).
    std::uint32_t masks[4] = {0, 0, 0, 0};
    // The colour table as stored; may be shorter than 2^bits (or empty for 16 to 32 bits).
    Palette colors;
    // Offset from the start of the header to the first byte after header, masks and table.
    std::size_t end = 0;
};

// Parses a DIB header held in data[0, size). The colour table is cut where it would pass
// tableLimit bytes from the start of the header (pixel data that begins early). For icon
// images pass iconImage = true: their height counts the colour image and the mask together
// and they must be stored bottom-up. Throws EInvalidGraphic.
DibHeader parseDibHeader(const std::uint8_t* data, std::size_t size, std::size_t tableLimit,
                         bool iconImage = false);

// Decodes the pixels described by header from the stream's position, at most available bytes.
// rows overrides the header's row count when positive (icon images). For 32-bit and
// bit-field images with an alpha mask, alpha (when not null) receives one byte per pixel, top
// row first; it stays empty for other images. Throws EInvalidGraphic.
Bitmap decodeDibPixels(const DibHeader& header, Stream& stream, std::int64_t available, int rows = 0,
                       std::vector<std::uint8_t>* alpha = nullptr);
