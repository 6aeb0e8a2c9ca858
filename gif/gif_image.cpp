#include "gif/gif_image.h"

#include "gif/gif_messages.h"
#include "gif/gif_sub_image.h"
#include "gif/gif_trailer.h"
#include "platform/bitmap.h"
#include "platform/palette.h"
#include "platform/stream.h"

#include <algorithm>

TGIFImage::TGIFImage() : images_(this), header_(std::make_unique<TGIFHeader>(this))
{
    const TGIFDefaults& d = GIFDefaults();
    PaintOptions = d.PaintOptions;
    ReductionMethod = DefaultReductionMethod;
    ReductionBits = DefaultReductionBits;
    DitherMethod = DefaultDitherMethod;
    Encoding = d.Encoding;
    ThreadPriority = d.ThreadPriority;
    animationSpeed_ = std::clamp(d.AnimationSpeed, 0, 1000);
    BackgroundPaintColor = clNone;
    Clear();
}

TGIFImage::~TGIFImage()
{
    StopPainters();
    {
        std::lock_guard<std::recursive_mutex> lock(PaintersLock);
        Painters.clear();
    }
    // Frames refer to the header's table, so they go first.
    images_.Clear();
    header_.reset();
}

std::unique_ptr<Graphic> TGIFImage::clone() const
{
    auto copy = std::make_unique<TGIFImage>();
    copy->Assign(*this);
    return copy;
}

void TGIFImage::Warning(const TGIFObject* sender, int severity, const std::string& message) const
{
    if (OnWarning)
        OnWarning(sender, severity, message);
}

void TGIFImage::Progress(ProgressStage stage, int percent, bool redrawNow, const std::string& message) const
{
    // The progress event names the image as its sender; reporting does not change the image.
    if (onProgress)
        onProgress(const_cast<TGIFImage&>(*this), stage, percent, redrawNow, Rect{}, message);
}

void TGIFImage::Clear()
{
    StopPainters();
    FreeBitmap();
    images_.Clear();
    header_->ColorMap().Clear();
    header_->ScreenWidth = 0;
    header_->ScreenHeight = 0;
    header_->UpdatePackedFields();
    SetPalette(nullptr);
}

int TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame)
{
    // A frame made for another image would report to, and take colours from, that image.
    if (!frame || frame->Image() != this)
        throw GIFException(gifmsg::UnsupportedObject);
    const int index = images_.Add(std::move(frame));
    FreeBitmap();
    changed();
    return index;
}

TGIFFormatVersion TGIFImage::RequiredVersion() const
{
    TGIFFormatVersion version = fvUnknown;
    for (int i = 0; i < images_.Count(); ++i) {
        version = std::max(version, images_.Items(i).RequiredVersion());
        if (version >= fv89a)
            break;
    }
    return version;
}

int TGIFImage::BitsPerPixel() const
{
    int bits = header_->ColorMap().BitsPerPixel();
    for (int i = 0; i < images_.Count(); ++i)
        bits = std::max(bits, images_.Items(i).BitsPerPixel());
    return bits;
}

int TGIFImage::ColorResolution() const
{
    return BitsPerPixel() - 1;
}

TColor TGIFImage::BackgroundColor()
{
    return header_->ColorMap().Colors(header_->BackgroundIndex);
}

void TGIFImage::SetWidth(int value)
{
    for (int i = 0; i < images_.Count(); ++i) {
        const TGIFSubImage& frame = images_.Items(i);
        if (frame.Left() + frame.Width() > value)
            throw GIFException(gifmsg::WidthTooSmall);
    }
    value = std::clamp(value, 0, 0xFFFF);
    if (value == header_->ScreenWidth)
        return;
    header_->ScreenWidth = std::uint16_t(value);
    FreeBitmap();
    changed();
}

void TGIFImage::SetHeight(int value)
{
    for (int i = 0; i < images_.Count(); ++i) {
        const TGIFSubImage& frame = images_.Items(i);
        if (frame.Top() + frame.Height() > value)
            throw GIFException(gifmsg::HeightTooSmall);
    }
    value = std::clamp(value, 0, 0xFFFF);
    if (value == header_->ScreenHeight)
        return;
    header_->ScreenHeight = std::uint16_t(value);
    FreeBitmap();
    changed();
}

void TGIFImage::Assign(const TGIFImage& source)
{
    if (&source == this)
        return;
    Clear();
    onProgress = source.onProgress;
    OnWarning = source.OnWarning;
    struct Restore {
        TGIFImage& image;
        ~Restore()
        {
            image.onProgress = nullptr;
            image.OnWarning = nullptr;
        }
    } restore{*this};
    Progress(ProgressStage::Starting, 0, false, gifmsg::Copying);
    try {
        header_->Assign(*source.header_);
        ThreadPriority = source.ThreadPriority;
        BackgroundPaintColor = source.BackgroundPaintColor;
        PaintOptions = source.PaintOptions;
        ReductionMethod = source.ReductionMethod;
        DitherMethod = source.DitherMethod;
        const int count = source.images_.Count();
        for (int i = 0; i < count; ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->Assign(source.images_.Items(i));
            images_.Add(std::move(frame));
            Progress(ProgressStage::Running, RoundedPercent(i + 1, count), false,
                     gifmsg::Copying);
        }
    } catch (...) {
        Progress(ProgressStage::Ending, 0, false, gifmsg::Copying);
        throw;
    }
    Progress(ProgressStage::Ending, 100, false, gifmsg::Copying);
    FreeBitmap();
    changed();
}

void TGIFImage::LoadFromStream(Stream& stream)
{
    Progress(ProgressStage::Starting, 0, false, gifmsg::Loading);
    try {
        Clear();
        const std::int64_t start = stream.position();
        pixelsRead_ = 0;
        try {
            header_->LoadFromStream(stream);
            images_.LoadFromStream(stream, this);
            TGIFTrailer trailer(this);
            trailer.LoadFromStream(stream);
        } catch (...) {
            stream.setPosition(start);
            throw;
        }
    } catch (...) {
        Progress(ProgressStage::Ending, 0, false, gifmsg::Loading);
        throw;
    }
    Progress(ProgressStage::Ending, 100, false, gifmsg::Loading);
}

void TGIFImage::SaveToStream(Stream& stream) const
{
    Progress(ProgressStage::Starting, 0, false, gifmsg::Saving);
    try {
        header_->SaveToStream(stream);
        images_.SaveToStream(stream);
        TGIFTrailer trailer(const_cast<TGIFImage*>(this));
        trailer.SaveToStream(stream);
    } catch (...) {
        Progress(ProgressStage::Ending, 0, false, gifmsg::Saving);
        throw;
    }
    Progress(ProgressStage::Ending, 100, false, gifmsg::Saving);
}

void RegisterGIFFormat()
{
    static bool registered = false;
    if (registered)
        return;
    registered = true;
    GraphicFormats::instance().registerFormat(
        GraphicFormat{"gif", gifmsg::FormatName, [] { return std::unique_ptr<Graphic>(std::make_unique<TGIFImage>()); }});
}
