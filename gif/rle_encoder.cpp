#include "gif/rle_encoder.h"

std::int64_t TRLEEncoder::TriangleCost(std::int64_t count, std::int64_t codes)
{
    std::int64_t cost = 0;
    const std::int64_t per = codes * (codes + 1) / 2;
    if (per > 0) {
        cost += count / per * codes;
        count %= per;
    }
    if (count > 0) {
        // Integer square root by Newton's iteration, started from a power of two above it.
        std::int64_t n = 1;
        while (n * n < count)
            n <<= 1;
        for (;;) {
            const std::int64_t next = (n + count / n) / 2;
            if (next >= n)
                break;
            n = next;
        }
        while (n > 0 && n * (n + 1) >= 2 * count)
            --n;
        while (n * (n + 1) < 2 * count)
            ++n;
        cost += n;
    }
    return cost;
}

void TRLEEncoder::Clear()
{
    widenAt_ = widenAtInitial_;
    clearAt_ = clearAtInitial_;
    codesSent_ = 0;
    longestRun_ = 0;
    TGIFEncoder::Clear();
    codeWidth_ = initialWidth_;
}

void TRLEEncoder::plainOutput(int code)
{
    justCleared_ = false;
    Output(code);
    ++codesSent_;
    if (codesSent_ >= widenAt_) {
        widenAt_ += std::int64_t(1) << codeWidth_;
        ++codeWidth_;
    }
    if (codesSent_ >= clearAt_)
        Clear();
}

void TRLEEncoder::resetClearAt()
{
    clearAt_ = clearAtInitial_;
    if (codesSent_ >= clearAt_)
        Clear();
}

void TRLEEncoder::flushFromClear(std::int64_t count)
{
    clearAt_ = tableCodes_;
    runPixelInTable_ = runPixel_;
    std::int64_t n = 1;
    while (count > 0) {
        if (n == 1) {
            longestRun_ = 1;
            plainOutput(runPixel_);
            --count;
        } else if (count >= n) {
            longestRun_ = n;
            plainOutput(int(firstFreeCode_ + n - 2));
            count -= n;
        } else if (count == 1) {
            ++longestRun_;
            plainOutput(runPixel_);
            count = 0;
        } else {
            ++longestRun_;
            plainOutput(int(firstFreeCode_ + count - 2));
            count = 0;
        }
        n = codesSent_ == 0 ? 1 : n + 1;
    }
    resetClearAt();
}

void TRLEEncoder::flushClearOrRepeat(std::int64_t count)
{
    if (1 + TriangleCost(count, tableCodes_) < count) {
        Clear();
        flushFromClear(count);
    } else {
        for (; count > 0; --count)
            plainOutput(runPixel_);
    }
}

void TRLEEncoder::flushWithTable(std::int64_t count)
{
    std::int64_t repeats = count / longestRun_;
    std::int64_t leftover = count % longestRun_;
    std::int64_t extra = leftover > 0 ? 1 : 0;
    if (codesSent_ + repeats + extra > tableCodes_) {
        repeats = tableCodes_ - codesSent_;
        leftover = count - repeats * longestRun_;
        extra = 1 + TriangleCost(leftover, tableCodes_);
    }
    if (1 + TriangleCost(count, tableCodes_) < repeats + extra) {
        Clear();
        flushFromClear(count);
        return;
    }
    clearAt_ = tableCodes_;
    for (; repeats > 0; --repeats)
        plainOutput(int(firstFreeCode_ + longestRun_ - 2));
    if (leftover > 0) {
        if (justCleared_)
            flushFromClear(leftover);
        else if (leftover == 1)
            plainOutput(runPixel_);
        else
            plainOutput(int(firstFreeCode_ + leftover - 2));
    }
    resetClearAt();
}

void TRLEEncoder::flush(std::int64_t count)
{
    if (count == 1)
        plainOutput(runPixel_);
    else if (justCleared_)
        flushFromClear(count);
    else if (longestRun_ < 2 || runPixelInTable_ != runPixel_)
        flushClearOrRepeat(count);
    else
        flushWithTable(count);
}

void TRLEEncoder::CompressPixels()
{
    widenAtInitial_ = clearCode_ - 1;
    clearAtInitial_ = bitsPerPixel_ <= 3 ? 9 : clearCode_ - 2;
    tableCodes_ = 4095 - firstFreeCode_;
    Clear();
    runPixel_ = -1;
    std::int64_t runCount = 0;
    const int limit = colorLimit_;
    ForEachSpan([&](const std::uint8_t* p, std::int64_t count) {
        const std::uint8_t* end = p + count;
        for (; p < end; ++p) {
            const int pixel = *p;
            if (pixel >= limit)
                ColorError();
            if (runCount > 0 && pixel != runPixel_) {
                flush(runCount);
                runCount = 0;
            }
            if (pixel == runPixel_) {
                ++runCount;
            } else {
                runPixel_ = pixel;
                runCount = 1;
            }
        }
    });
    if (runCount > 0)
        flush(runCount);
}
