// Frames made from bitmaps and other graphics, frames rendered back to bitmaps and masks,
// palettes, frame placement and drawing.

#include "color/color_lookup.h"
#include "color/fixed_palettes.h"
#include "color/floyd_steinberg_ditherer.h"
#include "color/reduce_to_palette.h"
#include "gif/gif_abort.h"
#include "gif/gif_graphic_control_extension.h"
#include "gif/gif_image.h"
#include "gif/gif_messages.h"
#include "gif/gif_sub_image.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/ico_file.h"
#include "platform/palette.h"

#include <algorithm>
#include <cmath>

namespace {

// Progress is reported on rows 0, 32, 64, ...
bool progressRow(int y) { return (y & 31) == 0; }

// a * b / c rounded to the nearest integer, halves to even.
int scaled(int a, int b, int c)
{
    if (c == 0)
        return 0;
    return int(std::nearbyint(double(a) * double(b) / double(c)));
}

// The mask of a transparent bitmap: 1 where the pixel has its bottom-left colour.
Bitmap transparencyMask(const Bitmap& source)
{
    Bitmap mask(source.width(), source.height(), pf8bit);
    const TColor key = source.transparentColor();
    for (int y = 0; y < source.height(); ++y) {
        std::uint8_t* row = mask.scanLine(y);
        for (int x = 0; x < source.width(); ++x)
            row[x] = source.pixel(x, y) == key ? 1 : 0;
    }
    return mask;
}

Palette blackAndWhite()
{
    return Palette(std::vector<PaletteEntry>{{0, 0, 0, 0}, {255, 255, 255, 0}});
}

} // namespace

// Frames from bitmaps -------------------------------------------------------------------------

void TGIFSubImage::importBitmap(const ::Bitmap& source)
{
    TGIFImage* image = Image();
    const int height = source.height();
    const int width = source.width();
    auto report = [&](int y) {
        if (image && progressRow(y))
            image->Progress(ProgressStage::Running, RoundedPercent(y, height), false, gifmsg::Converting);
    };
    switch (source.pixelFormat()) {
    case pf8bit:
        colorMap_.ImportDIBColors(source);
        for (int y = 0; y < height; ++y) {
            std::copy_n(source.scanLine(y), width, data_.data() + std::size_t(y) * width);
            report(y);
        }
        break;
    case pf4bit:
        colorMap_.ImportPalette(source.palette());
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = source.scanLine(y);
            std::uint8_t* out = data_.data() + std::size_t(y) * width;
            for (int x = 0; x < width; ++x)
                out[x] = (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
            report(y);
        }
        break;
    case pf1bit:
        colorMap_.ImportPalette(source.palette());
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = source.scanLine(y);
            std::uint8_t* out = data_.data() + std::size_t(y) * width;
            for (int x = 0; x < width; ++x)
                out[x] = (row[x / 8] >> (7 - (x & 7))) & 1;
            report(y);
        }
        break;
    default: {
        // The last colours met, searched from the most recent one backwards before the table.
        constexpr int kRing = 8;
        TColor ringColor[kRing];
        std::uint8_t ringIndex[kRing];
        int ringCount = 0;
        int ringNext = 0;
        colorMap_.Clear();
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = source.scanLine(y);
            std::uint8_t* out = data_.data() + std::size_t(y) * width;
            for (int x = 0; x < width; ++x) {
                const TColor c = rgbColor(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                int hit = -1;
                for (int k = 0, slot = ringNext - 1; k < ringCount; ++k, --slot) {
                    if (slot < 0)
                        slot += kRing;
                    if (ringColor[slot] == c) {
                        hit = slot;
                        break;
                    }
                }
                if (hit >= 0) {
                    out[x] = ringIndex[hit];
                    continue;
                }
                if (colorMap_.IndexOf(c) < 0 && colorMap_.Count() >= TGIFColorMap::MaxColors)
                    throw GIFException(gifmsg::ColorTableOverflow);
                const int index = colorMap_.AddUnique(c);
                out[x] = std::uint8_t(index);
                ringColor[ringNext] = c;
                ringIndex[ringNext] = std::uint8_t(index);
                ringNext = (ringNext + 1) % kRing;
                ringCount = std::min(ringCount + 1, kRing);
            }
            report(y);
        }
        break;
    }
    }
}

void TGIFSubImage::Assign(const ::Bitmap& source)
{
    Clear();
    if (source.empty())
        return;
    TGIFImage* image = Image();
    std::unique_ptr<::Bitmap> picture;
    const PixelFormat format = source.pixelFormat();
    if (format == pf1bit || format == pf4bit || format == pf8bit) {
        picture = std::make_unique<::Bitmap>(source);
    } else {
        ::Bitmap work(source);
        const TReductionMethod method = image ? image->ReductionMethod : DefaultReductionMethod;
        const TDitherMethod dither = image ? image->DitherMethod : DefaultDitherMethod;
        const int bits = image ? image->ReductionBits : DefaultReductionBits;
        picture = std::make_unique<::Bitmap>(ReduceToPalette(work, method, dither, bits));
        if (picture->empty())
            return; // the reduction was abandoned (unknown method)
    }
    SetBounds(0, 0, picture->width(), picture->height());
    AllocateData();
    if (image)
        image->Progress(ProgressStage::Starting, 0, false, gifmsg::Converting);
    try {
        importBitmap(*picture);
        bitmap_ = std::move(picture);
        if (source.transparent())
            ApplyMask(transparencyMask(source));
    } catch (...) {
        if (image)
            image->Progress(ProgressStage::Ending, 0, false, gifmsg::Converting);
        throw;
    }
    if (image)
        image->Progress(ProgressStage::Ending, 100, false, gifmsg::Converting);
}

void TGIFSubImage::AssignGraphic(const Graphic& source)
{
    if (const auto* bitmap = dynamic_cast<const ::Bitmap*>(&source)) {
        Assign(*bitmap);
        return;
    }
    Clear();
    if (source.empty())
        return;
    if (const auto* icon = dynamic_cast<const Icon*>(&source)) {
        ::Bitmap picture(icon->image());
        picture.setPixelFormat(pf24bit);
        picture.setTransparent(false);
        Assign(picture);
        ApplyMask(icon->mask());
        return;
    }
    // No metafiles on this platform; every other graphic is drawn into a 24-bit bitmap.
    ::Bitmap picture(source.width(), source.height(), pf24bit);
    picture.canvas().draw(0, 0, source);
    Assign(picture);
}

void TGIFSubImage::SetBitmap(const ::Bitmap* source)
{
    FreeBitmap();
    if (source)
        Assign(*source);
}

void TGIFSubImage::AssignTo(::Bitmap& destination)
{
    if (::Bitmap* picture = GetBitmap())
        destination = *picture;
    else
        destination = ::Bitmap(0, 0);
}

void TGIFSubImage::ApplyMask(const ::Bitmap& mask)
{
    colorMap_.Optimize();
    const int count = colorMap_.Count();
    if (count < 1 || count > 255)
        return;
    const int index = colorMap_.Add(clBlack);
    bool changed = false;
    const int width = std::min(width_ + 0, mask.width());
    const int height = std::min(height_ + 0, mask.height());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (mask.pixelIndex(x, y) != 0 || (mask.pixelFormat() == pf24bit && mask.pixel(x, y) != clBlack)) {
                data_[std::size_t(y) * width_ + x] = std::uint8_t(index);
                changed = true;
            }
    if (!changed) {
        colorMap_.Delete(index);
        return;
    }
    auto control = std::make_unique<TGIFGraphicControlExtension>(this);
    TGIFGraphicControlExtension* gce = control.get();
    extensions_.Add(std::move(control));
    gce->SetTransparent(true);
    gce->SetTransparentColorIndex(index);
    FreeBitmap();
    FreeMask();
    ResetPalette();
}

// Rendering -----------------------------------------------------------------------------------

::Bitmap* TGIFSubImage::GetBitmap()
{
    if (bitmap_ || Empty())
        return bitmap_.get();
    render();
    return bitmap_.get();
}

void TGIFSubImage::render()
{
    TGIFImage* image = Image();
    if (image)
        image->Progress(ProgressStage::Starting, 0, false, gifmsg::Rendering);
    try {
        const ::Palette* palette = GetPalette();
        const ::Palette copy = palette ? *palette : ::Palette();
        if (image && image->DitherNeeded())
            renderDithered(copy);
        else
            renderPlain(copy);
    } catch (const EGIFAbort&) {
        bitmap_.reset();
        if (image)
            image->Progress(ProgressStage::Ending, 0, false, gifmsg::Rendering);
        return;
    } catch (...) {
        bitmap_.reset();
        if (image)
            image->Progress(ProgressStage::Ending, 0, false, gifmsg::Rendering);
        throw;
    }
    if (image) {
        const bool modified = image->paletteModified_;
        image->Progress(ProgressStage::Ending, 100, modified, gifmsg::Rendering);
        if (modified) {
            image->paletteModified_ = false;
            image->changed();
        }
    }
}

namespace {

struct MaskBuilder {
    int width;
    int height;
    int stride; // bytes of one row, a multiple of 2 (16 bits)
    std::vector<std::uint8_t> bits;
    bool any = false;

    MaskBuilder(int w, int h) : width(w), height(h), stride(((w + 15) / 16) * 2), bits(std::size_t(stride) * h, 0) {}
    void set(int x, int y)
    {
        bits[std::size_t(y) * stride + std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x & 7));
        any = true;
    }
    std::unique_ptr<Bitmap> make() const
    {
        auto mask = std::make_unique<Bitmap>(width, height, pf1bit);
        mask->setPalette(blackAndWhite());
        const int bytes = (width + 7) / 8;
        for (int y = 0; y < height; ++y)
            std::copy_n(bits.data() + std::size_t(y) * stride, bytes, mask->scanLine(y));
        return mask;
    }
};

} // namespace

void TGIFSubImage::renderPlain(const ::Palette& palette)
{
    TGIFImage* image = Image();
    const bool buildMask = MaskNeeded && Transparent && !mask_ && GraphicControl;
    const int transparentIndex = GraphicControl ? GraphicControl->TransparentColorIndex() : -1;
    auto picture = std::make_unique<::Bitmap>(width_, height_, pf8bit);
    picture->setPalette(palette);
    std::unique_ptr<MaskBuilder> mask = buildMask ? std::make_unique<MaskBuilder>(width_, height_) : nullptr;
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* row = data_.data() + std::size_t(y) * width_;
        std::copy_n(row, width_, picture->scanLine(y));
        if (mask)
            for (int x = 0; x < width_; ++x)
                if (row[x] == transparentIndex)
                    mask->set(x, y);
        if (image && progressRow(y))
            image->Progress(ProgressStage::Running, RoundedPercent(y, height_), false, gifmsg::Rendering);
    }
    MaskNeeded = false;
    if (mask && mask->any)
        mask_ = mask->make();
    bitmap_ = std::move(picture);
}

void TGIFSubImage::renderDithered(const ::Palette& palette)
{
    TGIFImage* image = Image();
    const bool buildMask = MaskNeeded && Transparent && !mask_ && GraphicControl;
    const int transparentIndex = GraphicControl ? GraphicControl->TransparentColorIndex() : -1;
    auto picture = std::make_unique<::Bitmap>(width_, height_, pf8bit);
    picture->setPalette(palette);
    std::unique_ptr<MaskBuilder> mask = buildMask ? std::make_unique<MaskBuilder>(width_, height_) : nullptr;
    TGIFColorMap& map = ActiveColorMap();
    const int count = map.Count();
    const std::uint8_t* colors = map.Data();
    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer ditherer(width_, lookup);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* row = data_.data() + std::size_t(y) * width_;
        std::uint8_t* out = picture->scanLine(y);
        std::uint8_t fill = 0;
        if (mask && count > 0) {
            const int t = std::min(transparentIndex, count - 1);
            const int r = colors[3 * t], g = colors[3 * t + 1], b = colors[3 * t + 2];
            fill = std::uint8_t(scaled(6, g, 51) + b / 51 + scaled(36, r, 51) + 1);
            std::fill_n(out, width_, fill);
        }
        for (int k = 0; k < width_; ++k) {
            const int x = ditherer.CurrentColumn();
            const int pixel = row[x];
            if (mask && pixel == transparentIndex) {
                mask->set(x, y);
                ditherer.SkipPixel();
                continue;
            }
            std::uint8_t r = 0, g = 0, b = 0;
            if (pixel < count) {
                r = colors[3 * pixel];
                g = colors[3 * pixel + 1];
                b = colors[3 * pixel + 2];
            }
            std::uint8_t outR, outG, outB;
            out[x] = ditherer.DitherPixel(r, g, b, outR, outG, outB);
        }
        ditherer.StartNextRow();
        if (image && progressRow(y))
            image->Progress(ProgressStage::Running, RoundedPercent(y, height_), false, gifmsg::Rendering);
    }
    MaskNeeded = false;
    if (mask && mask->any)
        mask_ = mask->make();
    bitmap_ = std::move(picture);
}

bool TGIFSubImage::HasMask()
{
    if (MaskNeeded && Transparent) {
        FreeBitmap();
        GetBitmap();
    }
    return mask_ != nullptr;
}

// Palettes ------------------------------------------------------------------------------------

const ::Palette* TGIFSubImage::GetPalette()
{
    if (bitmap_ && bitmap_->pixelFormat() != pf24bit && !bitmap_->palette().empty())
        return &bitmap_->palette();
    if (palette_)
        return palette_.get();
    TGIFImage* image = Image();
    if (image && image->DitherNeeded()) {
        palette_ = std::make_unique<::Palette>(MakeWebPalette());
        return palette_.get();
    }
    if (colorMap_.Count() == 0)
        return image ? image->GetPalette() : nullptr;
    palette_ = colorMap_.ExportPalette();
    return palette_.get();
}

void TGIFSubImage::SetPalette(std::unique_ptr<::Palette> palette)
{
    if (palette && palette.get() == palette_.get())
        return;
    palette_ = std::move(palette);
    if (bitmap_ && palette_ && !(bitmap_->palette() == *palette_)) {
        FreeBitmap();
        if (TGIFImage* image = Image()) {
            image->paletteModified_ = true;
            image->changed();
        }
    }
}

// Placement and drawing -----------------------------------------------------------------------

Rect TGIFSubImage::ScaleRect(const Rect& rect) const
{
    TGIFImage* image = Image();
    const int screenWidth = image ? image->GetWidth() : width_;
    const int screenHeight = image ? image->GetHeight() : height_;
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    Rect r;
    r.left = rect.left + scaled(left_, w, screenWidth);
    r.top = rect.top + scaled(top_, h, screenHeight);
    r.right = rect.left + scaled(left_ + width_, w, screenWidth);
    r.bottom = rect.top + scaled(top_ + height_, h, screenHeight);
    return r;
}

void TGIFSubImage::Draw(Canvas& canvas, const Rect& rect, bool tile, bool transparent)
{
    ::Bitmap* picture = GetBitmap();
    if (!picture)
        return;
    const Rect target = tile ? rect : ScaleRect(rect);
    const bool masked = transparent && Transparent && HasMask();
    picture = GetBitmap(); // HasMask may have rendered again
    if (!picture)
        return;
    auto drawOne = [&](const Rect& r) {
        if (masked)
            canvas.stretchDrawMasked(r, *picture, *mask_);
        else
            canvas.copyRect(r, *picture, Rect{0, 0, picture->width(), picture->height()});
    };
    if (tile) {
        if (width_ == 0 || height_ == 0)
            return;
        for (int y = target.top + top_; y < target.bottom; y += height_)
            for (int x = target.left + left_; x < target.right; x += width_)
                drawOne(Rect{x, y, x + width_, y + height_});
    } else {
        drawOne(target);
    }
}
