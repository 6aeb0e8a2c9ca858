// Colour tables: growth, lookup, add and delete, import and export, stream layout, sort by use.

#include "gif/gif_color_map.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"
#include "platform/palette.h"
#include "platform/stream.h"

#include <gtest/gtest.h>

using namespace giftest;

namespace {

struct Frame {
    TGIFImage image;
    TGIFSubImage* frame = nullptr;
    std::vector<std::string> warnings;
    Frame()
    {
        image.OnWarning = [this](const TGIFObject*, int, const std::string& m) { warnings.push_back(m); };
        auto f = std::make_unique<TGIFSubImage>(&image);
        frame = f.get();
        image.Add(std::move(f));
    }
    TGIFLocalColorMap& map() { return frame->ColorMap(); }
};

void fill(TGIFColorMap& map, int n)
{
    for (int i = 0; i < n; ++i)
        map.Add(rgbColor(std::uint8_t(i), 0, 0));
}

} // namespace

TEST(ColorMap, GrowsInStepsUpTo256)
{
    const struct {
        int n, capacity;
    } cases[] = {{1, 16}, {16, 16}, {17, 32}, {33, 64}, {200, 224}, {250, 256}, {256, 256}, {300, 256}};
    for (const auto& c : cases) {
        Frame f;
        f.map().GrowTo(c.n);
        EXPECT_EQ(f.map().Capacity(), c.capacity) << c.n;
    }
    Frame f;
    f.map().GrowTo(40);
    f.map().GrowTo(20); // smaller than the capacity: unchanged
    EXPECT_EQ(f.map().Capacity(), 64);
}

TEST(ColorMap, AddOverflowAndBitsPerPixel)
{
    const struct {
        int count, bits;
    } cases[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {5, 3}, {129, 8}, {256, 8}};
    for (const auto& c : cases) {
        Frame f;
        fill(f.map(), c.count);
        EXPECT_EQ(f.map().BitsPerPixel(), c.bits) << c.count;
    }
    Frame f;
    fill(f.map(), 256);
    try {
        f.map().Add(clWhite);
        FAIL() << "no overflow";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table overflow");
    }
    EXPECT_EQ(f.map().Count(), 256);
}

TEST(ColorMap, IndexOfSearchDirectionDependsOnSorted)
{
    Frame f;
    for (int i = 0; i < 10; ++i)
        f.map().Add(i == 2 || i == 7 ? clRed : rgbColor(0, std::uint8_t(i), 0));
    EXPECT_EQ(f.map().IndexOf(clRed), 7);
    f.map().SetSorted(true);
    EXPECT_EQ(f.map().IndexOf(clRed), 2);
    EXPECT_EQ(f.map().IndexOf(clBlue), -1);
    EXPECT_EQ(f.map().AddUnique(clRed), 2);
    EXPECT_EQ(f.map().AddUnique(clBlue), 10);
    EXPECT_FALSE(f.map().Sorted()); // Add clears the flag
}

TEST(ColorMap, ColorsOutOfRangeWarnsAndEmptyTableFails)
{
    Frame f;
    f.map().Add(rgbColor(1, 2, 3));
    fill(f.map(), 3);
    EXPECT_EQ(f.map().Colors(300), rgbColor(1, 2, 3));
    ASSERT_EQ(f.warnings.size(), 1u);
    EXPECT_EQ(f.warnings[0], "Invalid color index");
    EXPECT_EQ(f.map().Colors(-1), rgbColor(1, 2, 3));

    Frame empty;
    try {
        empty.map().Colors(0);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table is empty");
    }
}

TEST(ColorMap, DeleteMovesLaterEntriesDown)
{
    Frame f;
    fill(f.map(), 4);
    f.map().Delete(1);
    ASSERT_EQ(f.map().Count(), 3);
    EXPECT_EQ(f.map().Colors(1), rgbColor(2, 0, 0));
    EXPECT_EQ(f.map().Colors(2), rgbColor(3, 0, 0));
    for (int bad : {-1, 3}) {
        try {
            f.map().Delete(bad);
            FAIL() << bad;
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid color index");
        }
    }
}

TEST(ColorMap, StreamLayoutPadsToPowerOfTwo)
{
    Frame f;
    for (int i = 0; i < 5; ++i)
        f.map().Add(rgbColor(std::uint8_t(10 + i), std::uint8_t(20 + i), std::uint8_t(30 + i)));
    MemoryStream out;
    f.map().SaveToStream(out);
    ASSERT_EQ(out.size(), 24);
    EXPECT_EQ(out.data()[0], 10);
    EXPECT_EQ(out.data()[1], 20);
    EXPECT_EQ(out.data()[2], 30);
    for (int i = 15; i < 24; ++i)
        EXPECT_EQ(out.data()[std::size_t(i)], 0) << i;

    Frame empty;
    MemoryStream none;
    empty.map().SaveToStream(none);
    EXPECT_EQ(none.size(), 0);

    Frame back;
    back.map().SetSorted(true);
    out.setPosition(0);
    back.map().LoadFromStream(out, 8);
    EXPECT_EQ(back.map().Count(), 8);
    EXPECT_FALSE(back.map().Sorted());
    EXPECT_EQ(back.map().Colors(4), rgbColor(14, 24, 34));

    MemoryStream shortStream(Bytes(10, 1));
    try {
        back.map().LoadFromStream(shortStream, 4);
        FAIL();
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Premature end of data");
    }
    EXPECT_EQ(back.map().Count(), 0);
}

TEST(ColorMap, ImportAndExport)
{
    Frame f;
    const std::uint8_t quads[] = {1, 2, 3, 0, 4, 5, 6, 0};
    f.map().ImportQuads(quads, 2);
    EXPECT_EQ(f.map().Colors(0), rgbColor(3, 2, 1));
    EXPECT_EQ(f.map().Colors(1), rgbColor(6, 5, 4));

    const std::uint8_t rgb[] = {9, 8, 7};
    f.map().ImportRGB(rgb, 1);
    EXPECT_EQ(f.map().Count(), 1);
    EXPECT_EQ(f.map().Colors(0), rgbColor(9, 8, 7));

    auto palette = f.map().ExportPalette();
    ASSERT_TRUE(palette);
    ASSERT_EQ(palette->count(), 1);
    EXPECT_EQ((*palette)[0], (PaletteEntry{9, 8, 7, 4}));

    f.map().ImportPalette(Palette(std::vector<PaletteEntry>{{1, 1, 1, 0}, {2, 2, 2, 0}}));
    EXPECT_EQ(f.map().Count(), 2);
    f.map().ImportPalette(Palette());
    EXPECT_EQ(f.map().Count(), 0);
    EXPECT_FALSE(f.map().ExportPalette());
}

TEST(ColorMap, ImportingAnEmptyPaletteDoesNotSignalAChange)
{
    // A change of the global table drops the image's palette.
    TGIFImage image;
    image.SetPalette(std::make_unique<Palette>(std::vector<PaletteEntry>{{1, 2, 3, 0}}));
    image.GlobalColorMap().ImportPalette(Palette());
    EXPECT_TRUE(image.GlobalPalette);
    image.GlobalColorMap().Add(clRed);
    EXPECT_FALSE(image.GlobalPalette);
}

TEST(ColorMap, SortByUseReordersRemapsAndDropsUnused)
{
    Frame f;
    fill(f.map(), 4);                 // colours 0,1,2,3
    f.frame->SetBounds(0, 0, 6, 1);   // pixels: 2 three times, 0 twice, 3 once, 1 never
    f.frame->Data() = {2, 0, 2, 3, 0, 2};
    auto gce = std::make_unique<TGIFGraphicControlExtension>(f.frame);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(3);
    f.frame->Extensions().Add(std::move(gce));

    EXPECT_TRUE(f.map().Optimize());
    EXPECT_TRUE(f.map().Sorted());
    ASSERT_EQ(f.map().Count(), 3);
    EXPECT_EQ(f.map().Colors(0), rgbColor(2, 0, 0));
    EXPECT_EQ(f.map().Colors(1), rgbColor(0, 0, 0));
    EXPECT_EQ(f.map().Colors(2), rgbColor(3, 0, 0));
    EXPECT_EQ(f.frame->Data(), (std::vector<std::uint8_t>{0, 1, 0, 2, 1, 0}));
    EXPECT_EQ(f.frame->GraphicControl->TransparentColorIndex(), 2);
}

TEST(ColorMap, SortOfATableAlreadyInOrderChangesNothing)
{
    Frame f;
    fill(f.map(), 4);
    f.frame->SetBounds(0, 0, 6, 1);
    f.frame->Data() = {0, 0, 0, 1, 1, 2}; // colour 3 unused, but already in place
    EXPECT_TRUE(f.map().Optimize());
    EXPECT_EQ(f.map().Count(), 4);
    EXPECT_EQ(f.frame->Data(), (std::vector<std::uint8_t>{0, 0, 0, 1, 1, 2}));

    Frame one;
    fill(one.map(), 1);
    EXPECT_FALSE(one.map().Optimize());
    EXPECT_FALSE(one.map().Sorted());
}

TEST(ColorMap, GlobalSortCountsOnlyFramesUsingIt)
{
    TGIFImage image;
    fill(image.GlobalColorMap(), 3);
    auto a = std::make_unique<TGIFSubImage>(&image);
    a->SetBounds(0, 0, 3, 1);
    a->Data() = {2, 2, 1};
    auto b = std::make_unique<TGIFSubImage>(&image); // has its own table: not counted, not remapped
    b->SetBounds(0, 0, 3, 1);
    fill(b->ColorMap(), 3);
    b->Data() = {0, 0, 0};
    image.Add(std::move(a));
    image.Add(std::move(b));
    EXPECT_TRUE(image.GlobalColorMap().Optimize());
    EXPECT_EQ(image.GlobalColorMap().Count(), 2);
    EXPECT_EQ(image.Images().Items(0).Data(), (std::vector<std::uint8_t>{0, 0, 1}));
    EXPECT_EQ(image.Images().Items(1).Data(), (std::vector<std::uint8_t>{0, 0, 0}));

    TGIFImage noFrames;
    fill(noFrames.GlobalColorMap(), 3);
    EXPECT_FALSE(noFrames.GlobalColorMap().Optimize());
}
