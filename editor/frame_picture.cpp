#include "editor/frame_picture.h"

#include <QContextMenuEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

TFramePicture::TFramePicture(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TFramePicture::setPicture(const Bitmap& bitmap)
{
    const bool transparent = picture_.transparent();
    picture_ = bitmap;
    picture_.setTransparent(transparent);
    update();
}

void TFramePicture::setPicture(Bitmap&& bitmap)
{
    const bool transparent = picture_.transparent();
    picture_ = std::move(bitmap);
    picture_.setTransparent(transparent);
    update();
}

void TFramePicture::setTransparent(bool value)
{
    if (value == picture_.transparent())
        return;
    picture_.setTransparent(value);
    update();
}

void TFramePicture::paintEvent(QPaintEvent*)
{
    if (picture_.empty())
        return;
    QImage image = picture_.toQImage().convertToFormat(QImage::Format_ARGB32);
    if (picture_.transparent()) {
        // Exactly the pixels of the bottom-left pixel's colour are left out.
        const QRgb key = image.pixel(0, image.height() - 1);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (row[x] == key)
                    row[x] = 0;
        }
    }
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

void TFramePicture::mousePressEvent(QMouseEvent* event)
{
    emit mouseDown(this);
    event->accept();
}

void TFramePicture::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit doubleClicked(this);
    event->accept();
}

void TFramePicture::contextMenuEvent(QContextMenuEvent* event)
{
    emit contextMenu(this, event->globalPos());
    event->accept();
}
