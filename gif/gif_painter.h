#pragma once
// TGIFPainter: plays the frames of a TGIFImage onto a canvas rectangle with their delays,
// disposals and the loop count, on a thread of its own (poThreaded) or inside the call that
// starts it. A threaded painter does every paint and raises every event on the user-interface
// thread through TGIFSynchronizer.
//
// A painter frees itself when it ends; its pointer stays valid until the painter reference
// given to StartPainter is cleared or OnPaintEnd has run.

#include "gif/gif_types.h"
#include "platform/geometry.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class Canvas;
class TGIFFrameCompositor;
class TGIFImage;
class TGIFPainter;

using TGIFPainterEvent = std::function<void(TGIFPainter& sender)>;

class TGIFPainter {
public:
    // Delay units: a frame without a delay counts 10, shorter delays than 3 count 3, and one
    // unit lasts 12 ms at speed 100.
    static constexpr int kDefaultDelay = 10;
    static constexpr int kMinimumDelay = 3;
    static constexpr int kUnitMilliseconds = 12;
    // The delay in units the painter waits after a frame with this graphic control delay
    // (negative: the frame has none).
    static int DelayUnits(int delay, bool threaded);

    TGIFPainter(TGIFImage& image, Canvas& canvas, const Rect& rect, TGIFPaintOptions options, TGIFPainter** reference);
    ~TGIFPainter();
    TGIFPainter(const TGIFPainter&) = delete;
    TGIFPainter& operator=(const TGIFPainter&) = delete;

    // Starts a threaded painter's thread once; nothing for an unthreaded one.
    void Resume();
    // Marks the painter terminated and wakes it; does not wait.
    void Stop();
    bool Terminated() const { return terminated_; }
    bool Threaded() const { return threaded_; }
    bool Started() const { return started_; }
    bool Running() const { return running_; }

    int ActiveFrame() const { return activeFrame_; }
    void SetActiveFrame(int value) { activeFrame_ = value; }
    int AnimationSpeed() const { return speed_; }
    // Stores the speed and wakes a waiting painter, or makes a painter without a wake-up event
    // start over.
    void SetAnimationSpeed(int value);
    TGIFPaintOptions Options() const { return options_; }
    Canvas* PaintCanvas() const { return canvas_; }
    const Rect& PaintRect() const { return rect_; }
    TGIFImage* Image() const { return image_; }
    // Text of the error that ended the painter, empty if none.
    const std::string& StoredError() const { return storedError_; }

    TGIFPainterEvent OnPaintStart, OnPaintFrame, OnAfterPaintFrame, OnPaintLoop, OnPaintEnd;

    // The run: the thread's body, or the direct call for an unthreaded painter.
    void Execute();

private:
    friend class TGIFImage;
    bool has(TGIFPaintOption o) const { return (options_ & paintOption(o)) != 0; }
    bool stopping() const { return terminated_ || restart_; }
    void event(const TGIFPainterEvent& handler);
    void synchronized(const std::function<void()>& fn);
    void waitBeforeFrame(int units);
    void paintFrame();
    void detach();
    void threadMain();

    TGIFImage* image_;
    Canvas* canvas_;
    Rect rect_;
    TGIFPaintOptions options_;
    bool threaded_;
    std::atomic<int> speed_;
    std::atomic<int> activeFrame_{-1};
    int disposal_ = 0;
    int previousDisposal_ = 1;
    std::unique_ptr<TGIFFrameCompositor> compositor_;
    std::atomic<bool> restart_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> running_{false};
    bool resumed_ = false;
    bool hasWakeUp_ = false;
    std::mutex wakeMutex_;
    std::condition_variable wakeUp_;
    bool woken_ = false;
    TGIFPainter** reference_;
    std::string storedError_;
    // A threaded painter owns itself from Resume until its thread ends.
    std::unique_ptr<TGIFPainter> self_;
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastTime_;
    std::int64_t lag_ = 0;
};
