// Free pixels: transparent pixels over a colour already on the screen take whichever of the
// two equivalent values codes shorter, and nothing any frame shows changes.

#include "gif/gif_animation_render.h"
#include "gif/gif_free_pixels.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

using namespace giftest;

namespace {

constexpr int Side = 64;

// An animation of Side x Side frames over a global table of eight colours.
class FreePixelsTest : public ::testing::Test {
protected:
    FreePixelsTest()
    {
        for (TColor c : {clBlack, clRed, clLime, clBlue, clYellow, clWhite, clAqua, clFuchsia})
            image.GlobalColorMap().Add(c);
        image.Header().ScreenWidth = Side;
        image.Header().ScreenHeight = Side;
    }

    TGIFSubImage& addFrame(const std::vector<std::uint8_t>& pixels, int disposal, int transparent)
    {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->SetBounds(0, 0, Side, Side);
        frame->Data() = pixels;
        TGIFSubImage& f = image.Images().Items(image.Add(std::move(frame)));
        auto gce = std::make_unique<TGIFGraphicControlExtension>(&f);
        gce->SetDelay(10);
        gce->SetDisposal(disposal);
        if (transparent >= 0) {
            gce->SetTransparent(true);
            gce->SetTransparentColorIndex(transparent);
        }
        f.Extensions().Add(std::move(gce));
        f.Transparent = transparent >= 0;
        return f;
    }

    static std::vector<std::uint8_t> filled(std::uint8_t index)
    {
        return std::vector<std::uint8_t>(std::size_t(Side) * Side, index);
    }

    // Transparent index 0 and `shown` in a checkerboard, with a few pixels of colour 7.
    static std::vector<std::uint8_t> checker(std::uint8_t shown)
    {
        std::vector<std::uint8_t> p(std::size_t(Side) * Side);
        for (int y = 0; y < Side; ++y)
            for (int x = 0; x < Side; ++x)
                p[std::size_t(y) * Side + x] = (x * 7 + y * 3) % 41 == 0 ? 7 : ((x + y) % 2 ? shown : 0);
        return p;
    }

    std::vector<std::vector<TColor>> screens()
    {
        std::vector<std::vector<TColor>> all;
        for (const TGIFRenderedFrame& f : RenderAnimation(image, clGray).frames) {
            std::vector<TColor> s;
            for (int y = 0; y < f.screen.height(); ++y)
                for (int x = 0; x < f.screen.width(); ++x)
                    s.push_back(f.screen.pixel(x, y));
            all.push_back(std::move(s));
        }
        return all;
    }

    TGIFImage image;
};

} // namespace

TEST_F(FreePixelsTest, TransparencyOverAKnownColourCodesShorterAndShowsTheSame)
{
    addFrame(filled(5), 1, -1);
    TGIFSubImage& second = addFrame(checker(5), 1, 0);
    const auto shownBefore = screens();
    const std::size_t sizeBefore = writeGif(image).size();

    EXPECT_EQ(PackFreePixels(image, {}), 1);
    EXPECT_EQ(screens(), shownBefore);
    EXPECT_LT(writeGif(image).size(), sizeBefore);
    // Most of the checkerboard of equivalent values became runs of one colour; the dots of
    // colour 7 stayed.
    const std::vector<std::uint8_t> original = checker(5);
    for (std::size_t i = 0; i < second.Data().size(); ++i)
        EXPECT_TRUE(original[i] != 7 || second.Data()[i] == 7) << i;
    const auto transparentPixels = [](const std::vector<std::uint8_t>& p) { return std::count(p.begin(), p.end(), 0); };
    EXPECT_LT(transparentPixels(second.Data()), transparentPixels(original) / 2);
}

TEST_F(FreePixelsTest, RestoredScreenIsTheOneUnderTheFrame)
{
    // The middle frame restores the screen before it: the last frame's transparent pixels show
    // colour 5 of the first frame, not colour 6 of the middle one.
    addFrame(filled(5), 1, -1);
    addFrame(filled(6), 3, -1);
    TGIFSubImage& last = addFrame(checker(5), 1, 0);
    const auto shownBefore = screens();
    PackFreePixels(image, {});
    EXPECT_EQ(screens(), shownBefore);
    EXPECT_EQ(std::count(last.Data().begin(), last.Data().end(), 6), 0);
}

TEST_F(FreePixelsTest, PixelsStayWhereTheScreenIsNotKnown)
{
    struct Case {
        const char* what;
        int firstDisposal;
        int secondTransparent;
        bool secondOwnTable;
    } cases[] = {
        {"the frame below restores the background", 2, 0, false},
        {"the frame is not transparent", 1, -1, false},
        {"the frame has its own table", 1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        image.Images().Clear();
        addFrame(filled(5), c.firstDisposal, -1);
        TGIFSubImage& second = addFrame(checker(5), 1, c.secondTransparent);
        if (c.secondOwnTable)
            for (TColor color : {clBlack, clRed, clLime, clBlue, clYellow, clWhite, clAqua, clFuchsia})
                second.ColorMap().Add(color);
        const std::vector<std::uint8_t> before = second.Data();
        EXPECT_EQ(PackFreePixels(image, {}), 0);
        EXPECT_EQ(second.Data(), before);
    }
    // The first frame has nothing under it.
    image.Images().Clear();
    TGIFSubImage& first = addFrame(checker(5), 1, 0);
    const std::vector<std::uint8_t> before = first.Data();
    EXPECT_EQ(PackFreePixels(image, {}), 0);
    EXPECT_EQ(first.Data(), before);
}
