#include "color/dib_export.h"
#include "color/fixed_palettes.h"
#include "platform/exceptions.h"
#include "test_images.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t dword(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

TEST(DIBExport, SizesPerLayout)
{
    Bitmap b = uniformBitmap(13, 5, {1, 2, 3});
    struct Case {
        PixelFormat layout;
        int headerSize;
        std::int64_t imageSize;
    };
    const Case cases[] = {
        {pf1bit, 40 + 8, 4 * 5}, {pf4bit, 40 + 64, 8 * 5}, {pf8bit, 40 + 1024, 16 * 5}, {pf24bit, 40, 40 * 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.layout));
        int headerSize = 0;
        std::int64_t imageSize = 0;
        GetDIBSizes(b, headerSize, imageSize, c.layout);
        EXPECT_EQ(headerSize, c.headerSize);
        EXPECT_EQ(imageSize, c.imageSize);
        BitmapInfoHeader h;
        InitializeBitmapInfoHeader(b, h, c.layout);
        EXPECT_EQ(h.size, 40u);
        EXPECT_EQ(h.width, 13);
        EXPECT_EQ(h.height, 5);
        EXPECT_EQ(h.planes, 1);
        EXPECT_EQ(h.bitCount, bitsPerPixelOf(c.layout));
        EXPECT_EQ(h.compression, 0u);
        EXPECT_EQ(h.sizeImage, std::uint32_t(c.imageSize));
    }
}

TEST(DIBExport, Errors)
{
    Bitmap b = uniformBitmap(2, 2, {1, 2, 3});
    Bitmap empty;
    int headerSize;
    std::int64_t imageSize;
    std::vector<std::uint8_t> header, pixels;
    EXPECT_THROW(GetDIBSizes(b, headerSize, imageSize, pf16bit), EInvalidGraphic);
    EXPECT_THROW(GetDIB(b, nullptr, header, pixels, pf32bit), EInvalidGraphic);
    try {
        GetDIBSizes(empty, headerSize, imageSize, pf8bit);
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
}

TEST(DIBExport, EightBitBitmapGivesItsOwnRowsBottomUp)
{
    Bitmap b(3, 2, pf8bit);
    Palette p = MakeGray256Palette();
    b.setPalette(p);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            b.setPixelIndex(x, y, 10 * y + x + 1);
    std::vector<std::uint8_t> header, pixels;
    ASSERT_TRUE(GetDIB(b, nullptr, header, pixels, pf8bit));
    ASSERT_EQ(header.size(), 1064u);
    EXPECT_EQ(dword(header, 32), 256u);
    EXPECT_EQ(header[40 + 4 * 7 + 0], 7); // grey entry 7 as blue, green, red, 0
    EXPECT_EQ(header[40 + 4 * 7 + 3], 0);
    ASSERT_EQ(pixels.size(), 8u);
    const std::vector<std::uint8_t> expected = {11, 12, 13, 0, 1, 2, 3, 0};
    EXPECT_EQ(pixels, expected);
}

TEST(DIBExport, TrueColourToEightBitsThroughAPalette)
{
    Bitmap b = makeBitmap(2, 1, [](int x, int) { return x == 0 ? Rgb{250, 5, 5} : Rgb{0, 0, 200}; });
    const Palette web = MakeWebPalette();
    std::vector<std::uint8_t> header, pixels;
    ASSERT_TRUE(GetDIB(b, &web, header, pixels, pf8bit));
    ASSERT_EQ(pixels.size(), 4u);
    EXPECT_EQ(pixels[0], 180);
    EXPECT_EQ(pixels[1], 4);
    // The table is the web palette padded with black.
    EXPECT_EQ(header[40 + 4 * 180 + 2], 255);
    EXPECT_EQ(header[40 + 4 * 250 + 2], 0);
    EXPECT_EQ(b.pixelFormat(), pf24bit); // the bitmap itself is left alone

    std::vector<std::uint8_t> rgb;
    ASSERT_TRUE(GetDIB(b, nullptr, header, rgb, pf24bit));
    ASSERT_EQ(header.size(), 40u);
    ASSERT_EQ(rgb.size(), 8u);
    EXPECT_EQ(rgb[2], 250);
    EXPECT_EQ(rgb[3], 200);
}

} // namespace
