// Rendering whole animations as the preview plays them: the sample animations against giflib's
// decoding composited by a small reference compositor, and optimized animations against the
// originals.

#include "gif/gif_animation_render.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"
#include "platform/stream.h"

#include <gif_lib.h>

#include <cstring>
#include <set>
#include <string>

#include <gtest/gtest.h>

using namespace giftest;

namespace {

const char* const kAnimations[] = {"gifplayer-muybridge.gif", "bricks-dither.gif", "hibiscus.regular.gif"};

std::string samplePath(const char* name) { return std::string(ZOETRA_SAMPLE_DIR) + "/" + name; }

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

// What a browser shows after each frame: giflib's pixels composited by the rules of the GIF
// format (disposal 2 restores the frame's area to the background, 3 to the state before it).
std::vector<std::vector<Rgb>> referenceScreens(const std::string& path, Rgb background)
{
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif)
        return {};
    std::vector<std::vector<Rgb>> screens;
    if (DGifSlurp(gif) == GIF_OK) {
        const int w = gif->SWidth, h = gif->SHeight;
        std::vector<Rgb> screen(std::size_t(w) * h, background);
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& image = gif->SavedImages[i];
            GraphicsControlBlock gcb{};
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            gcb.TransparentColor = NO_TRANSPARENT_COLOR;
            DGifSavedExtensionToGCB(gif, i, &gcb);
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            const std::vector<Rgb> before = screen;
            const GifImageDesc& d = image.ImageDesc;
            for (int y = 0; y < d.Height; ++y)
                for (int x = 0; x < d.Width; ++x) {
                    const int sx = d.Left + x, sy = d.Top + y;
                    const int index = image.RasterBits[std::size_t(y) * d.Width + x];
                    if (sx >= w || sy >= h || index == gcb.TransparentColor || !map || index >= map->ColorCount)
                        continue;
                    const GifColorType& c = map->Colors[index];
                    screen[std::size_t(sy) * w + sx] = Rgb{c.Red, c.Green, c.Blue};
                }
            screens.push_back(screen);
            if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
                for (int y = d.Top; y < std::min(h, d.Top + d.Height); ++y)
                    for (int x = d.Left; x < std::min(w, d.Left + d.Width); ++x)
                        screen[std::size_t(y) * w + x] = background;
            } else if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
                screen = before;
            }
        }
    }
    DGifCloseFile(gif, &error);
    return screens;
}

std::vector<Rgb> pixelsOf(const Bitmap& b)
{
    std::vector<Rgb> out;
    for (int y = 0; y < b.height(); ++y) {
        const std::uint8_t* row = b.scanLine(y);
        for (int x = 0; x < b.width(); ++x)
            out.push_back(Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
    return out;
}

std::unique_ptr<TGIFImage> load(const Bytes& bytes)
{
    auto image = std::make_unique<TGIFImage>();
    MemoryStream stream(bytes);
    image->LoadFromStream(stream);
    return image;
}

int distinctColors(TGIFImage& image)
{
    std::set<TColor> colors;
    for (int i = 0; i < image.Images().Count(); ++i) {
        TGIFSubImage& f = image.Images().Items(i);
        std::vector<bool> seen(256, false);
        for (std::uint8_t p : f.Data())
            seen[p] = true;
        TGIFColorMap& map = f.ActiveColorMap();
        for (int k = 0; k < 256; ++k)
            if (seen[std::size_t(k)] && k < map.Count())
                colors.insert(map.Colors(k));
    }
    return int(colors.size());
}

} // namespace

TEST(AnimationRender, SampleAnimationsMatchTheReferenceCompositing)
{
    const Rgb background{0x12, 0x34, 0x56};
    for (const char* name : kAnimations) {
        SCOPED_TRACE(name);
        const Bytes bytes = readFileBytes(samplePath(name));
        auto image = load(bytes);
        const TGIFAnimationRender render = RenderAnimation(*image, rgbColor(background.r, background.g, background.b));
        const auto reference = referenceScreens(samplePath(name), background);
        ASSERT_EQ(render.frames.size(), reference.size());
        for (std::size_t i = 0; i < reference.size(); ++i) {
            const std::vector<Rgb> ours = pixelsOf(render.frames[i].screen);
            ASSERT_EQ(ours.size(), reference[i].size());
            std::size_t differing = 0;
            for (std::size_t k = 0; k < ours.size(); ++k)
                differing += ours[k] == reference[i][k] ? 0 : 1;
            ASSERT_EQ(differing, 0u) << "frame " << i;
        }
    }
}

TEST(AnimationRender, DelaysAndLoopCountAsThePainterWaits)
{
    const Bytes bytes = readFileBytes(samplePath("gifplayer-muybridge.gif"));
    auto image = load(bytes);
    const TGIFAnimationRender render = RenderAnimation(*image);
    ASSERT_FALSE(render.frames.empty());
    for (const TGIFRenderedFrame& f : render.frames) {
        EXPECT_GE(f.delayUnits, 3);
        EXPECT_EQ(f.delayMilliseconds, f.delayUnits * 12);
    }
    EXPECT_GE(render.loops, 0); // the sample carries a loop extension
}

TEST(AnimationRender, MergeAndCropKeepEveryRenderedFrame)
{
    for (const char* name : kAnimations) {
        SCOPED_TRACE(name);
        const Bytes bytes = readFileBytes(samplePath(name));
        auto original = load(bytes);
        if (distinctColors(*original) > 255) {
            // One global table cannot hold every colour (and one index for transparency).
            continue;
        }
        const TGIFAnimationRender before = RenderAnimation(*original, clFuchsia);
        auto optimized = load(bytes);
        optimized->MergeColorMaps();
        optimized->Optimize(TGIFOptimizeSteps((1u << osMerge) | (1u << osCrop)), rdNone, dtNearest, 8);
        const Bytes written = writeGif(*optimized);
        auto reread = load(written);
        const TGIFAnimationRender after = RenderAnimation(*reread, clFuchsia);
        // Frames that became empty are gone; every remaining one shows what the original showed
        // at that point of the animation.
        ASSERT_LE(after.frames.size(), before.frames.size());
        std::size_t i = 0;
        for (std::size_t j = 0; j < after.frames.size(); ++j) {
            const std::vector<Rgb> screen = pixelsOf(after.frames[j].screen);
            while (i < before.frames.size() && pixelsOf(before.frames[i].screen) != screen)
                ++i;
            ASSERT_LT(i, before.frames.size()) << "optimized frame " << j << " was never shown";
            ++i;
        }
        EXPECT_EQ(pixelsOf(after.frames.back().screen), pixelsOf(before.frames.back().screen));
    }
}

TEST(AnimationRender, MergeAndCropNeverMakeTheFileLargerThanTheTableAlone)
{
    // Where transparent pixels scattered among visible ones would code longer than the pixels
    // they stand for, the frame keeps its own pixels.
    for (const char* name : kAnimations) {
        SCOPED_TRACE(name);
        const Bytes bytes = readFileBytes(samplePath(name));
        auto tableOnly = load(bytes);
        if (distinctColors(*tableOnly) > 255 || tableOnly->Images().Count() < 2)
            continue;
        tableOnly->MergeColorMaps();
        auto optimized = load(bytes);
        optimized->MergeColorMaps();
        optimized->Optimize(TGIFOptimizeSteps((1u << osMerge) | (1u << osCrop)), rdNone, dtNearest, 8);
        EXPECT_LE(writeGif(*optimized).size(), writeGif(*tableOnly).size());
    }
}
