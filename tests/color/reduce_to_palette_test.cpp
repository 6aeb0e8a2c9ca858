#include "color/color_lookup.h"
#include "color/fast_color_lookup.h"
#include "color/fixed_palettes.h"
#include "color/reduce_to_palette.h"
#include "color/reduction_types.h"
#include "platform/system_palettes.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

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

TEST(ReduceToPalette, DefaultsAreWebPaletteEightBitsNearest)
{
    EXPECT_EQ(DefaultReductionMethod, rdWebPalette);
    EXPECT_EQ(DefaultReductionBits, 8);
    EXPECT_EQ(DefaultDitherMethod, dtNearest);
}

TEST(ReduceToPalette, RedGreenBlueWhiteUnderTheWebPalette)
{
    const Rgb colors[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    Bitmap source = makeBitmap(2, 2, [&](int x, int y) { return colors[2 * y + x]; });
    const Bitmap result = ReduceToPalette(source, rdWebPalette, dtNearest, 8);
    ASSERT_EQ(result.width(), 2);
    ASSERT_EQ(result.height(), 2);
    EXPECT_EQ(result.pixelFormat(), pf8bit);
    EXPECT_EQ(indexAt(result, 0, 0), 180);
    EXPECT_EQ(indexAt(result, 1, 0), 30);
    EXPECT_EQ(indexAt(result, 0, 1), 5);
    EXPECT_EQ(indexAt(result, 1, 1), 215);
    const Palette web = MakeWebPalette();
    ASSERT_EQ(result.palette().count(), 256);
    for (int i = 0; i < 216; ++i)
        EXPECT_EQ(result.palette()[i].color(), web[i].color());
    for (int i = 216; i < 256; ++i)
        EXPECT_EQ(result.palette()[i], PaletteEntry{});
}

TEST(ReduceToPalette, MonochromeThreshold)
{
    Bitmap grey128 = uniformBitmap(5, 3, {128, 128, 128});
    Bitmap grey127 = uniformBitmap(5, 3, {127, 127, 127});
    const Bitmap white = ReduceToPalette(grey128, rdMonochrome, dtNearest, 8);
    const Bitmap black = ReduceToPalette(grey127, rdMonochrome, dtNearest, 8);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(indexAt(white, x, y), 1);
            EXPECT_EQ(indexAt(black, x, y), 0);
        }
    EXPECT_EQ(white.palette()[1].color(), clWhite);
}

TEST(ReduceToPalette, NoneGivesA24BitCopyAndLeavesTheSourceAlone)
{
    Bitmap source = noiseBitmap(6, 4, 1);
    source.setPixelFormat(pf8bit);
    const Bitmap before = source;
    const Bitmap result = ReduceToPalette(source, rdNone, dtFloydSteinberg, 8);
    EXPECT_EQ(result.pixelFormat(), pf24bit);
    EXPECT_TRUE(source.samePixels(before));
    EXPECT_EQ(source.pixelFormat(), pf8bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(result.pixel(x, y), source.pixel(x, y));
}

TEST(ReduceToPalette, OtherMethodsSwitchTheSourceTo24Bits)
{
    for (int m = rdWindows20; m <= rdPalette + 1; ++m) {
        SCOPED_TRACE(m);
        Bitmap source = noiseBitmap(4, 4, 2);
        source.setPixelFormat(pf4bit);
        ReduceToPalette(source, TReductionMethod(m), dtNearest, 8);
        EXPECT_EQ(source.pixelFormat(), pf24bit);
    }
}

TEST(ReduceToPalette, AbandonedRunsGiveAnEmptyBitmap)
{
    struct Case {
        const char* name;
        TReductionMethod method;
        TDitherMethod dither;
        bool withEmptyPalette;
    };
    const Case cases[] = {
        {"custom palette without a palette", rdPalette, dtNearest, false},
        {"custom palette without entries", rdPalette, dtFloydSteinberg, true},
        {"method 10", TReductionMethod(10), dtNearest, false},
        {"method 255", TReductionMethod(255), dtNearest, false},
        {"dither 7", rdWebPalette, TDitherMethod(7), false},
        {"dither 7 with a searched palette", rdWindows20, TDitherMethod(7), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bitmap source = noiseBitmap(5, 5, 4);
        const Palette empty;
        const Bitmap result = ReduceToPalette(source, c.method, c.dither, 8, c.withEmptyPalette ? &empty : nullptr);
        EXPECT_EQ(result.width(), 0);
        EXPECT_EQ(result.height(), 0);
    }
    // Abandonment comes before the size check.
    Bitmap none;
    EXPECT_EQ(ReduceToPalette(none, TReductionMethod(10), dtNearest, 8).width(), 0);
}

TEST(ReduceToPalette, ZeroSizedSourceIsRefused)
{
    for (int m = rdWindows20; m <= rdQuantizeWindows; ++m) {
        SCOPED_TRACE(m);
        Bitmap none;
        expectMessage([&] { ReduceToPalette(none, TReductionMethod(m), dtNearest, 8); },
                      "Invalid image dimensions");
    }
    Bitmap none;
    EXPECT_EQ(ReduceToPalette(none, rdNone, dtNearest, 8).width(), 0);
}

TEST(ReduceToPalette, ColourTableAndImportantCount)
{
    struct Case {
        TReductionMethod method;
        Palette palette;
    };
    const Palette custom({{1, 2, 3, 0}, {200, 100, 50, 0}, {9, 9, 9, 0}});
    const Case cases[] = {
        {rdWindows20, systemPalette20()}, {rdWindows256, halftonePalette256()},
        {rdWindowsGray, MakeGray4Palette()}, {rdMonochrome, MakeBlackWhitePalette()},
        {rdGrayScale, MakeGray256Palette()}, {rdPalette, custom},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.method));
        Bitmap source = noiseBitmap(9, 7, 5);
        const Bitmap result = ReduceToPalette(source, c.method, dtFloydSteinberg, 8, &custom);
        ASSERT_EQ(result.palette().count(), 256);
        for (int i = 0; i < 256; ++i) {
            const PaletteEntry expected =
                i < c.palette.count() ? PaletteEntry{c.palette[i].red, c.palette[i].green, c.palette[i].blue, 0}
                                      : PaletteEntry{};
            ASSERT_EQ(result.palette()[i], expected) << "entry " << i;
        }
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_LT(indexAt(result, x, y), c.palette.count());
    }
}

TEST(ReduceToPalette, QuantizeUsesTwoToTheBitsColoursKeptWithin1To8)
{
    struct Case {
        int bits;
        int colours;
    };
    const Case cases[] = {{3, 8}, {8, 256}, {0, 2}, {-5, 2}, {1, 2}, {9, 256}, {31, 256}, {1000, 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        Bitmap source = noiseBitmap(32, 32, 6);
        const Bitmap result = ReduceToPalette(source, rdQuantize, dtNearest, c.bits);
        ASSERT_EQ(result.width(), 32);
        int highest = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                highest = std::max(highest, indexAt(result, x, y));
        EXPECT_LT(highest, c.colours);
        // Entries beyond the optimized palette are zero in the colour table.
        for (int i = c.colours; i < 256; ++i)
            ASSERT_EQ(result.palette()[i], PaletteEntry{});
    }
}

TEST(ReduceToPalette, QuantizedImageWithFewColoursIsExact)
{
    const Rgb colors[] = {{10, 200, 30}, {250, 250, 0}, {0, 0, 0}, {77, 66, 55}};
    for (TReductionMethod m : {rdQuantize, rdQuantizeWindows}) {
        for (int d = dtNearest; d <= dtBurkes; ++d) {
            SCOPED_TRACE(testing::Message() << "method " << int(m) << " dither " << d);
            Bitmap source = makeBitmap(13, 9, [&](int x, int y) { return colors[(x * 7 + y * 3) % 4]; });
            const Bitmap result = ReduceToPalette(source, m, TDitherMethod(d), 8);
            for (int y = 0; y < 9; ++y)
                for (int x = 0; x < 13; ++x)
                    ASSERT_EQ(result.pixel(x, y), source.pixel(x, y));
        }
    }
}

// A plain error diffusion over a whole-image error array, with the kernels as tables, walking
// even rows left to right and odd rows right to left with the kernel mirrored; the reduction
// must give exactly its indexes.
struct ReferenceKernel {
    int divisor;
    int weights[4][7]; // rows 0..3 below, offsets -3..+3 in scan direction
};

const ReferenceKernel kReference[] = {
    {1, {}},
    {16, {{0, 0, 0, 0, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}}},
    {42, {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}}},
    {32, {{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}}},
    {48, {{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}}},
    {200, {{0, 0, 0, 0, 0, 32, 0}, {12, 0, 26, 0, 30, 0, 16}, {0, 12, 0, 26, 0, 12, 0}, {5, 0, 12, 0, 12, 0, 5}}},
    {32, {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}}},
};

std::vector<int> referenceReduce(const Bitmap& source, TColorLookup& lookup, TDitherMethod dither)
{
    const ReferenceKernel& k = kReference[dither];
    const int w = source.width(), h = source.height();
    std::vector<int> error(std::size_t(w) * h * 3, 0);
    std::vector<int> out(std::size_t(w) * h, -1);
    for (int y = 0; y < h; ++y) {
        const int dir = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = dir > 0 ? i : w - 1 - i;
            const std::uint8_t* p = source.scanLine(y) + 3 * x;
            const int in[3] = {p[2], p[1], p[0]};
            int c[3];
            for (int ch = 0; ch < 3; ++ch) {
                const int acc = error[(std::size_t(y) * w + x) * 3 + ch];
                c[ch] = std::clamp(in[ch] + (acc + k.divisor / 2) / k.divisor, 0, 255);
            }
            std::uint8_t o[3];
            out[std::size_t(y) * w + x] =
                lookup.MapColor(std::uint8_t(c[0]), std::uint8_t(c[1]), std::uint8_t(c[2]), o[0], o[1], o[2]);
            for (int ch = 0; ch < 3; ++ch) {
                const int e = c[ch] - o[ch];
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = -3; dx <= 3; ++dx) {
                        const int weight = k.weights[dy][dx + 3];
                        const int tx = x + dx * dir, ty = y + dy;
                        if (weight && tx >= 0 && tx < w && ty < h)
                            error[(std::size_t(ty) * w + tx) * 3 + ch] += e * weight;
                    }
            }
        }
    }
    return out;
}

TEST(ReduceToPalette, MatchesPlainErrorDiffusionForEveryMethod)
{
    struct LookupCase {
        TReductionMethod method;
        std::function<std::unique_ptr<TColorLookup>()> make;
    };
    const Palette custom({{0, 0, 0, 0}, {255, 255, 255, 0}, {200, 30, 40, 0}, {20, 160, 90, 0}, {60, 60, 220, 0}});
    const LookupCase lookups[] = {
        {rdWebPalette, [] { return std::make_unique<TNetscapeColorLookup>(); }},
        {rdGrayScale, [] { return std::make_unique<TGrayScaleLookup>(); }},
        {rdMonochrome, [] { return std::make_unique<TMonochromeLookup>(); }},
        {rdWindowsGray, [] { return std::make_unique<TFastColorLookup>(MakeGray4Palette()); }},
        {rdPalette, [&] { return std::make_unique<TFastColorLookup>(custom); }},
    };
    for (const auto& l : lookups) {
        for (int d = dtNearest; d <= dtBurkes; ++d) {
            for (int width : {1, 2, 3, 17}) {
                SCOPED_TRACE(testing::Message() << "method " << int(l.method) << " dither " << d << " width " << width);
                Bitmap source = noiseBitmap(width, 9, std::uint32_t(width * 31 + d));
                auto lookup = l.make();
                const std::vector<int> expected = referenceReduce(source, *lookup, TDitherMethod(d));
                const Bitmap result = ReduceToPalette(source, l.method, TDitherMethod(d), 8, &custom);
                ASSERT_EQ(result.width(), width);
                for (int y = 0; y < 9; ++y)
                    for (int x = 0; x < width; ++x)
                        ASSERT_EQ(indexAt(result, x, y), expected[std::size_t(y) * width + x]) << x << ", " << y;
            }
        }
    }
}

TEST(ReduceToPalette, OnePixelWideUnderEveryMethodAndDither)
{
    const Palette custom({{0, 0, 0, 0}, {255, 0, 0, 0}});
    for (int m = rdNone; m <= rdPalette; ++m)
        for (int d = dtNearest; d <= dtBurkes; ++d) {
            SCOPED_TRACE(testing::Message() << "method " << m << " dither " << d);
            Bitmap source = noiseBitmap(1, 12, std::uint32_t(m * 7 + d));
            const Bitmap result = ReduceToPalette(source, TReductionMethod(m), TDitherMethod(d), 4, &custom);
            EXPECT_EQ(result.width(), 1);
            EXPECT_EQ(result.height(), 12);
            EXPECT_EQ(result.pixelFormat(), m == rdNone ? pf24bit : pf8bit);
        }
}

TEST(ReduceToPalette, PhotoUnderEveryMethodAndDither)
{
    Bitmap photo = loadSample("harvesters.png");
    ASSERT_GT(photo.width(), 0) << "harvesters.png not found";
    const Palette custom = MakeGray4Palette();
    // Palette size of each method (rdNone keeps the colours).
    const int colours[] = {0, 20, 256, 4, 2, 256, 216, 256, 256, 4};
    for (int m = rdNone; m <= rdPalette; ++m)
        for (int d = dtNearest; d <= dtBurkes; ++d) {
            SCOPED_TRACE(testing::Message() << "method " << m << " dither " << d);
            Bitmap source = photo;
            const Bitmap result = ReduceToPalette(source, TReductionMethod(m), TDitherMethod(d), 8, &custom);
            ASSERT_EQ(result.width(), photo.width());
            ASSERT_EQ(result.height(), photo.height());
            if (m == rdNone) {
                ASSERT_TRUE(result.samePixels(photo));
                continue;
            }
            int highest = 0;
            for (int y = 0; y < result.height(); ++y) {
                const std::uint8_t* row = result.scanLine(y);
                for (int x = 0; x < result.width(); ++x)
                    highest = std::max<int>(highest, row[x]);
            }
            EXPECT_LT(highest, colours[m]);
        }
}

} // namespace
