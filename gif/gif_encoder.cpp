#include "gif/gif_encoder.h"

#include "gif/gif_messages.h"
#include "gif/lzw_encoder.h"
#include "gif/rle_encoder.h"
#include "platform/stream.h"

#include <algorithm>

void TGIFEncoder::Compress(Stream& target, int bitsPerPixel, int colorCount, const std::uint8_t* pixels,
                           bool interlaced, int height, int width)
{
    bitsPerPixel_ = bitsPerPixel < 2 ? 2 : bitsPerPixel;
    colorLimit_ = colorCount;
    pixels_ = pixels;
    interlaced_ = interlaced;
    height_ = height;
    width_ = width;
    initialWidth_ = bitsPerPixel_ + 1;
    target.writeByte(std::uint8_t(bitsPerPixel_));
    codeWidth_ = initialWidth_;
    largestCode_ = (1 << codeWidth_) - 1;
    clearCode_ = 1 << (initialWidth_ - 1);
    endCode_ = clearCode_ + 1;
    firstFreeCode_ = clearCode_ + 2;
    bucket_ = 0;
    bitCount_ = 0;
    justCleared_ = false;

    TGIFWriter writer(target);
    writer.OnWarning = OnWarning;
    writer_ = &writer;
    struct Detach {
        TGIFWriter*& w;
        ~Detach() { w = nullptr; }
    } detach{writer_};
    if (pixels && height > 0 && width > 0)
        CompressPixels();
    Output(endCode_);
    writer.Flush();
    target.writeByte(0);
}

void TGIFEncoder::Output(int code)
{
    OutputBits(code);
}

void TGIFEncoder::Clear()
{
    justCleared_ = true;
    Output(clearCode_);
}

void TGIFEncoder::ColorError() const
{
    throw GIFException(gifmsg::ColorNotInTable);
}

int BitsForPixels(const std::uint8_t* pixels, std::size_t count)
{
    std::uint8_t largest = 0; // a plain loop, which the compiler vectorizes
    for (std::size_t i = 0; i < count; ++i)
        largest = std::max(largest, pixels[i]);
    int bits = 1;
    while ((1 << bits) <= largest)
        ++bits;
    return bits;
}

std::unique_ptr<TGIFEncoder> CreateEncoder(TGIFEncoding encoding)
{
    if (encoding == enRLE)
        return std::make_unique<TRLEEncoder>();
    return std::make_unique<TLZWEncoder>();
}
