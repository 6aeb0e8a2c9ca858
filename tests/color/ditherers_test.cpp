#include "color/burkes_ditherer.h"
#include "color/color_lookup.h"
#include "color/dither_engine.h"
#include "color/five_by_three_ditherers.h"
#include "color/fixed_palettes.h"
#include "color/floyd_steinberg_ditherer.h"
#include "color/steve_arche_ditherer.h"
#include "color/reduction_types.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

std::unique_ptr<TDitherEngine> makeDitherer(TDitherMethod method, int width, TColorLookup& lookup)
{
    switch (method) {
    case dtNearest:
        return std::make_unique<TDitherEngine>(width, lookup);
    case dtFloydSteinberg:
        return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case dtStucki:
        return std::make_unique<TStuckiDitherer>(width, lookup);
    case dtSierra:
        return std::make_unique<TSierraDitherer>(width, lookup);
    case dtJaJuNi:
        return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case dtSteveArche:
        return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case dtBurkes:
        return std::make_unique<TBurkesDitherer>(width, lookup);
    }
    return nullptr;
}

// Records the corrected colours it is asked for and answers like the monochrome lookup.
class RecordingMonochrome final : public TColorLookup {
public:
    RecordingMonochrome() : TColorLookup(2) {}
    std::uint8_t MapColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t& outR, std::uint8_t& outG,
                          std::uint8_t& outB) override
    {
        seen.push_back(r);
        return inner.MapColor(r, g, b, outR, outG, outB);
    }
    std::vector<int> seen;
    TMonochromeLookup inner;
};

std::vector<int> firstRow(TDitherEngine& d, int width, std::uint8_t grey, std::vector<int>& indexes)
{
    for (int x = 0; x < width; ++x) {
        std::uint8_t r, g, b;
        indexes.push_back(d.DitherPixel(grey, grey, grey, r, g, b));
    }
    return indexes;
}

TEST(Ditherers, MidGreyUnderBlackAndWhite)
{
    struct Case {
        TDitherMethod method;
        std::vector<int> indexes;
        std::vector<int> corrected;
    };
    const Case cases[] = {
        {dtNearest, {1, 1, 1, 1}, {128, 128, 128, 128}},
        // 73 = 128 + (-889 + 8) div 16: the carry of -889 rounds toward zero to -55.
        {dtFloydSteinberg, {1, 0, 1, 0}, {128, 73, 160, 87}},
        {dtStucki, {1, 0, 1}, {128, 105, 136}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.method));
        RecordingMonochrome lookup;
        auto d = makeDitherer(c.method, 8, lookup);
        std::vector<int> indexes;
        firstRow(*d, int(c.indexes.size()), 128, indexes);
        EXPECT_EQ(indexes, c.indexes);
        EXPECT_EQ(lookup.seen, c.corrected);
    }
}

TEST(Ditherers, NegativeSharesRoundTowardZero)
{
    // After white for 128, the carry is 7 x (128 - 255) = -889; -889 + 8 = -881, and -881 div 16
    // is -55 when truncated (flooring would give -56, so the pixel would see 72).
    RecordingMonochrome lookup;
    TFloydSteinbergDitherer d(4, lookup);
    std::uint8_t r, g, b;
    d.DitherPixel(128, 128, 128, r, g, b);
    d.DitherPixel(128, 128, 128, r, g, b);
    EXPECT_EQ(lookup.seen[1], 128 - 55);
}

TEST(Ditherers, SerpentineWalk)
{
    TMonochromeLookup lookup;
    for (int m = dtNearest; m <= dtBurkes; ++m) {
        SCOPED_TRACE(m);
        auto d = makeDitherer(TDitherMethod(m), 3, lookup);
        EXPECT_EQ(d->ScanDirection(), 1);
        EXPECT_EQ(d->CurrentColumn(), 0);
        std::uint8_t r, g, b;
        for (int i = 0; i < 3; ++i)
            d->DitherPixel(0, 0, 0, r, g, b);
        EXPECT_EQ(d->CurrentColumn(), 3);
        d->StartNextRow();
        EXPECT_EQ(d->ScanDirection(), -1);
        EXPECT_EQ(d->CurrentColumn(), 2);
        for (int i = 0; i < 3; ++i)
            d->DitherPixel(0, 0, 0, r, g, b);
        EXPECT_EQ(d->CurrentColumn(), -1);
        d->StartNextRow();
        EXPECT_EQ(d->ScanDirection(), 1);
        EXPECT_EQ(d->CurrentColumn(), 0);
        if (m != dtNearest) {
            d->StartNextRow();
            for (int i = 0; i < 3; ++i)
                d->DitherPixel(0, 0, 0, r, g, b);
            EXPECT_THROW(d->DitherPixel(0, 0, 0, r, g, b), ERangeError); // past the row's end
        }
    }
}

// Returns every colour unchanged except a marked one (green 1), which it maps to red 0, so the
// marked pixel is the only one whose error (its red value) is diffused.
class MarkerLookup final : public TColorLookup {
public:
    MarkerLookup() : TColorLookup(256) {}
    std::uint8_t MapColor(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t& outR, std::uint8_t& outG,
                          std::uint8_t& outB) override
    {
        seen[{row, column++}] = r;
        outR = g == 1 ? 0 : r;
        outG = g;
        outB = b;
        return 0;
    }
    std::map<std::pair<int, int>, int> seen; // (row, column in walk order) -> corrected red
    int row = 0;
    int column = 0;
};

struct Kernel {
    TDitherMethod method;
    int divisor;
    // weights[dy][dx + 3]: rows 0..3 below the pixel, offsets -3..+3 in scan direction.
    int weights[4][7];
};

const Kernel kKernels[] = {
    {dtFloydSteinberg, 16, {{0, 0, 0, 0, 7, 0, 0}, {0, 0, 3, 5, 1, 0, 0}}},
    {dtStucki, 42, {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}, {0, 1, 2, 4, 2, 1, 0}}},
    {dtSierra, 32, {{0, 0, 0, 0, 5, 3, 0}, {0, 2, 4, 5, 4, 2, 0}, {0, 0, 2, 3, 2, 0, 0}}},
    {dtJaJuNi, 48, {{0, 0, 0, 0, 7, 5, 0}, {0, 3, 5, 7, 5, 3, 0}, {0, 1, 3, 5, 3, 1, 0}}},
    {dtSteveArche,
     200,
     {{0, 0, 0, 0, 0, 32, 0}, {12, 0, 26, 0, 30, 0, 16}, {0, 12, 0, 26, 0, 12, 0}, {5, 0, 12, 0, 12, 0, 5}}},
    {dtBurkes, 32, {{0, 0, 0, 0, 8, 4, 0}, {0, 2, 4, 8, 4, 2, 0}}},
};

TEST(Ditherers, KernelsAndTheirMirroring)
{
    constexpr int width = 11, height = 6, markX = 5, error = 100;
    for (const auto& k : kKernels) {
        int sum = 0;
        for (const auto& row : k.weights)
            for (int w : row)
                sum += w;
        EXPECT_EQ(sum, k.divisor);
        for (int markRow : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "method " << int(k.method) << ", marked row " << markRow);
            MarkerLookup lookup;
            auto d = makeDitherer(k.method, width, lookup);
            const int markDirection = markRow % 2 == 0 ? 1 : -1;
            for (int y = 0; y < height; ++y) {
                lookup.row = y;
                lookup.column = 0;
                for (int i = 0; i < width; ++i) {
                    const int x = d->CurrentColumn();
                    const bool marked = y == markRow && x == markX;
                    std::uint8_t r, g, b;
                    d->DitherPixel(marked ? error : 0, marked ? 1 : 0, 0, r, g, b);
                }
                d->StartNextRow();
            }
            for (int y = 0; y < height; ++y)
                for (int i = 0; i < width; ++i) {
                    const int x = y % 2 == 0 ? i : width - 1 - i;
                    int expected = 0;
                    if (y == markRow && x == markX) {
                        expected = error;
                    } else {
                        const int dy = y - markRow;
                        const int dx = (x - markX) * markDirection;
                        if (dy >= 0 && dy < 4 && dx >= -3 && dx <= 3 && (dy > 0 || dx > 0)) {
                            const int w = k.weights[dy][dx + 3];
                            if (w != 0)
                                expected = (error * w + k.divisor / 2) / k.divisor;
                        }
                    }
                    EXPECT_EQ(lookup.seen[std::make_pair(y, i)], expected) << "pixel " << x << ", " << y;
                }
        }
    }
}

TEST(Ditherers, OnePixelWideImages)
{
    for (int m = dtNearest; m <= dtBurkes; ++m) {
        SCOPED_TRACE(m);
        RecordingMonochrome lookup;
        auto d = makeDitherer(TDitherMethod(m), 1, lookup);
        std::vector<int> indexes;
        for (int y = 0; y < 6; ++y) {
            std::uint8_t r, g, b;
            EXPECT_EQ(d->CurrentColumn(), 0);
            indexes.push_back(d->DitherPixel(128, 128, 128, r, g, b));
            d->StartNextRow();
        }
        // Mid-grey alternates in a column as well once any error reaches the row below.
        EXPECT_EQ(indexes[0], 1);
        if (m != dtNearest && m != dtSteveArche) {
            EXPECT_EQ(indexes[1], 0);
        }
    }
}

TEST(Ditherers, ExactPaletteColourHasNoError)
{
    TNetscapeColorLookup lookup;
    for (int m = dtNearest; m <= dtBurkes; ++m) {
        SCOPED_TRACE(m);
        auto d = makeDitherer(TDitherMethod(m), 4, lookup);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 4; ++x) {
                std::uint8_t r, g, b;
                EXPECT_EQ(d->DitherPixel(102, 204, 51, r, g, b), 36 * 2 + 6 * 4 + 1);
            }
            d->StartNextRow();
        }
    }
}

} // namespace
