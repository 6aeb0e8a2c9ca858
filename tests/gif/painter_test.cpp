// The animation painter: frame timing, loops, events, stopping, and the compositing of
// disposals onto the canvas.

#include "gif/gif_application_extension.h"
#include "gif/gif_frame_compositor.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_painter.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_synchronizer.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"

#include <chrono>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr TGIFPaintOptions kThreaded = paintOption(poThreaded) | paintOption(poAnimate) | paintOption(poLoop);
constexpr TGIFPaintOptions kUnthreaded = paintOption(poAnimate) | paintOption(poLoop);

// A frame of one colour over the given area, with a graphic control extension.
TGIFSubImage& addFrame(TGIFImage& image, Rect r, TColor color, int delay, int disposal = 1)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
    frame->ColorMap().Add(color);
    frame->ColorMap().Add(clBlack);
    TGIFSubImage& f = image.Images().Items(image.Add(std::move(frame)));
    auto gce = std::make_unique<TGIFGraphicControlExtension>(&f);
    gce->SetDelay(std::uint16_t(delay));
    gce->SetDisposal(disposal);
    f.Extensions().Add(std::move(gce));
    return f;
}

void addLoop(TGIFSubImage& frame, int loops)
{
    auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
    loop->Loops = std::uint16_t(loops);
    frame.Extensions().Insert(0, std::move(loop));
}

bool anyThreaded(TGIFImage& image)
{
    std::lock_guard<std::recursive_mutex> lock(image.PaintersLock);
    for (TGIFPainter* p : image.Painters)
        if (p->Threaded())
            return true;
    return false;
}

// Serves the painters' calls until every threaded painter has ended or until done() holds.
template <class Done>
bool serveUntil(TGIFImage& image, Done done, std::chrono::milliseconds limit = std::chrono::milliseconds(20000))
{
    const auto end = Clock::now() + limit;
    while (anyThreaded(image) && !done()) {
        TGIFSynchronizer::Instance().ServePending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (Clock::now() > end)
            return false;
    }
    return true;
}

struct Recorder {
    std::vector<int> frames;
    std::vector<Clock::time_point> times;
    int loops = 0;
    int ends = 0;
    void attach(TGIFImage& image)
    {
        image.OnPaintFrame = [this](TGIFPainter& p) {
            frames.push_back(p.ActiveFrame());
            times.push_back(Clock::now());
        };
        image.OnPaintLoop = [this](TGIFPainter&) { ++loops; };
        image.OnPaintEnd = [this](TGIFPainter&) { ++ends; };
    }
};

// Starts the image's draw painter straight onto target (threaded, poDirect) with r recording,
// and serves it until it has shown its first frame.
bool drawDirectlyUntilTheFirstFrame(TGIFImage& image, Recorder& r, Bitmap& target)
{
    r.attach(image);
    image.SetPaintOptions(TGIFPaintOptions(kThreaded | paintOption(poDirect)));
    image.Draw(target.canvas(), Rect{0, 0, target.width(), target.height()});
    return image.DrawPainter != nullptr && serveUntil(image, [&] { return !r.frames.empty(); });
}

double ms(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

} // namespace

TEST(Painter, DelayUnits)
{
    struct Case {
        int delay;
        bool threaded;
        int units;
    };
    for (const Case c : {Case{-1, true, 10}, Case{0, true, 10}, Case{1, true, 3}, Case{2, false, 3}, Case{3, true, 3},
                         Case{50, false, 50}, Case{2000, false, 1000}, Case{2000, true, 2000}})
        EXPECT_EQ(TGIFPainter::DelayUnits(c.delay, c.threaded), c.units) << c.delay << " " << c.threaded;
}

TEST(Painter, FramesShowForTheirDelaysAtSpeeds100And200)
{
    for (int speed : {100, 200}) {
        SCOPED_TRACE(speed);
        TGIFImage image;
        TGIFSubImage& first = addFrame(image, {0, 0, 4, 4}, clRed, 5);
        addFrame(image, {0, 0, 4, 4}, clBlue, 50);
        addLoop(first, 2);
        image.SetAnimationSpeed(speed);
        Recorder r;
        r.attach(image);
        Bitmap target(4, 4);
        TGIFPainter* painter = image.StartPainter(nullptr, target.canvas(), kThreaded, Rect{0, 0, 4, 4});
        ASSERT_NE(painter, nullptr);
        painter->Resume();
        ASSERT_TRUE(serveUntil(image, [] { return false; }));
        ASSERT_EQ(r.frames, (std::vector<int>{0, 1, 0, 1}));
        EXPECT_EQ(r.loops, 1);
        EXPECT_EQ(r.ends, 1);
        // 5 units of 12 ms and 50 units, divided by speed / 100; generous margins.
        const double shortWait = 60.0 * 100 / speed, longWait = 600.0 * 100 / speed;
        const double expected[3] = {shortWait, longWait, shortWait};
        for (int i = 0; i < 3; ++i) {
            const double d = ms(r.times[std::size_t(i)], r.times[std::size_t(i + 1)]);
            EXPECT_GT(d, expected[i] * 0.7) << i;
            EXPECT_LT(d, expected[i] * 1.5 + 60) << i;
        }
        EXPECT_EQ(target.pixel(0, 0), clBlue);
    }
}

TEST(Painter, LoopCounts)
{
    struct Case {
        int loops; // -1: no loop extension
        TGIFPaintOptions options;
        int expectedPaints; // 0: endless, stopped by the test
    };
    for (const Case c : {Case{3, kThreaded, 6}, Case{3, kUnthreaded, 6}, Case{0, kUnthreaded, 2}, Case{0, kThreaded, 0},
                         Case{-1, kThreaded, 2}, Case{-1, TGIFPaintOptions(kThreaded | paintOption(poLoopForever)), 0}}) {
        SCOPED_TRACE(testing::Message() << c.loops << " options " << c.options);
        TGIFImage image;
        image.SetAnimationSpeed(1000);
        TGIFSubImage& first = addFrame(image, {0, 0, 2, 2}, clRed, 3);
        addFrame(image, {0, 0, 2, 2}, clBlue, 3);
        if (c.loops >= 0)
            addLoop(first, c.loops);
        Recorder r;
        r.attach(image);
        Bitmap target(2, 2);
        TGIFPainter* painter = image.StartPainter(nullptr, target.canvas(), c.options, Rect{0, 0, 2, 2});
        if (c.options & paintOption(poThreaded)) {
            ASSERT_NE(painter, nullptr);
            painter->Resume();
            if (c.expectedPaints == 0) {
                ASSERT_TRUE(serveUntil(image, [&] { return r.frames.size() >= 9; }));
                EXPECT_GE(r.frames.size(), 9u); // still playing after four loops
                image.StopPainters();
                EXPECT_EQ(r.ends, 0); // no end event for a stopped painter
                continue;
            }
            ASSERT_TRUE(serveUntil(image, [] { return false; }));
        } else {
            EXPECT_EQ(painter, nullptr);
        }
        EXPECT_EQ(int(r.frames.size()), c.expectedPaints);
        EXPECT_EQ(r.ends, 1);
    }
}

TEST(Painter, LoopExtensionOnTheThirdFrameRepeatsFromThere)
{
    TGIFImage image;
    image.SetAnimationSpeed(1000);
    for (TColor c : {clRed, clLime, clBlue, clYellow})
        addFrame(image, {0, 0, 2, 2}, c, 3);
    addLoop(image.Images().Items(2), 3);
    Recorder r;
    r.attach(image);
    Bitmap target(2, 2);
    image.StartPainter(nullptr, target.canvas(), kUnthreaded, Rect{0, 0, 2, 2});
    EXPECT_EQ(r.frames, (std::vector<int>{0, 1, 2, 3, 2, 3, 2, 3}));
}

TEST(Painter, AfterPaintFrameHandlerChoosesTheNextFrame)
{
    TGIFImage image;
    image.SetAnimationSpeed(1000);
    addFrame(image, {0, 0, 2, 2}, clRed, 3);
    addFrame(image, {0, 0, 2, 2}, clBlue, 3);
    Recorder r;
    r.attach(image);
    image.OnAfterPaintFrame = [&](TGIFPainter& p) {
        if (r.frames.size() < 5)
            p.SetActiveFrame(0);
    };
    Bitmap target(2, 2);
    TGIFPainter* painter = image.StartPainter(nullptr, target.canvas(), kThreaded, Rect{0, 0, 2, 2});
    ASSERT_NE(painter, nullptr);
    painter->Resume();
    ASSERT_TRUE(serveUntil(image, [] { return false; }));
    // Setting frame 0 while frame 0 is shown leaves it unchanged, so the painter moves on; from
    // frame 1 the handler sends it back. Once the handler lets go, the animation ends.
    EXPECT_EQ(r.frames, (std::vector<int>{0, 1, 0, 1, 0, 1}));
}

TEST(Painter, SingleFramePaintsOnceEvenWhenThreadedIsAsked)
{
    TGIFImage image;
    addFrame(image, {0, 0, 2, 2}, clRed, 100);
    Recorder r;
    r.attach(image);
    Bitmap target(2, 2);
    target.fill(clWhite);
    EXPECT_EQ(image.StartPainter(nullptr, target.canvas(), kThreaded, Rect{0, 0, 2, 2}), nullptr);
    EXPECT_EQ(r.frames, (std::vector<int>{0}));
    EXPECT_EQ(target.pixel(1, 1), clRed);
    EXPECT_TRUE(image.Painters.empty());
    // An empty rectangle starts nothing.
    TGIFPainter* reference = reinterpret_cast<TGIFPainter*>(&image);
    EXPECT_EQ(image.StartPainter(&reference, target.canvas(), kThreaded, Rect{1, 1, 1, 3}), nullptr);
    EXPECT_EQ(reference, nullptr);
}

TEST(Painter, StoppingDuringALongDelayEndsAtOnce)
{
    TGIFImage image;
    addFrame(image, {0, 0, 2, 2}, clRed, 60000); // ten minutes
    addFrame(image, {0, 0, 2, 2}, clBlue, 3);
    Recorder r;
    r.attach(image);
    Bitmap target(2, 2);
    TGIFPainter* reference = nullptr;
    TGIFPainter* painter = image.StartPainter(&reference, target.canvas(), kThreaded, Rect{0, 0, 2, 2});
    ASSERT_NE(painter, nullptr);
    EXPECT_EQ(reference, painter);
    painter->Resume();
    ASSERT_TRUE(serveUntil(image, [&] { return !r.frames.empty(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50)); // now inside the long wait
    const auto before = Clock::now();
    image.StopPainters();
    EXPECT_LT(ms(before, Clock::now()), 1000.0);
    EXPECT_TRUE(image.Painters.empty());
    EXPECT_EQ(reference, nullptr);
    EXPECT_EQ(r.frames, (std::vector<int>{0}));
}

TEST(Painter, SpeedChangeWakesTheDrawPainter)
{
    TGIFImage image;
    image.SetAnimationSpeed(1);
    addFrame(image, {0, 0, 2, 2}, clRed, 50); // 50 units at speed 1: a minute
    addFrame(image, {0, 0, 2, 2}, clBlue, 3);
    Recorder r;
    Bitmap target(2, 2);
    ASSERT_TRUE(drawDirectlyUntilTheFirstFrame(image, r, target));
    const auto before = Clock::now();
    image.SetAnimationSpeed(1000);
    ASSERT_TRUE(serveUntil(image, [&] { return r.frames.size() >= 2; }));
    EXPECT_LT(ms(before, Clock::now()), 5000.0);
    image.StopPainters();
    EXPECT_EQ(image.DrawPainter, nullptr);
}

TEST(FrameCompositor, DisposalsRestoreBackgroundAndPreviousState)
{
    // f0 red over all (leave), f1 green at 1..3 (restore to background), f2 blue at 3
    // (restore to previous), f3 yellow at 0 (leave).
    for (bool transparentOption : {false, true}) {
        SCOPED_TRACE(transparentOption);
        TGIFImage image;
        image.BackgroundPaintColor = clLime;
        addFrame(image, {0, 0, 4, 1}, clRed, 0, 1);
        addFrame(image, {1, 0, 3, 1}, clGreen, 0, 2);
        addFrame(image, {3, 0, 4, 1}, clBlue, 0, 3);
        addFrame(image, {0, 0, 1, 1}, clYellow, 0, 1);
        Bitmap target(4, 1);
        target.fill(clAqua);
        const TGIFPaintOptions options = transparentOption ? paintOption(poTransparent) : 0;
        TGIFFrameCompositor compositor(image, target.canvas(), Rect{0, 0, 4, 1}, options);
        ASSERT_TRUE(compositor.UsesBuffers());
        const TColor bg = transparentOption ? clAqua : clLime; // captured canvas, or the colour
        const std::vector<std::vector<TColor>> expected = {
            {clRed, clRed, clRed, clRed},
            {clRed, clGreen, clGreen, clRed},
            {clRed, bg, bg, clBlue},
            {clYellow, bg, bg, clRed},
        };
        int previous = 1;
        for (int i = 0; i < 4; ++i) {
            const int disposal = image.Images().Items(i).GraphicControl->Disposal();
            compositor.PaintFrame(i, disposal, previous);
            previous = disposal;
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(target.pixel(x, 0), expected[std::size_t(i)][std::size_t(x)]) << "frame " << i << " x " << x;
        }
    }
}

TEST(FrameCompositor, TransparentPixelsShowWhatIsBelow)
{
    TGIFImage image;
    addFrame(image, {0, 0, 2, 1}, clRed, 0, 1);
    TGIFSubImage& top = addFrame(image, {0, 0, 2, 1}, clBlue, 0, 1);
    top.Data() = {0, 1};
    top.GraphicControl->SetTransparent(true);
    top.GraphicControl->SetTransparentColorIndex(1);
    Bitmap target(2, 1);
    TGIFFrameCompositor compositor(image, target.canvas(), Rect{0, 0, 2, 1}, paintOption(poTransparent));
    compositor.PaintFrame(0, 1, 1);
    compositor.PaintFrame(1, 1, 1);
    EXPECT_EQ(target.pixel(0, 0), clBlue);
    EXPECT_EQ(target.pixel(1, 0), clRed);
}

TEST(Painter, SpeedZeroHoldsTheFrameUntilTheSpeedChanges)
{
    TGIFImage image;
    addFrame(image, {0, 0, 2, 2}, clRed, 3);
    addFrame(image, {0, 0, 2, 2}, clBlue, 3);
    image.SetAnimationSpeed(0);
    Recorder r;
    Bitmap target(2, 2);
    ASSERT_TRUE(drawDirectlyUntilTheFirstFrame(image, r, target));
    serveUntil(image, [] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(r.frames, (std::vector<int>{0}));
    EXPECT_EQ(target.pixel(0, 0), clRed);
    image.SetAnimationSpeed(1000);
    ASSERT_TRUE(serveUntil(image, [&] { return r.frames.size() >= 2; }));
    EXPECT_EQ(r.frames[1], 1);
    image.StopPainters();
}

TEST(FrameCompositor, ClearOnLoopClearsTheFirstFrameAreaWhenTheAnimationStartsOver)
{
    // Frame 0 shows the canvas through its right pixel; frame 1 paints that pixel red. When
    // frame 0 comes round again, the red stays unless the loop clears frame 0's area first
    // (back to the canvas as it was, with poTransparent).
    for (bool clearOnLoop : {false, true}) {
        SCOPED_TRACE(clearOnLoop);
        TGIFImage image;
        TGIFSubImage& first = addFrame(image, {0, 0, 2, 1}, clBlue, 0, 1);
        first.Data() = {0, 1};
        first.GraphicControl->SetTransparent(true);
        first.GraphicControl->SetTransparentColorIndex(1);
        addFrame(image, {1, 0, 2, 1}, clRed, 0, 1);
        Bitmap target(2, 1);
        target.fill(clAqua);
        const TGIFPaintOptions options =
            TGIFPaintOptions(paintOption(poTransparent) | (clearOnLoop ? paintOption(poClearOnLoop) : 0));
        TGIFFrameCompositor compositor(image, target.canvas(), Rect{0, 0, 2, 1}, options);
        compositor.PaintFrame(0, 1, 1);
        EXPECT_EQ(target.pixel(1, 0), clAqua);
        compositor.PaintFrame(1, 1, 1);
        EXPECT_EQ(target.pixel(1, 0), clRed);
        compositor.PaintFrame(0, 1, 1);
        EXPECT_EQ(target.pixel(0, 0), clBlue);
        EXPECT_EQ(target.pixel(1, 0), clearOnLoop ? clAqua : clRed);
    }
}

TEST(Painter, DrawTilesOrStretchesAStillImage)
{
    // A 2x1 picture (red, blue) drawn into a 6x2 rectangle.
    for (bool tile : {false, true}) {
        SCOPED_TRACE(tile);
        TGIFImage image;
        image.Header().ScreenWidth = 2;
        image.Header().ScreenHeight = 1;
        TGIFSubImage& frame = addFrame(image, {0, 0, 2, 1}, clRed, 0);
        frame.ColorMap().Add(clBlue);
        frame.Data() = {0, 2};
        image.SetPaintOptions(tile ? paintOption(poTile) : TGIFPaintOptions(0));
        Bitmap target(6, 2);
        target.fill(clWhite);
        image.Draw(target.canvas(), Rect{0, 0, 6, 2});
        const std::vector<TColor> row = tile ? std::vector<TColor>{clRed, clBlue, clRed, clBlue, clRed, clBlue}
                                             : std::vector<TColor>{clRed, clRed, clRed, clBlue, clBlue, clBlue};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(target.pixel(x, y), row[std::size_t(x)]) << x << "," << y;
    }
}

TEST(Painter, DrawWithoutDirectPaintsThroughTheImageBitmap)
{
    // Without poDirect the painter plays into the image's own bitmap; each Draw copies the
    // frame shown last into the rectangle (stretched from 2x2 to 4x4).
    TGIFImage image;
    image.Header().ScreenWidth = 2;
    image.Header().ScreenHeight = 2;
    addFrame(image, {0, 0, 2, 2}, clRed, 3);
    addFrame(image, {0, 0, 2, 2}, clBlue, 3);
    std::vector<int> painted;
    image.OnAfterPaintFrame = [&](TGIFPainter& p) { painted.push_back(p.ActiveFrame()); };
    image.SetPaintOptions(kThreaded);
    Bitmap target(4, 4);
    target.fill(clWhite);
    const auto everyPixelIs = [&](TColor c) {
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                if (target.pixel(x, y) != c)
                    return false;
        return true;
    };
    image.Draw(target.canvas(), Rect{0, 0, 4, 4});
    ASSERT_NE(image.DrawPainter, nullptr);
    EXPECT_NE(image.DrawPainter->PaintCanvas(), &target.canvas());
    EXPECT_TRUE(everyPixelIs(clRed));

    ASSERT_TRUE(serveUntil(image, [&] { return !painted.empty() && painted.back() == 1; }));
    EXPECT_TRUE(everyPixelIs(clRed)) << "the canvas changes only when drawn";
    image.Draw(target.canvas(), Rect{0, 0, 4, 4});
    EXPECT_TRUE(everyPixelIs(clBlue));
    image.StopPainters();
    EXPECT_EQ(image.DrawPainter, nullptr);
}
