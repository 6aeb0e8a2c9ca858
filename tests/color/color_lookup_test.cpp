#include "color/color_lookup.h"
#include "color/fast_color_lookup.h"
#include "color/fixed_palettes.h"
#include "test_images.h"

#include <gtest/gtest.h>

namespace {

struct LookupCase {
    const char* name;
    Rgb in;
    int index;
    Rgb out;
};

void expectCases(TColorLookup& lookup, const std::vector<LookupCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t r = 1, g = 2, b = 3;
        EXPECT_EQ(lookup.MapColor(c.in.r, c.in.g, c.in.b, r, g, b), c.index);
        EXPECT_EQ(r, c.out.r);
        EXPECT_EQ(g, c.out.g);
        EXPECT_EQ(b, c.out.b);
    }
}

TEST(NetscapeColorLookup, MapsToTheWebCube)
{
    TNetscapeColorLookup lookup(MakeWebPalette());
    EXPECT_EQ(lookup.ColorCount(), 216);
    expectCases(lookup, {
                            {"black", {0, 0, 0}, 0, {0, 0, 0}},
                            {"white", {255, 255, 255}, 215, {255, 255, 255}},
                            {"pure red", {255, 0, 0}, 180, {255, 0, 0}},
                            {"pure green", {0, 255, 0}, 30, {0, 255, 0}},
                            {"pure blue", {0, 0, 255}, 5, {0, 0, 255}},
                            {"47 is level 0", {47, 47, 47}, 0, {0, 0, 0}},
                            {"48 is level 1", {48, 0, 0}, 36, {51, 0, 0}},
                            {"251 is level 4", {0, 251, 0}, 24, {0, 204, 0}},
                            {"252 is level 5", {0, 0, 252}, 5, {0, 0, 255}},
                            {"mixed levels", {99, 150, 98}, 36 * 2 + 6 * 3 + 1, {102, 153, 51}},
                        });
}

TEST(NetscapeColorLookup, LevelBoundaries)
{
    const int firsts[] = {0, 48, 99, 150, 201, 252};
    for (int level = 0; level < 6; ++level) {
        EXPECT_EQ(TNetscapeColorLookup::level(std::uint8_t(firsts[level])), level);
        if (level > 0) {
            EXPECT_EQ(TNetscapeColorLookup::level(std::uint8_t(firsts[level] - 1)), level - 1);
        }
    }
}

TEST(GrayScaleLookup, UsesWeightedLuminance)
{
    TGrayScaleLookup lookup(MakeGray256Palette());
    EXPECT_EQ(lookup.ColorCount(), 256);
    expectCases(lookup, {
                            {"white", {255, 255, 255}, 255, {255, 255, 255}},
                            {"red", {255, 0, 0}, 76, {76, 76, 76}},
                            {"green", {0, 255, 0}, 149, {149, 149, 149}},
                            {"blue", {0, 0, 255}, 28, {28, 28, 28}},
                            {"black", {0, 0, 0}, 0, {0, 0, 0}},
                        });
}

TEST(MonochromeLookup, ThresholdIsStrictlyAbove0x7F00)
{
    TMonochromeLookup lookup(MakeBlackWhitePalette());
    EXPECT_EQ(lookup.ColorCount(), 2);
    expectCases(lookup, {
                            {"128 grey sums to 32768", {128, 128, 128}, 1, {255, 255, 255}},
                            {"127 grey sums to 32512", {127, 127, 127}, 0, {0, 0, 0}},
                            {"yellow", {255, 255, 0}, 1, {255, 255, 255}},
                            {"blue", {0, 0, 255}, 0, {0, 0, 0}},
                        });
}

TEST(FastColorLookup, CityBlockSearchLowestIndexWinsTies)
{
    TFastColorLookup lookup(MakeGray4Palette());
    EXPECT_EQ(lookup.ColorCount(), 4);
    expectCases(lookup, {
                            {"100 is nearer to grey than to black", {100, 100, 100}, 1, {128, 128, 128}},
                            {"160 ties grey and silver", {160, 160, 160}, 1, {128, 128, 128}},
                            {"161 is nearer to silver", {161, 168, 168}, 2, {192, 192, 192}},
                            {"exact white", {255, 255, 255}, 3, {255, 255, 255}},
                        });
}

TEST(FastColorLookup, SharedCellBelongsToTheLowestEntry)
{
    TFastColorLookup lookup(Palette({{8, 8, 8, 0}, {15, 15, 15, 0}}));
    std::uint8_t r, g, b;
    EXPECT_EQ(lookup.MapColor(15, 15, 15, r, g, b), 0);
    EXPECT_EQ(r, 8);
    EXPECT_EQ(lookup.searchCount(), 0); // seeded cell: no search
}

TEST(FastColorLookup, CachedCellAnswersWithoutSearching)
{
    // (207, 7, 7) is nearer to entry 1, but shares the cell of (200, 0, 0), which is searched
    // first and finds entry 0.
    TFastColorLookup lookup(Palette({{190, 0, 0, 0}, {215, 15, 15, 0}}));
    std::uint8_t r, g, b;
    EXPECT_EQ(lookup.cachedIndex(TFastColorLookup::keyOf(200, 0, 0)), -1);
    EXPECT_EQ(lookup.MapColor(200, 0, 0, r, g, b), 0);
    EXPECT_EQ(lookup.searchCount(), 1);
    EXPECT_EQ(lookup.MapColor(207, 7, 7, r, g, b), 0);
    EXPECT_EQ(lookup.searchCount(), 1);
    EXPECT_EQ(r, 190);
    // A fresh lookup searches (207, 7, 7) itself and finds the nearer entry.
    TFastColorLookup fresh(Palette({{190, 0, 0, 0}, {215, 15, 15, 0}}));
    EXPECT_EQ(fresh.MapColor(207, 7, 7, r, g, b), 1);
}

TEST(FastColorLookup, KeyLayout)
{
    EXPECT_EQ(TFastColorLookup::keyOf(0xFF, 0, 0), 0x1F);
    EXPECT_EQ(TFastColorLookup::keyOf(0, 0xFF, 0), 0x1F << 5);
    EXPECT_EQ(TFastColorLookup::keyOf(0, 0, 0xFF), 0x1F << 10);
    EXPECT_EQ(TFastColorLookup::keyOf(7, 7, 7), 0);
}

TEST(FastColorLookup, EmptyPaletteHasNoColours)
{
    TFastColorLookup lookup{Palette()};
    EXPECT_EQ(lookup.ColorCount(), 0);
}

TEST(FastColorLookup, TakesAtMost256Entries)
{
    // 256 blacks, then whites: only the blacks can be chosen.
    Palette big(std::vector<PaletteEntry>(256));
    for (int i = 0; i < 44; ++i)
        big.append({255, 255, 255, 0});
    TFastColorLookup lookup(big);
    EXPECT_EQ(lookup.ColorCount(), 256);
    std::uint8_t r, g, b;
    EXPECT_EQ(lookup.MapColor(255, 255, 255, r, g, b), 0);
    EXPECT_EQ(r, 0);
}

TEST(FastColorLookup, MatchesExhaustiveSearchOnFirstUse)
{
    // Over the halftone palette each colour's own search gives the nearest city-block entry.
    const Palette palette = MakeHalftonePalette();
    std::uint32_t seed = 7;
    for (int n = 0; n < 200; ++n) {
        seed = seed * 1664525u + 1013904223u;
        const auto r = std::uint8_t(seed >> 24), g = std::uint8_t(seed >> 16), b = std::uint8_t(seed >> 8);
        TFastColorLookup lookup(palette);
        int best = 0, bestDistance = 1 << 20;
        for (int i = 0; i < palette.count(); ++i) {
            const int d = std::abs(palette[i].red - r) + std::abs(palette[i].green - g) + std::abs(palette[i].blue - b);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        const int seeded = lookup.cachedIndex(TFastColorLookup::keyOf(r, g, b));
        std::uint8_t orr, og, ob;
        EXPECT_EQ(lookup.MapColor(r, g, b, orr, og, ob), seeded >= 0 ? seeded : best);
    }
}

} // namespace
