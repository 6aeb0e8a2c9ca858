#include "gif/gif_sub_image.h"

#include "gif/gif_encoder.h"
#include "gif/gif_extension.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_limits.h"
#include "gif/gif_messages.h"
#include "gif/gif_stream_io.h"
#include "gif/lzw_decoder.h"
#include "platform/bitmap.h"
#include "platform/palette.h"
#include "platform/stream.h"

#include <algorithm>
#include <cstring>
#include <new>

TGIFSubImage::TGIFSubImage(TGIFImage* image) : TGIFItem(image), colorMap_(this), extensions_(image, this) {}

TGIFSubImage::~TGIFSubImage()
{
    Clear();
}

void TGIFSubImage::Clear()
{
    extensions_.Clear();
    colorMap_.Clear();
    FreeData();
    height_ = 0;
    width_ = 0;
    Transparent = false;
    GraphicControl = nullptr;
    FreeBitmap();
    FreeMask();
}

bool TGIFSubImage::Empty() const
{
    return data_.empty() || width_ == 0 || height_ == 0;
}

void TGIFSubImage::SetInterlaced(bool value)
{
    packedFields_ = std::uint8_t(value ? packedFields_ | 0x40 : packedFields_ & ~0x40);
}

void TGIFSubImage::SetBounds(int left, int top, int width, int height)
{
    auto toWord = [](int v) { return std::uint16_t(std::clamp(v, 0, 0xFFFF)); };
    const bool resized = toWord(width) != width_ || toWord(height) != height_;
    left_ = toWord(left);
    top_ = toWord(top);
    width_ = toWord(width);
    height_ = toWord(height);
    if (resized) {
        FreeBitmap();
        FreeMask();
        FreeData();
        AllocateData();
    }
    TGIFImage* image = Image();
    if (!image)
        return;
    bool warned = false;
    TGIFHeader& header = image->Header();
    if (header.ScreenWidth < left_ + width_) {
        if (header.ScreenWidth >= 1) {
            Warning(1, gifmsg::WidthTooSmall);
            warned = true;
        }
        header.ScreenWidth = std::uint16_t(std::min(left_ + width_, 0xFFFF));
    }
    if (header.ScreenHeight < top_ + height_) {
        if (header.ScreenHeight > 0) {
            Warning(1, gifmsg::HeightTooSmall);
            warned = true;
        }
        header.ScreenHeight = std::uint16_t(std::min(top_ + height_, 0xFFFF));
    }
    if (warned)
        Warning(1, gifmsg::ImageExceedsScreen);
}

void TGIFSubImage::AllocateData()
{
    FreeData();
    const std::int64_t pixels = std::int64_t(width_) * height_;
    if (pixels == 0)
        return;
    if (pixels > GIFLimits().MaxFramePixels)
        throw GIFException(gifmsg::FrameTooLarge);
    try {
        data_.assign(std::size_t(pixels), 0);
    } catch (const std::bad_alloc&) {
        throw GIFException(gifmsg::FrameTooLarge);
    }
}

void TGIFSubImage::FreeData()
{
    std::vector<std::uint8_t>().swap(data_);
}

void TGIFSubImage::EnsureData()
{
    if (data_.empty())
        AllocateData();
    if (data_.empty())
        throw GIFException(gifmsg::ImageEmpty);
}

std::uint8_t* TGIFSubImage::Scanline(int y)
{
    if (y < 0 || y > height_ - 1)
        throw GIFException(gifmsg::InvalidPixelCoordinates);
    EnsureData();
    return data_.data() + std::size_t(y) * width_;
}

std::uint8_t& TGIFSubImage::Pixels(int x, int y)
{
    if (x < 0 || x > width_ - 1)
        throw GIFException(gifmsg::InvalidPixelCoordinates);
    return Scanline(y)[x];
}

TGIFColorMap& TGIFSubImage::ActiveColorMap()
{
    TGIFImage* image = Image();
    if (colorMap_.Count() == 0 && image && image->GlobalColorMap().Count() > 0)
        return image->GlobalColorMap();
    return colorMap_;
}

TGIFFormatVersion TGIFSubImage::RequiredVersion() const
{
    if (colorMap_.Sorted())
        return fv89a;
    TGIFFormatVersion version = fv87a;
    for (int i = 0; i < extensions_.Count(); ++i)
        version = std::max(version, extensions_.Items(i).RequiredVersion());
    return version;
}

void TGIFSubImage::UpdatePackedFields() const
{
    if (colorMap_.Count() > 0) {
        std::uint8_t packed = std::uint8_t((packedFields_ & 0x58) | 0x80);
        if (colorMap_.Sorted())
            packed |= 0x20;
        packed |= std::uint8_t((colorMap_.BitsPerPixel() - 1) & 7);
        packedFields_ = packed;
    } else {
        packedFields_ &= 0x58;
    }
}

void TGIFSubImage::FreeBitmap()
{
    bitmap_.reset();
}

void TGIFSubImage::FreeMask()
{
    mask_.reset();
    MaskNeeded = true;
}

void TGIFSubImage::ResetPalette()
{
    palette_.reset();
}

void TGIFSubImage::Assign(const TGIFSubImage& source)
{
    if (&source == this)
        return;
    Clear();
    if (source.Empty())
        return;
    separator_ = source.separator_;
    left_ = source.left_;
    top_ = source.top_;
    width_ = source.width_;
    height_ = source.height_;
    packedFields_ = source.packedFields_;
    Transparent = source.Transparent;
    AllocateData();
    std::copy(source.data_.begin(), source.data_.end(), data_.begin());
    colorMap_.Assign(source.colorMap_);
    if (source.extensions_.Count() > 0) {
        MemoryStream copy;
        source.extensions_.SaveToStream(copy);
        copy.writeByte(0x2C); // ends the list for the reader
        copy.setPosition(0);
        extensions_.LoadFromStream(copy, this);
    }
    if (source.bitmap_)
        bitmap_ = std::make_unique<::Bitmap>(*source.bitmap_);
}

// Writing -----------------------------------------------------------------------------------

void TGIFSubImage::SaveToStream(Stream& stream) const
{
    extensions_.SaveToStream(stream);
    if (Empty())
        return;
    if (DataSize() != std::int64_t(width_) * height_)
        throw GIFException(gifmsg::DataSizeMismatch);
    UpdatePackedFields();
    std::uint8_t descriptor[10];
    // The reader takes whatever byte stands in front of a descriptor; a file always gets ",".
    descriptor[0] = 0x2C;
    gifio::writeWord(descriptor + 1, left_);
    gifio::writeWord(descriptor + 3, top_);
    gifio::writeWord(descriptor + 5, width_);
    gifio::writeWord(descriptor + 7, height_);
    descriptor[9] = packedFields_;
    stream.writeBuffer(descriptor, 10);
    colorMap_.SaveToStream(stream);

    int bits;
    int colors;
    if (colorMap_.Count() > 0) {
        bits = colorMap_.BitsPerPixel();
        colors = colorMap_.Count();
    } else {
        bits = Image() ? Image()->BitsPerPixel() : 0;
        colors = 1 << bits;
    }
    // The codes need room only for the largest index the frame uses: a frame of few colours
    // under a large table codes with a smaller minimum code size.
    if (!data_.empty()) {
        const int needed = BitsForPixels(data_.data(), data_.size());
        if (needed < bits)
            bits = needed; // every index is below 2^needed <= 2^bits, so inside the table
    }
    const TGIFImage* image = Image();
    TGIFWarning warning;
    if (image)
        warning = [image](const TGIFObject* sender, int severity, const std::string& message) {
            image->Warning(sender, severity, message);
        };
    std::unique_ptr<TGIFEncoder> encoder = CreateEncoder(image ? image->Encoding : enLZW);
    encoder->OnWarning = std::move(warning);
    encoder->Compress(stream, bits, colors, data_.data(), Interlaced(), height_, width_);
}

// Reading -----------------------------------------------------------------------------------

void TGIFSubImage::LoadFromStream(Stream& stream)
{
    Clear();
    extensions_.LoadFromStream(stream, this);
    const int next = stream.readByte();
    if (next < 0)
        return;
    gifio::stepBack(stream);
    if (next == 0x3B || next == 0)
        return; // only extensions: an empty frame

    std::uint8_t descriptor[10];
    gifio::readExact(stream, descriptor, 10);
    separator_ = descriptor[0];
    left_ = gifio::readWord(descriptor + 1);
    top_ = gifio::readWord(descriptor + 3);
    width_ = gifio::readWord(descriptor + 5);
    height_ = gifio::readWord(descriptor + 7);
    packedFields_ = descriptor[9];
    TGIFImage* image = Image();
    if ((width_ == 0 || height_ == 0) && image) {
        width_ = image->Header().ScreenWidth;
        height_ = image->Header().ScreenHeight;
        Warning(1, gifmsg::ImageExceedsScreen);
    }
    if (packedFields_ & 0x80)
        colorMap_.LoadFromStream(stream, 2 << (packedFields_ & 7));
    readPixels(stream);
}

void TGIFSubImage::readPixels(Stream& stream)
{
    TGIFImage* image = Image();
    const std::int64_t pixels = std::int64_t(width_) * height_;
    if (pixels > GIFLimits().MaxFramePixels)
        throw GIFException(gifmsg::FrameTooLarge);
    if (image) {
        if (image->pixelsRead_ + pixels > GIFLimits().MaxImagePixels)
            throw GIFException(gifmsg::ImageTooLarge);
        image->pixelsRead_ += pixels;
    }
    AllocateData();
    if (Transparent && GraphicControl)
        std::fill(data_.begin(), data_.end(), GraphicControl->TransparentColorIndex());

    const int codeSize = stream.readByte();
    if (codeSize < 0)
        return;
    auto decoder = std::make_unique<TLZWDecoder>(stream, codeSize, *this);
    if (!data_.empty()) {
        if (!Interlaced()) {
            decoder->Decode(data_.data(), std::int64_t(data_.size()));
        } else {
            static constexpr int start[4] = {0, 4, 2, 1};
            static constexpr int step[4] = {8, 8, 4, 2};
            bool ended = false;
            for (int pass = 0; pass < 4 && !ended; ++pass)
                for (int row = start[pass]; row < height_; row += step[pass]) {
                    if (decoder->Decode(data_.data() + std::size_t(row) * width_, width_) < width_) {
                        ended = true;
                        break;
                    }
                }
        }
    }
    decoder->Finish();
}
