// Frames made from bitmaps and rendered back: imported colours and pixels, transparency
// masks, dithered rendering, palettes, placement, drawing and the clipboard.

#include "color/reduction_types.h"
#include "gif/gif_abort.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif_test_support.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/ico_file.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <memory>

#include <gtest/gtest.h>

using namespace giftest;

namespace {

// A 24-bit bitmap whose pixel (x, y) has colour n = y * width + x spread over the channels.
Bitmap distinctColors(int width, int height)
{
    Bitmap b(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int n = y * width + x;
            b.setPixel(x, y, rgbColor(std::uint8_t(n & 0xFF), std::uint8_t(n >> 8), 7));
        }
    return b;
}

Palette grayPalette(int n)
{
    std::vector<PaletteEntry> e;
    for (int i = 0; i < n; ++i)
        e.push_back({std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0});
    return Palette(e);
}

TGIFSubImage& addFrame(TGIFImage& image, const Bitmap& b)
{
    return image.Images().Items(image.Add(b));
}

QGuiApplication& guiApp()
{
    static int argc = 1;
    static char name[] = "gif_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app =
        QGuiApplication::instance() ? static_cast<QGuiApplication*>(QGuiApplication::instance())
                                    : new QGuiApplication(argc, argv);
    return *app;
}

} // namespace

TEST(BitmapConversion, EightBitBitmapKeepsItsWholePaletteAndIndexes)
{
    Bitmap b(5, 2, pf8bit);
    b.setPalette(grayPalette(256));
    for (int x = 0; x < 5; ++x) {
        b.setPixelIndex(x, 0, x);
        b.setPixelIndex(x, 1, 200 + x);
    }
    TGIFImage image;
    TGIFSubImage& f = addFrame(image, b);
    EXPECT_EQ(f.ColorMap().Count(), 256);
    EXPECT_EQ(f.Width(), 5);
    EXPECT_EQ(f.Height(), 2);
    EXPECT_EQ(image.GetWidth(), 5);
    EXPECT_EQ(f.Pixels(3, 0), 3);
    EXPECT_EQ(f.Pixels(4, 1), 204);
    EXPECT_EQ(f.ColorMap().Colors(204), rgbColor(204, 204, 204));
    EXPECT_FALSE(f.Transparent);
}

TEST(BitmapConversion, PackedFormatsUnpackMostSignificantFirst)
{
    // Width 3: high nibble, low nibble, then the high nibble of the next byte.
    Bitmap four(3, 1, pf4bit);
    four.setPalette(grayPalette(16));
    four.scanLine(0)[0] = 0x5A;
    four.scanLine(0)[1] = 0xC3;
    TGIFImage image;
    TGIFSubImage& f4 = addFrame(image, four);
    EXPECT_EQ(f4.ColorMap().Count(), 16);
    EXPECT_EQ(f4.Data(), (std::vector<std::uint8_t>{0x5, 0xA, 0xC}));

    Bitmap one(10, 1, pf1bit);
    one.setPalette(grayPalette(2));
    one.scanLine(0)[0] = 0xA0;
    one.scanLine(0)[1] = 0x40;
    TGIFSubImage& f1 = addFrame(image, one);
    EXPECT_EQ(f1.Data(), (std::vector<std::uint8_t>{1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));
}

TEST(BitmapConversion, TrueColourTableInOrderOfFirstUseAndOverflowAt257)
{
    TGIFImage image;
    image.ReductionMethod = rdNone;
    Bitmap b = distinctColors(16, 16); // exactly 256 colours
    TGIFSubImage& f = addFrame(image, b);
    ASSERT_EQ(f.ColorMap().Count(), 256);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(f.Data()[std::size_t(i)], i);
        EXPECT_EQ(f.ColorMap().Colors(i), b.pixel(i % 16, i / 16));
    }

    Bitmap more(257, 1, pf24bit);
    for (int x = 0; x < 257; ++x)
        more.setPixel(x, 0, rgbColor(std::uint8_t(x & 0xFF), std::uint8_t(x >> 8), 1));
    TGIFSubImage frame(&image);
    try {
        frame.Assign(more);
        FAIL() << "257 colours accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table overflow");
    }
}

TEST(BitmapConversion, TrueColourRepeatsReuseIndexesBeyondTheRecentRing)
{
    // Ten colours cycled: each comes back after the eight-entry ring has forgotten it.
    TGIFImage image;
    image.ReductionMethod = rdNone;
    Bitmap b(40, 1, pf24bit);
    for (int x = 0; x < 40; ++x)
        b.setPixel(x, 0, rgbColor(std::uint8_t(x % 10 * 20), 0, 0));
    TGIFSubImage& f = addFrame(image, b);
    EXPECT_EQ(f.ColorMap().Count(), 10);
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(f.Data()[std::size_t(x)], x % 10);
}

TEST(BitmapConversion, TrueColourGoesThroughTheImagesReduction)
{
    TGIFImage image;
    image.ReductionMethod = rdMonochrome;
    Bitmap b(4, 1, pf24bit);
    b.fill(clWhite);
    b.setPixel(0, 0, clBlack);
    TGIFSubImage& f = addFrame(image, b);
    EXPECT_EQ(f.GetBitmap()->pixelFormat(), pf8bit);
    EXPECT_EQ(f.ColorMap().Colors(f.Pixels(0, 0)), clBlack);
    EXPECT_EQ(f.ColorMap().Colors(f.Pixels(3, 0)), clWhite);
}

TEST(BitmapConversion, TransparentBitmapGetsBlackAddedOnlyWhenThereIsRoom)
{
    struct Case {
        int colors;
        bool transparent;
    };
    for (const Case c : {Case{255, true}, Case{256, false}, Case{2, true}}) {
        SCOPED_TRACE(c.colors);
        Bitmap b(32, 16, pf8bit);
        Palette p = grayPalette(256);
        for (int i = 0; i < 256; ++i)
            p[i].red = std::uint8_t(255 - i);
        b.setPalette(p);
        for (int i = 0; i < 512; ++i)
            b.setPixelIndex(i % 32, i / 32, i % c.colors);
        b.setTransparent(true); // bottom-left pixel's colour
        const TColor key = b.transparentColor();
        TGIFImage image;
        TGIFSubImage& f = addFrame(image, b);
        EXPECT_EQ(f.Transparent, c.transparent);
        if (!c.transparent) {
            EXPECT_EQ(f.ColorMap().Count(), 256);
            EXPECT_EQ(f.GraphicControl, nullptr);
            continue;
        }
        EXPECT_EQ(f.ColorMap().Count(), c.colors + 1);
        ASSERT_NE(f.GraphicControl, nullptr);
        const int t = f.GraphicControl->TransparentColorIndex();
        EXPECT_EQ(f.ColorMap().Colors(t), clBlack);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                EXPECT_EQ(f.Pixels(x, y) == t, b.pixel(x, y) == key) << x << "," << y;
        ASSERT_TRUE(f.HasMask());
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                EXPECT_EQ(f.Mask()->pixelIndex(x, y), b.pixel(x, y) == key ? 1 : 0);
    }
}

TEST(BitmapConversion, IconMaskBecomesTransparency)
{
    Bitmap picture(4, 4, pf24bit);
    picture.fill(clRed);
    Bitmap mask(4, 4, pf1bit);
    mask.setPalette(Palette(std::vector<PaletteEntry>{{0, 0, 0, 0}, {255, 255, 255, 0}}));
    mask.fill(clBlack);
    mask.setPixelIndex(1, 2, 1);
    Icon icon(picture, mask);
    TGIFImage image;
    image.ReductionMethod = rdNone;
    TGIFSubImage& f = image.Images().Items(image.Add(icon));
    ASSERT_TRUE(f.Transparent);
    const int t = f.GraphicControl->TransparentColorIndex();
    EXPECT_EQ(f.Pixels(1, 2), t);
    EXPECT_NE(f.Pixels(0, 0), t);
    EXPECT_EQ(f.ColorMap().Colors(f.Pixels(0, 0)), clRed);
}

TEST(BitmapConversion, PlainRenderingCopiesIndexesAndBuildsTheMask)
{
    auto image = makeImage(3, 2, 4, {0, 1, 2, 3, 2, 1});
    TGIFSubImage& f = image->Images().Items(0);
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&f);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(2);
    f.Extensions().Add(std::move(gce));
    Bitmap* b = f.GetBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->pixelFormat(), pf8bit);
    EXPECT_EQ(b->pixelIndex(1, 0), 1);
    EXPECT_EQ(b->pixel(1, 1), f.ColorMap().Colors(2));
    ASSERT_NE(f.Mask(), nullptr);
    const int expected[2][3] = {{0, 0, 1}, {0, 1, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(f.Mask()->pixelIndex(x, y), expected[y][x]);
    // Cached: the same bitmap comes back.
    EXPECT_EQ(f.GetBitmap(), b);
}

TEST(BitmapConversion, ProgressEveryThirtyTwoRowsAndAbortLeavesNoBitmap)
{
    auto image = makeImage(2, 70, 2, {});
    std::vector<int> running;
    image->onProgress = [&](Graphic&, ProgressStage stage, int percent, bool, const Rect&, const std::string& m) {
        EXPECT_EQ(m, "Rendering...");
        if (stage == ProgressStage::Running)
            running.push_back(percent);
    };
    TGIFSubImage& f = image->Images().Items(0);
    ASSERT_NE(f.GetBitmap(), nullptr);
    EXPECT_EQ(running, (std::vector<int>{0, 46, 91}));

    f.FreeBitmap();
    image->onProgress = [](Graphic&, ProgressStage stage, int, bool, const Rect&, const std::string&) {
        if (stage == ProgressStage::Running)
            throw EGIFAbort();
    };
    EXPECT_EQ(f.GetBitmap(), nullptr);
    image->onProgress = nullptr;
    EXPECT_NE(f.GetBitmap(), nullptr); // renders again on the next access
}

TEST(BitmapConversion, DitheredRenderingUsesTheWebPaletteAndSkipsTransparentPixels)
{
    // An opaque grey run and the same run with a transparent pixel of a very different colour
    // in the middle: the diffusion beyond that pixel must not see its colour.
    auto image = makeImage(8, 1, 3, {1, 1, 1, 1, 1, 1, 1, 1});
    image->PaintOptions |= paintOption(poDither);
    image->PaintOptions &= TGIFPaintOptions(~paintOption(poAutoDither));
    ASSERT_TRUE(image->DitherNeeded());
    TGIFSubImage& f = image->Images().Items(0);
    f.ColorMap().SetColors(1, rgbColor(140, 140, 140));
    f.ColorMap().SetColors(2, rgbColor(255, 255, 255));
    f.ResetPalette();
    Bitmap* opaque = f.GetBitmap();
    ASSERT_NE(opaque, nullptr);
    EXPECT_EQ(opaque->palette().count(), 256); // 216 web colours padded by the bitmap
    EXPECT_EQ(opaque->palette()[215], (PaletteEntry{255, 255, 255, 0}));
    std::vector<int> plain;
    for (int x = 0; x < 8; ++x)
        plain.push_back(opaque->pixelIndex(x, 0));
    // 140 lies between the levels 102 and 153: the error makes a mix, never a constant run.
    EXPECT_NE(std::count(plain.begin(), plain.end(), plain[0]), 8);

    // Pixel 0 transparent (colour white): the rest dithers as a grey run started one later.
    f.Data()[0] = 2;
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&f);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(2);
    f.Extensions().Add(std::move(gce));
    f.FreeBitmap();
    f.FreeMask();
    Bitmap* masked = f.GetBitmap();
    ASSERT_NE(masked, nullptr);
    ASSERT_NE(f.Mask(), nullptr);
    EXPECT_EQ(f.Mask()->pixelIndex(0, 0), 1);
    // Transparent pixels hold the fill index of the transparent colour.
    EXPECT_EQ(masked->pixelIndex(0, 0), (6 * 5 + 5 + 36 * 5 + 1) % 256);
    for (int x = 1; x < 8; ++x)
        EXPECT_EQ(masked->pixelIndex(x, 0), plain[std::size_t(x - 1)]) << x;
}

TEST(BitmapConversion, FramePlacementScalesToTheRectangle)
{
    TGIFImage image;
    image.Header().ScreenWidth = 40;
    image.Header().ScreenHeight = 40;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(10, 10, 20, 20);
    frame->ColorMap().Add(clRed);
    frame->ColorMap().Add(clBlue);
    TGIFSubImage& f = image.Images().Items(image.Add(std::move(frame)));
    const Rect r = f.ScaleRect(Rect{0, 0, 80, 80});
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 60);
    EXPECT_EQ(r.bottom, 60);

    Bitmap target(80, 80, pf24bit);
    target.fill(clLime);
    f.Draw(target.canvas(), Rect{0, 0, 80, 80}, false, false);
    EXPECT_EQ(target.pixel(19, 19), clLime);
    EXPECT_EQ(target.pixel(20, 20), clRed);
    EXPECT_EQ(target.pixel(59, 59), clRed);
    EXPECT_EQ(target.pixel(60, 60), clLime);
}

TEST(BitmapConversion, TransparentDrawingKeepsTheDestinationUnderTheMask)
{
    auto image = makeImage(2, 2, 2, {0, 1, 1, 0});
    TGIFSubImage& f = image->Images().Items(0);
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&f);
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(1);
    f.Extensions().Add(std::move(gce));
    const TColor c0 = f.ColorMap().Colors(0);
    for (bool transparent : {true, false}) {
        Bitmap target(2, 2, pf24bit);
        target.fill(clLime);
        f.Draw(target.canvas(), Rect{0, 0, 2, 2}, false, transparent);
        EXPECT_EQ(target.pixel(0, 0), c0);
        EXPECT_EQ(target.pixel(1, 0), transparent ? clLime : f.ColorMap().Colors(1));
    }
    // Tiled: frame-size copies from the rectangle's corner.
    Bitmap wide(5, 2, pf24bit);
    wide.fill(clLime);
    f.Draw(wide.canvas(), Rect{0, 0, 5, 2}, true, true);
    EXPECT_EQ(wide.pixel(2, 0), c0);
    EXPECT_EQ(wide.pixel(4, 0), c0);
    EXPECT_EQ(wide.pixel(3, 0), clLime);
}

TEST(BitmapConversion, ImagePaletteAndBitmap)
{
    TGIFImage empty;
    EXPECT_EQ(empty.GetBitmap(), nullptr);
    EXPECT_EQ(empty.GetPalette(), nullptr);

    auto image = makeImage(2, 1, 2, {0, 1});
    // Without a global table: the first frame's palette, not cached in the image.
    const Palette* p = image->GetPalette();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->count(), 2);
    EXPECT_EQ(image->GlobalPalette, nullptr);
    Bitmap* b = image->GetBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->pixel(1, 0), image->Images().Items(0).ColorMap().Colors(1));

    // A frame smaller than the screen is drawn into a bitmap of the screen's size.
    image->FreeBitmap();
    image->Header().ScreenWidth = 4;
    b = image->GetBitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->width(), 4);
    EXPECT_EQ(b->pixel(1, 0), image->Images().Items(0).ColorMap().Colors(1));
}

TEST(BitmapConversion, PaletteRequestedFromInsideAPaletteRequestFails)
{
    // The frame has no local table and the image no global one, so the frame asks the image,
    // which asks the frame again from inside its own request.
    TGIFImage image;
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(0, 0, 1, 1);
    image.Add(std::move(frame));
    try {
        image.GetPalette();
        FAIL() << "re-entry accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "No global or local color table defined");
    }
}

TEST(BitmapConversion, AssigningAnImageCopiesPaintOptionsButNotReductionBits)
{
    auto source = makeImage(2, 1, 2, {0, 1});
    source->PaintOptions = 0x0123;
    source->ReductionBits = 3;
    source->onProgress = [](Graphic&, ProgressStage, int, bool, const Rect&, const std::string&) {};
    source->OnWarning = [](const TGIFObject*, int, const std::string&) {};
    TGIFImage target;
    target.ReductionBits = 6;
    target.AssignGraphic(*source);
    EXPECT_EQ(target.PaintOptions, 0x0123);
    EXPECT_EQ(target.ReductionBits, 6);
    EXPECT_FALSE(target.onProgress);
    EXPECT_FALSE(target.OnWarning);
    ASSERT_EQ(target.Images().Count(), 1);
    EXPECT_EQ(target.Images().Items(0).Data(), (std::vector<std::uint8_t>{0, 1}));
}

TEST(BitmapConversion, ClipboardCarriesTheGifBytesAndAPicture)
{
    guiApp();
    auto image = makeImage(3, 1, 3, {0, 1, 2});
    image->SaveToClipboard();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/gif"));
    EXPECT_TRUE(data->hasImage());
    TGIFImage back;
    back.LoadFromClipboard();
    ASSERT_EQ(back.Images().Count(), 1);
    EXPECT_EQ(back.Images().Items(0).Data(), (std::vector<std::uint8_t>{0, 1, 2}));

    // A picture alone becomes one frame.
    auto picture = std::make_unique<QMimeData>();
    QImage q(2, 1, QImage::Format_RGB32);
    q.setPixel(0, 0, qRgb(255, 0, 0));
    q.setPixel(1, 0, qRgb(0, 0, 255));
    picture->setImageData(q);
    QGuiApplication::clipboard()->setMimeData(picture.release());
    TGIFImage fromPicture;
    fromPicture.ReductionMethod = rdNone;
    fromPicture.LoadFromClipboard();
    ASSERT_EQ(fromPicture.Images().Count(), 1);
    TGIFSubImage& f = fromPicture.Images().Items(0);
    EXPECT_EQ(f.ColorMap().Colors(f.Pixels(0, 0)), clRed);
    EXPECT_EQ(f.ColorMap().Colors(f.Pixels(1, 0)), clBlue);

    QGuiApplication::clipboard()->setText("text only");
    TGIFImage none;
    try {
        none.LoadFromClipboard();
        FAIL() << "text accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Unsupported clipboard format");
    }
}
