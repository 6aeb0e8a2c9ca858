#include "color/dib.h"
#include "color/reduction_error.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::uint32_t dword(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}
std::uint16_t word(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint16_t(b[at] | b[at + 1] << 8);
}

template <class F>
void expectMessage(F f, const char* message)
{
    try {
        f();
        ADD_FAILURE() << "no exception, expected " << message;
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

TEST(DIBReader, SwitchesTheBitmapToItsLayout)
{
    Bitmap b = uniformBitmap(3, 2, {255, 255, 255});
    {
        TDIBReader reader(b, pf8bit);
        EXPECT_EQ(b.pixelFormat(), pf8bit);
        EXPECT_EQ(reader.RowPointer(1), b.scanLine(1));
    }
    TDIBReader reader(b, pf24bit);
    EXPECT_EQ(b.pixelFormat(), pf24bit);
    EXPECT_THROW(reader.RowPointer(2), ERangeError);
    expectMessage([&] { TDIBReader bad(b, pf16bit); }, "Unsupported PixelFormat");
}

TEST(DIBWriter, EightBitHeaderColourTableAndRowsBottomUp)
{
    Bitmap result;
    const Palette palette({{10, 20, 30, 4}, {40, 50, 60, 0}, {70, 80, 90, 0}});
    TDIBWriter writer(result, pf8bit, 5, 3, &palette);
    EXPECT_TRUE(writer.headerBlock().empty()); // nothing before the first row
    for (int y = 0; y < 3; ++y) {
        std::uint8_t* row = writer.RowPointer(y);
        for (int x = 0; x < 5; ++x)
            row[x] = std::uint8_t(y * 10 + x);
    }
    const auto& h = writer.headerBlock();
    ASSERT_EQ(h.size(), 1064u);
    EXPECT_EQ(dword(h, 0), 40u);
    EXPECT_EQ(dword(h, 4), 5u);
    EXPECT_EQ(dword(h, 8), 3u);
    EXPECT_EQ(word(h, 12), 1);
    EXPECT_EQ(word(h, 14), 8);
    EXPECT_EQ(dword(h, 16), 0u);
    EXPECT_EQ(dword(h, 20), 0u);
    EXPECT_EQ(dword(h, 32), 256u);
    EXPECT_EQ(dword(h, 36), 3u); // colours important: the palette's own count
    const std::uint8_t firstEntries[] = {30, 20, 10, 0, 60, 50, 40, 0, 90, 80, 70, 0};
    EXPECT_EQ(std::memcmp(h.data() + 40, firstEntries, sizeof firstEntries), 0);
    for (std::size_t i = 40 + 12; i < h.size(); ++i)
        ASSERT_EQ(h[i], 0) << "colour table byte " << i;

    EXPECT_EQ(writer.stride(), 8);
    const auto& pixels = writer.pixelBlock();
    ASSERT_EQ(pixels.size(), 24u);
    EXPECT_EQ(pixels[0], 20); // first stored row is the bottom row
    EXPECT_EQ(pixels[16], 0);
    EXPECT_EQ(writer.RowPointer(0), pixels.data() + 16);

    const auto file = writer.fileImage();
    ASSERT_EQ(file.size(), 14u + 1064u + 24u);
    EXPECT_EQ(word(file, 0), 0x4D42);
    EXPECT_EQ(dword(file, 2), file.size());
    EXPECT_EQ(dword(file, 6), 0u);
    EXPECT_EQ(dword(file, 10), 14u + 1064u);

    writer.finish();
    ASSERT_EQ(result.width(), 5);
    ASSERT_EQ(result.height(), 3);
    EXPECT_EQ(result.pixelFormat(), pf8bit);
    EXPECT_EQ(result.palette().count(), 256);
    EXPECT_EQ(result.palette()[1], (PaletteEntry{40, 50, 60, 0}));
    EXPECT_EQ(result.palette()[3], (PaletteEntry{0, 0, 0, 0}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(result.pixelIndex(x, y), y * 10 + x);
    expectMessage([&] { writer.RowPointer(0); }, "Image has no DIB");
}

TEST(DIBWriter, HandsThePictureOverWhenDestroyed)
{
    Bitmap result;
    {
        TDIBWriter writer(result, pf24bit, 2, 2);
        std::memset(writer.RowPointer(0), 0x11, 6);
        std::memset(writer.RowPointer(1), 0x22, 6);
        const auto& h = writer.headerBlock();
        ASSERT_EQ(h.size(), 40u);
        EXPECT_EQ(word(h, 14), 24);
        EXPECT_EQ(dword(h, 32), 0u);
        EXPECT_EQ(dword(h, 36), 0u);
        EXPECT_EQ(result.width(), 0);
    }
    ASSERT_EQ(result.width(), 2);
    EXPECT_EQ(result.pixelFormat(), pf24bit);
    EXPECT_EQ(result.pixel(1, 0), 0x111111u);
    EXPECT_EQ(result.pixel(0, 1), 0x222222u);
}

TEST(DIBWriter, WithoutPaletteTheTableIsZero)
{
    Bitmap result;
    TDIBWriter writer(result, pf8bit, 1, 1);
    writer.RowPointer(0)[0] = 7;
    const auto& h = writer.headerBlock();
    EXPECT_EQ(dword(h, 36), 0u);
    for (std::size_t i = 40; i < h.size(); ++i)
        ASSERT_EQ(h[i], 0);
}

TEST(DIBWriter, LongPaletteFillsTheTableOnly)
{
    Palette big;
    for (int i = 0; i < 300; ++i)
        big.append({std::uint8_t(i), 0, 0, 0});
    Bitmap result;
    TDIBWriter writer(result, pf8bit, 1, 1, &big);
    writer.RowPointer(0);
    EXPECT_EQ(writer.headerSize(), 1064);
    EXPECT_EQ(dword(writer.headerBlock(), 36), 256u);
}

TEST(DIBWriter, Errors)
{
    Bitmap result;
    struct Case {
        const char* name;
        PixelFormat layout;
        int width, height;
        const char* message;
    };
    const Case cases[] = {
        {"4 bits", pf4bit, 2, 2, "Unsupported PixelFormat"},
        {"32 bits", pf32bit, 2, 2, "Unsupported PixelFormat"},
        {"zero width", pf8bit, 0, 2, "Invalid image dimensions"},
        {"zero height", pf24bit, 2, 0, "Invalid image dimensions"},
        {"negative", pf8bit, -3, 2, "Invalid image dimensions"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectMessage([&] { TDIBWriter w(result, c.layout, c.width, c.height); }, c.message);
    }
    TDIBWriter writer(result, pf8bit, 3, 2);
    expectMessage([&] { writer.RowPointer(2); }, "Scan line index out of range");
    expectMessage([&] { writer.RowPointer(-1); }, "Scan line index out of range");
    TDIBWriter huge(result, pf24bit, 65535, 65535);
    expectMessage([&] { huge.RowPointer(0); }, "Failed to allocate memory for GIF DIB");
    EXPECT_THROW(huge.RowPointer(0), EOutOfMemory);
}

} // namespace
