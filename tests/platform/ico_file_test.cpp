#include "platform/ico_file.h"
#include "platform/canvas.h"
#include "platform/exceptions.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

void put16(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
void put32(std::vector<std::uint8_t>& v, std::uint32_t x)
{
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

// A BMP-style icon image: info header (height doubled), colour table, colour rows and AND
// rows, both bottom-up. value(x, y) is a palette index, or 0xAARRGGBB for 24 and 32 bits.
struct IconImageLayout {
    int width = 3;
    int height = 2;
    int bits = 24;
    std::vector<std::uint32_t> colors; // 0xRRGGBB
    std::function<std::uint32_t(int, int)> value = [](int, int) { return 0u; };
    std::function<bool(int, int)> masked = [](int, int) { return false; };
    bool withMask = true;
    std::int32_t headerHeight = 0; // 0: twice the height
};

std::vector<std::uint8_t> iconImage(const IconImageLayout& s)
{
    std::vector<std::uint8_t> v;
    put32(v, 40);
    put32(v, std::uint32_t(s.width));
    put32(v, std::uint32_t(s.headerHeight != 0 ? s.headerHeight : s.height * 2));
    put16(v, 1);
    put16(v, std::uint32_t(s.bits));
    put32(v, 0);
    put32(v, 0);
    for (int i = 0; i < 4; ++i)
        put32(v, 0);
    for (std::uint32_t c : s.colors)
        put32(v, c);
    const std::size_t stride = std::size_t((s.width * s.bits + 31) / 32 * 4);
    for (int y = s.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < s.width; ++x) {
            const std::uint32_t val = s.value(x, y);
            switch (s.bits) {
            case 1:
                row[std::size_t(x / 8)] |= std::uint8_t((val & 1) << (7 - x % 8));
                break;
            case 4:
                row[std::size_t(x / 2)] |= std::uint8_t((val & 15) << (x % 2 == 0 ? 4 : 0));
                break;
            case 8:
                row[std::size_t(x)] = std::uint8_t(val);
                break;
            default:
                for (int b = 0; b < s.bits / 8; ++b)
                    row[std::size_t(x * s.bits / 8 + b)] = std::uint8_t(val >> (8 * b));
            }
        }
        v.insert(v.end(), row.begin(), row.end());
    }
    if (s.withMask) {
        const std::size_t maskStride = std::size_t((s.width + 31) / 32 * 4);
        for (int y = s.height - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(maskStride, 0);
            for (int x = 0; x < s.width; ++x)
                if (s.masked(x, y))
                    row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
            v.insert(v.end(), row.begin(), row.end());
        }
    }
    return v;
}

struct DirEntry {
    std::vector<std::uint8_t> data;
    int width = 0; // directory values
    int height = 0;
    int bits = 0;
};

std::vector<std::uint8_t> makeIco(const std::vector<DirEntry>& entries)
{
    std::vector<std::uint8_t> v;
    put16(v, 0);
    put16(v, 1);
    put16(v, std::uint32_t(entries.size()));
    std::uint32_t offset = std::uint32_t(6 + 16 * entries.size());
    for (const DirEntry& e : entries) {
        v.push_back(std::uint8_t(e.width));
        v.push_back(std::uint8_t(e.height));
        v.push_back(0);
        v.push_back(0);
        put16(v, 1);
        put16(v, std::uint32_t(e.bits));
        put32(v, std::uint32_t(e.data.size()));
        put32(v, offset);
        offset += std::uint32_t(e.data.size());
    }
    for (const DirEntry& e : entries)
        v.insert(v.end(), e.data.begin(), e.data.end());
    return v;
}

std::vector<std::uint8_t> pngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

Icon readBytes(const std::vector<std::uint8_t>& bytes)
{
    MemoryStream stream(bytes);
    return readIcon(stream);
}

// The colours of the 3 x 2 test icon: distinct per pixel.
std::uint32_t colourAt(int x, int y) { return std::uint32_t(0x102030 + x * 0x400000 + y * 0x000040); }
TColor tcolorOf(std::uint32_t rrggbb)
{
    return rgbColor(std::uint8_t(rrggbb >> 16), std::uint8_t(rrggbb >> 8), std::uint8_t(rrggbb));
}

} // namespace

TEST(IconFile, AndMaskBecomesTransparencyWithAKeyColour)
{
    IconImageLayout s; // 3 x 2, 24 bits: odd width pads colour and mask rows
    s.value = colourAt;
    s.masked = [](int x, int y) { return (x == 0 && y == 1) || (x == 2 && y == 0); };
    const Icon icon = readBytes(makeIco({{iconImage(s), 3, 2, 24}}));
    ASSERT_EQ(icon.width(), 3);
    ASSERT_EQ(icon.height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(icon.isTransparentAt(x, y), s.masked(x, y)) << x << "," << y;
            EXPECT_EQ(icon.mask().pixelIndex(x, y), s.masked(x, y) ? 1 : 0);
            if (!s.masked(x, y)) {
                EXPECT_EQ(icon.image().pixel(x, y), tcolorOf(colourAt(x, y)));
            }
        }

    const Bitmap b = icon.toBitmap();
    EXPECT_EQ(b.pixelFormat(), pf24bit);
    EXPECT_TRUE(b.transparent()); // the bottom-left pixel is masked
    EXPECT_EQ(b.transparentColor(), icon.keyColor());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(b.pixel(x, y) == icon.keyColor(), s.masked(x, y)) << x << "," << y;
}

TEST(IconFile, OpaqueBottomLeftLeavesTheBitmapUnmarked)
{
    IconImageLayout s;
    s.value = [](int, int) { return 0xFF00FFu; }; // the first key candidate is taken by opaque pixels
    s.masked = [](int x, int y) { return x == 1 && y == 0; };
    const Icon icon = readBytes(makeIco({{iconImage(s), 3, 2, 24}}));
    EXPECT_NE(icon.keyColor(), clFuchsia);
    const Bitmap b = icon.toBitmap();
    EXPECT_FALSE(b.transparent());
    EXPECT_EQ(b.pixel(1, 0), icon.keyColor());
    EXPECT_EQ(b.pixel(0, 1), clFuchsia);
}

TEST(IconFile, IndexedAndAlphaImages)
{
    struct Case {
        const char* label;
        IconImageLayout layout;
        std::vector<std::vector<bool>> transparent; // [y][x]
        std::vector<std::vector<TColor>> colours;   // of opaque pixels
    };
    IconImageLayout oneBit;
    oneBit.bits = 1;
    oneBit.colors = {0x0000FF, 0xFFFF00};
    oneBit.value = [](int x, int) { return std::uint32_t(x % 2); };
    oneBit.masked = [](int x, int y) { return x == 2 && y == 1; };

    IconImageLayout fourBit = oneBit;
    fourBit.bits = 4;
    fourBit.colors.assign(16, 0);
    fourBit.colors[5] = 0x00FF00;
    fourBit.colors[9] = 0xFF0000;
    fourBit.value = [](int x, int) { return x == 1 ? 9u : 5u; };

    IconImageLayout eightBit = fourBit;
    eightBit.bits = 8;
    eightBit.colors.assign(256, 0);
    eightBit.colors[200] = 0x808080;
    eightBit.colors[9] = 0xFF0000;
    eightBit.value = [](int x, int) { return x == 1 ? 9u : 200u; };

    // 32 bits: alpha 0 and 127 are transparent, 128 and 255 opaque; the AND mask is ignored.
    IconImageLayout alpha;
    alpha.bits = 32;
    alpha.value = [](int x, int y) {
        static const std::uint32_t a[2][3] = {{0x00, 0x7F, 0x80}, {0xFF, 0xFF, 0x00}};
        return (a[y][x] << 24) | 0x00FF00u;
    };
    alpha.masked = [](int, int) { return true; };

    // 32 bits without any alpha: the AND mask decides.
    IconImageLayout noAlpha = alpha;
    noAlpha.value = [](int, int) { return 0x000000FFu; };
    noAlpha.masked = [](int x, int) { return x == 0; };

    const Case cases[] = {
        {"1 bit", oneBit, {{false, false, false}, {false, false, true}}, {{clBlue, clYellow, clBlue}, {clBlue, clYellow, 0}}},
        {"4 bits", fourBit, {{false, false, false}, {false, false, true}}, {{clLime, clRed, clLime}, {clLime, clRed, 0}}},
        {"8 bits", eightBit, {{false, false, false}, {false, false, true}}, {{clGray, clRed, clGray}, {clGray, clRed, 0}}},
        {"32 bits alpha", alpha, {{true, true, false}, {false, false, true}}, {{0, 0, clLime}, {clLime, clLime, 0}}},
        {"32 bits mask", noAlpha, {{true, false, false}, {true, false, false}}, {{0, clBlue, clBlue}, {0, clBlue, clBlue}}},
    };
    for (const Case& c : cases) {
        const Icon icon = readBytes(makeIco({{iconImage(c.layout), 3, 2, c.layout.bits}}));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                EXPECT_EQ(icon.isTransparentAt(x, y), c.transparent[std::size_t(y)][std::size_t(x)])
                    << c.label << " " << x << "," << y;
                if (!c.transparent[std::size_t(y)][std::size_t(x)]) {
                    EXPECT_EQ(icon.image().pixel(x, y), c.colours[std::size_t(y)][std::size_t(x)])
                        << c.label << " " << x << "," << y;
                }
            }
    }
}

TEST(IconFile, PicksTheLargestImageThenTheDeepest)
{
    auto solid = [](int size, int bits, std::uint32_t colour) {
        IconImageLayout s;
        s.width = size;
        s.height = size;
        s.bits = bits;
        if (bits <= 8) {
            s.colors.assign(std::size_t(1) << bits, colour);
            s.value = [](int, int) { return 1u; };
        } else {
            s.value = [colour](int, int) { return colour; };
        }
        return iconImage(s);
    };
    // Directory values lie (all 16 x 16, 0 bits): the images' own headers decide.
    const std::vector<std::uint8_t> file = makeIco({
        {solid(16, 24, 0xFF0000), 16, 16, 0},
        {solid(32, 4, 0x00FF00), 16, 16, 0},
        {solid(32, 24, 0x0000FF), 16, 16, 0},
        {solid(32, 8, 0xFFFFFF), 16, 16, 0},
    });
    const Icon icon = readBytes(file);
    EXPECT_EQ(icon.width(), 32);
    EXPECT_EQ(icon.image().pixel(5, 5), clBlue);

    // A PNG image of 48 x 48 wins over them; its alpha gives the transparency.
    QImage png(48, 48, QImage::Format_ARGB32);
    png.fill(qRgba(255, 128, 0, 255));
    png.setPixel(0, 47, qRgba(0, 0, 0, 0));
    png.setPixel(1, 47, qRgba(0, 0, 0, 100));
    png.setPixel(2, 47, qRgba(10, 20, 30, 200));
    const Icon withPng = readBytes(makeIco({{solid(32, 24, 0x0000FF), 32, 32, 24}, {pngBytes(png), 48, 48, 32}}));
    ASSERT_EQ(withPng.width(), 48);
    EXPECT_EQ(withPng.image().pixel(10, 10), rgbColor(255, 128, 0));
    EXPECT_TRUE(withPng.isTransparentAt(0, 47));
    EXPECT_TRUE(withPng.isTransparentAt(1, 47));
    EXPECT_FALSE(withPng.isTransparentAt(2, 47));
    EXPECT_EQ(withPng.image().pixel(2, 47), rgbColor(10, 20, 30));
    EXPECT_TRUE(withPng.toBitmap().transparent());
}

TEST(IconFile, SaveAndReloadKeepsColoursAndTransparency)
{
    IconImageLayout s;
    s.width = 5;
    s.height = 3;
    s.value = [](int x, int y) { return std::uint32_t(0x203040 + x * 0x100000 + y * 0x10); };
    s.masked = [](int x, int y) { return (x + y) % 3 == 0; };
    const Icon icon = readBytes(makeIco({{iconImage(s), 5, 3, 24}}));
    MemoryStream out;
    icon.saveToStream(out);
    out.setPosition(0);
    Icon back;
    int changes = 0;
    back.onChange = [&](Graphic&) { ++changes; };
    back.loadFromStream(out);
    EXPECT_EQ(changes, 1);
    ASSERT_EQ(back.width(), 5);
    ASSERT_EQ(back.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(back.isTransparentAt(x, y), icon.isTransparentAt(x, y));
            if (!icon.isTransparentAt(x, y)) {
                EXPECT_EQ(back.image().pixel(x, y), icon.image().pixel(x, y));
            }
        }
    MemoryStream nothing;
    Icon().saveToStream(nothing);
    EXPECT_EQ(nothing.size(), 0);
}

TEST(IconFile, DamagedFilesRaiseNamedErrors)
{
    IconImageLayout s;
    s.value = colourAt;
    const std::vector<std::uint8_t> good = makeIco({{iconImage(s), 3, 2, 24}});
    ASSERT_NO_THROW(readBytes(good));

    auto changed = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> v = good;
        v[at] = value;
        return v;
    };
    auto withImage = [](auto change) {
        IconImageLayout layout;
        change(layout);
        return makeIco({{iconImage(layout), 3, 2, 24}});
    };
    std::vector<std::uint8_t> noMask = good;
    noMask.resize(noMask.size() - 8); // the two AND rows
    std::vector<std::uint8_t> shortColours = withImage([](IconImageLayout& layout) { layout.withMask = false; });
    shortColours.resize(shortColours.size() - 1);
    std::vector<std::uint8_t> badPng = makeIco({{{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 1, 2, 3, 4}, 16, 16, 32}});
    // Directory says the image runs past the end of the file.
    std::vector<std::uint8_t> pastEnd = good;
    pastEnd[6 + 8] = 0xFF;
    pastEnd[6 + 9] = 0xFF;

    struct Case {
        const char* label;
        std::vector<std::uint8_t> bytes;
        const char* text;
    };
    const Case cases[] = {
        {"empty", {}, "Icon file is truncated"},
        {"reserved word set", changed(0, 1), "Invalid icon file"},
        {"unknown type", changed(2, 3), "Invalid icon file"},
        {"no images", changed(4, 0), "Icon file contains no images"},
        {"directory cut", std::vector<std::uint8_t>(good.begin(), good.begin() + 12), "Icon file is truncated"},
        {"image outside the file", pastEnd, "Icon file is truncated"},
        {"mask missing", noMask, "Icon file is truncated"},
        {"colour rows cut", shortColours, "Icon file is truncated"},
        {"top-down image", withImage([](IconImageLayout& layout) { layout.headerHeight = -4; }), "Invalid bitmap header"},
        {"height of one row", withImage([](IconImageLayout& layout) { layout.headerHeight = 1; }), "Invalid bitmap dimensions"},
        {"huge image", withImage([](IconImageLayout& layout) { layout.headerHeight = 20000; }), "Icon image is too large"},
        {"bit depth 7", withImage([](IconImageLayout& layout) { layout.bits = 7; }), "Unsupported bitmap bit depth"},
        {"broken png", badPng, "Invalid PNG image in icon file"},
    };
    for (const Case& c : cases) {
        try {
            readBytes(c.bytes);
            ADD_FAILURE() << c.label << ": no exception";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), c.text) << c.label;
        }
    }

    // Every prefix of a file fails cleanly.
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_THROW(readBytes(std::vector<std::uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(n))),
                     EInvalidGraphic)
            << n;

    // A failed load keeps the icon as it was.
    Icon icon = readBytes(good);
    MemoryStream bad(noMask);
    EXPECT_THROW(icon.loadFromStream(bad), EInvalidGraphic);
    EXPECT_EQ(icon.width(), 3);
}

TEST(IconFile, DrawingLeavesTransparentPixelsUntouchedAtAnyScale)
{
    Bitmap image(2, 2, pf24bit);
    image.fill(clRed);
    Bitmap mask(2, 2, pf1bit);
    mask.fill(clBlack);
    mask.setPixelIndex(0, 1, 1);
    const Icon icon(image, mask);
    for (int scale : {1, 2, 3}) {
        Bitmap target(2 * scale, 2 * scale, pf24bit);
        target.fill(clLime);
        icon.draw(target.canvas(), Rect{0, 0, 2 * scale, 2 * scale});
        for (int y = 0; y < 2 * scale; ++y)
            for (int x = 0; x < 2 * scale; ++x)
                EXPECT_EQ(target.pixel(x, y), (x < scale && y >= scale) ? clLime : clRed) << scale << ": " << x << "," << y;
    }
}
