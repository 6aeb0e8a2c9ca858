#include "gif/gif_painter.h"

#include "gif/gif_application_extension.h"
#include "gif/gif_frame_compositor.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_synchronizer.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/exceptions.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <thread>

int TGIFPainter::DelayUnits(int delay, bool threaded)
{
    if (delay <= 0)
        return kDefaultDelay;
    if (delay < kMinimumDelay)
        return kMinimumDelay;
    if (!threaded && delay > 1000)
        return 1000;
    return delay;
}

TGIFPainter::TGIFPainter(TGIFImage& image, Canvas& canvas, const Rect& rect, TGIFPaintOptions options,
                         TGIFPainter** reference)
    : image_(&image), canvas_(&canvas), rect_(rect), options_(options), threaded_(has(poThreaded)),
      speed_(image.AnimationSpeed()), reference_(reference)
{
    hasWakeUp_ = threaded_ && has(poAnimate) && image.Images().Count() > 1 && speed_ >= 0;
    compositor_ = std::make_unique<TGIFFrameCompositor>(image, canvas, rect, options);
    OnPaintStart = image.OnPaintStart;
    OnPaintFrame = image.OnPaintFrame;
    OnAfterPaintFrame = image.OnAfterPaintFrame;
    OnPaintLoop = image.OnPaintLoop;
    OnPaintEnd = image.OnPaintEnd;
}

TGIFPainter::~TGIFPainter() = default;

void TGIFPainter::Resume()
{
    if (!threaded_ || resumed_)
        return;
    resumed_ = true;
    running_ = true;
    std::thread([this] { threadMain(); }).detach();
}

void TGIFPainter::threadMain()
{
    Execute();
    detach();
    running_ = false;
    // Last: the painter frees itself.
    std::unique_ptr<TGIFPainter> self = std::move(self_);
}

void TGIFPainter::Stop()
{
    terminated_ = true;
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        woken_ = true;
    }
    wakeUp_.notify_all();
}

void TGIFPainter::SetAnimationSpeed(int value)
{
    speed_ = std::clamp(value, 0, 1000);
    if (hasWakeUp_) {
        {
            std::lock_guard<std::mutex> lock(wakeMutex_);
            woken_ = true;
        }
        wakeUp_.notify_all();
    } else {
        restart_ = true;
    }
}

void TGIFPainter::synchronized(const std::function<void()>& fn)
{
    if (threaded_)
        TGIFSynchronizer::Instance().Synchronize([&] {
            if (!terminated_)
                fn();
        });
    else
        fn();
}

void TGIFPainter::event(const TGIFPainterEvent& handler)
{
    if (!handler || terminated_)
        return;
    synchronized([&] { handler(*this); });
}

void TGIFPainter::waitBeforeFrame(int units)
{
    const int frame = activeFrame_;
    synchronized([&] {
        if (frame >= 0 && frame < image_->Images().Count())
            image_->Images().Items(frame).GetBitmap();
    });
    const Clock::time_point now = Clock::now();
    const int speed = speed_;
    std::int64_t wait = 0; // milliseconds; negative: without end
    if (speed > 0) {
        const std::int64_t elapsed =
            (std::chrono::duration_cast<std::chrono::milliseconds>(now - lastTime_).count() - lag_) / 2;
        const double w = std::nearbyint(double(std::int64_t(units) * kUnitMilliseconds - elapsed) * 100.0 / speed);
        if (!std::isfinite(w) || std::fabs(w) > 1e9) {
            wait = 12000;
            lag_ = 0;
        } else {
            wait = std::int64_t(w);
            lag_ = wait;
        }
    } else {
        wait = threaded_ ? -1 : 12000;
    }
    lastTime_ = now;
    if (threaded_) {
        if (wait > 0 || speed == 0) {
            std::unique_lock<std::mutex> lock(wakeMutex_);
            auto wokenUp = [&] { return woken_ || terminated_.load(); };
            bool woke = false;
            if (wait < 0)
                wakeUp_.wait(lock, wokenUp), woke = true;
            else
                woke = wakeUp_.wait_for(lock, std::chrono::milliseconds(wait), wokenUp);
            woken_ = false;
            if (woke) {
                lag_ = 0;
                lastTime_ = Clock::now();
            }
        }
        return;
    }
    if (wait <= 0)
        wait = 1;
    while (wait > 0 && !stopping()) {
        const Clock::time_point before = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::int64_t>(wait, 100)));
        wait -= std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - before).count();
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    }
}

void TGIFPainter::paintFrame()
{
    synchronized([&] {
        if (has(poCheckCanvas) && canvas_->target().empty()) {
            terminated_ = true;
            return;
        }
        compositor_->PaintFrame(activeFrame_, disposal_, previousDisposal_);
        started_ = true;
    });
}

void TGIFPainter::Execute()
{
    try {
        restart_ = true;
        while (restart_ && !terminated_) {
            activeFrame_ = 0;
            event(OnPaintStart);
            started_ = false;
            restart_ = false;
            int loopsLeft = 1;
            int loopStart = 0;
            bool loopSeen = false;
            int waitUnits = threaded_ ? 0 : 1;
            previousDisposal_ = 1;
            lastTime_ = Clock::now();
            lag_ = 0;
            while ((loopsLeft != 0 || has(poLoopForever)) && !stopping()) {
                activeFrame_ = loopStart;
                if (started_)
                    event(OnPaintLoop);
                for (;;) {
                    const int count = image_->Images().Count();
                    const int frameIndex = activeFrame_;
                    if (!has(poAnimate) && started_)
                        break;
                    if (frameIndex < 0 || frameIndex >= count || stopping())
                        break;
                    TGIFSubImage& frame = image_->Images().Items(frameIndex);
                    if (frame.Empty())
                        break;
                    if (waitUnits > 0)
                        waitBeforeFrame(waitUnits);
                    else
                        std::this_thread::yield();
                    event(OnPaintFrame);
                    if (terminated_)
                        break;
                    if (activeFrame_ < 0 || activeFrame_ >= image_->Images().Count())
                        break;
                    TGIFSubImage& shown = image_->Images().Items(activeFrame_);
                    disposal_ = 1;
                    int delay = -1;
                    for (int k = 0; k < shown.Extensions().Count(); ++k) {
                        TGIFExtension& e = shown.Extensions().Items(k);
                        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(&e); loop && !loopSeen) {
                            loopSeen = true;
                            loopsLeft = (loop->Loops == 0 || (has(poLoopForever) && threaded_)) ? -1 : loop->Loops;
                            loopStart = activeFrame_;
                        } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(&e)) {
                            disposal_ = gce->Disposal();
                            delay = gce->Delay();
                        }
                    }
                    if (!threaded_ && loopsLeft < 0 && !has(poLoopForever))
                        loopsLeft = 1; // an unthreaded painter plays an endless loop once
                    paintFrame();
                    previousDisposal_ = disposal_;
                    if (terminated_)
                        break;
                    waitUnits = DelayUnits(delay, threaded_);
                    const int before = activeFrame_;
                    event(OnAfterPaintFrame);
                    if (terminated_)
                        break;
                    if (activeFrame_ == before)
                        activeFrame_ = before + 1;
                    if (!has(poAnimate))
                        break;
                }
                if (loopsLeft > 0)
                    --loopsLeft;
                if (!(has(poAnimate) && has(poLoop)))
                    break;
            }
        }
        activeFrame_ = -1;
        event(OnPaintEnd);
    } catch (const Exception& e) {
        terminated_ = true;
        storedError_ = e.what();
    }
}

void TGIFPainter::detach()
{
    TGIFImage* image = image_;
    if (!image)
        return;
    std::lock_guard<std::recursive_mutex> lock(image->PaintersLock);
    if (reference_ && *reference_ == this)
        *reference_ = nullptr;
    auto& list = image->Painters;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    image_ = nullptr;
    compositor_.reset();
}

// The image's side --------------------------------------------------------------------------

TGIFPainter* TGIFImage::StartPainter(TGIFPainter** reference, Canvas& canvas, TGIFPaintOptions options, const Rect& rect)
{
    if (reference)
        *reference = nullptr;
    if (GetEmpty() || rect.left >= rect.right || rect.top >= rect.bottom)
        return nullptr;
    // Painters start on the user-interface thread; without a Qt application the synchroniser
    // takes the thread that first uses it as that thread, so it must not be a painter's.
    TGIFSynchronizer::Instance();
    if (images_.Count() == 1)
        options = TGIFPaintOptions(options & ~(paintOption(poThreaded) | paintOption(poAnimate)));
    auto painter = std::make_unique<TGIFPainter>(*this, canvas, rect, options, reference);
    TGIFPainter* p = painter.get();
    {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        Painters.push_back(p);
        if (reference)
            *reference = p;
    }
    if (p->Threaded()) {
        p->self_ = std::move(painter);
        return p;
    }
    p->Execute();
    p->detach();
    if (!p->StoredError().empty())
        throw GIFException(p->StoredError());
    return nullptr;
}

namespace {

// Waits until pred holds, serving the painters' calls to this thread meanwhile.
template <class Pred>
void serveUntil(Pred pred)
{
    TGIFSynchronizer& sync = TGIFSynchronizer::Instance();
    while (!pred()) {
        if (sync.OnMainThread())
            sync.ServePending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

} // namespace

void TGIFImage::StopPainters()
{
    std::vector<TGIFPainter*> waiting;
    {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        for (TGIFPainter* p : Painters) {
            p->Stop();
            if (p->Threaded())
                waiting.push_back(p);
        }
        // A threaded painter that was never resumed would never end on its own: run its thread.
        for (TGIFPainter* p : waiting)
            p->Resume();
    }
    serveUntil([this] {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        return std::none_of(Painters.begin(), Painters.end(), [](TGIFPainter* p) { return p->Threaded(); });
    });
    FreeBitmap();
}

void TGIFImage::StopDrawing()
{
    TGIFPainter* painter = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        painter = DrawPainter;
        if (painter) {
            painter->Stop();
            painter->Resume();
        }
    }
    if (painter && painter->Threaded())
        serveUntil([this, painter] {
            std::lock_guard<std::recursive_mutex> lock(PaintersLock);
            return std::find(Painters.begin(), Painters.end(), painter) == Painters.end();
        });
    CachedBitmap.reset();
}

void TGIFImage::FreeBitmap()
{
    {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        if (DrawPainter)
            DrawPainter->Stop();
    }
    CachedBitmap.reset();
}

void TGIFImage::SetAnimationSpeed(int value)
{
    value = std::clamp(value, 0, 1000);
    if (value == animationSpeed_)
        return;
    animationSpeed_ = value;
    std::lock_guard<std::recursive_mutex> lock(PaintersLock);
    if (DrawPainter)
        DrawPainter->SetAnimationSpeed(value);
}

void TGIFImage::SetPaintOptions(TGIFPaintOptions value)
{
    if (value == PaintOptions)
        return;
    {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        if (DrawPainter)
            DrawPainter->Stop();
    }
    PaintOptions = value;
    FreeBitmap();
    SetPalette(nullptr);
    for (int i = 0; i < images_.Count(); ++i) {
        images_.Items(i).FreeBitmap();
        images_.Items(i).FreeMask();
        images_.Items(i).ResetPalette();
    }
    if (header_->ColorMap().Count() == 0 && images_.Count() == 1) {
        TGIFSubImage& only = images_.Items(0);
        header_->ColorMap().Assign(only.ColorMap());
        only.ColorMap().Clear();
    }
    changed();
}

void TGIFImage::Draw(Canvas& canvas, const Rect& rect)
{
    if (drawing_ || images_.Count() == 0)
        return;
    drawing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{drawing_};
    const bool tile = (PaintOptions & paintOption(poTile)) != 0;
    auto drawBitmap = [&] {
        ::Bitmap* picture = GetBitmap();
        if (!picture || picture->empty())
            return;
        if (tile) {
            for (int y = rect.top; y < rect.bottom; y += GetHeight())
                for (int x = rect.left; x < rect.right; x += GetWidth())
                    canvas.copyRect(Rect{x, y, x + GetWidth(), y + GetHeight()}, *picture,
                                    Rect{0, 0, picture->width(), picture->height()});
        } else {
            canvas.copyRect(rect, *picture, Rect{0, 0, picture->width(), picture->height()});
        }
    };
    if (images_.Count() == 1 || (PaintOptions & paintOption(poAnimate)) == 0) {
        images_.Items(0).Draw(canvas, rect, tile, (PaintOptions & paintOption(poTransparent)) != 0);
        return;
    }
    const bool direct = (PaintOptions & paintOption(poDirect)) != 0;
    if (!direct && CachedBitmap) {
        drawBitmap();
        return;
    }
    TGIFPainter* painter = nullptr;
    {
        std::unique_lock<std::recursive_mutex> lock(PaintersLock);
        if (DrawPainter && DrawPainter->PaintCanvas() == &canvas && DrawPainter->PaintRect() == rect)
            return; // already playing there
        lock.unlock();
        StopDrawing();
    }
    Canvas* target = &canvas;
    Rect targetRect = rect;
    if (!direct) {
        ::Bitmap* buffer = NewBitmap();
        if (buffer->empty())
            return;
        targetRect = Rect{0, 0, buffer->width(), buffer->height()};
        buffer->canvas().copyRect(targetRect, canvas.target(), rect);
        target = &buffer->canvas();
    }
    painter = StartPainter(&DrawPainter, *target, PaintOptions, targetRect);
    if (!painter)
        return;
    painter->Resume();
    if (direct)
        return;
    serveUntil([this, painter] {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        return DrawPainter != painter || painter->Started();
    });
    drawBitmap();
}
