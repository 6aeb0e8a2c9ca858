#include "color/color_quantizer.h"
#include "color/dib.h"
#include "color/fixed_palettes.h"
#include "platform/exceptions.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <set>

namespace {

int depthOfFirstLeaf(const TOctreeNode* node)
{
    int depth = 0;
    while (node && !node->Leaf) {
        const TOctreeNode* next = nullptr;
        for (const auto& c : node->Children)
            if (c) {
                next = c.get();
                break;
            }
        node = next;
        ++depth;
    }
    return depth;
}

TEST(ColorQuantizer, OneColourGivesOneLeafAtLevel8)
{
    Bitmap b = uniformBitmap(7, 5, {12, 200, 77});
    TDIBReader reader(b, pf24bit);
    TColorQuantizer q(8, 8);
    q.AddImage(reader);
    EXPECT_EQ(q.Leaves(), 1);
    EXPECT_EQ(depthOfFirstLeaf(q.Root()), 8);
    const auto colors = q.ExportColors();
    ASSERT_EQ(colors.size(), 1u);
    EXPECT_EQ(colors[0], (PaletteEntry{12, 200, 77, 0}));
    EXPECT_EQ(q.Root()->PixelTotal, 0); // inner nodes carry nothing

    const Palette p = MakeOptimizedPalette(reader, 8, 8, false);
    EXPECT_EQ(p[0], (PaletteEntry{12, 200, 77, 0}));
}

TEST(ColorQuantizer, ExportsInTreeOrder)
{
    TColorQuantizer q(8, 8);
    // Inserted in an order unlike the tree order.
    const Rgb colors[] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    for (const auto& c : colors)
        q.AddColor(c.r, c.g, c.b);
    EXPECT_EQ(q.Leaves(), 5);
    const auto out = q.ExportColors();
    const std::vector<PaletteEntry> expected = {
        {0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}, {255, 255, 255, 0}};
    EXPECT_EQ(out, expected);
}

TEST(ColorQuantizer, PruningAveragesWeightedByPixelCount)
{
    struct Case {
        const char* name;
        std::vector<std::uint8_t> greys;
        std::uint8_t average;
    };
    const Case cases[] = {
        {"one pixel each of 10 and 11", {10, 11}, 10},
        {"the reduced node keeps collecting", {10, 11, 11, 11}, 10},
        // 8 and 15 meet five levels down: 53 / 4 = 13 (the plain mean of the two would be 11).
        {"weighted by counts, truncated", {8, 15, 15, 15}, 13},
        {"weighted the other way", {15, 8, 8, 8}, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TColorQuantizer q(1, 8);
        for (auto v : c.greys) {
            q.AddColor(v, v, v);
            EXPECT_EQ(q.Leaves(), 1);
        }
        const auto out = q.ExportColors();
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0], (PaletteEntry{c.average, c.average, c.average, 0}));
    }
}

TEST(ColorQuantizer, SecondColourFoldsTheSharedLevel7Node)
{
    TColorQuantizer q(1, 8);
    q.AddColor(10, 10, 10);
    const TOctreeNode* level7 = q.ReducibleByLevel(7);
    ASSERT_NE(level7, nullptr);
    q.AddColor(11, 11, 11);
    EXPECT_EQ(q.Leaves(), 1);
    EXPECT_TRUE(level7->Leaf);
    EXPECT_EQ(level7->PixelTotal, 2);
    EXPECT_EQ(level7->SumRed, 21);
    EXPECT_EQ(q.ReducibleByLevel(7), nullptr);
    EXPECT_EQ(depthOfFirstLeaf(q.Root()), 7);
}

TEST(ColorQuantizer, NeverHoldsMoreLeavesThanTheLimit)
{
    Bitmap b = noiseBitmap(64, 64, 3);
    TDIBReader reader(b, pf24bit);
    for (int limit : {1, 2, 16, 236, 256}) {
        SCOPED_TRACE(limit);
        TColorQuantizer q(limit, 8);
        q.AddImage(reader);
        EXPECT_LE(q.Leaves(), limit);
        EXPECT_GE(q.Leaves(), 1);
        EXPECT_EQ(int(q.ExportColors().size()), q.Leaves());
    }
}

TEST(ColorQuantizer, OutOfRangeLimitAndDepthAreKeptUsable)
{
    TColorQuantizer q(0, 12);
    EXPECT_EQ(q.LeafLimit(), 1);
    EXPECT_EQ(q.LeafDepth(), 8);
    for (int i = 0; i < 50; ++i)
        q.AddColor(std::uint8_t(i * 5), std::uint8_t(255 - i), std::uint8_t(i));
    EXPECT_EQ(q.Leaves(), 1);
    TColorQuantizer shallow(4, 0);
    EXPECT_EQ(shallow.LeafDepth(), 1);
    shallow.AddColor(0, 0, 0);
    shallow.AddColor(255, 255, 255);
    EXPECT_EQ(shallow.Leaves(), 2);
}

TEST(ColorQuantizer, ReaderOfAnotherLayoutIsRefused)
{
    Bitmap b = uniformBitmap(2, 2, {1, 2, 3});
    TDIBReader reader(b, pf8bit);
    TColorQuantizer q(8, 8);
    EXPECT_THROW(q.AddImage(reader), EInvalidGraphic);
}

TEST(OptimizedPalette, HasTheFullCountAndRepeatsTheFirstColourWhenShort)
{
    Bitmap b = makeBitmap(4, 1, [](int x, int) { return x < 2 ? Rgb{0, 0, 255} : Rgb{250, 10, 10}; });
    const Palette p = MakeOptimizedPaletteOfBitmap(b, 16, 8, false);
    ASSERT_EQ(p.count(), 16);
    EXPECT_EQ(p[0], (PaletteEntry{0, 0, 255, 0}));
    EXPECT_EQ(p[1], (PaletteEntry{250, 10, 10, 0}));
    for (int i = 2; i < 16; ++i)
        EXPECT_EQ(p[i], p[0]);

    Bitmap empty;
    const Palette none = MakeOptimizedPaletteOfBitmap(empty, 4, 8, false);
    EXPECT_EQ(none, Palette(std::vector<PaletteEntry>(4)));
}

TEST(OptimizedPalette, WithSystemColoursKeepsThemAtBothEnds)
{
    Bitmap b = noiseBitmap(40, 40, 11);
    const Palette p = MakeOptimizedPaletteOfBitmap(b, 256, 8, true);
    const Palette system = MakeSystemPalette20();
    ASSERT_EQ(p.count(), 256);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(p[i], system[i]);
        EXPECT_EQ(p[246 + i], system[10 + i]);
    }
    TDIBReader reader(b, pf24bit);
    TColorQuantizer q(236, 8);
    q.AddImage(reader);
    const auto colors = q.ExportColors();
    for (int i = 0; i < 236; ++i)
        EXPECT_EQ(p[10 + i], colors[std::size_t(i < int(colors.size()) ? i : 0)]);
}

TEST(OptimizedPalette, SwitchesTheBitmapTo24Bits)
{
    Bitmap b = uniformBitmap(3, 3, {10, 20, 30});
    b.setPixelFormat(pf8bit);
    MakeOptimizedPaletteOfBitmap(b, 8, 8, false);
    EXPECT_EQ(b.pixelFormat(), pf24bit);
}

TEST(OptimizedPalette, CountIsKeptWithin1To256)
{
    Bitmap b = uniformBitmap(2, 2, {1, 2, 3});
    TDIBReader reader(b, pf24bit);
    EXPECT_EQ(MakeOptimizedPalette(reader, 1000, 8, false).count(), 256);
    EXPECT_EQ(MakeOptimizedPalette(reader, 0, 8, false).count(), 1);
}

} // namespace
