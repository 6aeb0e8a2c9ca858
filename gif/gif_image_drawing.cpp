// TGIFImage as a picture: its bitmap, palette, conversion from other graphics, drawing and the
// clipboard.

#include "color/fixed_palettes.h"
#include "gif/gif_image.h"
#include "gif/gif_messages.h"
#include "gif/gif_sub_image.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/palette.h"
#include "platform/stream.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

namespace {

constexpr const char* kUnsupportedClipboardFormat = "Unsupported clipboard format";

} // namespace

bool TGIFImage::DitherNeeded() const
{
    return (PaintOptions & paintOption(poDither)) != 0 &&
           ((PaintOptions & paintOption(poAutoDither)) == 0 || LowColorDisplay);
}

const Palette* TGIFImage::GetPalette()
{
    if (gettingPalette_)
        throw GIFException(gifmsg::NoColorTable);
    gettingPalette_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{gettingPalette_};
    if (CachedBitmap && CachedBitmap->pixelFormat() != pf24bit && !CachedBitmap->palette().empty())
        return &CachedBitmap->palette();
    if (GlobalPalette)
        return GlobalPalette.get();
    if (DitherNeeded()) {
        GlobalPalette = std::make_unique<Palette>(MakeWebPalette());
        return GlobalPalette.get();
    }
    if (header_->ColorMap().Count() == 0)
        return images_.Count() > 0 ? images_.Items(0).GetPalette() : nullptr;
    GlobalPalette = header_->ColorMap().ExportPalette();
    return GlobalPalette.get();
}

::Bitmap* TGIFImage::NewBitmap()
{
    if (!CachedBitmap) {
        CachedBitmap = std::make_unique<::Bitmap>(GetWidth(), GetHeight(), pf24bit);
        if (const Palette* palette = GetPalette())
            CachedBitmap->setPalette(*palette);
        CachedBitmap->onChange = [this](Graphic&) { changed(); };
    }
    return CachedBitmap.get();
}

::Bitmap* TGIFImage::GetBitmap()
{
    if (images_.Count() == 0)
        return nullptr;
    if (CachedBitmap)
        return CachedBitmap.get();
    TGIFSubImage& first = images_.Items(0);
    if (first.Width() == GetWidth() && first.Height() == GetHeight() && first.Left() == 0 && first.Top() == 0) {
        ::Bitmap* picture = first.GetBitmap();
        CachedBitmap = picture ? std::make_unique<::Bitmap>(*picture) : std::make_unique<::Bitmap>(0, 0);
        CachedBitmap->onChange = [this](Graphic&) { changed(); };
        return CachedBitmap.get();
    }
    NewBitmap();
    CachedBitmap->fill(clWhite);
    first.Draw(CachedBitmap->canvas(), Rect{0, 0, GetWidth(), GetHeight()}, false, false);
    return CachedBitmap.get();
}

void TGIFImage::SetPalette(std::unique_ptr<Palette> palette)
{
    if (palette && palette.get() == GlobalPalette.get())
        return;
    GlobalPalette = std::move(palette);
    if (CachedBitmap && (!GlobalPalette || !(CachedBitmap->palette() == *GlobalPalette))) {
        FreeBitmap();
        paletteModified_ = true;
        changed();
    }
}

int TGIFImage::Add(const Graphic& source)
{
    if (const auto* gif = dynamic_cast<const TGIFImage*>(&source)) {
        int last = -1;
        for (int i = 0; i < gif->images_.Count(); ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->Assign(gif->images_.Items(i));
            last = Add(std::move(frame));
        }
        return last;
    }
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->AssignGraphic(source);
    return Add(std::move(frame));
}

void TGIFImage::AssignGraphic(const Graphic& source)
{
    if (const auto* gif = dynamic_cast<const TGIFImage*>(&source)) {
        Assign(*gif);
        return;
    }
    Clear();
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->AssignGraphic(source);
    Add(std::move(frame));
}

void TGIFImage::AssignTo(::Bitmap& destination)
{
    if (::Bitmap* picture = GetBitmap())
        destination = *picture;
    else
        destination = ::Bitmap(0, 0);
}

void TGIFImage::draw(Canvas& canvas, const Rect& rect) const
{
    // Drawing plays or renders frames and so fills the image's caches.
    const_cast<TGIFImage*>(this)->Draw(canvas, rect);
}

void TGIFImage::SaveToClipboard() const
{
    if (GetEmpty())
        return;
    MemoryStream stream;
    SaveToStream(stream);
    auto* self = const_cast<TGIFImage*>(this);
    ::Bitmap* picture = self->GetBitmap();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw GIFException(gifmsg::ClipboardFailed);
    auto data = std::make_unique<QMimeData>();
    data->setData(GIFClipboardMimeType,
                  QByteArray(reinterpret_cast<const char*>(stream.memory()), qsizetype(stream.size())));
    if (picture && !picture->empty())
        data->setImageData(picture->toQImage().copy());
    clipboard->setMimeData(data.release());
}

void TGIFImage::LoadFromClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (data && data->hasFormat(GIFClipboardMimeType)) {
        const QByteArray bytes = data->data(GIFClipboardMimeType);
        MemoryStream stream;
        stream.write(bytes.constData(), std::int64_t(bytes.size()));
        stream.setPosition(0);
        LoadFromStream(stream);
        return;
    }
    if (data && data->hasImage()) {
        const QImage image = qvariant_cast<QImage>(data->imageData());
        if (!image.isNull()) {
            ::Bitmap picture = ::Bitmap::fromQImage(image);
            AssignGraphic(picture);
            return;
        }
    }
    throw GIFException(kUnsupportedClipboardFormat);
}

