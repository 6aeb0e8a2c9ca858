#pragma once
// TGIFEncoder: the shared part of the two image data encoders (code output into a bit bucket,
// pixel stepping, interlace order, the frame of the data sub-blocks).

#include "gif/gif_types.h"
#include "gif/gif_writer.h"

#include <cstdint>
#include <memory>

class Stream;

class TGIFEncoder : public TGIFObject {
public:
    ~TGIFEncoder() override = default;

    // Writes the minimum code size, the coded pixels in data sub-blocks and the 0 terminator.
    // A pixel not below colorCount throws GIFException "Color not in color table".
    void Compress(Stream& target, int bitsPerPixel, int colorCount, const std::uint8_t* pixels, bool interlaced,
                  int height, int width);

    TGIFWarning OnWarning;

protected:
    TGIFEncoder() = default;

    virtual void Output(int code);
    virtual void Clear();
    virtual void CompressPixels() = 0;

    // Output of the base: the code goes into the bucket at the current width.
    void OutputBits(int code)
    {
        if (bitCount_ == 0)
            bucket_ = std::uint32_t(code);
        else
            bucket_ = (std::uint32_t(code) << bitCount_) | (bucket_ & ((1u << bitCount_) - 1));
        bitCount_ += codeWidth_;
        while (bitCount_ >= 8) {
            writer_->WriteByte(std::uint8_t(bucket_ & 0xFF));
            bucket_ >>= 8;
            bitCount_ -= 8;
        }
        if (code == endCode_ && bitCount_ > 0) {
            writer_->WriteByte(std::uint8_t(bucket_ & 0xFF));
            bucket_ = 0;
            bitCount_ = 0;
        }
    }

    // Calls f(pointer, count) for each run of pixels that are consecutive in stepping order:
    // the whole buffer, or one row at a time in interlace order.
    template <class F>
    void ForEachSpan(F f)
    {
        if (!interlaced_) {
            f(pixels_, std::int64_t(width_) * height_);
            return;
        }
        static constexpr int start[4] = {0, 4, 2, 1};
        static constexpr int step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = start[pass]; row < height_; row += step[pass])
                f(pixels_ + std::int64_t(row) * width_, std::int64_t(width_));
    }

    [[noreturn]] void ColorError() const;

    int bitsPerPixel_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool interlaced_ = false;
    const std::uint8_t* pixels_ = nullptr;
    int colorLimit_ = 0;
    std::uint32_t bucket_ = 0;
    int bitCount_ = 0;
    int codeWidth_ = 0;
    int initialWidth_ = 0;
    int largestCode_ = 0;
    int clearCode_ = 0;
    int endCode_ = 0;
    int firstFreeCode_ = 0;
    bool justCleared_ = false;
    TGIFWriter* writer_ = nullptr;
};

// The encoder chosen by the image's Encoding: enRLE gives TRLEEncoder, anything else TLZWEncoder.
std::unique_ptr<TGIFEncoder> CreateEncoder(TGIFEncoding encoding);

// The bits per pixel that pixels need: the smallest n (at least 1) with every index below 2^n.
int BitsForPixels(const std::uint8_t* pixels, std::size_t count);
