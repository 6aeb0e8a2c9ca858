#include "editor/preview_image.h"

#include "gif/gif_image.h"
#include "platform/canvas.h"

#include <QImage>
#include <QMetaObject>
#include <QPainter>

TPreviewImage::TPreviewImage(QWidget* parent) : QLabel(parent) {}

TPreviewImage::~TPreviewImage() { surface_.onChange = {}; }

void TPreviewImage::showBitmap(const Bitmap& bitmap)
{
    surface_.onChange = {};
    surface_ = bitmap;
    surface_.setTransparent(false);
    hasSurface_ = !surface_.empty();
    update();
}

void TPreviewImage::play(TGIFImage& gif)
{
    surface_.onChange = {};
    if (gif.GetEmpty() || gif.GetWidth() <= 0 || gif.GetHeight() <= 0) {
        clearPicture();
        return;
    }
    surface_ = Bitmap(gif.GetWidth(), gif.GetHeight(), pf24bit);
    const QColor background = palette().color(backgroundRole());
    surface_.fill(TColor(background.red() | background.green() << 8 | background.blue() << 16));
    hasSurface_ = true;
    // Painting may come from the painter's hand-off to this thread or from this thread itself.
    surface_.onChange = [this](Graphic&) { QMetaObject::invokeMethod(this, [this] { update(); }); };
    gif.Draw(surface_.canvas(), Rect{0, 0, gif.GetWidth(), gif.GetHeight()});
    update();
}

void TPreviewImage::clearPicture()
{
    surface_.onChange = {};
    surface_ = Bitmap();
    hasSurface_ = false;
    clear();
    update();
}

void TPreviewImage::paintEvent(QPaintEvent* event)
{
    if (!hasSurface_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QImage image = surface_.toQImage();
    painter.drawImage((width() - image.width()) / 2, (height() - image.height()) / 2, image);
}
