#include "platform/bmp_file.h"
#include "platform/exceptions.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Little-endian byte building for hand-made files.
struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& u8(int x)
    {
        v.push_back(std::uint8_t(x));
        return *this;
    }
    Bytes& u16(std::uint32_t x) { return u8(int(x & 0xFF)).u8(int((x >> 8) & 0xFF)); }
    Bytes& u32(std::uint32_t x) { return u16(x & 0xFFFF).u16(x >> 16); }
    Bytes& add(const std::vector<std::uint8_t>& more)
    {
        v.insert(v.end(), more.begin(), more.end());
        return *this;
    }
};

struct DibSpec {
    std::int32_t width = 1;
    std::int32_t height = 1;
    int bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> colors; // 0xRRGGBB, written as blue, green, red, 0
    std::vector<std::uint32_t> masks;  // written after a 40-byte header, or inside a larger one
    std::vector<std::uint8_t> pixels;
    std::int64_t offBits = -1;         // -1: right after the colour table
};

// A BMP file written out field by field.
std::vector<std::uint8_t> makeBmp(const DibSpec& s)
{
    Bytes info;
    info.u32(s.headerSize);
    if (s.headerSize == 12) {
        info.u16(std::uint32_t(s.width)).u16(std::uint32_t(s.height)).u16(1).u16(std::uint32_t(s.bits));
    } else {
        info.u32(std::uint32_t(s.width)).u32(std::uint32_t(s.height)).u16(1).u16(std::uint32_t(s.bits));
        info.u32(s.compression).u32(std::uint32_t(s.pixels.size())).u32(2835).u32(2835).u32(s.colorsUsed).u32(0);
        if (s.headerSize > 40) {
            for (std::size_t i = 0; i < 4; ++i)
                if (40 + 4 * i < s.headerSize)
                    info.u32(i < s.masks.size() ? s.masks[i] : 0);
            while (info.v.size() < s.headerSize)
                info.u8(0);
        } else {
            for (std::uint32_t m : s.masks)
                info.u32(m);
        }
    }
    for (std::uint32_t c : s.colors) {
        info.u8(int(c & 0xFF)).u8(int((c >> 8) & 0xFF)).u8(int((c >> 16) & 0xFF));
        if (s.headerSize != 12)
            info.u8(0);
    }
    const std::uint32_t off = s.offBits >= 0 ? std::uint32_t(s.offBits) : std::uint32_t(14 + info.v.size());
    Bytes file;
    file.u8('B').u8('M').u32(std::uint32_t(14 + info.v.size() + s.pixels.size())).u32(0).u32(off);
    file.add(info.v);
    while (file.v.size() < off)
        file.u8(0);
    file.add(s.pixels);
    return file.v;
}

Bitmap readBytes(const std::vector<std::uint8_t>& bytes)
{
    MemoryStream stream(bytes);
    return readBmp(stream);
}

std::vector<std::uint8_t> writeBytes(const Bitmap& bitmap)
{
    MemoryStream stream;
    writeBmp(bitmap, stream);
    return stream.data();
}

std::uint32_t fileDWord(const std::vector<std::uint8_t>& f, std::size_t at)
{
    return std::uint32_t(f[at]) | (std::uint32_t(f[at + 1]) << 8) | (std::uint32_t(f[at + 2]) << 16) |
           (std::uint32_t(f[at + 3]) << 24);
}

Palette rampPalette(int n)
{
    Palette p;
    for (int i = 0; i < n; ++i)
        p.append({std::uint8_t(i * 37), std::uint8_t(255 - i), std::uint8_t(i * 11), 0});
    return p;
}

// A bitmap with a pattern that differs in every pixel the format can tell apart.
Bitmap patterned(int width, int height, PixelFormat format)
{
    Bitmap b(width, height, format);
    if (format == pf24bit) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                b.setPixel(x, y, rgbColor(std::uint8_t(x * 13 + y), std::uint8_t(y * 29), std::uint8_t(x ^ y)));
        return b;
    }
    const int colors = 1 << bitsPerPixelOf(format);
    b.setPalette(rampPalette(colors));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b.setPixelIndex(x, y, (x * 7 + y * 3) % colors);
    return b;
}

void expectThrowsWith(const std::vector<std::uint8_t>& bytes, const std::string& text, const std::string& label)
{
    try {
        readBytes(bytes);
        ADD_FAILURE() << label << ": no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()), text) << label;
    } catch (const std::exception& e) {
        ADD_FAILURE() << label << ": wrong exception " << e.what();
    }
}

} // namespace

TEST(BmpFile, RoundTripKeepsPixelsAndPaletteOfEveryFormat)
{
    for (PixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit}) {
        for (int width : {1, 3, 5, 9, 31, 33}) {
            const Bitmap original = patterned(width, 4, format);
            const std::vector<std::uint8_t> file = writeBytes(original);
            const Bitmap back = readBytes(file);
            EXPECT_TRUE(back.samePixels(original)) << int(format) << " width " << width;
            EXPECT_EQ(back.pixelFormat(), format);
        }
    }
}

TEST(BmpFile, WrittenFileHasInfoHeaderFullColourTableAndBottomUpRows)
{
    Bitmap b = patterned(3, 2, pf4bit);
    const std::vector<std::uint8_t> f = writeBytes(b);
    const std::uint32_t stride = 4;
    const std::uint32_t off = 14 + 40 + 16 * 4;
    ASSERT_EQ(f.size(), off + stride * 2);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(fileDWord(f, 2), f.size());
    EXPECT_EQ(fileDWord(f, 10), off);
    EXPECT_EQ(fileDWord(f, 14), 40u);
    EXPECT_EQ(fileDWord(f, 18), 3u);
    EXPECT_EQ(fileDWord(f, 22), 2u); // positive height: bottom-up
    EXPECT_EQ(f[28], 4);
    EXPECT_EQ(fileDWord(f, 30), 0u); // uncompressed
    // Colour table entry 1 is blue, green, red, 0.
    EXPECT_EQ(f[54 + 4], b.palette()[1].blue);
    EXPECT_EQ(f[54 + 5], b.palette()[1].green);
    EXPECT_EQ(f[54 + 6], b.palette()[1].red);
    // The first stored row is the bottom row; unused nibble and padding are zero.
    const int i0 = b.pixelIndex(0, 1), i1 = b.pixelIndex(1, 1), i2 = b.pixelIndex(2, 1);
    EXPECT_EQ(f[off], (i0 << 4) | i1);
    EXPECT_EQ(f[off + 1], i2 << 4);
    EXPECT_EQ(f[off + 2], 0);
    EXPECT_EQ(f[off + 3], 0);
}

TEST(BmpFile, EmptyBitmapWritesNothingAndLoadsBackEmpty)
{
    EXPECT_TRUE(writeBytes(Bitmap()).empty());
    Bitmap b(4, 4, pf8bit);
    MemoryStream empty;
    b.loadFromStream(empty);
    EXPECT_TRUE(b.empty());
    // readBmp itself wants a file.
    EXPECT_THROW(readBytes({}), EInvalidGraphic);
}

TEST(BmpFile, TopDownAndBottomUpRowOrder)
{
    // Two 1-pixel rows: first stored red, then blue (24 bits, rows padded to 4 bytes).
    const std::vector<std::uint8_t> rows = {0, 0, 255, 0, 255, 0, 0, 0};
    DibSpec s;
    s.width = 1;
    s.height = 2;
    s.pixels = rows;
    const Bitmap bottomUp = readBytes(makeBmp(s));
    EXPECT_EQ(bottomUp.pixel(0, 0), clBlue);
    EXPECT_EQ(bottomUp.pixel(0, 1), clRed);
    s.height = -2;
    const Bitmap topDown = readBytes(makeBmp(s));
    EXPECT_EQ(topDown.pixel(0, 0), clRed);
    EXPECT_EQ(topDown.pixel(0, 1), clBlue);
}

TEST(BmpFile, SixteenAndThirtyTwoBitFilesBecomeTwentyFourBit)
{
    struct Case {
        const char* label;
        int bits;
        std::uint32_t compression;
        std::uint32_t headerSize;
        std::vector<std::uint32_t> masks;
        std::vector<std::uint8_t> pixels; // two pixels, one row
        TColor first, second;
    };
    const Case cases[] = {
        {"32 rgb", 32, 0, 40, {}, {0x10, 0x20, 0x30, 0x99, 0xFF, 0x00, 0x80, 0x00}, rgbColor(0x30, 0x20, 0x10),
         rgbColor(0x80, 0x00, 0xFF)},
        {"32 bitfields", 32, 3, 40, {0x00FF0000, 0x0000FF00, 0x000000FF}, {1, 2, 3, 0, 4, 5, 6, 0},
         rgbColor(3, 2, 1), rgbColor(6, 5, 4)},
        {"32 bitfields swapped", 32, 3, 40, {0x000000FF, 0x0000FF00, 0x00FF0000}, {1, 2, 3, 0, 4, 5, 6, 0},
         rgbColor(1, 2, 3), rgbColor(4, 5, 6)},
        {"32 v5 header", 32, 3, 124, {0xFF000000, 0x00FF0000, 0x0000FF00, 0x000000FF}, {9, 1, 2, 3, 9, 4, 5, 6},
         rgbColor(3, 2, 1), rgbColor(6, 5, 4)},
        {"32 v4 header", 32, 3, 108, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, {1, 2, 3, 7, 4, 5, 6, 7},
         rgbColor(3, 2, 1), rgbColor(6, 5, 4)},
        // 5-5-5: 0x7C00 is full red, 0x001F full blue.
        {"16 rgb 555", 16, 0, 40, {}, {0x00, 0x7C, 0x1F, 0x00, 0, 0, 0, 0}, clRed, clBlue},
        // 5-6-5: 0x07E0 is full green, 0xF800 full red.
        {"16 bitfields 565", 16, 3, 40, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0x00, 0xF8}, clLime, clRed},
    };
    for (const Case& c : cases) {
        DibSpec s;
        s.width = 2;
        s.height = 1;
        s.bits = c.bits;
        s.compression = c.compression;
        s.headerSize = c.headerSize;
        s.masks = c.masks;
        s.pixels = c.pixels;
        if (c.bits == 16 && s.pixels.size() < 4)
            s.pixels.resize(4);
        const Bitmap b = readBytes(makeBmp(s));
        EXPECT_EQ(b.pixelFormat(), pf24bit) << c.label;
        EXPECT_EQ(b.pixel(0, 0), c.first) << c.label;
        EXPECT_EQ(b.pixel(1, 0), c.second) << c.label;
    }
}

TEST(BmpFile, ShortColourTableAndCoreHeader)
{
    // 8 bits with only two colours in the table (clrUsed = 2): indexes kept, table padded.
    DibSpec s;
    s.width = 3;
    s.height = 1;
    s.bits = 8;
    s.colorsUsed = 2;
    s.colors = {0xFF0000, 0x00FF00};
    s.pixels = {1, 0, 1, 0};
    Bitmap b = readBytes(makeBmp(s));
    ASSERT_EQ(b.pixelFormat(), pf8bit);
    EXPECT_EQ(b.palette().count(), 256);
    EXPECT_EQ(b.pixelIndex(0, 0), 1);
    EXPECT_EQ(b.pixel(0, 0), clLime);
    EXPECT_EQ(b.pixel(1, 0), clRed);
    EXPECT_EQ(b.palette()[2].color(), clBlack);

    // OS/2 core header: 3-byte colour entries, 16-bit dimensions.
    DibSpec core;
    core.headerSize = 12;
    core.width = 2;
    core.height = 1;
    core.bits = 1;
    core.colors = {0x0000FF, 0xFFFF00};
    core.pixels = {0x40, 0, 0, 0}; // pixel 0 index 0, pixel 1 index 1
    b = readBytes(makeBmp(core));
    ASSERT_EQ(b.pixelFormat(), pf1bit);
    EXPECT_EQ(b.pixel(0, 0), clBlue);
    EXPECT_EQ(b.pixel(1, 0), clYellow);

    // Pixel data that starts inside the colour table: the table is cut there.
    DibSpec early = s;
    early.colorsUsed = 0;           // claims 256 entries
    early.colors = {0xFF0000, 0x00FF00, 0x0000FF};
    early.offBits = 14 + 40 + 8;     // only two entries before the pixels
    std::vector<std::uint8_t> file = makeBmp(early);
    file.resize(14 + 40 + 8);
    file.insert(file.end(), {1, 0, 1, 0});
    b = readBytes(file);
    EXPECT_EQ(b.pixel(0, 0), clLime);
    EXPECT_EQ(b.palette()[2].color(), clBlack);
}

TEST(BmpFile, Rle8RunsAbsoluteRunsDeltaAndEscapes)
{
    // 5 x 3 image, bottom-up. File row 0 is the bottom row.
    const std::vector<std::uint8_t> rle = {
        3, 7,          // three pixels of index 7
        0, 3, 1, 2, 3, 0, // absolute run of three (1 2 3), padded to a word
        0, 0,          // end of line (after 6 pixels: the sixth is clipped)
        0, 2, 2, 1,    // delta: right 2, down 1 -> file row 2, x = 2
        2, 9,          // two pixels of 9
        0, 1,          // end of bitmap
        5, 5,          // ignored after the end
    };
    DibSpec s;
    s.width = 5;
    s.height = 3;
    s.bits = 8;
    s.compression = 1;
    s.colorsUsed = 16;
    for (int i = 0; i < 16; ++i)
        s.colors.push_back(std::uint32_t(i * 0x101010));
    s.pixels = rle;
    const Bitmap b = readBytes(makeBmp(s));
    ASSERT_EQ(b.pixelFormat(), pf8bit);
    const int expected[3][5] = {
        {0, 0, 9, 9, 0}, // top: file row 2
        {0, 0, 0, 0, 0}, // skipped by the delta
        {7, 7, 7, 1, 2}, // bottom: file row 0
    };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(b.pixelIndex(x, y), expected[y][x]) << x << "," << y;

    // Without the closing escapes, once the last row is full.
    s.width = 2;
    s.height = 2;
    s.pixels = {2, 4, 0, 0, 2, 5};
    const Bitmap open = readBytes(makeBmp(s));
    EXPECT_EQ(open.pixelIndex(1, 0), 5);
    EXPECT_EQ(open.pixelIndex(1, 1), 4);
}

TEST(BmpFile, Rle4NibblesAlternateAndAbsoluteRunsArePadded)
{
    // 6 x 2 image.
    const std::vector<std::uint8_t> rle = {
        5, 0x12,                // 1 2 1 2 1
        0, 0,                   // end of line
        0, 5, 0x34, 0x56, 0x70, 0, // absolute 3 4 5 6 7 (three bytes, padded to four)
        1, 0xEE,                   // E
        0, 1,
    };
    DibSpec s;
    s.width = 6;
    s.height = 2;
    s.bits = 4;
    s.compression = 2;
    for (int i = 0; i < 16; ++i)
        s.colors.push_back(std::uint32_t(i));
    s.pixels = rle;
    const Bitmap b = readBytes(makeBmp(s));
    ASSERT_EQ(b.pixelFormat(), pf4bit);
    const int expected[2][6] = {{3, 4, 5, 6, 7, 14}, {1, 2, 1, 2, 1, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(b.pixelIndex(x, y), expected[y][x]) << x << "," << y;
}

TEST(BmpFile, DamagedFilesRaiseNamedErrors)
{
    DibSpec good;
    good.width = 3;
    good.height = 2;
    good.pixels.assign(24, 0x55);
    const std::vector<std::uint8_t> valid = makeBmp(good);
    ASSERT_NO_THROW(readBytes(valid));

    struct Case {
        const char* label;
        std::vector<std::uint8_t> bytes;
        const char* text;
    };
    auto with = [&](auto change) {
        DibSpec s = good;
        change(s);
        return makeBmp(s);
    };
    std::vector<std::uint8_t> badMagic = valid;
    badMagic[0] = 'X';
    std::vector<std::uint8_t> shortPixels = valid;
    shortPixels.pop_back();
    std::vector<std::uint8_t> farOffset = valid;
    farOffset[12] = 0x10; // bfOffBits = 0x100036, past the end
    std::vector<std::uint8_t> shortHeader(valid.begin(), valid.begin() + 30);

    const Case cases[] = {
        {"bad magic", badMagic, "Invalid bitmap header"},
        {"only file header", std::vector<std::uint8_t>(valid.begin(), valid.begin() + 14), "Bitmap file is truncated"},
        {"cut info header", shortHeader, "Bitmap file is truncated"},
        {"pixel data one byte short", shortPixels, "Bitmap file is truncated"},
        {"unknown header size", with([](DibSpec& s) { s.headerSize = 41; }), "Invalid bitmap header"},
        {"zero width", with([](DibSpec& s) { s.width = 0; }), "Invalid bitmap dimensions"},
        {"negative width", with([](DibSpec& s) { s.width = -3; }), "Invalid bitmap dimensions"},
        {"zero height", with([](DibSpec& s) { s.height = 0; }), "Invalid bitmap dimensions"},
        {"smallest height", with([](DibSpec& s) { s.height = INT32_MIN; }), "Bitmap is too large"},
        {"width too large", with([](DibSpec& s) { s.width = 70000; }), "Bitmap is too large"},
        {"too many pixels", with([](DibSpec& s) { s.width = 60000; s.height = 60000; }), "Bitmap is too large"},
        {"huge but short", with([](DibSpec& s) { s.width = 10000; s.height = 10000; }), "Bitmap file is truncated"},
        {"bit depth 7", with([](DibSpec& s) { s.bits = 7; }), "Unsupported bitmap bit depth"},
        {"png inside", with([](DibSpec& s) { s.compression = 5; }), "Unsupported bitmap compression"},
        {"unknown compression", with([](DibSpec& s) { s.compression = 77; }), "Unsupported bitmap compression"},
        {"rle8 with 24 bits", with([](DibSpec& s) { s.compression = 1; }), "Invalid bitmap header"},
        {"bitfields with 8 bits", with([](DibSpec& s) { s.compression = 3; s.bits = 8; }), "Invalid bitmap header"},
        {"colour count absurd", with([](DibSpec& s) { s.colorsUsed = 0x7FFFFFFF; }), "Invalid bitmap header"},
        {"offset past the end", farOffset, "Invalid bitmap data offset"},
        {"offset inside header", with([](DibSpec& s) { s.offBits = 20; }), "Invalid bitmap data offset"},
        {"rle absolute run past end",
         with([](DibSpec& s) { s.bits = 8; s.compression = 1; s.pixels = {0, 9, 1, 2}; }), "Invalid RLE data"},
        {"rle data ends early", with([](DibSpec& s) { s.bits = 8; s.compression = 1; s.pixels = {3, 1, 0, 0, 2, 1}; }),
         "Bitmap file is truncated"},
        {"rle delta past end", with([](DibSpec& s) { s.bits = 8; s.compression = 1; s.pixels = {0, 2, 1}; }),
         "Invalid RLE data"},
    };
    for (const Case& c : cases)
        expectThrowsWith(c.bytes, c.text, c.label);
}

TEST(BmpFile, EveryPrefixOfAFileFailsCleanlyOrDecodes)
{
    // Cuts of uncompressed, bit-field and RLE files at every length: errors, never crashes.
    std::vector<std::vector<std::uint8_t>> files;
    files.push_back(writeBytes(patterned(7, 5, pf8bit)));
    DibSpec fields;
    fields.width = 2;
    fields.height = 2;
    fields.bits = 16;
    fields.compression = 3;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.pixels.assign(8, 0xAB);
    files.push_back(makeBmp(fields));
    DibSpec rle;
    rle.width = 4;
    rle.height = 4;
    rle.bits = 4;
    rle.compression = 2;
    rle.colors.assign(16, 0x123456);
    rle.pixels = {4, 0x12, 0, 0, 0, 4, 0x12, 0x34, 0, 2, 1, 1, 0, 0, 3, 0xAB, 0, 1};
    files.push_back(makeBmp(rle));
    for (const auto& file : files) {
        for (std::size_t n = 0; n < file.size(); ++n) {
            std::vector<std::uint8_t> cut(file.begin(), file.begin() + std::ptrdiff_t(n));
            try {
                const Bitmap b = readBytes(cut);
                EXPECT_GT(b.width(), 0);
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

TEST(BmpFile, FailedLoadKeepsTheBitmapAsItWas)
{
    Bitmap b = patterned(4, 3, pf8bit);
    const Bitmap before = b;
    b.setTransparent(true);
    int changes = 0;
    b.onChange = [&](Graphic&) { ++changes; };
    std::vector<std::uint8_t> bad = writeBytes(patterned(9, 9, pf24bit));
    bad.resize(bad.size() - 10);
    MemoryStream stream(bad);
    EXPECT_THROW(b.loadFromStream(stream), EInvalidGraphic);
    EXPECT_TRUE(b.samePixels(before));
    EXPECT_EQ(changes, 0);

    // A good load replaces the pixels, keeps the transparency flag and the handlers.
    const Bitmap other = patterned(5, 2, pf1bit);
    MemoryStream good(writeBytes(other));
    b.loadFromStream(good);
    EXPECT_TRUE(b.samePixels(other));
    EXPECT_TRUE(b.transparent());
    EXPECT_EQ(changes, 1);
    MemoryStream saved;
    b.saveToStream(saved);
    EXPECT_EQ(saved.data(), writeBytes(other));
}
