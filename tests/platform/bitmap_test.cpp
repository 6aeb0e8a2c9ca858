#include "platform/bitmap.h"
#include "platform/exceptions.h"
#include "platform/system_palettes.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

// A small 24-bit bitmap whose every pixel has a distinct colour.
Bitmap gradient(int w, int h)
{
    Bitmap b(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.setPixel(x, y, rgbColor(std::uint8_t(x * 40), std::uint8_t(y * 50), std::uint8_t(x + y)));
    return b;
}

Palette palette16()
{
    Palette p;
    for (int i = 0; i < 16; ++i)
        p.append({std::uint8_t(i * 16), std::uint8_t(255 - i * 16), std::uint8_t(i * 7), 0});
    return p;
}

} // namespace

TEST(Bitmap, RowLayoutIsTopDownBgrPaddedToFourBytes)
{
    Bitmap b(3, 2, pf24bit);
    EXPECT_EQ(b.bytesPerLine(), 12); // 9 bytes padded to 12
    b.setPixel(1, 0, rgbColor(10, 20, 30));
    const std::uint8_t* row0 = b.scanLine(0);
    EXPECT_EQ(row0[3], 30); // blue first
    EXPECT_EQ(row0[4], 20);
    EXPECT_EQ(row0[5], 10);
    EXPECT_EQ(b.scanLine(1) - b.scanLine(0), 12);
    EXPECT_THROW(b.scanLine(2), ERangeError);
    EXPECT_THROW(b.scanLine(-1), ERangeError);
}

TEST(Bitmap, StrideFollowsDibRule)
{
    struct Case { int width, bits, stride; };
    const Case cases[] = {{1, 1, 4}, {32, 1, 4}, {33, 1, 8}, {7, 4, 4}, {9, 4, 8}, {5, 8, 8}, {1, 24, 4}, {4, 24, 12}, {0, 24, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(dibStride(c.width, c.bits), c.stride) << c.width << "x" << c.bits;
}

TEST(Bitmap, NewBitmapsAreWhiteInEveryFormat)
{
    for (PixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit}) {
        Bitmap b(5, 3, f);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                ASSERT_EQ(b.pixel(x, y), clWhite) << int(f);
        EXPECT_EQ(b.palette().count(), f == pf24bit ? 0 : 1 << bitsPerPixelOf(f));
    }
}

TEST(Bitmap, OtherFormatsAreStoredAsTwentyFourBits)
{
    for (PixelFormat f : {pfDevice, pf15bit, pf16bit, pf32bit})
        EXPECT_EQ(Bitmap(2, 2, f).pixelFormat(), pf24bit);
}

TEST(Bitmap, IndexedToTwentyFourBitsIsExact)
{
    for (PixelFormat f : {pf1bit, pf4bit, pf8bit}) {
        const int colours = 1 << bitsPerPixelOf(f);
        Bitmap b(13, 5, f);
        Palette p;
        for (int i = 0; i < colours; ++i)
            p.append({std::uint8_t(i * 3), std::uint8_t(200 - i / 2), std::uint8_t(i), 0});
        b.setPalette(p);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x)
                b.setPixelIndex(x, y, (x * 7 + y * 3) % colours);
        Bitmap expected = b;
        b.setPixelFormat(pf24bit);
        ASSERT_EQ(b.pixelFormat(), pf24bit);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(b.pixel(x, y), p[(x * 7 + y * 3) % colours].color()) << int(f) << " " << x << "," << y;
        // The palette is kept, so switching back gives the same indexes.
        b.setPixelFormat(f);
        EXPECT_TRUE(b.samePixels(expected)) << int(f);
    }
}

TEST(Bitmap, TwentyFourToIndexedTakesNearestPaletteEntry)
{
    Bitmap b(2, 1, pf24bit);
    b.setPixel(0, 0, rgbColor(250, 5, 5));
    b.setPixel(1, 0, rgbColor(10, 10, 10));
    b.setPixelFormat(pf4bit); // VGA palette: bright red is 9, black 0
    EXPECT_EQ(b.pixelIndex(0, 0), 9);
    EXPECT_EQ(b.pixelIndex(1, 0), 0);

    Bitmap c(1, 1, pf24bit);
    c.setPalette(palette16());
    c.setPixel(0, 0, palette16()[5].color());
    c.setPixelFormat(pf4bit); // its own palette of the right size is used
    EXPECT_EQ(c.pixelIndex(0, 0), 5);
}

TEST(Bitmap, PackedPixelsLeftmostInHighBits)
{
    Bitmap b(10, 1, pf1bit);
    b.fill(clBlack);
    b.setPixelIndex(0, 0, 1);
    b.setPixelIndex(9, 0, 1);
    EXPECT_EQ(b.scanLine(0)[0], 0x80);
    EXPECT_EQ(b.scanLine(0)[1], 0x40);

    Bitmap n(3, 1, pf4bit);
    n.setPixelIndex(0, 0, 0xA);
    n.setPixelIndex(1, 0, 0x3);
    n.setPixelIndex(2, 0, 0x5);
    EXPECT_EQ(n.scanLine(0)[0], 0xA3);
    EXPECT_EQ(n.scanLine(0)[1] >> 4, 0x5);
}

TEST(Bitmap, SetSizeKeepsTopLeftAndFillsWhite)
{
    Bitmap b = gradient(4, 3);
    const Bitmap before = b;
    b.setSize(6, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(b.pixel(x, y), x < 4 ? before.pixel(x, y) : clWhite) << x << "," << y;

    Bitmap mono(9, 2, pf1bit);
    mono.fill(clBlack);
    mono.setSize(12, 3);
    EXPECT_EQ(mono.pixel(8, 1), clBlack);
    EXPECT_EQ(mono.pixel(9, 1), clWhite);
    EXPECT_EQ(mono.pixel(0, 2), clWhite);
}

TEST(Bitmap, LimitsAreCheckedBeforeAllocating)
{
    EXPECT_THROW(Bitmap(-1, 5), EInvalidGraphic);
    EXPECT_THROW(Bitmap(Bitmap::kMaxDimension + 1, 1), EOutOfMemory);
    EXPECT_THROW(Bitmap(40000, 40000), EOutOfMemory);
    Bitmap b(3, 3);
    EXPECT_THROW(b.setSize(70000, 70000), EOutOfMemory);
    EXPECT_EQ(b.width(), 3); // unchanged after the refusal
}

TEST(Bitmap, ZeroSizeIsValid)
{
    Bitmap b(0, 0);
    EXPECT_TRUE(b.empty());
    EXPECT_EQ(b.transparentColor(), clNone);
    EXPECT_EQ(b.pixel(0, 0), clNone);
    b.setPixel(0, 0, clRed); // ignored
    b.setPixelFormat(pf8bit);
    b.setSize(0, 7);
    EXPECT_TRUE(b.empty());
    EXPECT_TRUE(b.toQImage().isNull());
}

TEST(Bitmap, TransparentColourIsBottomLeftPixel)
{
    Bitmap b = gradient(3, 4);
    EXPECT_EQ(b.transparentColor(), b.pixel(0, 3));
    b.setTransparent(true);
    EXPECT_TRUE(b.transparent());
    Bitmap copy = b;
    EXPECT_TRUE(copy.transparent());
    EXPECT_TRUE(copy.samePixels(b));
}

TEST(Bitmap, CopiesAreIndependent)
{
    Bitmap a = gradient(3, 3);
    Bitmap b = a;
    b.setPixel(0, 0, clRed);
    EXPECT_NE(a.pixel(0, 0), clRed);
    a = b;
    EXPECT_EQ(a.pixel(0, 0), clRed);
    Bitmap moved = std::move(a);
    EXPECT_EQ(moved.pixel(0, 0), clRed);
    EXPECT_TRUE(a.empty());
}

TEST(Bitmap, QImageRoundTrip)
{
    const Bitmap b = gradient(5, 3);
    const QImage image = b.toQImage();
    ASSERT_EQ(image.width(), 5);
    EXPECT_EQ(image.pixelColor(2, 1).red(), redOf(b.pixel(2, 1)));
    EXPECT_EQ(image.pixelColor(2, 1).blue(), blueOf(b.pixel(2, 1)));
    EXPECT_TRUE(Bitmap::fromQImage(image).samePixels(b));

    Bitmap indexed(6, 2, pf4bit);
    indexed.setPalette(palette16());
    indexed.setPixelIndex(3, 1, 7);
    const QImage q = indexed.toQImage();
    EXPECT_EQ(q.pixel(3, 1), qRgb(palette16()[7].red, palette16()[7].green, palette16()[7].blue));
}

TEST(SystemPalettes, FixedTables)
{
    const Palette& s = systemPalette20();
    ASSERT_EQ(s.count(), 20);
    EXPECT_EQ(s[0].color(), clBlack);
    EXPECT_EQ(s[1].color(), clMaroon);
    EXPECT_EQ(s[7].color(), clSilver);
    EXPECT_EQ(s[19].color(), clWhite);
    const Palette& h = halftonePalette256();
    ASSERT_EQ(h.count(), 256);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(h[i], s[i]);
        EXPECT_EQ(h[246 + i], s[10 + i]);
    }
    EXPECT_EQ(h[10].color(), clBlack);                  // cube starts at black
    EXPECT_EQ(h[10 + 215].color(), clWhite);            // and ends at white
    EXPECT_EQ(h[10 + 36 * 5].color(), rgbColor(255, 0, 0));
    EXPECT_EQ(vgaPalette16().count(), 16);
    EXPECT_EQ(blackWhitePalette().count(), 2);
}

TEST(Palette, NearestIndexPrefersLowestOnTies)
{
    Palette p({{0, 0, 0, 0}, {10, 0, 0, 0}, {10, 0, 0, 0}, {0, 10, 0, 0}});
    EXPECT_EQ(p.nearestIndex(rgbColor(9, 0, 0)), 1);
    EXPECT_EQ(p.nearestIndex(rgbColor(5, 5, 0)), 0); // equal distance to 0, 1 and 3
    EXPECT_EQ(Palette().nearestIndex(clRed), -1);
}
