// The optimizer: one merged colour table, transparency of repeated pixels, cropping and the
// clean-up of extensions.

#include "gif/gif_application_extension.h"
#include "gif/gif_comment_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"
#include "platform/bitmap.h"

#include <memory>

#include <gtest/gtest.h>

using namespace giftest;

namespace {

TGIFSubImage& addFrame(TGIFImage& image, int left, int top, int width, int height, const std::vector<TColor>& table,
                       const std::vector<std::uint8_t>& pixels)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(left, top, width, height);
    for (TColor c : table)
        frame->ColorMap().Add(c);
    frame->Data() = pixels;
    return image.Images().Items(image.Add(std::move(frame)));
}

TGIFGraphicControlExtension& control(TGIFSubImage& frame, int delay = 0, int disposal = 0, int transparent = -1)
{
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&frame);
    TGIFGraphicControlExtension& ref = *gce;
    frame.Extensions().Add(std::move(gce));
    ref.SetDelay(std::uint16_t(delay));
    ref.SetDisposal(disposal);
    if (transparent >= 0) {
        ref.SetTransparent(true);
        ref.SetTransparentColorIndex(transparent);
    }
    return ref;
}

// The colour of every pixel of every frame.
std::vector<std::vector<TColor>> colorsOf(TGIFImage& image)
{
    std::vector<std::vector<TColor>> all;
    for (int i = 0; i < image.Images().Count(); ++i) {
        TGIFSubImage& f = image.Images().Items(i);
        std::vector<TColor> c;
        const int t = f.Transparent ? f.GraphicControl->TransparentColorIndex() : -1;
        for (std::uint8_t p : f.Data())
            c.push_back(p == t ? clNone : f.ActiveColorMap().Colors(p));
        all.push_back(c);
    }
    return all;
}

constexpr TGIFOptimizeSteps steps(std::initializer_list<TGIFOptimizeStep> list)
{
    TGIFOptimizeSteps s = 0;
    for (TGIFOptimizeStep x : list)
        s = TGIFOptimizeSteps(s | (1u << x));
    return s;
}

} // namespace

TEST(MergeColorMaps, LocalTablesOfTheSameColoursBecomeOneSortedGlobalTable)
{
    TGIFImage image;
    addFrame(image, 0, 0, 4, 1, {clRed, clLime, clBlue}, {0, 1, 1, 2});
    addFrame(image, 0, 0, 4, 1, {clBlue, clRed, clLime}, {0, 0, 0, 2});
    const auto before = colorsOf(image);
    image.MergeColorMaps();
    TGIFGlobalColorMap& global = image.GlobalColorMap();
    ASSERT_EQ(global.Count(), 3);
    EXPECT_TRUE(global.Sorted());
    // Uses: blue 4, lime 3, red 1.
    EXPECT_EQ(global.Colors(0), clBlue);
    EXPECT_EQ(global.Colors(1), clLime);
    EXPECT_EQ(global.Colors(2), clRed);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(image.Images().Items(i).ColorMap().Count(), 0);
    EXPECT_EQ(colorsOf(image), before);
}

TEST(MergeColorMaps, TooManyColoursMapToTheNearestBrightnessSum)
{
    // 300 colours, colour k used k + 1 times, so the 256 most used are 44..299.
    for (bool transparent : {false, true}) {
        SCOPED_TRACE(transparent);
        TGIFImage image;
        std::vector<TColor> a, b;
        std::vector<std::uint8_t> pa, pb;
        auto colorOf = [](int k) { return rgbColor(std::uint8_t(k % 256), std::uint8_t(k / 256 * 100), 0); };
        for (int k = 0; k < 300; ++k) {
            auto& table = k < 150 ? a : b;
            auto& pixels = k < 150 ? pa : pb;
            const int index = int(table.size());
            table.push_back(colorOf(k));
            pixels.insert(pixels.end(), std::size_t(k + 1), std::uint8_t(index));
        }
        if (transparent) {
            a.push_back(clWhite);
            pa.push_back(std::uint8_t(a.size() - 1));
        }
        TGIFSubImage& fa = addFrame(image, 0, 0, int(pa.size()), 1, a, pa);
        addFrame(image, 0, 0, int(pb.size()), 1, b, pb);
        if (transparent)
            control(fa, 0, 0, int(a.size()) - 1);
        image.MergeColorMaps();
        TGIFGlobalColorMap& global = image.GlobalColorMap();
        const int kept = transparent ? 255 : 256;
        ASSERT_EQ(global.Count(), kept + (transparent ? 1 : 0));
        EXPECT_EQ(global.Colors(0), colorOf(299));
        if (transparent) {
            EXPECT_EQ(fa.GraphicControl->TransparentColorIndex(), 255);
            EXPECT_EQ(global.Colors(255), clBlack);
            EXPECT_EQ(fa.Data().back(), 255);
        }
        // Colour 0 (sum 0) did not fit: it takes the kept colour of the nearest sum.
        const int lowest = 300 - kept;
        int bestSum = 1 << 30;
        TColor best = clNone;
        for (int k = lowest; k < 300; ++k) {
            const TColor c = colorOf(k);
            const int sum = redOf(c) + greenOf(c) + blueOf(c);
            if (sum < bestSum) {
                bestSum = sum;
                best = c;
            }
        }
        EXPECT_EQ(global.Colors(fa.Data()[0]), best);
    }
}

TEST(MergeColorMaps, UnusedTransparencyIsSwitchedOffAndStrayPixelsBecomeZero)
{
    TGIFImage image;
    TGIFSubImage& f = addFrame(image, 0, 0, 3, 1, {clRed, clLime}, {0, 1, 7});
    control(f, 0, 0, 1);
    f.Data()[1] = 0; // the transparent index never occurs
    std::vector<std::string> warnings;
    image.OnWarning = [&](const TGIFObject*, int, const std::string& m) { warnings.push_back(m); };
    image.MergeColorMaps();
    EXPECT_FALSE(f.Transparent);
    EXPECT_EQ(f.GraphicControl->TransparentColorIndex(), 0);
    ASSERT_FALSE(warnings.empty());
    EXPECT_EQ(warnings[0], "Color not in color table");
    EXPECT_EQ(image.GlobalColorMap().Count(), 1);
    for (std::uint8_t p : f.Data())
        EXPECT_EQ(image.GlobalColorMap().Colors(p), clRed);
}

TEST(Optimize, IdenticalFramesMergeThenCropAway)
{
    for (bool firstTransparent : {false, true}) {
        SCOPED_TRACE(firstTransparent);
        TGIFImage image;
        // The first frame's table has a fourth colour, its transparent index, that no pixel uses.
        TGIFSubImage& a = addFrame(image, 0, 0, 3, 2, {clRed, clLime, clBlue, clWhite}, {0, 1, 2, 2, 1, 0});
        TGIFSubImage& b = addFrame(image, 0, 0, 3, 2, {clRed, clLime, clBlue}, {0, 1, 2, 2, 1, 0});
        control(a, 10, 0, firstTransparent ? 3 : -1);
        control(b, 7);
        image.Optimize(steps({osMerge}), rdNone, dtNearest, 8);
        ASSERT_EQ(image.Images().Count(), 2);
        ASSERT_TRUE(b.Transparent);
        const int t = b.GraphicControl->TransparentColorIndex();
        EXPECT_EQ(b.ColorMap().Colors(t), clBlack);
        EXPECT_EQ(b.Data(), std::vector<std::uint8_t>(6, std::uint8_t(t)));

        image.Optimize(steps({osMerge, osCrop}), rdNone, dtNearest, 8);
        ASSERT_EQ(image.Images().Count(), 1);
        EXPECT_EQ(image.Images().Items(0).GraphicControl->Delay(), firstTransparent ? 17 : 10);
    }
}

TEST(Optimize, FramesOfAFullTableMergeWhenOneEntryIsKeptFree)
{
    // Three identical opaque frames of 256 colours. A table of 256 has no room for a
    // transparent colour and nothing merges; with one entry kept free, the last frame adds
    // black there and the middle frame reuses that index although the table is then full.
    for (bool keepFree : {false, true}) {
        SCOPED_TRACE(keepFree);
        TGIFImage image;
        std::vector<TColor> table;
        std::vector<std::uint8_t> pixels;
        for (int k = 0; k < 256; ++k) {
            table.push_back(rgbColor(std::uint8_t(k), std::uint8_t(255 - k), std::uint8_t(k / 2 + 1)));
            pixels.insert(pixels.end(), std::size_t(1 + k % 3), std::uint8_t(k));
        }
        const int w = int(pixels.size());
        for (int i = 0; i < 3; ++i)
            control(addFrame(image, 0, 0, w, 1, table, pixels), 10);
        image.MergeColorMaps(keepFree);
        ASSERT_EQ(image.GlobalColorMap().Count(), keepFree ? 255 : 256);
        const auto before = colorsOf(image);
        image.Optimize(steps({osMerge}), rdNone, dtNearest, 8);
        TGIFSubImage& middle = image.Images().Items(1);
        TGIFSubImage& last = image.Images().Items(2);
        EXPECT_EQ(image.GlobalColorMap().Count(), 256);
        if (!keepFree) {
            EXPECT_FALSE(middle.Transparent);
            EXPECT_FALSE(last.Transparent);
            EXPECT_EQ(colorsOf(image), before);
            continue;
        }
        ASSERT_TRUE(middle.Transparent);
        ASSERT_TRUE(last.Transparent);
        EXPECT_EQ(middle.GraphicControl->TransparentColorIndex(), 255);
        EXPECT_EQ(last.GraphicControl->TransparentColorIndex(), 255);
        EXPECT_EQ(image.GlobalColorMap().Colors(255), clBlack);
        EXPECT_EQ(middle.Data(), std::vector<std::uint8_t>(std::size_t(w), 255));
        EXPECT_EQ(last.Data(), std::vector<std::uint8_t>(std::size_t(w), 255));
        EXPECT_EQ(colorsOf(image)[0], before[0]);
    }
}

TEST(Optimize, MergingThatWouldCodeLongerKeepsTheFramesOwnPixels)
{
    // The frame below mixes colours 1 and 2 at random; the frame on top is all colour 1.
    // Merging would scatter transparent pixels over it, which codes longer than one colour:
    // the frame keeps its pixels, and shows the same either way.
    TGIFImage image;
    std::vector<std::uint8_t> mixed(64 * 64);
    std::uint32_t x = 5;
    for (auto& p : mixed) {
        x = x * 1664525u + 1013904223u;
        p = std::uint8_t(1 + (x >> 31));
    }
    const std::vector<TColor> table{clBlack, clRed, clLime, clBlue};
    control(addFrame(image, 0, 0, 64, 64, table, mixed), 10);
    TGIFSubImage& top = addFrame(image, 0, 0, 64, 64, table, std::vector<std::uint8_t>(64 * 64, 1));
    control(top, 10);
    image.Optimize(steps({osMerge}), rdNone, dtNearest, 8);
    EXPECT_EQ(top.Data(), std::vector<std::uint8_t>(64 * 64, 1));
}

TEST(Optimize, CropKeepsTheVisibleRectangle)
{
    TGIFImage image;
    addFrame(image, 0, 0, 4, 3, {clRed, clLime}, std::vector<std::uint8_t>(12, 0));
    TGIFSubImage& f = addFrame(image, 0, 0, 4, 3, {clRed, clLime}, {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 0, 1});
    control(f, 0, 0, 1);
    f.Crop();
    EXPECT_EQ(f.Left(), 1);
    EXPECT_EQ(f.Top(), 1);
    EXPECT_EQ(f.Width(), 2);
    EXPECT_EQ(f.Height(), 2);
    EXPECT_EQ(f.Data(), (std::vector<std::uint8_t>{0, 1, 1, 0}));
    EXPECT_EQ(image.GetWidth(), 4);
}

TEST(Optimize, WholeyTransparentFrameAddsItsDelayToATransparentFrameBefore)
{
    TGIFImage image;
    TGIFSubImage& a = addFrame(image, 0, 0, 2, 1, {clRed, clLime}, {0, 1});
    TGIFSubImage& b = addFrame(image, 0, 0, 2, 1, {clRed, clLime}, {1, 1});
    control(a, 10, 0, 1);
    control(b, 65530, 0, 1);
    image.Optimize(steps({osCrop}), rdNone, dtNearest, 8);
    ASSERT_EQ(image.Images().Count(), 1);
    EXPECT_EQ(image.Images().Items(0).GraphicControl->Delay(), 4); // 16-bit wrap
    EXPECT_EQ(image.Images().Items(0).Width(), 1);
}

TEST(Optimize, FrameBelowWithRestoringDisposalIsNeverMergedAgainst)
{
    for (int disposal : {2, 3}) {
        TGIFImage image;
        TGIFSubImage& a = addFrame(image, 0, 0, 2, 1, {clRed, clLime}, {0, 1});
        TGIFSubImage& b = addFrame(image, 0, 0, 2, 1, {clRed, clLime}, {0, 1});
        control(a, 0, disposal);
        const auto before = b.Data();
        b.MergeWith(&a);
        EXPECT_FALSE(b.Transparent);
        EXPECT_EQ(b.Data(), before);
    }
}

TEST(Optimize, MergeSkipsBackOverRestorePreviousFrames)
{
    TGIFImage image;
    addFrame(image, 0, 0, 2, 1, {clRed, clLime}, {0, 1});
    TGIFSubImage& middle = addFrame(image, 0, 0, 2, 1, {clRed, clLime}, {1, 0});
    TGIFSubImage& last = addFrame(image, 0, 0, 2, 1, {clRed, clLime}, {0, 0});
    control(middle, 0, 3);
    image.Optimize(steps({osMerge}), rdNone, dtNearest, 8);
    // Merged against the first frame: pixel 0 repeats it, pixel 1 does not.
    ASSERT_TRUE(last.Transparent);
    const int t = last.GraphicControl->TransparentColorIndex();
    EXPECT_EQ(last.Data()[0], t);
    EXPECT_NE(last.Data()[1], t);
}

TEST(Optimize, ReusedTransparentIndexNeverHidesAVisibleColour)
{
    // Global table; frame 0 is transparent with index 1, which frame 2 shows as a visible
    // colour. Reusing index 1 for frame 2 would make those pixels disappear.
    TGIFImage image;
    image.GlobalColorMap().Add(clRed);
    image.GlobalColorMap().Add(clLime);
    image.GlobalColorMap().Add(clBlue);
    TGIFSubImage& a = addFrame(image, 0, 0, 3, 1, {}, {0, 1, 2});
    control(a, 0, 0, 1);
    TGIFSubImage& b = addFrame(image, 0, 0, 3, 1, {}, {0, 2, 2});
    TGIFSubImage& c = addFrame(image, 0, 0, 3, 1, {}, {0, 1, 2});
    const auto beforeC = colorsOf(image)[2];
    c.MergeWith(&b);
    ASSERT_TRUE(c.Transparent);
    const int t = c.GraphicControl->TransparentColorIndex();
    EXPECT_NE(t, 1);
    EXPECT_EQ(image.GlobalColorMap().Count(), 4);
    EXPECT_EQ(c.Data(), (std::vector<std::uint8_t>{std::uint8_t(t), 1, std::uint8_t(t)}));
    EXPECT_EQ(image.GlobalColorMap().Colors(c.Data()[1]), beforeC[1]);

    // A frame that does not show the other frame's index reuses it.
    TGIFSubImage& d = addFrame(image, 0, 0, 3, 1, {}, {0, 2, 0});
    TGIFSubImage& e = addFrame(image, 0, 0, 3, 1, {}, {0, 0, 0});
    e.MergeWith(&d);
    ASSERT_TRUE(e.Transparent);
    EXPECT_EQ(e.GraphicControl->TransparentColorIndex(), 1);
    EXPECT_EQ(image.GlobalColorMap().Count(), 4);
}

TEST(Optimize, CleanupOfTransparencyDisposalAndExtensions)
{
    struct Case {
        int frames;
        bool loopKept;
    };
    for (const Case c : {Case{2, true}, Case{1, false}}) {
        SCOPED_TRACE(c.frames);
        TGIFImage image;
        TGIFSubImage& a = addFrame(image, 0, 0, 4, 4, {clRed, clLime}, std::vector<std::uint8_t>(16, 0));
        a.Extensions().Add(std::make_unique<TGIFAppExtNSLoop>(&a));
        a.Extensions().Add(std::make_unique<TGIFCommentExtension>(&a));
        control(a, 5, 2, 1); // index 1 is never used
        if (c.frames == 2) {
            TGIFSubImage& b = addFrame(image, 1, 1, 2, 2, {clRed, clLime}, {1, 1, 1, 1});
            b.Extensions().Add(std::make_unique<TGIFAppExtNSLoop>(&b));
        }
        image.Optimize(steps({osCleanup}), rdNone, dtNearest, 8);
        ASSERT_EQ(image.Images().Count(), c.frames);
        TGIFSubImage& first = image.Images().Items(0);
        EXPECT_FALSE(first.Transparent);
        bool loop = false, comment = false;
        for (int k = 0; k < first.Extensions().Count(); ++k) {
            loop |= dynamic_cast<TGIFAppExtNSLoop*>(&first.Extensions().Items(k)) != nullptr;
            comment |= dynamic_cast<TGIFCommentExtension*>(&first.Extensions().Items(k)) != nullptr;
        }
        EXPECT_EQ(loop, c.loopKept);
        EXPECT_FALSE(comment);
        if (c.frames == 2) {
            // The next frame lies inside this one and is opaque: disposal 2 is pointless.
            ASSERT_NE(first.GraphicControl, nullptr);
            EXPECT_EQ(first.GraphicControl->Disposal(), 0);
            EXPECT_EQ(image.Images().Items(1).Extensions().Count(), 0);
        } else {
            // A single frame needs no graphic control extension without transparency.
            EXPECT_EQ(first.GraphicControl, nullptr);
        }
    }
}

TEST(Optimize, ReduceColorsWithTheCallersPaletteNeedsCleanup)
{
    auto image = makeImage(2, 1, 2, {0, 1});
    try {
        image->Optimize(steps({osReduceColors}), rdPalette, dtNearest, 8);
        FAIL() << "accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid reduction method");
    }
    EXPECT_NO_THROW(image->Optimize(steps({osReduceColors, osCleanup}), rdPalette, dtNearest, 8));
    EXPECT_NO_THROW(image->Optimize(steps({osReduceColors}), rdWebPalette, dtNearest, 8));
}
